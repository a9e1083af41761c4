#include "platform/CarefulFile.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/CarefulFileParts.h"

namespace corvane::platform {

namespace {

// Drawn once, so that the names of one process follow each other and others cannot guess them.
const std::string& ProcessToken() {
    static const std::string token = [] {
        std::random_device random;
        return std::to_string(random() % 1000000000u);
    }();
    return token;
}

}  // namespace

bool WriteFileWhole(const std::string& path, std::string_view text, std::string& error,
                    FileSync sync) {
    return WriteFileWhole(path,
                          std::span<const std::uint8_t>(
                              reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                          error, sync);
}

std::string TemporaryNameFor(const std::string& target, int attempt) {
    const std::filesystem::path path(target);
    return (path.parent_path() / ("." + path.filename().string() + "." + ProcessToken() + "-" +
                                  std::to_string(attempt) + ".tmp"))
        .string();
}

std::string NumberedName(const std::string& wanted, int n) {
    const std::filesystem::path path(wanted);
    return (path.parent_path() /
            (path.stem().string() + "-" + std::to_string(n) + path.extension().string()))
        .string();
}

namespace careful {

void ReadWithin(FileRead& read, const std::string& path, std::uint64_t largest, Oversize oversize,
                const ReadSome& readSome) {
    if (read.size > largest && oversize == Oversize::Refuse) {
        read.tooLarge = true;
        read.error = "can't read " + path + ": it has " + std::to_string(read.size) +
                     " bytes, more than the " + std::to_string(largest) + " it may have";
        return;
    }
    // The file may grow while it is read: one byte past the limit tells.
    const std::uint64_t wanted =
        oversize == Oversize::Refuse && largest < std::numeric_limits<std::uint64_t>::max()
            ? largest + 1
            : largest;
    std::string chunk(static_cast<std::size_t>(std::min<std::uint64_t>(wanted, 1 << 16)), '\0');
    while (read.content.size() < wanted) {
        const auto room = static_cast<std::size_t>(
            std::min<std::uint64_t>(chunk.size(), wanted - read.content.size()));
        std::string reason;
        const long long count = readSome(chunk.data(), room, reason);
        if (count < 0) {
            read.error = "can't read " + path + ": " + reason;
            read.content.clear();
            return;
        }
        if (count == 0) {
            break;
        }
        read.content.append(chunk.data(), static_cast<std::size_t>(count));
    }
    if (read.content.size() > largest) {
        read.tooLarge = true;
        read.error = "can't read " + path + ": it grew past the " + std::to_string(largest) +
                     " bytes it may have while it was read";
        read.content.clear();
        return;
    }
    read.ok = true;
}

std::string NotPlainFile(const std::string& path, const std::string& kind) {
    return "can't read " + path + ": it is " + kind + ", not a plain file";
}

}  // namespace careful

}  // namespace corvane::platform

#include "service/SettingsFile.h"

#include <cstdint>
#include <span>

#include "operations/StatusFile.h"
#include "platform/CarefulFile.h"

namespace corvane::service {

namespace {

using protocol::PrinterModel;

// A settings file has some hundreds of bytes; a far larger one is not read into memory.
constexpr std::uint64_t kLargestJsonFile = 1 << 20;

}  // namespace

SettingsDocument SettingsFile::For(PrinterModel wanted) const {
    if (family) {
        return {*family, record, std::nullopt};
    }
    return DocumentFromRecord(wanted, record);
}

bool LoadSettingsFile(const std::string& path, SettingsFile& file, std::string& error) {
    const bool statusFile = operations::IsStatusFileName(path);
    // Both limits are known before the file is read: a status file has its one size.
    platform::FileRead read = platform::ReadRegularFile(
        path, statusFile ? operations::kStatusFileSize : kLargestJsonFile);
    if (statusFile && (read.tooLarge || (read.ok && read.size != operations::kStatusFileSize))) {
        error = path + ": a status file has " + std::to_string(operations::kStatusFileSize) +
                " bytes; this one has " + std::to_string(read.size) + ".";
        return false;
    }
    if (read.tooLarge) {
        error = path + ": a settings file has at most " + std::to_string(kLargestJsonFile) +
                " bytes (1 MiB); this one has " + std::to_string(read.size) + ".";
        return false;
    }
    if (!read.ok) {
        error = read.error;
        return false;
    }
    const std::string& content = read.content;
    SettingsFile loaded;
    loaded.path = path;
    if (statusFile) {
        loaded.record = operations::DecodeStatusRecord(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
        if (!CheckStatusRecord(loaded.record, error)) {
            error = path + ": " + error;
            return false;
        }
    } else {
        SettingsDocument document;
        if (!LoadSettingsJson(content, document, error)) {
            error = path + ": " + error;
            return false;
        }
        loaded.family = document.family;
        loaded.record = document.values;
    }
    file = std::move(loaded);
    return true;
}

bool SaveSettings(const std::string& path, const SettingsDocument& document, std::string& error) {
    if (operations::IsStatusFileName(path)) {
        return operations::WriteStatusFile(path, document.values, error);
    }
    return platform::WriteFileWhole(path, SettingsJson(document), error);
}

}  // namespace corvane::service

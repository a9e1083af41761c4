#include "operations/StatusFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

namespace corvane::operations {

namespace {

constexpr std::size_t kFieldCount = kStatusFileSize / 4;

// The fields in file order.
std::array<int, kFieldCount> Fields(const StatusRecord& record) {
    std::array<int, kFieldCount> fields{};
    std::size_t at = 0;
    for (const auto* page : {&record.switchPage1, &record.switchPage2, &record.switchPage5}) {
        for (int pin = 1; pin <= 8; ++pin) {
            fields[at++] = (*page)[static_cast<std::size_t>(pin)];
        }
    }
    // Parity comes after flow control and the paper width last, unlike the lists on screen.
    for (int value :
         {record.baudIndex, record.dataBitsIndex, record.flowControlIndex, record.parityIndex,
          record.paperWidthIndex, record.usePowerSave, record.powerSaveSeconds}) {
        fields[at++] = value;
    }
    return fields;
}

std::string Reason(int errnoValue) {
    return errnoValue != 0 ? std::strerror(errnoValue) : "input/output error";
}

}  // namespace

StatusRecord RecordForModel(protocol::PrinterModel model, StatusRecord record) {
    if (model == protocol::PrinterModel::Krt620) {
        record.switchPage2 = {};
        record.baudIndex = record.dataBitsIndex = record.flowControlIndex = record.parityIndex =
            record.paperWidthIndex = -1;
    } else {
        record.switchPage5 = {};
    }
    record.switchPage1[0] = record.switchPage2[0] = record.switchPage5[0] = 0;
    return record;
}

std::array<std::uint8_t, kStatusFileSize> EncodeStatusRecord(const StatusRecord& record) {
    std::array<std::uint8_t, kStatusFileSize> bytes{};
    auto fields = Fields(record);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto value = static_cast<std::uint32_t>(fields[i]);
        for (std::size_t b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<std::uint8_t>(value >> (8 * b));
        }
    }
    return bytes;
}

StatusRecord DecodeStatusRecord(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, kStatusFileSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    std::array<int, kFieldCount> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b) {
            value |= static_cast<std::uint32_t>(padded[i * 4 + b]) << (8 * b);
        }
        fields[i] = static_cast<int>(static_cast<std::int32_t>(value));
    }
    StatusRecord record;
    std::size_t at = 0;
    for (auto* page : {&record.switchPage1, &record.switchPage2, &record.switchPage5}) {
        for (int pin = 1; pin <= 8; ++pin) {
            (*page)[static_cast<std::size_t>(pin)] = fields[at++];
        }
    }
    for (int* value :
         {&record.baudIndex, &record.dataBitsIndex, &record.flowControlIndex, &record.parityIndex,
          &record.paperWidthIndex, &record.usePowerSave, &record.powerSaveSeconds}) {
        *value = fields[at++];
    }
    return record;
}

bool IsStatusFileName(const std::string& path) {
    constexpr std::string_view kExtension = "sts";
    std::string_view name = path;
    return name.size() >= kExtension.size() &&
           name.substr(name.size() - kExtension.size()) == kExtension;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::random_device random;
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp" +
                                                       std::to_string(random() % 1000000));
    errno = 0;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "can't create " + temporary.string() + ": " + Reason(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            int reason = errno;
            out.close();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            error = "can't write " + path + ": " + Reason(reason);
            return false;
        }
    }
    std::error_code renamed;
    fs::rename(temporary, target, renamed);
    if (renamed) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "can't replace " + path + ": " + renamed.message();
        return false;
    }
    return true;
}

bool WriteStatusFile(const std::string& path, const StatusRecord& record, std::string& error) {
    const auto bytes = EncodeStatusRecord(record);
    return WriteFileAtomically(path, bytes, error);
}

bool ReadStatusFile(const std::string& path, StatusRecord& record, std::string& error) {
    std::error_code kind;
    if (std::filesystem::is_directory(path, kind)) {
        error = "can't read " + path + ": " + Reason(EISDIR);
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "can't open " + path + ": " + Reason(errno);
        return false;
    }
    std::vector<std::uint8_t> bytes(kStatusFileSize, 0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (in.fail() && !in.eof())) {
        error = "can't read " + path + ": " + Reason(errno);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    record = DecodeStatusRecord(bytes);
    return true;
}

}  // namespace corvane::operations

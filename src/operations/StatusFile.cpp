#include "operations/StatusFile.h"

#include <algorithm>

#include "platform/CarefulFile.h"

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

bool WriteStatusFile(const std::string& path, const StatusRecord& record, std::string& error) {
    return platform::WriteFileWhole(path, EncodeStatusRecord(record), error);
}

bool ReadStatusFile(const std::string& path, StatusRecord& record, std::string& error) {
    // A longer file is read as far as the record goes, as the window always read it.
    platform::FileRead read =
        platform::ReadRegularFile(path, kStatusFileSize, platform::Oversize::ReadStart);
    if (!read.ok) {
        error = read.error;
        return false;
    }
    record = DecodeStatusRecord(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(read.content.data()), read.content.size()));
    return true;
}

}  // namespace corvane::operations

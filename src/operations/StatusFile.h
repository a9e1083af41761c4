#pragma once

// Status files (".sts"): one record of 31 signed 32-bit little-endian numbers, 124 bytes, with
// no header. They keep a manager's switch selections and list positions so that the next
// printer can be set up the same way; files of this program and of the program it replaces load
// in each other.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/PrinterModel.h"

namespace corvane::operations {

inline constexpr std::size_t kStatusFileSize = 124;

// The record's fields. Pins hold 0 "No Change", 1 on, 2 off (element 0 is no pin and is not
// stored); the list positions count "No Change" as 0 and -1 as no selection. Values are kept
// as they come, also outside those ranges.
struct StatusRecord {
    std::array<int, 9> switchPage1{};
    std::array<int, 9> switchPage2{};
    std::array<int, 9> switchPage5{};
    int baudIndex = 0;
    int dataBitsIndex = 0;
    int flowControlIndex = 0;
    int parityIndex = 0;
    int paperWidthIndex = 0;
    int usePowerSave = 0;
    int powerSaveSeconds = 0;

    bool operator==(const StatusRecord&) const = default;
};

// The record a manager of this family stores: the KRT-310 family keeps no switch page 5, the
// KRT-620 no switch page 2 and none of the five lists (stored as -1).
StatusRecord RecordForModel(protocol::PrinterModel model, StatusRecord record);

std::array<std::uint8_t, kStatusFileSize> EncodeStatusRecord(const StatusRecord& record);
// A shorter file reads as if it ended in zeros; bytes past the record are ignored.
StatusRecord DecodeStatusRecord(std::span<const std::uint8_t> bytes);

// Whether a file name ends in "sts", the only status files Load takes (letter case counts, and
// only the last three characters).
bool IsStatusFileName(const std::string& path);

// Writes the record whole or not at all (platform/CarefulFile.h), so that a failure never leaves
// a cut or empty file where a good one was. False with the reason.
bool WriteStatusFile(const std::string& path, const StatusRecord& record, std::string& error);
// Reads a record from the first 124 bytes of a file; false with the reason when the file cannot
// be opened or read, or is no plain file (a FIFO or a device is refused without waiting on it).
bool ReadStatusFile(const std::string& path, StatusRecord& record, std::string& error);

}  // namespace corvane::operations

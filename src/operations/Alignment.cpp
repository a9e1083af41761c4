#include "operations/Alignment.h"

#include <algorithm>
#include <string>

namespace corvane::operations {

namespace {

constexpr std::array<std::uint8_t, 7> kPatternPrintRequest = {0x1B, 0x40, 0x1B, 0x78,
                                                              0x01, 0x01, 0x00};
constexpr std::array<std::uint8_t, 7> kVerifyPrintRequest = {0x1B, 0x40, 0x1B, 0x78,
                                                             0x01, 0x03, 0x00};
constexpr std::array<std::uint8_t, 4> kCut = {0x1D, 0x56, 0x42, 0x00};
// The printer needs a moment to store one row before it takes the next.
constexpr std::uint32_t kRowStorePauseMs = 50;

template <std::size_t N>
bool Send(link::PrinterPort& port, const std::array<std::uint8_t, N>& bytes) {
    return port.Write(bytes);
}

void ReportWriteError(platform::Reporter& reporter) {
    reporter.Message(platform::Severity::Warning, std::string(kWriteErrorMessage));
}

}  // namespace

bool PrintAlignment(link::PrinterPort& port, AlignmentPrint print, platform::Reporter& reporter) {
    const auto& request =
        print == AlignmentPrint::Pattern ? kPatternPrintRequest : kVerifyPrintRequest;
    if (!Send(port, request) || !Send(port, kCut)) {
        ReportWriteError(reporter);
        return false;
    }
    return true;
}

AlignmentStore StoreAlignmentOffsets(link::PrinterPort& port, const AlignmentOffsets& offsets,
                                     platform::Reporter& reporter) {
    if (std::any_of(offsets.begin(), offsets.end(), [](int offset) {
            return offset < kLowestAlignmentOffset || offset > kHighestAlignmentOffset;
        })) {
        return AlignmentStore::InvalidOffset;
    }
    for (int row = 0; row < kAlignmentRows; ++row) {
        if (row > 0) {
            port.Sleep(kRowStorePauseMs);
        }
        // ESC x 1 2 r v: row 1 to 4, and the offset as 1 ("-3") to 7 ("3").
        const int offset = offsets[static_cast<std::size_t>(row)];
        const std::array<std::uint8_t, 6> store = {
            0x1B,
            0x78,
            0x01,
            0x02,
            static_cast<std::uint8_t>(row + 1),
            static_cast<std::uint8_t>(offset - kLowestAlignmentOffset + 1)};
        if (!Send(port, store)) {
            ReportWriteError(reporter);
            return AlignmentStore::WriteFailed;
        }
    }
    reporter.Message(platform::Severity::Information, std::string(kSaveSuccessMessage));
    return AlignmentStore::Stored;
}

}  // namespace corvane::operations

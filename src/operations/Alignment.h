#pragma once

// The KRT-620's vertical alignment: it prints a pattern of four rows, [A] to [D], each in seven
// offsets from -3 to 3; the offset that lines up best in each row is stored in the printer, and
// a verification pattern shows the result. The printer answers none of these commands.

#include <array>
#include <string_view>

#include "link/PrinterPort.h"
#include "platform/Reporter.h"

namespace corvane::operations {

inline constexpr int kAlignmentRows = 4;
inline constexpr int kLowestAlignmentOffset = -3;
inline constexpr int kHighestAlignmentOffset = 3;

// The offset of rows [A] to [D].
using AlignmentOffsets = std::array<int, kAlignmentRows>;

enum class AlignmentPrint { Pattern, Verification };

inline constexpr std::string_view kWriteErrorMessage = "Write Error!!";
inline constexpr std::string_view kSaveSuccessMessage = "Save Setting Success!!";
// Only the KRT-620 keeps alignment offsets.
inline constexpr std::string_view kAlignmentNotSupportedMessage =
    "This printer can't not use the vertical alignment tool.";

// Prints the pattern or the verification pattern and cuts the paper; the cut is sent only when
// the print request went out. A failed write is reported; success is not.
bool PrintAlignment(link::PrinterPort& port, AlignmentPrint print, platform::Reporter& reporter);

enum class AlignmentStore { Stored, InvalidOffset, WriteFailed };

// Stores the four offsets, row by row with a pause between rows, and reports the outcome. A
// failed row ends the store; the rows before it stay stored in the printer. Offsets outside -3
// to 3 are refused before anything is sent.
AlignmentStore StoreAlignmentOffsets(link::PrinterPort& port, const AlignmentOffsets& offsets,
                                     platform::Reporter& reporter);

}  // namespace corvane::operations

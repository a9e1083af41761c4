#pragma once

// The default code pages the manager offers, per printer family, with the code page number the
// printer stores for each in its code page switch. One table (the product's) serves both ways:
// from a list entry to the number that is written, and from the number read back to the entry
// shown.

#include <optional>
#include <span>
#include <string_view>

#include "product/CodePages.h"
#include "protocol/PrinterModel.h"

namespace corvane::operations {

using product::CodePageEntry;

// The code pages of a family in list order; the list shows "No Change" before them, so the
// entry at position p has list index p + 1.
std::span<const CodePageEntry> CodePageValue(protocol::PrinterModel model);

// The number of the list entry with this index; nothing for "No Change" and past the end.
std::optional<int> CodePageNumber(protocol::PrinterModel model, int listIndex);
// The position of the entry that carries this number; nothing when no entry does.
std::optional<int> CodePagePosition(protocol::PrinterModel model, int number);

}  // namespace corvane::operations

#include "operations/CodePages.h"

#include <algorithm>

namespace corvane::operations {

std::span<const CodePageEntry> CodePageValue(protocol::PrinterModel model) {
    return product::CodePages(model);
}

std::optional<int> CodePageNumber(protocol::PrinterModel model, int listIndex) {
    auto table = CodePageValue(model);
    if (listIndex < 1 || static_cast<std::size_t>(listIndex) > table.size()) {
        return std::nullopt;
    }
    return table[static_cast<std::size_t>(listIndex - 1)].number;
}

std::optional<int> CodePagePosition(protocol::PrinterModel model, int number) {
    auto table = CodePageValue(model);
    auto it = std::find_if(table.begin(), table.end(),
                           [number](const CodePageEntry& entry) { return entry.number == number; });
    if (it == table.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - table.begin());
}

}  // namespace corvane::operations

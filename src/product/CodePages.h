#pragma once

// The default code pages the manager offers, per printer family, in the order of its list (after
// "No Change"), with the code page number the printer stores for each in its code page switch.

#include <span>
#include <string_view>

#include "product/Models.h"

namespace corvane::product {

struct CodePageEntry {
    std::string_view name;
    int number;
};

std::span<const CodePageEntry> CodePages(PrinterModel family);

}  // namespace corvane::product

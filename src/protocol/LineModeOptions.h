#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "product/LineModeSettings.h"

namespace corvane::protocol {

// The settings that the line-mode switch commands can change.
using product::LineModeSetting;

// One setting: the field of a switch word it changes, and the field's value for each choice.
// A choice is a position in the setting's list of values, as the printer's manual lists them.
struct LineModeOption {
    LineModeSetting setting;
    std::string_view name;                  // as the printer's manual names it
    int word;                               // switch word 1 to 9
    std::uint16_t clearMask;                // every bit of the field
    std::span<const std::uint16_t> values;  // the field's value by choice

    bool HasChoice(int choice) const {
        return choice >= 0 && static_cast<std::size_t>(choice) < values.size();
    }
};

// A code page the code page dialog offers: its list text (the product's) and its value in switch
// word 1.
struct LineModeCodePage {
    std::string_view text;
    std::uint16_t value;
};

// The option tables of the two printer families, in the order their fields are applied.
class LineModeOptions {
public:
    // The fourteen settings of a KRT-310 family printer.
    static std::span<const LineModeOption> MemorySwitchOptions();
    // The default code page and the CR/LF handling of a KRT-620.
    static std::span<const LineModeOption> CodePageOptions();
    static const LineModeOption& CodePageSetOption() { return CodePageOptions()[0]; }
    static const LineModeOption& CrLfSetOption() { return CodePageOptions()[1]; }
    // The twenty code pages, in list order.
    static std::span<const LineModeCodePage> CodePages();
    // The option of a setting, or null.
    static const LineModeOption* Find(LineModeSetting setting);
};

}  // namespace corvane::protocol

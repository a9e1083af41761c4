#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace corvane::protocol {

// One setting of a line-mode dialog: the check box that picks it, the control or radio pair
// that chooses its value, and the field of a switch word it changes.
struct LineModeOption {
    std::string_view name;    // the check box caption
    int checkBoxId;           // the option's check box
    int choiceId;             // its combo box, or the first radio of its pair
    int secondRadioId;        // the second radio of its pair; kNoSecondRadio for a combo box
    int word;                 // switch word 1 to 9
    std::uint16_t clearMask;  // every bit of the field
    std::span<const std::uint16_t> values;  // the field's value by choice index

    static constexpr int kNoSecondRadio = 0;
    bool IsRadioPair() const { return secondRadioId != kNoSecondRadio; }
};

// A code page the code page dialog offers: its list text and its value in switch word 1.
struct LineModeCodePage {
    std::string_view text;
    std::uint16_t value;
};

// The option tables of the two line-mode switch dialogs, in the order their fields are applied.
class LineModeOptions {
public:
    // The fourteen options of the memory switch dialog.
    static std::span<const LineModeOption> MemorySwitchOptions();
    // "Code Page Set" and "[CR] [LF] Command Set" of the code page and CR/LF dialog.
    static std::span<const LineModeOption> CodePageOptions();
    static const LineModeOption& CodePageSetOption() { return CodePageOptions()[0]; }
    static const LineModeOption& CrLfSetOption() { return CodePageOptions()[1]; }
    // The twenty code pages, in list order.
    static std::span<const LineModeCodePage> CodePages();
    // The option whose check box has the id, or null.
    static const LineModeOption* FindMemorySwitchOption(int checkBoxId);
};

}  // namespace corvane::protocol

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/DialogTemplate.h"

namespace corvane::ui::win32 {

// How one control of a template becomes a Windows control: its window class, styles and text.
struct ControlBlueprint {
    std::wstring windowClass;  // "Button", "Static", "Edit", "ListBox", "ComboBox", ...
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::wstring text;
};

ControlBlueprint BlueprintOf(const resources::DialogTemplate& dialogTemplate, std::size_t index);

// The template as an extended Windows dialog template in memory, ready for
// CreateDialogIndirectParam: the window and every control at its rectangle in dialog units, in
// the template's (and tab) order. The buffer is aligned as the call needs it.
std::vector<std::uint16_t> BuildWindowTemplate(const resources::DialogTemplate& dialogTemplate);

// A caption as a button shows it: an ampersand stands for itself, not for a shortcut key.
std::wstring LiteralCaption(const std::string& caption);

}  // namespace corvane::ui::win32

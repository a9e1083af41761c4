#pragma once

#include <string>
#include <vector>

#include "operations/LineMode.h"
#include "protocol/LineModeOptions.h"

namespace corvane::cli {

// A line-mode setting as its window offers it: its name and the texts of its choices, in the
// order of its list or radio pair.
struct LineModeSettingTexts {
    protocol::LineModeSetting setting;
    std::string name;
    std::vector<std::string> choices;
};

// The fourteen settings of the KRT-310 family's window, then the KRT-620's two.
std::vector<LineModeSettingTexts> LineModeSettings();

// Reads "SETTING=CHOICE" (the window's texts in any letter case, or the choice's position from
// 0); false with a message naming the settings or the choices allowed.
bool ParseLineModeChoice(const std::string& text, operations::LineModeChoice& choice,
                         std::string& error);

// Whether a setting belongs to the KRT-620's window rather than the KRT-310 family's.
bool IsKrt620LineModeSetting(protocol::LineModeSetting setting);

}  // namespace corvane::cli

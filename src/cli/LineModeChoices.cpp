#include "cli/LineModeChoices.h"

#include <algorithm>
#include <charconv>

#include "base/Text.h"
#include "product/LineModeSettings.h"

namespace corvane::cli {

namespace {

using protocol::LineModeSetting;

std::string Listed(const std::vector<std::string>& texts) {
    std::string listed;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        listed += (i == 0 ? "" : ", ") + std::to_string(i) + " \"" + texts[i] + "\"";
    }
    return listed;
}

}  // namespace

std::vector<LineModeSettingTexts> LineModeSettings() {
    std::vector<LineModeSettingTexts> settings;
    for (const product::LineModeSettingTexts& texts : product::kLineModeSettings) {
        settings.push_back(
            {texts.setting, std::string(texts.name), {texts.choices.begin(), texts.choices.end()}});
    }
    return settings;
}

bool IsKrt620LineModeSetting(LineModeSetting setting) {
    return product::LineModeTexts(setting).family == product::PrinterModel::Krt620;
}

bool ParseLineModeChoice(const std::string& text, operations::LineModeChoice& choice,
                         std::string& error) {
    auto settings = LineModeSettings();
    auto equals = text.find('=');
    const std::string name = text.substr(0, equals);
    auto setting = std::find_if(settings.begin(), settings.end(), [&](const auto& s) {
        return base::EqualsIgnoringCase(s.name, name);
    });
    if (setting == settings.end()) {
        std::string names;
        for (const auto& s : settings) {
            names += (names.empty() ? "\"" : ", \"") + s.name + "\"";
        }
        error = "\"" + text.substr(0, equals) + "\" is no line-mode setting; the settings are " +
                names + ".";
        return false;
    }
    std::string wanted = equals == std::string::npos ? std::string() : text.substr(equals + 1);
    int index = -1;
    auto [end, ec] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
    bool number = ec == std::errc() && end == wanted.data() + wanted.size() && !wanted.empty();
    if (!number) {
        auto it = std::find_if(setting->choices.begin(), setting->choices.end(),
                               [&](const auto& c) { return base::EqualsIgnoringCase(c, wanted); });
        index = it == setting->choices.end() ? -1 : static_cast<int>(it - setting->choices.begin());
    }
    if (index < 0 || index >= static_cast<int>(setting->choices.size())) {
        error = setting->name + ": \"" + wanted +
                "\" is not offered; allowed: " + Listed(setting->choices) + ".";
        return false;
    }
    choice = {setting->setting, index};
    return true;
}

}  // namespace corvane::cli

#include "cli/LineModeChoices.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "resources/DialogTemplate.h"
#include "resources/Template143Ids.h"
#include "resources/Template160Ids.h"

namespace corvane::cli {

namespace {

using protocol::LineModeSetting;
namespace ids143 = resources::template143;
namespace ids160 = resources::template160;

// Where a setting's choices are in its window: a list, or the two radios of a pair.
struct ChoiceControls {
    LineModeSetting setting;
    int templateId;
    int list;
    int secondRadio = 0;
};

constexpr ChoiceControls kControls[] = {
    {LineModeSetting::RedAndBlackCommands, ids143::kTemplateId, ids143::kRedAndBlackList},
    {LineModeSetting::CountrySpecification, ids143::kTemplateId,
     ids143::kCountrySpecificationFirstRadio, ids143::kCountrySpecificationSecondRadio},
    {LineModeSetting::FfCommandFunction, ids143::kTemplateId, ids143::kFfCommandFirstRadio,
     ids143::kFfCommandSecondRadio},
    {LineModeSetting::ZeroStyle, ids143::kTemplateId, ids143::kZeroStyleFirstRadio,
     ids143::kZeroStyleSecondRadio},
    {LineModeSetting::InternationalCharacters, ids143::kTemplateId,
     ids143::kInternationalCharactersList},
    {LineModeSetting::HowToRecoverToPrint, ids143::kTemplateId, ids143::kHowToRecoverFirstRadio,
     ids143::kHowToRecoverSecondRadio},
    {LineModeSetting::PaperWidth, ids143::kTemplateId, ids143::kPaperWidthList},
    {LineModeSetting::ContextualAutoCut, ids143::kTemplateId, ids143::kAutoCutFirstRadio,
     ids143::kAutoCutSecondRadio},
    {LineModeSetting::NearEndSwitch, ids143::kTemplateId, ids143::kNearEndSwitchList},
    {LineModeSetting::CharacterTable, ids143::kTemplateId, ids143::kCharacterTableList},
    {LineModeSetting::CrCommandFunction, ids143::kTemplateId, ids143::kCrCommandList},
    {LineModeSetting::AutomaticStatus, ids143::kTemplateId, ids143::kAutomaticStatusFirstRadio,
     ids143::kAutomaticStatusSecondRadio},
    {LineModeSetting::EscRsCommand, ids143::kTemplateId, ids143::kEscRsFirstRadio,
     ids143::kEscRsSecondRadio},
    {LineModeSetting::DataReceptionError, ids143::kTemplateId,
     ids143::kDataReceptionErrorFirstRadio, ids143::kDataReceptionErrorSecondRadio},
    {LineModeSetting::CodePage, ids160::kTemplateId, ids160::kCodePageList},
    {LineModeSetting::CrLfCommands, ids160::kTemplateId, ids160::kCrLfList},
};

std::vector<std::string> ChoiceTexts(const ChoiceControls& controls) {
    const resources::DialogTemplate* window = resources::FindTemplate(controls.templateId);
    if (window == nullptr) {
        return {};
    }
    const resources::ControlTemplate* first = window->Find(controls.list);
    if (first == nullptr) {
        return {};
    }
    if (controls.secondRadio == 0) {
        return first->items;
    }
    const resources::ControlTemplate* second = window->Find(controls.secondRadio);
    return {first->caption, second == nullptr ? std::string() : second->caption};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

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
    for (const ChoiceControls& controls : kControls) {
        const protocol::LineModeOption* option = protocol::LineModeOptions::Find(controls.setting);
        settings.push_back({controls.setting, option == nullptr ? "" : std::string(option->name),
                            ChoiceTexts(controls)});
    }
    return settings;
}

bool IsKrt620LineModeSetting(LineModeSetting setting) {
    return setting == LineModeSetting::CodePage || setting == LineModeSetting::CrLfCommands;
}

bool ParseLineModeChoice(const std::string& text, operations::LineModeChoice& choice,
                         std::string& error) {
    auto settings = LineModeSettings();
    auto equals = text.find('=');
    std::string name = Lower(text.substr(0, equals));
    auto setting = std::find_if(settings.begin(), settings.end(),
                                [&](const auto& s) { return Lower(s.name) == name; });
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
                               [&](const auto& c) { return Lower(c) == Lower(wanted); });
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

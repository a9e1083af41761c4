#pragma once

// The settings that printers in the "Other" emulation take with line-mode commands, with their
// names and the texts of their choices as the line-mode windows show them, in the order of each
// setting's list or radio pair.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "product/Models.h"

namespace corvane::product {

enum class LineModeSetting {
    RedAndBlackCommands,
    CountrySpecification,
    FfCommandFunction,
    ZeroStyle,
    InternationalCharacters,
    HowToRecoverToPrint,
    PaperWidth,
    ContextualAutoCut,
    NearEndSwitch,
    CharacterTable,
    CrCommandFunction,
    AutomaticStatus,
    EscRsCommand,
    DataReceptionError,
    CodePage,
    CrLfCommands,
};

struct LineModeSettingTexts {
    LineModeSetting setting;
    PrinterModel family;    // whose line-mode window offers it
    std::string_view name;  // as the printer's manual and the window's check box name it
    std::span<const std::string_view> choices;
};

inline constexpr std::array<std::string_view, 4> kRedAndBlackChoices = {
    "White/Black inverted printing", "White/Black inversion(7x9 font print)+enhancing",
    "Upper line+Underline+Enhancing", "Upper line+Underline+Double tall expanded+Enhancing"};
inline constexpr std::array<std::string_view, 2> kCountrySpecificationChoices = {
    "Standard Specification", "Chinese Characters"};
inline constexpr std::array<std::string_view, 2> kFfCommandChoices = {"Executes a form feed",
                                                                      "Feed and partial cut"};
inline constexpr std::array<std::string_view, 2> kZeroStyleChoices = {"Normal", "Slash zero"};
inline constexpr std::array<std::string_view, 11> kInternationalCharactersChoices = {
    "U.S.A", "France", "Germany", "U.K",    "Denmark1", "Sweden",
    "Italy", "Spain1", "Japan",   "Norway", "Denmark2"};
inline constexpr std::array<std::string_view, 2> kHowToRecoverChoices = {"Press FEED",
                                                                         "Auto-recover"};
inline constexpr std::array<std::string_view, 4> kLineModePaperWidthChoices = {
    "76mm(400 half dots)", "57.5mm(300 half dots)", "76mm(385 half dots)", "57.5mm(297 half dots)"};
inline constexpr std::array<std::string_view, 2> kDisableEnableChoices = {"Disable", "Enable"};
inline constexpr std::array<std::string_view, 3> kNearEndSwitchChoices = {
    "Disable", "Enable (on-line)", "Enable (off-line)"};
inline constexpr std::array<std::string_view, 25> kCharacterTableChoices = {
    "PC437",
    "Katakana",
    "PC850(Multilingual)",
    "PC860(Portuguese)",
    "PC863(Canadian-French)",
    "PC865(Nordic)",
    "WPC1252(Latin2)",
    "PC866(Russian)",
    "PC852(Latin2)",
    "PC858(Euro)",
    "PC862(Israel)",
    "PC864(Arabic)",
    "Thai character code 42",
    "WPC1253(Greek)",
    "WPC1254(Turkish)",
    "WPC1257(Baltic)",
    "Farsi - only font B",
    "WPC1251(Russian)",
    "PC737(Greek)",
    "PC775(Baltic)",
    "Thai character code 16",
    "Old code(Israel)",
    "WPC1255(Israel)",
    "Thai character code 11",
    "Thai character code 18"};
inline constexpr std::array<std::string_view, 3> kCrCommandChoices = {
    "Ignore", "Print and linefeed", "Print"};
inline constexpr std::array<std::string_view, 2> kEscRsChoices = {"Only setting",
                                                                  "Auto-status sent only once"};
inline constexpr std::array<std::string_view, 2> kDataReceptionErrorChoices = {"Prints \"?\"",
                                                                               "Ignored"};
// The KRT-620's default code pages in the "Other" emulation.
inline constexpr std::array<std::string_view, 20> kLineModeCodePageChoices = {
    "437(USA)",         "850(Multiligual)",
    "860(Portuguese)",  "863(Canadian-French)",
    "865(Nordic)",      "1252(Latin I)",
    "866(Cyrillic #2)", "852(Latin 2)",
    "858(Euro)",        "862(Hebrew Dos Code)",
    "864(Arabic)",      "Thai 42",
    "1253(Greek)",      "1257(Baltic)",
    "1098(Iran)",       "737(Greek)",
    "Thai 14",          "Thai 11",
    "Thai 18",          "928(Greek)"};
inline constexpr std::array<std::string_view, 6> kCrLfChoices = {
    "[CR] : Ignore, [LF] : CR+LF", "[CR] : CR, [LF] : LF",    "[CR] : CR+LF, [LF] : Ignore",
    "[CR] : CR+LF, [LF] : LF",     "[CR] : CR, [LF] : CR+LF", "[CR] : CR+LF, [LF] : CR+LF"};

// The fourteen settings of the KRT-310 family's window, then the KRT-620's two, in the order of
// LineModeSetting.
inline constexpr std::array<LineModeSettingTexts, 16> kLineModeSettings = {{
    {LineModeSetting::RedAndBlackCommands, PrinterModel::Krt310Family, "Red and Black Commands",
     kRedAndBlackChoices},
    {LineModeSetting::CountrySpecification, PrinterModel::Krt310Family, "Country Specification",
     kCountrySpecificationChoices},
    {LineModeSetting::FfCommandFunction, PrinterModel::Krt310Family, "[FF] Command Function",
     kFfCommandChoices},
    {LineModeSetting::ZeroStyle, PrinterModel::Krt310Family, "Zero Style", kZeroStyleChoices},
    {LineModeSetting::InternationalCharacters, PrinterModel::Krt310Family,
     "International Characters", kInternationalCharactersChoices},
    {LineModeSetting::HowToRecoverToPrint, PrinterModel::Krt310Family, "How to recover to print",
     kHowToRecoverChoices},
    {LineModeSetting::PaperWidth, PrinterModel::Krt310Family, "Paper width",
     kLineModePaperWidthChoices},
    {LineModeSetting::ContextualAutoCut, PrinterModel::Krt310Family, "Contextual Auto-cut Function",
     kDisableEnableChoices},
    {LineModeSetting::NearEndSwitch, PrinterModel::Krt310Family, "Near end switch Function",
     kNearEndSwitchChoices},
    {LineModeSetting::CharacterTable, PrinterModel::Krt310Family, "Character Table",
     kCharacterTableChoices},
    {LineModeSetting::CrCommandFunction, PrinterModel::Krt310Family, "[CR] Command Function",
     kCrCommandChoices},
    {LineModeSetting::AutomaticStatus, PrinterModel::Krt310Family, "Automatic Status Function",
     kDisableEnableChoices},
    {LineModeSetting::EscRsCommand, PrinterModel::Krt310Family, "[ESC] [RS] a n Command",
     kEscRsChoices},
    {LineModeSetting::DataReceptionError, PrinterModel::Krt310Family,
     "Data reception error (serial)", kDataReceptionErrorChoices},
    {LineModeSetting::CodePage, PrinterModel::Krt620, "Code Page Set", kLineModeCodePageChoices},
    {LineModeSetting::CrLfCommands, PrinterModel::Krt620, "[CR] [LF] Command Set", kCrLfChoices},
}};

static_assert([] {
    for (std::size_t i = 0; i < kLineModeSettings.size(); ++i) {
        if (static_cast<std::size_t>(kLineModeSettings[i].setting) != i) {
            return false;
        }
    }
    return true;
}());

constexpr const LineModeSettingTexts& LineModeTexts(LineModeSetting setting) {
    return kLineModeSettings[static_cast<std::size_t>(setting)];
}

}  // namespace corvane::product

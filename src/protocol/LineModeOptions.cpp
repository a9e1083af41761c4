#include "protocol/LineModeOptions.h"

#include <array>

namespace corvane::protocol {

namespace {

using enum LineModeSetting;

constexpr std::array<std::uint16_t, 4> kQuarterSteps = {0x0000, 0x0400, 0x0800, 0x0C00};
constexpr std::array<std::uint16_t, 2> kOffOr0010 = {0x0000, 0x0010};
constexpr std::array<std::uint16_t, 2> kOffOr0004 = {0x0000, 0x0004};
constexpr std::array<std::uint16_t, 11> kInternational = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A};
constexpr std::array<std::uint16_t, 2> kOffOr4000 = {0x0000, 0x4000};
constexpr std::array<std::uint16_t, 2> kOffOr0008 = {0x0000, 0x0008};
constexpr std::array<std::uint16_t, 3> kNearEnd = {0x0000, 0x0002, 0x0003};
constexpr std::array<std::uint16_t, 3> kCrFunction = {0x0000, 0x0002, 0x0003};
constexpr std::array<std::uint16_t, 2> kOffOr0100 = {0x0000, 0x0100};
constexpr std::array<std::uint16_t, 2> kOffOr0001 = {0x0000, 0x0001};
constexpr std::array<std::uint16_t, 6> kCrLf = {0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005};

// The character table number goes into the high byte of word 4.
constexpr std::array<std::uint16_t, 25> MakeCharacterTables() {
    std::array<std::uint16_t, 25> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint16_t>(i * 0x0100);
    }
    return values;
}
constexpr std::array<std::uint16_t, 25> kCharacterTables = MakeCharacterTables();

constexpr std::array<LineModeCodePage, 20> kCodePages = {{
    {"437(USA)", 0x0000},         {"850(Multiligual)", 0x0002},
    {"860(Portuguese)", 0x0003},  {"863(Canadian-French)", 0x0004},
    {"865(Nordic)", 0x0005},      {"1252(Latin I)", 0x0010},
    {"866(Cyrillic #2)", 0x0011}, {"852(Latin 2)", 0x0012},
    {"858(Euro)", 0x0013},        {"862(Hebrew Dos Code)", 0x0015},
    {"864(Arabic)", 0x0016},      {"Thai 42", 0x0017},
    {"1253(Greek)", 0x0018},      {"1257(Baltic)", 0x001A},
    {"1098(Iran)", 0x001B},       {"737(Greek)", 0x001D},
    {"Thai 14", 0x001F},          {"Thai 11", 0x0022},
    {"Thai 18", 0x0023},          {"928(Greek)", 0x0026},
}};

constexpr std::array<std::uint16_t, 20> MakeCodePageValues() {
    std::array<std::uint16_t, 20> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = kCodePages[i].value;
    }
    return values;
}
constexpr std::array<std::uint16_t, 20> kCodePageValues = MakeCodePageValues();

const std::array<LineModeOption, 14> kMemorySwitchOptions = {{
    {RedAndBlackCommands, "Red and Black Commands", 1, 0x0C00, kQuarterSteps},
    {CountrySpecification, "Country Specification", 1, 0x0010, kOffOr0010},
    {FfCommandFunction, "[FF] Command Function", 1, 0x000C, kOffOr0004},
    {ZeroStyle, "Zero Style", 2, 0x0010, kOffOr0010},
    {InternationalCharacters, "International Characters", 2, 0x000F, kInternational},
    {HowToRecoverToPrint, "How to recover to print", 3, 0x4000, kOffOr4000},
    {PaperWidth, "Paper width", 3, 0x0C00, kQuarterSteps},
    {ContextualAutoCut, "Contextual Auto-cut Function", 3, 0x0008, kOffOr0008},
    {NearEndSwitch, "Near end switch Function", 3, 0x0003, kNearEnd},
    {CharacterTable, "Character Table", 4, 0x1F00, kCharacterTables},
    {CrCommandFunction, "[CR] Command Function", 4, 0x0003, kCrFunction},
    {AutomaticStatus, "Automatic Status Function", 5, 0x0100, kOffOr0100},
    {EscRsCommand, "[ESC] [RS] a n Command", 5, 0x0008, kOffOr0008},
    {DataReceptionError, "Data reception error (serial)", 5, 0x0001, kOffOr0001},
}};

// Bit 0020 of word 1 belongs to the code page field too (0022, 0023 and 0026 use it), so the
// clear must cover it or a later code page without it would keep it set.
const std::array<LineModeOption, 2> kCodePageOptions = {{
    {CodePage, "Code Page Set", 1, 0x003F, kCodePageValues},
    {CrLfCommands, "[CR] [LF] Command Set", 5, 0x000F, kCrLf},
}};

}  // namespace

std::span<const LineModeOption> LineModeOptions::MemorySwitchOptions() {
    return kMemorySwitchOptions;
}

std::span<const LineModeOption> LineModeOptions::CodePageOptions() {
    return kCodePageOptions;
}

std::span<const LineModeCodePage> LineModeOptions::CodePages() {
    return kCodePages;
}

const LineModeOption* LineModeOptions::Find(LineModeSetting setting) {
    for (auto table : {MemorySwitchOptions(), CodePageOptions()}) {
        for (const LineModeOption& option : table) {
            if (option.setting == setting) {
                return &option;
            }
        }
    }
    return nullptr;
}

}  // namespace corvane::protocol

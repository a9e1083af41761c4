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

// The value of each of the product's KRT-620 code pages, in list order.
constexpr std::array<std::uint16_t, 20> kCodePageValues = {
    0x0000, 0x0002, 0x0003, 0x0004, 0x0005, 0x0010, 0x0011, 0x0012, 0x0013, 0x0015,
    0x0016, 0x0017, 0x0018, 0x001A, 0x001B, 0x001D, 0x001F, 0x0022, 0x0023, 0x0026};
static_assert(kCodePageValues.size() == product::kLineModeCodePageChoices.size());

constexpr std::array<LineModeCodePage, 20> MakeCodePages() {
    std::array<LineModeCodePage, 20> pages{};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        pages[i] = {product::kLineModeCodePageChoices[i], kCodePageValues[i]};
    }
    return pages;
}
constexpr std::array<LineModeCodePage, 20> kCodePages = MakeCodePages();

// A setting's name as the product names it.
constexpr std::string_view Name(LineModeSetting setting) {
    return product::LineModeTexts(setting).name;
}

const std::array<LineModeOption, 14> kMemorySwitchOptions = {{
    {RedAndBlackCommands, Name(RedAndBlackCommands), 1, 0x0C00, kQuarterSteps},
    {CountrySpecification, Name(CountrySpecification), 1, 0x0010, kOffOr0010},
    {FfCommandFunction, Name(FfCommandFunction), 1, 0x000C, kOffOr0004},
    {ZeroStyle, Name(ZeroStyle), 2, 0x0010, kOffOr0010},
    {InternationalCharacters, Name(InternationalCharacters), 2, 0x000F, kInternational},
    {HowToRecoverToPrint, Name(HowToRecoverToPrint), 3, 0x4000, kOffOr4000},
    {PaperWidth, Name(PaperWidth), 3, 0x0C00, kQuarterSteps},
    {ContextualAutoCut, Name(ContextualAutoCut), 3, 0x0008, kOffOr0008},
    {NearEndSwitch, Name(NearEndSwitch), 3, 0x0003, kNearEnd},
    {CharacterTable, Name(CharacterTable), 4, 0x1F00, kCharacterTables},
    {CrCommandFunction, Name(CrCommandFunction), 4, 0x0003, kCrFunction},
    {AutomaticStatus, Name(AutomaticStatus), 5, 0x0100, kOffOr0100},
    {EscRsCommand, Name(EscRsCommand), 5, 0x0008, kOffOr0008},
    {DataReceptionError, Name(DataReceptionError), 5, 0x0001, kOffOr0001},
}};

// Bit 0020 of word 1 belongs to the code page field too (0022, 0023 and 0026 use it), so the
// clear must cover it or a later code page without it would keep it set.
const std::array<LineModeOption, 2> kCodePageOptions = {{
    {CodePage, Name(CodePage), 1, 0x003F, kCodePageValues},
    {CrLfCommands, Name(CrLfCommands), 5, 0x000F, kCrLf},
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

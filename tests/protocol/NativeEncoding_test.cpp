#include "protocol/NativeEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::protocol {
namespace {

std::string AsText(const PinBlock& block) {
    return {block.begin(), block.end()};
}

SwitchPins Pins(std::initializer_list<std::pair<int, PinSetting>> set) {
    SwitchPins pins{};
    for (auto [pin, setting] : set) {
        pins[static_cast<std::size_t>(pin)] = setting;
    }
    return pins;
}

TEST(PinConversion, OnlyZeroAndOneCharactersChangeAPin) {
    struct Row {
        std::uint8_t character;
        PinSetting setting;
    };
    const Row rows[] = {{'0', kPinSwitchOff}, {'1', kPinSwitchOn},  {'2', kPinNoChange},
                        {' ', kPinNoChange},  {0x00, kPinNoChange}, {'/', kPinNoChange},
                        {0xB0, kPinNoChange}, {0xB1, kPinNoChange}, {'x', kPinNoChange}};
    for (const auto& row : rows) {
        EXPECT_EQ(PinSettingFromCharacter(row.character), row.setting)
            << "character 0x" << std::hex << int{row.character};
    }
}

TEST(PinConversion, SettingsOutsideOnAndOffKeepTheTemplateCharacter) {
    EXPECT_EQ(PinCharacter(kPinSwitchOn), '1');
    EXPECT_EQ(PinCharacter(kPinSwitchOff), '0');
    EXPECT_EQ(PinCharacter(kPinNoChange), '2');
    // A status file may carry any number; it must not turn into a pin change.
    for (PinSetting odd : {-1, 3, 7, 255, -128}) {
        EXPECT_EQ(PinCharacter(odd), '2') << odd;
        EXPECT_EQ(PinCharacter(odd, 'x'), 'x') << odd;
    }
}

TEST(PinConversion, BlockTravelsPinEightFirst) {
    SwitchPins pins = Pins({{8, kPinSwitchOn}, {1, kPinSwitchOff}, {5, 9}});
    EXPECT_EQ(AsText(BlockFromPins(pins)), "12222220");
    SwitchPins back = PinsFromBlock(BlockFromPins(pins));
    EXPECT_EQ(back, Pins({{8, kPinSwitchOn}, {1, kPinSwitchOff}}));
}

TEST(PinConversion, ReceivedTenThousandAndOneIsPinsEightAndOneOn) {
    PinBlock block = {'1', '0', '0', '0', '0', '0', '0', '1'};
    SwitchPins pins = PinsFromBlock(block);
    EXPECT_EQ(pins[0], kPinNoChange);
    EXPECT_EQ(pins[8], kPinSwitchOn);
    EXPECT_EQ(pins[1], kPinSwitchOn);
    for (int pin = 2; pin <= 7; ++pin) {
        EXPECT_EQ(pins[static_cast<std::size_t>(pin)], kPinSwitchOff) << "pin " << pin;
    }
}

TEST(PinConversion, EveryPinLeftUnchangedSendsTwos) {
    // Both families, the KRT-620's second switch included, use '2' for "No Change".
    EXPECT_EQ(AsText(BlockFromPins(SwitchPins{})), "22222222");
    EXPECT_EQ(AsText(BlockFromPins(Pins({{6, kPinSwitchOn}}))), "22122222");
}

struct CodePageRow {
    PrinterModel model;
    int number;
    const char* block;
};

TEST(CodePageBlock, WorkedExamplesPinEightFirst) {
    const CodePageRow rows[] = {
        {PrinterModel::Krt310Family, 33, "00001122"},  // "Code Page CASIO": bit 5 is pin 3.
        {PrinterModel::Krt310Family, 0, "00000022"},   // "Page PC437 - USA"
        {PrinterModel::Krt310Family, 22, "10110022"},  // "Code Page PC1255 - Israel"
        {PrinterModel::Krt310Family, 30, "11110022"},  // "Code Page PC1258 - Vietnam"
        {PrinterModel::Krt310Family, 1, "00001022"},   // bit 0 is pin 4
        {PrinterModel::Krt310Family, 16, "10000022"},  // bit 4 is pin 8
        {PrinterModel::Krt620, 38, "00100110"},        // "Code Page PC928 - Greek"
        {PrinterModel::Krt620, 0, "00000000"},        {PrinterModel::Krt620, 255, "11111111"},
        {PrinterModel::Krt620, 1, "00000001"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AsText(CodePageBlock(row.model, row.number)), row.block)
            << "model " << static_cast<int>(row.model) << " number " << row.number;
    }
}

TEST(CodePageBlock, NumbersTheFamilyCannotHoldDoNotReachOtherPins) {
    // Bit 6 has no pin on the KRT-310 family; pins 2 and 1 must stay '2'.
    EXPECT_EQ(AsText(CodePageBlock(PrinterModel::Krt310Family, 64 + 33)), "00001122");
    EXPECT_EQ(AsText(CodePageBlock(PrinterModel::Krt620, 256 + 38)), "00100110");
    EXPECT_EQ(AsText(CodePageBlock(PrinterModel::Krt310Family, -1)), "00000022");
}

TEST(CodePageBlock, NumberReadBackFromTheOnPinsOfEveryEncodableNumber) {
    for (auto model : {PrinterModel::Krt310Family, PrinterModel::Krt620}) {
        int limit = model == PrinterModel::Krt620 ? 256 : 64;
        for (int number = 0; number < limit; ++number) {
            SwitchPins pins = PinsFromBlock(CodePageBlock(model, number));
            EXPECT_EQ(CodePageNumberFromPins(model, pins), number);
        }
    }
}

TEST(CodePageBlock, OnlySwitchOnPinsAddToTheNumber) {
    // Pins 3 and 4 on, pins 5 to 8 off, pins 1 and 2 on but reserved: CASIO, 33.
    SwitchPins pins = Pins({{3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {1, 1}, {2, 1}});
    EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt310Family, pins), 33);
    // A value outside 0..2 from a status file counts as off.
    EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt620, Pins({{2, 1}, {3, 1}, {6, 1}, {7, 5}})),
              38);
}

TEST(FieldEncoding, SerialItemsAndNoChange) {
    EXPECT_EQ(SpeedText(std::nullopt), "");
    EXPECT_EQ(SpeedText(1200), "1200");
    EXPECT_EQ(SpeedText(9600), "9600");
    EXPECT_EQ(SpeedText(19200), "19200");
    // A speed the printer does not have is never sent.
    EXPECT_EQ(SpeedText(38400), "");
    EXPECT_EQ(SpeedText(0), "");
    EXPECT_EQ(ParityCharacter(std::nullopt), 0x00);
    EXPECT_EQ(ParityCharacter(Parity::None), '0');
    EXPECT_EQ(ParityCharacter(Parity::Even), '2');
    EXPECT_EQ(FlowControlCharacter(FlowControl::DtrDsr), '0');
    EXPECT_EQ(FlowControlCharacter(FlowControl::XonXoff), '1');
    EXPECT_EQ(FlowControlCharacter(std::nullopt), 0x00);
    EXPECT_EQ(DataBitsCharacter(7), '7');
    EXPECT_EQ(DataBitsCharacter(8), '8');
    EXPECT_EQ(DataBitsCharacter(9), 0x00);
    EXPECT_EQ(DataBitsCharacter(std::nullopt), 0x00);
}

TEST(FieldEncoding, PaperWidthCodes) {
    EXPECT_EQ(PaperWidthCode(PaperWidth::Mm57_5), 0x02);
    EXPECT_EQ(PaperWidthCode(PaperWidth::Mm69_5), 0x04);
    EXPECT_EQ(PaperWidthCode(PaperWidth::Mm76), 0x05);
}

TEST(FieldEncoding, ReceivedValuesAndTheUnknown) {
    EXPECT_EQ(SpeedFromText("1200"), 1200u);
    EXPECT_EQ(SpeedFromText("19200"), 19200u);
    EXPECT_EQ(SpeedFromText("38400"), std::nullopt);
    EXPECT_EQ(SpeedFromText("960"), std::nullopt);
    EXPECT_EQ(SpeedFromText("96000"), std::nullopt);
    EXPECT_EQ(SpeedFromText(""), std::nullopt);
    EXPECT_EQ(ParityFromCharacter('0'), Parity::None);
    EXPECT_EQ(ParityFromCharacter('2'), Parity::Even);
    EXPECT_EQ(ParityFromCharacter('3'), std::nullopt);
    EXPECT_EQ(FlowControlFromCharacter('1'), FlowControl::XonXoff);
    EXPECT_EQ(FlowControlFromCharacter('2'), std::nullopt);
    EXPECT_EQ(DataBitsFromCharacter('7'), 7u);
    EXPECT_EQ(DataBitsFromCharacter('8'), 8u);
    EXPECT_EQ(DataBitsFromCharacter(0x00), std::nullopt);
    EXPECT_EQ(PaperWidthFromCharacter('2'), PaperWidth::Mm57_5);
    EXPECT_EQ(PaperWidthFromCharacter('4'), PaperWidth::Mm69_5);
    EXPECT_EQ(PaperWidthFromCharacter('5'), PaperWidth::Mm76);
    EXPECT_EQ(PaperWidthFromCharacter(0x02), std::nullopt);
}

}  // namespace
}  // namespace corvane::protocol

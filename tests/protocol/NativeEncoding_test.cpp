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

TEST(FieldEncoding, SerialItemsByListPosition) {
    EXPECT_EQ(SpeedText(0), "");
    EXPECT_EQ(SpeedText(1), "1200");
    EXPECT_EQ(SpeedText(4), "9600");
    EXPECT_EQ(SpeedText(5), "19200");
    EXPECT_EQ(SpeedText(6), "");
    EXPECT_EQ(SpeedText(-1), "");
    EXPECT_EQ(ParityCharacter(0), 0x00);
    EXPECT_EQ(ParityCharacter(1), '0');
    EXPECT_EQ(ParityCharacter(3), '2');
    EXPECT_EQ(ParityCharacter(4), 0x00);
    EXPECT_EQ(FlowControlCharacter(1), '0');
    EXPECT_EQ(FlowControlCharacter(2), '1');
    EXPECT_EQ(FlowControlCharacter(3), 0x00);
    EXPECT_EQ(DataBitsCharacter(1), '7');
    EXPECT_EQ(DataBitsCharacter(2), '8');
    EXPECT_EQ(DataBitsCharacter(-1), 0x00);
}

TEST(FieldEncoding, PaperWidthCodesAndTheUnknownPosition) {
    EXPECT_EQ(PaperWidthCode(0), 0x00);
    EXPECT_EQ(PaperWidthCode(1), 0x02);
    EXPECT_EQ(PaperWidthCode(2), 0x04);
    EXPECT_EQ(PaperWidthCode(3), 0x05);
    EXPECT_EQ(PaperWidthCode(4), 0xFF);
    EXPECT_EQ(PaperWidthCode(-1), 0xFF);
}

TEST(FieldEncoding, ReceivedValuesBecomeListPositions) {
    EXPECT_EQ(BaudIndexFromText("1200"), 1);
    EXPECT_EQ(BaudIndexFromText("19200"), 5);
    EXPECT_EQ(BaudIndexFromText("38400"), 0);
    EXPECT_EQ(BaudIndexFromText("960"), 0);
    EXPECT_EQ(BaudIndexFromText("96000"), 0);
    EXPECT_EQ(BaudIndexFromText(""), 0);
    EXPECT_EQ(ParityIndexFromCharacter('0'), 1);
    EXPECT_EQ(ParityIndexFromCharacter('2'), 3);
    EXPECT_EQ(ParityIndexFromCharacter('3'), 0);
    EXPECT_EQ(FlowControlIndexFromCharacter('1'), 2);
    EXPECT_EQ(FlowControlIndexFromCharacter('2'), 0);
    EXPECT_EQ(DataBitsIndexFromCharacter('7'), 1);
    EXPECT_EQ(DataBitsIndexFromCharacter('8'), 2);
    EXPECT_EQ(DataBitsIndexFromCharacter(0x00), 0);
    EXPECT_EQ(PaperWidthIndexFromCharacter('2'), 1);
    EXPECT_EQ(PaperWidthIndexFromCharacter('4'), 2);
    EXPECT_EQ(PaperWidthIndexFromCharacter('5'), 3);
    EXPECT_EQ(PaperWidthIndexFromCharacter(0x02), 0);
}

}  // namespace
}  // namespace corvane::protocol

#include <gtest/gtest.h>

#include <string>

#include "Bytes.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

// Per model: the selector bytes of the code page switch and the second switch, and the
// switch numbers they stand for.
struct SwitchRow {
    Model model;
    std::uint8_t codePageSelector;
    int codePageSwitch;
    std::uint8_t secondSelector;
    int secondSwitch;
    std::uint8_t foreignSelector;  // the other family's encoding, which this model rejects
};

class NativeSwitches : public ::testing::TestWithParam<SwitchRow> {};

TEST_P(NativeSwitches, TransmitMemorySwitchAnswersHeaderSelectorPinsPin8FirstAndTerminator) {
    const auto& row = GetParam();
    VirtualPrinter printer(row.model);
    printer.SetSwitch(row.codePageSwitch, 0x81);  // pins 8 and 1 on
    printer.SetSwitch(row.secondSwitch, 0x0F);    // pins 4 to 1 on

    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, row.codePageSelector})),
              B({'7', row.codePageSelector}) + T("10000001") + B({0x00}));
    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, row.secondSelector})),
              B({'7', row.secondSelector}) + T("00001111") + B({0x00}));
}

TEST_P(NativeSwitches, SwitchSelectorOfTheOtherFamilyGetsNoAnswer) {
    const auto& row = GetParam();
    VirtualPrinter printer(row.model);
    EXPECT_TRUE(
        Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, row.foreignSelector})).empty());
    ASSERT_FALSE(printer.Commands().empty());
    EXPECT_NE(printer.Commands().back().find("no such memory switch"), std::string::npos);
}

TEST_P(NativeSwitches, SetMemorySwitchesWritesCodePageThenSecondSwitchAndTwoLeavesPins) {
    const auto& row = GetParam();
    VirtualPrinter printer(row.model);
    printer.SetSwitch(row.codePageSwitch, 0xFF);
    printer.SetSwitch(row.secondSwitch, 0x00);

    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01})), B({'7', 0x01, 0x00}));
    EXPECT_TRUE(printer.State().userSettingMode);
    // The head with block A and block B come in two writes, as the host sends them.
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}) + T("00001122")).empty());
    EXPECT_EQ(printer.SwitchText(row.codePageSwitch), "11111111");  // not applied until complete
    EXPECT_TRUE(Answer(printer, T("21010122")).empty());

    EXPECT_EQ(printer.SwitchText(row.codePageSwitch), "00001111");
    EXPECT_EQ(printer.SwitchText(row.secondSwitch), "01010100");
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02})).empty());
    EXPECT_FALSE(printer.State().userSettingMode);
}

INSTANTIATE_TEST_SUITE_P(EachModel, NativeSwitches,
                         ::testing::Values(SwitchRow{Model::Krt310, 0x02, 2, 0x08, 8, 0x31},
                                           SwitchRow{Model::Krt310II, 0x02, 2, 0x08, 8, 0x35},
                                           SwitchRow{Model::Krt620, 0x31, 1, 0x35, 5, 0x02}),
                         [](const auto& info) { return Tag(info.param.model); });

TEST(NativeCommands, SetMemorySwitchesOutsideUserSettingModeChangesNothing) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}) + T("11111111") + T("11111111"));
    EXPECT_EQ(printer.SwitchText(2), "00000000");
    EXPECT_EQ(printer.SwitchText(8), "00000000");
    EXPECT_NE(printer.Commands().back().find("not in user setting mode"), std::string::npos);
}

TEST(NativeCommands, PinCharactersOtherThanZeroOneTwoLeaveThePinAndAreNoted) {
    VirtualPrinter printer(Model::Krt620);
    printer.SetSwitch(5, 0xC0);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}));
    Answer(printer, B({0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}) + T("22222222") + T("x3000000"));
    EXPECT_EQ(printer.SwitchText(5), "11000000");
    const std::string& line = printer.Commands().back();
    EXPECT_NE(line.find("switch 5 pin 8 got 'x'"), std::string::npos) << line;
    EXPECT_NE(line.find("switch 5 pin 7 got '3'"), std::string::npos) << line;
}

TEST(NativeCommands, EndUserSettingPrintsTheSwitchStatus) {
    VirtualPrinter printer(Model::Krt310);
    printer.SetSwitch(8, 0x01);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}));
    EXPECT_TRUE(printer.Printout().empty());
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}));
    const auto& out = printer.Printout();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), "=== Memory switch status ===");
    EXPECT_NE(std::find(out.begin(), out.end(), "Memory switch 8: 00000001"), out.end());
    EXPECT_NE(std::find(out.begin(), out.end(), "Paper width: 76 mm"), out.end());
}

TEST(NativeCommands, EndUserSettingOutsideTheModePrintsNothing) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}));
    EXPECT_TRUE(printer.Printout().empty());
}

TEST(NativeCommands, PaperWidthIsSetInUserSettingModeAndReportedAsValueReply) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}));
    Answer(printer, B({0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0x04, 0x00}));
    EXPECT_EQ(printer.State().paperWidth, 4);
    Bytes reply = Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x06, 0x03}));
    ASSERT_EQ(reply.size(), 6u);
    EXPECT_EQ(reply[4], '4');
    EXPECT_EQ(reply[5], 0x00);
}

TEST(NativeCommands, PaperWidthCodeOutsideTwoFourFiveIsRejected) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}));
    Answer(printer, B({0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0xFF, 0x00}));
    EXPECT_EQ(printer.State().paperWidth, 5);
    EXPECT_NE(printer.Commands().back().find("no such paper width"), std::string::npos);
}

TEST(NativeCommands, SerialSettingsInFiveWritesSetEveryItem) {
    VirtualPrinter printer(Model::Krt310II);
    for (const Bytes& part :
         {B({0x08, 0x5E, 0x45, 0x09, 0x00, 0x0B}), T("19200"), T("2"), T("1"), T("7")}) {
        EXPECT_TRUE(Answer(printer, part).empty());
    }
    SerialSettings expected{"19200", '2', '1', '7'};
    EXPECT_EQ(printer.State().serial, expected);
}

TEST(NativeCommands, NulFieldsOfSerialSettingsLeaveTheirItems) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(printer.State().serial, SerialSettings{});
    Answer(printer, B({0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}) + T("4800") + B({0, '1', 0}));
    SerialSettings expected{"4800", '0', '1', '8'};
    EXPECT_EQ(printer.State().serial, expected);
}

TEST(NativeCommands, SerialSettingsWithAnyBadFieldAreRejectedWhole) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}) + T("1200") + T("3") + T("0") + T("8"));
    Answer(printer, B({0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}) + T("3840") + T("0") + T("0") + T("8"));
    EXPECT_EQ(printer.State().serial, SerialSettings{});
    EXPECT_NE(printer.Commands().back().find("bad speed"), std::string::npos);
}

struct SerialItemRow {
    std::uint8_t item;
    SerialSettings settings;
    Bytes value;
};

class SerialItems : public ::testing::TestWithParam<SerialItemRow> {};

TEST_P(SerialItems, TransmitSerialSettingAnswersFourHeaderBytesValueAndNul) {
    const auto& row = GetParam();
    VirtualPrinter printer(Model::Krt310);
    printer.State().serial = row.settings;
    Bytes reply = Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, row.item}));
    ASSERT_EQ(reply.size(), 4 + row.value.size() + 1);
    EXPECT_EQ(Bytes(reply.begin() + 4, reply.end() - 1), row.value);
    EXPECT_EQ(reply.back(), 0x00);
}

INSTANTIATE_TEST_SUITE_P(
    EachItem, SerialItems,
    ::testing::Values(SerialItemRow{0x01, {"19200", '0', '0', '8'}, T("19200")},
                      SerialItemRow{0x01, {"9600", '0', '0', '8'}, T("9600")},
                      SerialItemRow{0x02, {"9600", '2', '0', '8'}, T("2")},
                      SerialItemRow{0x03, {"9600", '0', '1', '8'}, T("1")},
                      SerialItemRow{0x04, {"9600", '0', '0', '7'}, T("7")}),
    [](const auto& info) {
        return "Item" + std::to_string(info.param.item) + "_" +
               std::string(info.param.value.begin(), info.param.value.end());
    });

TEST(NativeCommands, UnknownSerialItemGetsNoAnswer) {
    VirtualPrinter printer(Model::Krt310);
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x05})).empty());
}

TEST(NativeCommands, PowerSaveIsSetAndReportedAsUnderscoreFlagSeconds) {
    VirtualPrinter printer(Model::Krt310II);
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x50, 0x30, 0x01, 0x2C})).empty());
    EXPECT_TRUE(printer.State().powerSave);
    EXPECT_EQ(printer.State().powerSaveSeconds, 0x2C);
    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x50, 0x31})), B({'_', 0x01, 0x2C}));
    Answer(printer, B({0x08, 0x5E, 0x50, 0x30, 0x00, 0xFF}));
    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x50, 0x31})), B({'_', 0x00, 0xFF}));
}

TEST(NativeCommands, PowerSaveFlagOtherThanZeroOrOneIsRejected) {
    VirtualPrinter printer(Model::Krt310II);
    Answer(printer, B({0x08, 0x5E, 0x50, 0x30, 0x02, 0x10}));
    EXPECT_FALSE(printer.State().powerSave);
    EXPECT_EQ(printer.State().powerSaveSeconds, 60);
}

TEST(NativeCommands, FrameWithWrongLengthForItsFunctionIsIgnoredAndStreamStaysInStep) {
    VirtualPrinter printer(Model::Krt310);
    // fn 4 with one parameter too many, then a version-id request that must still be answered.
    Bytes reply = Answer(
        printer, B({0x08, 0x5E, 0x45, 0x03, 0x00, 0x04, 0x02, 0x02}) + B({0x1D, 0x49, 0x03}));
    EXPECT_EQ(reply, B({0x64}));
    EXPECT_NE(printer.Commands()[0].find("wrong length"), std::string::npos);
}

TEST(NativeCommands, ImpossibleLengthIsDroppedWithoutSwallowingWhatFollows) {
    VirtualPrinter printer(Model::Krt310);
    Bytes reply = Answer(printer, B({0x08, 0x5E, 0x45, 0xFF, 0x7F}) + B({0x1D, 0x49, 0x03}));
    EXPECT_EQ(reply, B({0x64}));
}

TEST(NativeCommands, NativeFramesAreIgnoredInTheOtherEmulation) {
    VirtualPrinter printer(Model::Krt310, Emulation::Other02);
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02})).empty());
    EXPECT_TRUE(Answer(printer, B({0x08, 0x5E, 0x50, 0x31})).empty());
    Answer(printer, B({0x08, 0x5E, 0x50, 0x30, 0x01, 0x10}));
    EXPECT_FALSE(printer.State().powerSave);
}

// The whole Get Status exchange of a KRT-310, once in one write and once a byte at a time.
TEST(NativeCommands, RepliesDoNotDependOnHowTheHostSplitsItsWrites) {
    Bytes sequence = B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x08}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x01}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x02}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x03}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x04}) +
                     B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x06, 0x03}) + B({0x08, 0x5E, 0x50, 0x31});
    VirtualPrinter whole(Model::Krt310);
    whole.SetSwitch(2, 0x21);
    auto wholeReplies = whole.Feed(sequence);
    ASSERT_EQ(wholeReplies.size(), 8u);

    VirtualPrinter split(Model::Krt310);
    split.SetSwitch(2, 0x21);
    std::vector<VirtualPrinter::Reply> splitReplies;
    for (std::uint8_t byte : sequence) {
        for (auto& reply : split.Feed(Bytes{byte})) {
            splitReplies.push_back(reply);
        }
    }
    EXPECT_EQ(splitReplies, wholeReplies);
    EXPECT_EQ(wholeReplies[0], B({'7', 0x02}) + T("00100001") + B({0x00}));
    EXPECT_EQ(wholeReplies[7], B({'_', 0x00, 60}));
    EXPECT_EQ(split.PendingBytes(), 0u);
}

}  // namespace
}  // namespace corvane::sim::test

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/NativeCommands.h"
#include "support/PortRig.h"

namespace corvane::protocol {
namespace {

using namespace corvane::support;

struct FrameRow {
    const char* name;
    std::function<bool(link::PrinterPort&)> send;
    Bytes bytes;
};

class NativeSendTest : public ::testing::TestWithParam<Link> {};

TEST_P(NativeSendTest, EverySingleFrameGoesOutInOneWriteByteForByte) {
    const FrameRow rows[] = {
        {"EnterUserSetting", SendEnterUserSetting, {0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}},
        {"EndUserSetting", SendEndUserSetting, {0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}},
        {"TransmitMemorySwitch 02",
         [](auto& p) { return SendTransmitMemorySwitch(p, 0x02); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02}},
        {"TransmitMemorySwitch 08",
         [](auto& p) { return SendTransmitMemorySwitch(p, 0x08); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x08}},
        {"TransmitMemorySwitch '1'",
         [](auto& p) { return SendTransmitMemorySwitch(p, kKrt620CodePageSwitch); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x31}},
        {"TransmitMemorySwitch '5'",
         [](auto& p) { return SendTransmitMemorySwitch(p, kKrt620Switch5); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x35}},
        {"SetCustomizedValue 69.5 mm",
         [](auto& p) { return SendSetCustomizedValue(p, PaperWidth::Mm69_5); },
         {0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0x04, 0x00}},
        {"TransmitCustomizedValue",
         SendTransmitCustomizedValue,
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x06, 0x03}},
        {"TransmitSerialSetting speed",
         [](auto& p) { return SendTransmitSerialSetting(p, kSerialItemSpeed); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x01}},
        {"TransmitSerialSetting data bits",
         [](auto& p) { return SendTransmitSerialSetting(p, kSerialItemDataBits); },
         {0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x04}},
        {"SetPowerSave on 60 s",
         [](auto& p) { return SendSetPowerSave(p, true, 60); },
         {0x08, 0x5E, 0x50, 0x30, 0x01, 0x3C}},
        {"SetPowerSave off 255 s",
         [](auto& p) { return SendSetPowerSave(p, false, 255); },
         {0x08, 0x5E, 0x50, 0x30, 0x00, 0xFF}},
        // Only the low byte of the seconds fits the frame.
        {"SetPowerSave on 300 s",
         [](auto& p) { return SendSetPowerSave(p, true, 300); },
         {0x08, 0x5E, 0x50, 0x30, 0x01, 0x2C}},
        {"TransmitPowerSave", SendTransmitPowerSave, {0x08, 0x5E, 0x50, 0x31}},
    };
    for (const auto& row : rows) {
        PortRig rig(GetParam());
        ASSERT_TRUE(rig.opened);
        EXPECT_TRUE(row.send(rig.port)) << row.name;
        EXPECT_EQ(rig.Writes(), std::vector<Bytes>{row.bytes}) << row.name;
        EXPECT_TRUE(rig.PausesMs().empty()) << row.name;
    }
}

TEST_P(NativeSendTest, SetMemorySwitchesIsHeadWithBlockAThenBlockB) {
    PortRig rig(GetParam());
    std::vector<ExchangeStep> steps;
    SwitchPins page2{};
    page2[8] = kPinSwitchOn;
    page2[3] = kPinSwitchOff;
    EXPECT_TRUE(SendSetMemorySwitches(rig.port, CodePageBlock(PrinterModel::Krt310Family, 33),
                                      BlockFromPins(page2),
                                      [&](ExchangeStep step) { steps.push_back(step); }));
    EXPECT_EQ(rig.Writes(), (std::vector<Bytes>{
                                Join({{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}, Text("00001122")}),
                                Text("12222022"),
                            }));
    EXPECT_EQ(steps,
              (std::vector<ExchangeStep>{ExchangeStep::PartWritten, ExchangeStep::PartWritten}));
}

// Guards against sending anything but '2' for pins 8 and 7 of switch 5 left unchanged.
TEST_P(NativeSendTest, Krt620SecondBlockSendsTwoForEveryUnchangedPinPinsEightAndSevenToo) {
    PortRig rig(GetParam());
    SwitchPins page5{};
    page5[1] = kPinSwitchOff;
    SendSetMemorySwitches(rig.port, kKeepEveryPin, BlockFromPins(page5));
    EXPECT_EQ(rig.Writes(), (std::vector<Bytes>{
                                Join({{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}, Text("22222222")}),
                                Text("22222220"),
                            }));
}

struct SerialRow {
    const char* name;
    SerialSettings settings;
    std::vector<Bytes> writes;
};

TEST_P(NativeSendTest, SetSerialSettingsGoesOutInFiveWrites) {
    const SerialRow rows[] = {
        {"19200 even DTR/DSR 8",
         {19200, Parity::Even, FlowControl::DtrDsr, 8},
         {{0x08, 0x5E, 0x45, 0x09, 0x00, 0x0B}, Text("19200"), {'2'}, {'0'}, {'8'}}},
        {"9600, the rest No Change",
         {9600, {}, {}, {}},
         {{0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}, Text("9600"), {0x00}, {0x00}, {0x00}}},
        {"everything No Change",
         {},
         {{0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}, {0, 0, 0, 0}, {0x00}, {0x00}, {0x00}}},
        {"1200 none Xon/Xoff 7",
         {1200, Parity::None, FlowControl::XonXoff, 7},
         {{0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}, Text("1200"), {'0'}, {'1'}, {'7'}}},
        // A speed or size the printer does not have is sent as No Change.
        {"out of range",
         {38400, {}, {}, 9},
         {{0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}, {0, 0, 0, 0}, {0x00}, {0x00}, {0x00}}},
    };
    for (const auto& row : rows) {
        PortRig rig(GetParam());
        int steps = 0;
        EXPECT_TRUE(SendSetSerialSettings(rig.port, row.settings, [&](ExchangeStep step) {
            EXPECT_EQ(step, ExchangeStep::PartWritten);
            ++steps;
        }));
        EXPECT_EQ(rig.Writes(), row.writes) << row.name;
        EXPECT_EQ(steps, 5) << row.name;
    }
}

TEST_P(NativeSendTest, AFailedWriteIsReportedAndTheOtherPartsStillGoOut) {
    PortRig rig(GetParam());
    // The printer takes nothing of the first part, neither at first nor on the port's retry.
    rig.printer.acceptCounts = {0, 0};
    EXPECT_FALSE(SendSetSerialSettings(rig.port, {9600, Parity::None, FlowControl::DtrDsr, 8}));
    std::vector<Bytes> expected = {{}, {}, Text("9600"), {'0'}, {'0'}, {'8'}};
    EXPECT_EQ(rig.Writes(), expected);
}

INSTANTIATE_TEST_SUITE_P(AllLinks, NativeSendTest,
                         ::testing::Values(Link::Serial, Link::Parallel, Link::Usb),
                         [](const auto& info) { return LinkName(info.param); });

}  // namespace
}  // namespace corvane::protocol

// The line-mode dialogs against the simulated printer, which decodes the frames on its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "linemode/LineModeBaudRateDialog.h"
#include "linemode/LineModeCodePageDialog.h"
#include "linemode/LineModeSwitchDialog.h"
#include "link/PrinterPort.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"
#include "support/PortRig.h"
#include "ui/HeadlessHost.h"

namespace corvane::linemode {
namespace {

using platform::sim::Ms;
using platform::sim::SimPlatform;
using sim::Emulation;
using sim::Model;
using sim::VirtualPrinter;
using ui::HeadlessHost;

class LineModeRoundTripTest : public ::testing::Test {
protected:
    void Connect(Model model, Emulation emulation) {
        printer = std::make_unique<VirtualPrinter>(model, emulation);
        ASSERT_TRUE(support::OpenSerial(platform, port, *printer, {"COM6"}));
    }

    bool Printed(const std::string& line) const {
        const auto& printout = printer->Printout();
        return std::find(printout.begin(), printout.end(), line) != printout.end();
    }

    // Every command the printer took was one it understood.
    void ExpectNothingIgnored() const {
        for (const std::string& line : printer->Commands()) {
            EXPECT_EQ(line.rfind("ignored", 0), std::string::npos) << line;
        }
    }

    SimPlatform platform;
    std::unique_ptr<VirtualPrinter> printer;
    link::PrinterPort port{platform};
};

TEST_F(LineModeRoundTripTest, SwitchDialogChangesOnlyTheTickedFieldsAndThePrinterPrintsThem) {
    Connect(Model::Krt310, Emulation::Other02);
    printer->State().lineWords.fill(0xFFFF);
    LineModeSwitchDialog dialog(port);
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(29));
    ASSERT_TRUE(host.Select(30, 1));
    ASSERT_TRUE(host.Click(20));  // "Zero Style" at "Normal"
    ASSERT_TRUE(host.Click(1003));
    const auto& words = printer->State().lineWords;
    EXPECT_EQ(words[0], 0xFFFF);
    EXPECT_EQ(words[1], 0xFFEF);
    EXPECT_EQ(words[2], 0xF7FF);
    for (std::size_t i = 3; i < words.size(); ++i) {
        EXPECT_EQ(words[i], 0xFFFF) << "word " << i + 1;
    }
    EXPECT_TRUE(Printed("Word 3: F7FF"));
    ExpectNothingIgnored();
}

TEST_F(LineModeRoundTripTest, SelectAllAtChoiceZeroClearsEveryFieldOfTheFirstFiveWords) {
    Connect(Model::Krt310II, Emulation::Other02);
    printer->State().lineWords.fill(0xFFFF);
    LineModeSwitchDialog dialog(port);
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(73));
    ASSERT_TRUE(host.Click(1003));
    const auto& words = printer->State().lineWords;
    EXPECT_EQ(words[0], 0xFFFF & ~0x0C1C);
    EXPECT_EQ(words[1], 0xFFFF & ~0x001F);
    EXPECT_EQ(words[2], 0xFFFF & ~0x4C0B);
    EXPECT_EQ(words[3], 0xFFFF & ~0x1F03);
    EXPECT_EQ(words[4], 0xFFFF & ~0x0109);
    ExpectNothingIgnored();
}

// Guards against a clear mask of 001F, which left bit 0020 of an earlier code page set.
TEST_F(LineModeRoundTripTest, NewCodePageReplacesOneThatUsedBit0020) {
    Connect(Model::Krt620, Emulation::Other02);
    printer->SetFirmwareText("KRT620 STB V1.03");
    printer->State().lineWords[0] = 0x0126;  // "928(Greek)" plus a bit of another field
    LineModeCodePageDialog dialog(port);
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.IsControlEnabled(82));
    ASSERT_TRUE(host.Click(82));
    ASSERT_TRUE(host.Select(84, 5));  // "1252(Latin I)"
    ASSERT_TRUE(host.Click(1003));
    EXPECT_EQ(printer->State().lineWords[0], 0x0110);
    ExpectNothingIgnored();
}

TEST_F(LineModeRoundTripTest, CrLfChoiceLandsInWordFiveAndPrintStatusPrintsIt) {
    Connect(Model::Krt620, Emulation::Other02);
    printer->State().lineWords[4] = 0x010F;
    printer->SetFirmwareText("V1.03");  // a firmware without the code page marker
    LineModeCodePageDialog dialog(port);
    HeadlessHost host(dialog);
    EXPECT_FALSE(host.IsControlEnabled(82));
    ASSERT_TRUE(host.Click(83));
    ASSERT_TRUE(host.Select(85, 4));
    ASSERT_TRUE(host.Click(1003));
    EXPECT_EQ(printer->State().lineWords[4], 0x0104);
    printer->ClearLogs();
    ASSERT_TRUE(host.Click(86));
    EXPECT_TRUE(Printed("Word 5: 0104"));
}

TEST_F(LineModeRoundTripTest, SilentPrinterOpensTheCodePageDialogWithinThePortTimeouts) {
    Connect(Model::Krt620, Emulation::Other02);
    printer->GetFaults().silent = true;
    auto start = platform.NowMicros();
    LineModeCodePageDialog dialog(port);
    HeadlessHost host(dialog);
    EXPECT_LE(platform.NowMicros() - start, Ms(1000 + 2001 + 500 + 2001));
    EXPECT_FALSE(host.IsControlEnabled(82));
    EXPECT_FALSE(host.IsControlEnabled(73));
    EXPECT_TRUE(host.Messages().empty());
}

struct SpeedRow {
    int radio;
    int bps;
};

class SpeedRoundTrip : public LineModeRoundTripTest,
                       public ::testing::WithParamInterface<SpeedRow> {};

TEST_P(SpeedRoundTrip, PrinterTakesTheChosenSpeedWhileTheLinkKeepsItsOwn) {
    Connect(Model::Krt310, Emulation::Other03);
    LineModeBaudRateDialog dialog(port);
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(GetParam().radio));
    ASSERT_TRUE(host.Click(1003));
    EXPECT_EQ(sim::LineModeSpeed(printer->State().speedWord), GetParam().bps);
    EXPECT_TRUE(Printed("Baud rate: " + std::to_string(GetParam().bps) + " bps"));
    EXPECT_EQ(platform.OpenLine("COM6")->Config().baudRate, 9600u);
    ExpectNothingIgnored();
}

INSTANTIATE_TEST_SUITE_P(Speeds, SpeedRoundTrip,
                         ::testing::Values(SpeedRow{74, 1200}, SpeedRow{75, 2400},
                                           SpeedRow{76, 4800}, SpeedRow{77, 9600},
                                           SpeedRow{78, 19200}));

}  // namespace
}  // namespace corvane::linemode

// The printer operations run from a plain program: no window, no host, only a port, a
// simulated printer and a reporter that keeps what it was told.
#include <gtest/gtest.h>

#include <deque>

#include "operations/Alignment.h"
#include "operations/Connect.h"
#include "operations/Identity.h"
#include "operations/LineMode.h"
#include "operations/SelfTest.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"
#include "support/RecordingReporter.h"

namespace corvane::operations {
namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::Severity;
using platform::sim::Ms;
using protocol::Emulation;
using protocol::PrinterModel;

class PlainProgram : public ::testing::Test {
protected:
    ConnectResult ConnectOn(const std::string& portName, PrinterModel model,
                            Emulation emulation = Emulation::Native) {
        ConnectRequest request;
        request.model = model;
        request.emulation = emulation;
        request.portName = portName;
        return connector.Connect(request);
    }

    sim::VirtualPrinter& Printer(sim::Model model,
                                 sim::Emulation emulation = sim::Emulation::Native) {
        return printers.emplace_back(model, emulation);
    }

    // Printers outlive the port, which tells its printer when it closes.
    std::deque<sim::VirtualPrinter> printers;
    platform::sim::SimPlatform platform;
    link::PrinterPort port{platform};
    support::RecordingReporter reporter;
    PrinterConnector connector{port, reporter};
};

TEST_F(PlainProgram, ConnectsPrintsTestPagesAndStoresTheAlignment) {
    sim::VirtualPrinter& krt620 = Printer(sim::Model::Krt620);
    platform.AttachSerial("COM2", krt620);
    ASSERT_TRUE(ConnectOn("COM2", PrinterModel::Krt620).Connected());
    EXPECT_EQ(reporter.Texts(), std::vector<std::string>{"Printer is connected."});

    platform.ClearEvents();
    EXPECT_TRUE(PrintSelfTest(port, SelfTestPage::First));
    EXPECT_TRUE(PrintSelfTest(port, SelfTestPage::Second));
    // Guards against a wrong test page number m in either request.
    EXPECT_EQ(platform.Written("COM2"), (Bytes{0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x02, 0x1D, 0x28,
                                               0x41, 0x02, 0x00, 0x01, 0x03}));

    EXPECT_EQ(StoreAlignmentOffsets(port, {-3, 0, 1, 3}, reporter), AlignmentStore::Stored);
    EXPECT_EQ(krt620.State().alignment, (std::array<int, 4>{-3, 0, 1, 3}));
    EXPECT_EQ(reporter.messages.back().text, "Save Setting Success!!");
    EXPECT_EQ(reporter.messages.back().severity, Severity::Information);
    EXPECT_EQ(StoreAlignmentOffsets(port, {0, 0, 4, 0}, reporter), AlignmentStore::InvalidOffset);
    EXPECT_EQ(krt620.State().alignment, (std::array<int, 4>{-3, 0, 1, 3}));
}

TEST_F(PlainProgram, SetsLineModeSwitchesAndSpeedOfAPrinterInTheOtherEmulation) {
    sim::VirtualPrinter& krt310 = Printer(sim::Model::Krt310, sim::Emulation::Other02);
    platform.AttachParallel("LPT1:", krt310);
    ConnectResult result = ConnectOn("LPT1:", PrinterModel::Krt310Family, Emulation::Other);
    ASSERT_TRUE(result.Connected());
    EXPECT_EQ(result.emulationAnswer, 1);

    const LineModeChoice choices[] = {{protocol::LineModeSetting::PaperWidth, 1},
                                      {protocol::LineModeSetting::ZeroStyle, 1}};
    EXPECT_EQ(SetLineModeSwitches(port, choices, reporter), LineModeOutcome::Sent);
    EXPECT_EQ(SetLineModeSwitches(port, {}, reporter), LineModeOutcome::NothingChosen);
    EXPECT_EQ(reporter.messages.back().caption, "Warning");
    EXPECT_TRUE(SetLineModeSpeed(port, 19200));
    EXPECT_FALSE(SetLineModeSpeed(port, 38400));
    EXPECT_EQ(sim::LineModeSpeed(krt310.State().speedWord), 19200);
    // Paper width choice 1 is 0400 in word 3, slash zero 0010 in word 2.
    EXPECT_EQ(krt310.State().lineWords[2] & 0x0C00, 0x0400);
    EXPECT_EQ(krt310.State().lineWords[1] & 0x0010, 0x0010);
}

// Guards against a refused open that gives support nothing to go on.
TEST_F(PlainProgram, AFailedOpenSaysWhichDeviceAndWhy) {
    platform::sim::ScriptedPeer off;
    off.dsr = false;
    platform.AttachSerial("COM4", off);
    ConnectResult result = ConnectOn("COM4", PrinterModel::Krt310Family);
    EXPECT_EQ(result.outcome, ConnectOutcome::OpenFailed);
    EXPECT_EQ(result.failure.problem, link::PortProblem::PrinterNotReady);
    EXPECT_EQ(reporter.Texts(),
              std::vector<std::string>{"Can't open port and Printer is disconnected"});
    ASSERT_EQ(reporter.problems.size(), 1u);
    EXPECT_NE(reporter.problems[0].find("COM4"), std::string::npos);
    EXPECT_NE(reporter.problems[0].find("DSR"), std::string::npos);

    EXPECT_EQ(ConnectOn("COM9", PrinterModel::Krt310Family).failure.error.kind,
              platform::ErrorKind::NotFound);
    EXPECT_NE(reporter.problems.back().find("no such device"), std::string::npos);
}

// Guards against a window frozen for twenty seconds when the wrong family is chosen: after the
// printer's own id one silent read ends the wait for the expected one.
TEST_F(PlainProgram, WrongFamilyIsRefusedWithinOneSilentReadAfterTheId) {
    sim::VirtualPrinter& krt620 = Printer(sim::Model::Krt620);
    krt620.SetFirmwareText("KRT620 V1.20");
    platform.AttachSerial("COM1", krt620);
    auto start = platform.NowMicros();
    ConnectResult result = ConnectOn("COM1", PrinterModel::Krt310Family);
    EXPECT_EQ(result.outcome, ConnectOutcome::UnsupportedFirmware);
    EXPECT_EQ(result.firmwareText, "KRT620 V1.20");
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].severity, Severity::Plain);
    EXPECT_EQ(reporter.messages[0].text,
              "This F/W version of printer is not supported!!!\nPlease refer to the manual!!\n"
              "Current F/W Version : KRT620 V1.20");
    EXPECT_LT(platform.NowMicros() - start, Ms(6000));
}

class CountingProgress final : public Progress {
public:
    void SetPosition(int) override {}
    void Step() override { ++steps; }
    int steps = 0;
};

// Guards against a progress bar that moves otherwise than by one step per byte on byte links
// and by the fixed steps per text on USB.
TEST_F(PlainProgram, TheManagersIdentificationStepsItsProgressPerLink) {
    sim::VirtualPrinter& printer = Printer(sim::Model::Krt310II);
    platform.AttachSerial("COM1", printer);
    ASSERT_TRUE(ConnectOn("COM1", PrinterModel::Krt310Family).Connected());
    CountingProgress progress;
    PrinterIdentity identity =
        ReadPrinterIdentity(port, PrinterModel::Krt310Family, progress, reporter);
    EXPECT_TRUE(identity.Accepted());
    EXPECT_EQ(identity.powerSave, true);
    // "_V2.05", "_VANTORA", "_KRT-310II" and "_ENGLISH", each with its 00.
    EXPECT_EQ(progress.steps, 7 + 9 + 11 + 9);

    sim::VirtualPrinter& usbPrinter = Printer(sim::Model::Krt620);
    platform.AttachUsb("/dev/usb/lp0", 0x3e1f, 0x4010, usbPrinter);
    CountingProgress usbProgress;
    ConnectResult usb = ConnectOn("USB", PrinterModel::Krt620);
    ASSERT_TRUE(usb.Connected());
    identity = ReadPrinterIdentity(port, PrinterModel::Krt620, usbProgress, reporter);
    EXPECT_EQ(identity.modelText, "KRT-620");
    EXPECT_EQ(usbProgress.steps, 5 + 6 + 7);
}

TEST(UnsupportedFirmwareMessage, LengthRuleCountsTheSerialTerminator) {
    const std::string shown =
        "This F/W version of printer is not supported!!!\nPlease refer to the manual!!\n"
        "Current F/W Version : ";
    const std::string unknown =
        "This F/W version is not supported!!!\nPlease refer to the manual!!\n"
        "Current F/W Version : Unknown";
    using link::InterfaceKind;
    EXPECT_EQ(UnsupportedFirmwareMessage("V3.0", InterfaceKind::Serial), shown + "V3.0");
    EXPECT_EQ(UnsupportedFirmwareMessage("7", InterfaceKind::Serial), shown + "7");
    EXPECT_EQ(UnsupportedFirmwareMessage("7", InterfaceKind::Parallel), shown + "7");
    EXPECT_EQ(UnsupportedFirmwareMessage("", InterfaceKind::Serial), unknown);
    EXPECT_EQ(UnsupportedFirmwareMessage("V3", InterfaceKind::Usb), shown + "V3");
    EXPECT_EQ(UnsupportedFirmwareMessage("7", InterfaceKind::Usb), unknown);
    EXPECT_EQ(UnsupportedFirmwareMessage("", InterfaceKind::Usb), unknown);
    // A text is shown as it came, never used as a format.
    EXPECT_EQ(UnsupportedFirmwareMessage("%s%n", InterfaceKind::Usb), shown + "%s%n");
}

}  // namespace
}  // namespace corvane::operations

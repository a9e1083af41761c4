#include "link/PrinterPort.h"

#include <gtest/gtest.h>

#include "link/UsbAccess.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

using namespace std::chrono_literals;
using platform::sim::EventKind;
using platform::sim::Ms;
using platform::sim::ScriptedPeer;
using platform::sim::SimLine;
using platform::sim::SimPlatform;
using Bytes = std::vector<std::uint8_t>;

class PrinterPortTest : public ::testing::Test {
protected:
    PrinterPortTest() {
        platform.AttachSerial("COM3", printer);
        platform.AttachSerial("\\\\.\\COM12", printer);
        platform.AttachParallel("LPT2:", printer);
        port.SetLineSettings({.baudRate = 9600, .dataBits = 8, .parity = 0, .stopBits = 0});
    }

    bool OpenAs(const std::string& name) {
        port.SetPortName(name);
        return port.Open();
    }

    std::size_t OpenEvents() const {
        std::size_t count = 0;
        for (const auto& event : platform.Events()) {
            count += event.kind == EventKind::Open || event.kind == EventKind::OpenFailed;
        }
        return count;
    }

    SimPlatform platform;
    ScriptedPeer printer;
    PrinterPort port{platform};
};

TEST_F(PrinterPortTest, ConstructedClosedOnCom1WithZeroLineFields) {
    PrinterPort fresh(platform);
    EXPECT_EQ(fresh.PortName(), "COM1");
    EXPECT_FALSE(fresh.IsOpen());
    EXPECT_EQ(fresh.GetLineSettings(), (LineSettings{0, 0, 0, 0}));
}

TEST_F(PrinterPortTest, KindFollowsTheName) {
    EXPECT_TRUE(OpenAs("COM3"));
    EXPECT_EQ(port.Kind(), InterfaceKind::Serial);
    EXPECT_TRUE(OpenAs("\\\\.\\COM12"));
    EXPECT_EQ(port.Kind(), InterfaceKind::Serial);
    EXPECT_TRUE(OpenAs("LPT2:"));
    EXPECT_EQ(port.Kind(), InterfaceKind::Parallel);
    // Without a USB search the USB branch is chosen but cannot open.
    EXPECT_FALSE(OpenAs("USB"));
    EXPECT_EQ(port.Kind(), InterfaceKind::Usb);
}

TEST_F(PrinterPortTest, NamesOfNoKindFailWithoutTouchingAnyDevice) {
    // A parallel port, so that a kind changed to the default one would show.
    ASSERT_TRUE(OpenAs("LPT2:"));
    std::size_t before = OpenEvents();
    for (const char* name : {"usb", "USB1", "", "com3", "PRN"}) {
        EXPECT_FALSE(OpenAs(name)) << name;
        EXPECT_EQ(port.Kind(), InterfaceKind::Parallel) << name;
        // An earlier device stays open when no open sequence began.
        EXPECT_TRUE(port.IsOpen()) << name;
    }
    EXPECT_EQ(OpenEvents(), before);
}

TEST_F(PrinterPortTest, SerialOpenConfiguresTheLineAndPurges) {
    port.SetLineSettings({.baudRate = 19200, .dataBits = 7, .parity = 2, .stopBits = 2});
    ASSERT_TRUE(OpenAs("\\\\.\\COM12"));
    std::vector<EventKind> kinds;
    for (const auto& event : platform.Events()) {
        kinds.push_back(event.kind);
    }
    EXPECT_EQ(kinds,
              (std::vector<EventKind>{EventKind::Open, EventKind::Sleep, EventKind::Configure,
                                      EventKind::SetTimeouts, EventKind::Purge}));
    EXPECT_EQ(platform.Pauses(), std::vector<std::chrono::milliseconds>{100ms});
    const auto& config = platform.Events()[2].config;
    EXPECT_EQ(config.baudRate, 19200u);
    EXPECT_EQ(config.dataBits, 7u);
    EXPECT_EQ(config.parity, 2u);
    EXPECT_EQ(config.stopBits, 2u);
    EXPECT_TRUE(config.parityCheck);
    EXPECT_TRUE(config.dsrOutputFlow);
    EXPECT_TRUE(config.dtrOn);
    EXPECT_TRUE(config.rtsOn);
}

// Guards against line settings, a DSR test or the DTR pause reaching a printer on the network,
// and against its reads keeping other deadlines or retries than a serial printer's.
TEST_F(PrinterPortTest, NetworkPrinterIsASerialPortWithoutLineSettingsOrDsr) {
    platform.AttachNetwork("till-3", 9100, printer);
    printer.dsr = false;  // no modem lines are asked on the network
    PrinterPort networked(platform,
                          PortMap(std::map<std::string, std::string>{{"COM2", "tcp:till-3"}}));
    networked.SetPortName("COM2");
    ASSERT_TRUE(networked.Open());
    EXPECT_EQ(networked.Kind(), InterfaceKind::Serial);
    EXPECT_TRUE(networked.IsNetwork());
    EXPECT_EQ(networked.LineConfig(), std::nullopt);
    std::vector<EventKind> kinds;
    for (const auto& event : platform.Events()) {
        kinds.push_back(event.kind);
    }
    EXPECT_EQ(kinds,
              (std::vector<EventKind>{EventKind::Open, EventKind::SetTimeouts, EventKind::Purge}));
    EXPECT_TRUE(platform.Pauses().empty());

    auto start = platform.NowMicros();
    std::uint8_t byte = 0;
    EXPECT_EQ(networked.Read({&byte, 1}), 0u);
    EXPECT_EQ(platform.NowMicros() - start, Ms(4502));
    EXPECT_EQ(platform.Pauses(), std::vector<std::chrono::milliseconds>{500ms});
}

TEST_F(PrinterPortTest, SerialOpenPausesEvenWhenTheDeviceIsMissing) {
    EXPECT_FALSE(OpenAs("COM7"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(platform.Pauses(), std::vector<std::chrono::milliseconds>{100ms});
}

TEST_F(PrinterPortTest, PrinterSwitchedOffHoldsDsrLowAndOpenFailsClosed) {
    printer.dsr = false;
    EXPECT_FALSE(OpenAs("COM3"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(platform.OpenLine("COM3"), nullptr);  // the device itself was closed again
}

TEST_F(PrinterPortTest, SerialSettingTheDriverRefusesFailsClosed) {
    // One and a half stop bits with eight data bits.
    port.SetLineSettings({.baudRate = 9600, .dataBits = 8, .parity = 0, .stopBits = 1});
    EXPECT_FALSE(OpenAs("COM3"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(platform.OpenLine("COM3"), nullptr);
}

TEST_F(PrinterPortTest, ParallelOpenNeedsSelectedAndNothingElse) {
    for (std::uint8_t status : {std::uint8_t{0x90}, std::uint8_t{0x81}, std::uint8_t{0x00}}) {
        printer.parallelStatus = status;
        EXPECT_FALSE(OpenAs("LPT2:")) << int{status};
        EXPECT_FALSE(port.IsOpen());
    }
    printer.parallelStatus = 0x80;
    EXPECT_TRUE(OpenAs("LPT2:"));
    EXPECT_TRUE(platform.Pauses().empty());  // no pause after a parallel open
}

std::vector<EventKind> Kinds(const std::vector<platform::sim::Event>& events) {
    std::vector<EventKind> kinds;
    for (const auto& event : events) {
        kinds.push_back(event.kind);
    }
    return kinds;
}

// Guards against stale printer bytes surviving a parallel open and reaching the first reply.
TEST_F(PrinterPortTest, ParallelOpenDiscardsWhatIsPendingAfterTheStatusCheck) {
    ASSERT_TRUE(OpenAs("LPT2:"));
    EXPECT_EQ(Kinds(platform.Events()),
              (std::vector<EventKind>{EventKind::Open, EventKind::Purge}));
}

// Guards against a Close that leaves unsent or unread bytes on the line behind it.
TEST_F(PrinterPortTest, CloseDiscardsWhatIsPendingBeforeClosingSerialAndParallel) {
    for (const char* name : {"COM3", "LPT2:"}) {
        ASSERT_TRUE(OpenAs(name)) << name;
        platform.ClearEvents();
        port.Close();
        EXPECT_EQ(Kinds(platform.Events()),
                  (std::vector<EventKind>{EventKind::Purge, EventKind::Close}))
            << name;
    }
}

TEST_F(PrinterPortTest, OpeningAgainClosesTheEarlierDevice) {
    ASSERT_TRUE(OpenAs("COM3"));
    ASSERT_TRUE(OpenAs("LPT2:"));
    EXPECT_EQ(platform.OpenLine("COM3"), nullptr);
    EXPECT_NE(platform.OpenLine("LPT2:"), nullptr);
}

TEST_F(PrinterPortTest, WriteRetriesTheRemainderOnceAfterHalfASecond) {
    ASSERT_TRUE(OpenAs("COM3"));
    platform.ClearEvents();
    printer.acceptCounts = {3, 4};
    const Bytes command = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_TRUE(port.Write({command.data(), 7}));
    EXPECT_EQ(printer.received, command);
    EXPECT_EQ(platform.Pauses(), std::vector<std::chrono::milliseconds>{500ms});
}

TEST_F(PrinterPortTest, WriteFailsWhenTheRetryIsShortToo) {
    ASSERT_TRUE(OpenAs("COM3"));
    printer.acceptCounts = {3, 2};
    const Bytes command = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_FALSE(port.Write({command.data(), 7}));
    EXPECT_EQ(printer.received, (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(PrinterPortTest, WriteToAnUnpluggedPrinterFails) {
    ASSERT_TRUE(OpenAs("COM3"));
    printer.unplugged = true;
    const Bytes command = {0x1B, 0x40};
    EXPECT_FALSE(port.Write({command.data(), 2}));
}

TEST_F(PrinterPortTest, ShortSerialReadRetriesOnceAndCountsBothRequests) {
    ASSERT_TRUE(OpenAs("COM3"));
    SimLine* line = platform.OpenLine("COM3");
    ASSERT_NE(line, nullptr);
    platform.ClearEvents();
    line->DeliverNow(Bytes{'a', 'b', 'c', 'd'});
    line->Deliver(Bytes{'e', 'f', 'g', 'h', 'i', 'j'}, line->Now() + Ms(2100));
    Bytes buffer(10, 0);
    // The count says what the buffer holds: four bytes at once and six after the pause.
    EXPECT_EQ(port.Read({buffer.data(), 10}), 10u);
    EXPECT_EQ(buffer, (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'}));
    EXPECT_EQ(platform.Pauses(), std::vector<std::chrono::milliseconds>{500ms});
}

TEST_F(PrinterPortTest, SilentSerialReadOfOneByteTakesBothDeadlines) {
    ASSERT_TRUE(OpenAs("COM3"));
    auto start = platform.NowMicros();
    std::uint8_t byte = 0;
    EXPECT_EQ(port.Read({&byte, 1}), 0u);
    // 2001 ms, the 500 ms pause, 2001 ms.
    EXPECT_EQ(platform.NowMicros() - start, Ms(4502));
}

TEST_F(PrinterPortTest, UsbReadReturnsOneTransferWithoutRetry) {
    class FakeUsb : public UsbAccess {
    public:
        explicit FakeUsb(SimPlatform& platform) : platform_(platform) {}
        bool CheckUsbPortConflict() override { return true; }
        std::unique_ptr<platform::Device> OpenUsbPrinter() override {
            platform::Error error;
            return platform_.OpenUsbPrinter("/dev/usb/lp0", true, error);
        }

    private:
        SimPlatform& platform_;
    } usb(platform);
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0001, printer);
    port.SetUsbAccess(&usb);
    ASSERT_TRUE(OpenAs("USB"));
    Bytes buffer(64, 0);
    printer.SendNow(*platform.OpenLine("/dev/usb/lp0"), Bytes{'_', 'K', 'R', 'T', 0});
    EXPECT_EQ(port.Read({buffer.data(), 64}), 5u);
    EXPECT_EQ(port.Read({buffer.data(), 64}), 0u);  // silent: bounded, and no retry pause
    EXPECT_TRUE(platform.Pauses().empty());
}

TEST_F(PrinterPortTest, UsbRefusedBeforeItsSequenceKeepsTheEarlierDevice) {
    class RefusingUsb : public UsbAccess {
    public:
        bool CheckUsbPortConflict() override { return false; }
        std::unique_ptr<platform::Device> OpenUsbPrinter() override { return nullptr; }
    } usb;
    port.SetUsbAccess(&usb);
    ASSERT_TRUE(OpenAs("COM3"));
    EXPECT_FALSE(OpenAs("USB"));
    EXPECT_TRUE(port.IsOpen());
    platform.SetFacts({.usbSupported = false});
    EXPECT_FALSE(OpenAs("USB"));
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(PrinterPortTest, CloseOnAClosedPortLeavesItClosed) {
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(OpenAs("COM3"));
    port.Close();
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(platform.OpenLine("COM3"), nullptr);
}

TEST_F(PrinterPortTest, ApplySerialSettingsChangesTheLineButNotTheFields) {
    port.SetLineSettings({.baudRate = 9600, .dataBits = 8, .parity = 1, .stopBits = 0});
    ASSERT_TRUE(OpenAs("COM3"));
    EXPECT_TRUE(port.ApplySerialSettings(19200, 7, 2));
    const auto& config = platform.OpenLine("COM3")->Config();
    EXPECT_EQ(config.baudRate, 19200u);
    EXPECT_EQ(config.dataBits, 7u);
    EXPECT_EQ(config.parity, 2u);
    EXPECT_TRUE(config.parityCheck);  // kept from the open
    EXPECT_EQ(port.GetLineSettings().baudRate, 9600u);
    EXPECT_EQ(port.GetLineSettings().parity, 1u);
    // A reconnect opens the line with the fields again.
    ASSERT_TRUE(OpenAs("COM3"));
    EXPECT_EQ(platform.OpenLine("COM3")->Config().baudRate, 9600u);
}

TEST_F(PrinterPortTest, ApplySerialSettingsRefusedKeepsTheLine) {
    ASSERT_TRUE(OpenAs("COM3"));
    EXPECT_FALSE(port.ApplySerialSettings(19200, 9, 0));
    EXPECT_EQ(platform.OpenLine("COM3")->Config().baudRate, 9600u);
}

}  // namespace
}  // namespace corvane::link

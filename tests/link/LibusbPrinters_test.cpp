// USB printers that usblp does not serve, reached through libusb, against printers emulated
// with umockdev: which way each printer is reached, the kernel driver taken for the session and
// given back on every way out, the bytes of each transfer, and a Connect and Get Status end to
// end with the simulated printer answering behind the emulated usbfs.

#include <gtest/gtest.h>

#include "support/RecordingReporter.h"

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "EmulatedUsb.h"
#include "link/PrinterPort.h"
#include "link/UsbPrinterFinder.h"
#include "operations/Connect.h"
#include "operations/NativeStatus.h"
#include "platform/WaitPacer.h"
#include "platform/posix/LibusbPrinters.h"
#include "platform/posix/PosixPlatform.h"
#include "sim/VirtualPrinter.h"

namespace corvane::link {
namespace {

using Clock = std::chrono::steady_clock;
using platform::ErrorKind;
using usb_test::Bytes;
using usb_test::EmulatedUsb;
using usb_test::Holder;

constexpr std::uint16_t kVendor310 = 0x2c9a;
constexpr std::uint16_t kVendor620 = 0x3e1f;

// The machine's platform with the emulated bus, and no spooler: the machine's own must not
// decide whether a test may reach USB.
class EmulatedMachine final : public platform::Platform {
public:
    std::unique_ptr<platform::SerialDevice> OpenSerial(const std::string& path,
                                                       platform::Error& error) override {
        return posix_.OpenSerial(path, error);
    }
    std::unique_ptr<platform::ParallelDevice> OpenParallel(const std::string& path,
                                                           platform::Error& error) override {
        return posix_.OpenParallel(path, error);
    }
    std::string DefaultDevicePath(platform::PortFamily family, int number) override {
        return posix_.DefaultDevicePath(family, number);
    }
    std::vector<platform::UsbPrinterInfo> ListUsbPrinters() override {
        return posix_.ListUsbPrinters();
    }
    std::unique_ptr<platform::Device> OpenUsbPrinter(const std::string& path, bool exclusive,
                                                     platform::Error& error) override {
        return posix_.OpenUsbPrinter(path, exclusive, error);
    }
    platform::Spooler& GetSpooler() override { return spooler_; }
    // The emulated printer answers at once, so the program's pauses are counted, not waited.
    void Sleep(std::chrono::milliseconds duration) override { slept += duration; }
    std::chrono::milliseconds Now() override { return posix_.Now(); }
    platform::OsFacts Facts() override { return posix_.Facts(); }

    std::chrono::milliseconds slept{0};

private:
    platform::posix::PosixPlatform posix_;
    platform::NoSpooler spooler_;
};

class LibusbPrintersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(usb.Ready()) << usb.Failure(); }

    // The platform and the search are made after the printers, as a program started then.
    UsbPrinterFinder& Finder() {
        if (!finder_) {
            EXPECT_EQ(usb.Failure(), "");
            finder_ = std::make_unique<UsbPrinterFinder>(machine, reporter);
        }
        return *finder_;
    }

    EmulatedUsb usb;
    EmulatedMachine machine;
    support::RecordingReporter reporter;

private:
    std::unique_ptr<UsbPrinterFinder> finder_;
};

// A switch as Get Status reports it: pin k on when bit k-1 is set, off otherwise.
protocol::SwitchPins PinsOf(std::uint8_t bits) {
    protocol::SwitchPins pins{};
    for (int pin = 1; pin <= 8; ++pin) {
        pins[static_cast<std::size_t>(pin)] =
            (bits >> (pin - 1)) & 1 ? protocol::kPinSwitchOn : protocol::kPinSwitchOff;
    }
    return pins;
}

std::vector<std::string> Paths(const std::vector<platform::UsbPrinterInfo>& printers) {
    std::vector<std::string> paths;
    for (const auto& printer : printers) {
        paths.push_back(printer.devicePath);
    }
    return paths;
}

// Guards against reaching a printer twice, or through libusb where usblp offers it.
TEST_F(LibusbPrintersTest, UsblpComesFirstAndLibusbReachesEveryOtherPrinter) {
    auto& free = usb.AddPrinter(kVendor310, 0x0002, Holder::Nobody);
    auto& lp = usb.AddPrinter(kVendor620, 0x4010, Holder::Usblp);
    auto& noNode = usb.AddPrinter(kVendor310, 0x0025, Holder::UsblpWithoutNode);
    auto& held = usb.AddPrinter(kVendor310, 0x0003, Holder::AnotherProgram);
    ASSERT_EQ(usb.Failure(), "");

    auto printers = machine.ListUsbPrinters();

    EXPECT_EQ(Paths(printers), (std::vector<std::string>{lp.LpPath(), free.UsbfsPath(),
                                                         noNode.UsbfsPath(), held.UsbfsPath()}));
    ASSERT_EQ(printers.size(), 4u);
    EXPECT_EQ(printers[0].vendorId, kVendor620);
    EXPECT_EQ(printers[0].productId, 0x4010);
    EXPECT_EQ(printers[2].vendorId, kVendor310);
    EXPECT_EQ(printers[2].productId, 0x0025);
    EXPECT_EQ(printers[3].productId, 0x0003);
    EXPECT_EQ(printers[1].sysPath, "/sys/bus/usb/devices/1-1:1.0");
}

struct SessionCase {
    const char* name;
    Holder holder;
    int detaches;  // during the session, and so re-attaches after it
};

void PrintTo(const SessionCase& row, std::ostream* os) {
    *os << row.name;
}

class LibusbSessionTest : public LibusbPrintersTest,
                          public ::testing::WithParamInterface<SessionCase> {};

// Guards against a kernel driver left detached after the port closes, and against binding a
// driver that did not hold the printer before.
TEST_P(LibusbSessionTest, KernelDriverIsTakenForTheSessionAndGivenBackAfterIt) {
    auto& printer = usb.AddPrinter(kVendor310, 0x0002, GetParam().holder);
    const bool boundBefore = printer.Log().driverBound;
    PrinterPort port(machine);
    port.SetUsbAccess(&Finder());
    port.SetPortName("USB");

    ASSERT_TRUE(port.Open()) << DescribeFailure(port.LastFailure());
    auto during = printer.Log();
    EXPECT_FALSE(during.driverBound);
    EXPECT_TRUE(during.claimed);
    EXPECT_EQ(during.detaches, GetParam().detaches);
    EXPECT_EQ(reporter.NotesText(), "completeDeviceName = (" + printer.UsbfsPath() + ")\n");

    port.Close();
    auto after = printer.Log();
    EXPECT_FALSE(after.claimed);
    EXPECT_EQ(after.driverBound, boundBefore);
    EXPECT_EQ(after.attaches, GetParam().detaches);
    EXPECT_EQ(after.claims, after.releases);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, LibusbSessionTest,
    ::testing::Values(SessionCase{"UsblpWithoutNode", Holder::UsblpWithoutNode, 1},
                      SessionCase{"NoDriver", Holder::Nobody, 0}),
    [](const ::testing::TestParamInfo<SessionCase>& info) { return info.param.name; });

// Guards against an open that fails after the detach and leaves the printer without a driver.
TEST_F(LibusbPrintersTest, FailedOpenGivesTheKernelDriverBack) {
    auto& printer = usb.AddPrinter(kVendor310, 0x0002, Holder::UsblpWithoutNode);
    printer.RefuseClaimAfterDetach(EBUSY);
    PrinterPort port(machine);
    port.SetUsbAccess(&Finder());
    port.SetPortName("USB");

    EXPECT_FALSE(port.Open());

    auto log = printer.Log();
    EXPECT_EQ(log.detaches, 1);
    EXPECT_EQ(log.attaches, 1);
    EXPECT_TRUE(log.driverBound);
    EXPECT_FALSE(log.claimed);
    EXPECT_EQ(port.LastFailure().error.kind, ErrorKind::Busy);
}

// Guards against "no printer connected" for a printer that another program is printing to.
TEST_F(LibusbPrintersTest, PrinterHeldByAnotherProgramIsReportedBusy) {
    auto& printer = usb.AddPrinter(kVendor310, 0x0002, Holder::AnotherProgram);
    PrinterPort port(machine);
    port.SetUsbAccess(&Finder());
    port.SetPortName("USB");

    EXPECT_FALSE(port.Open());

    EXPECT_EQ(port.LastFailure().problem, PortProblem::DeviceError);
    EXPECT_EQ(DescribeFailure(port.LastFailure()),
              "cannot open USB (" + printer.UsbfsPath() +
                  "): device in use by another program (errno 16)");
    EXPECT_EQ(reporter.NotesText(), "FAILED to open " + printer.UsbfsPath() + "\n");
    EXPECT_EQ(printer.Log().claims, 0);
}

// Guards against a command split or padded on the wire, and a read that takes more than one
// transfer or waits for a full buffer.
TEST_F(LibusbPrintersTest, EachWriteIsOneTransferAndEachReadReturnsOneReply) {
    auto& printer = usb.AddPrinter(kVendor620, 0x4010, Holder::Nobody);
    printer.SetResponder([](std::span<const std::uint8_t> sent) -> std::vector<Bytes> {
        if (sent.size() == 3 && sent[0] == 0x1d && sent[1] == 0x49) {
            return {{0x5f, 0x41, 0x33, 0x00}, {0x5f, 0x42, 0x00}};
        }
        return {};
    });
    PrinterPort port(machine);
    port.SetUsbAccess(&Finder());
    port.SetPortName("USB");
    ASSERT_TRUE(port.Open()) << DescribeFailure(port.LastFailure());

    const std::uint8_t request[] = {0x1d, 0x49, 0x01};
    ASSERT_TRUE(port.Write({request, sizeof(request)}));
    std::uint8_t first[64] = {};
    std::uint8_t second[64] = {};
    ASSERT_EQ(port.Read({first, sizeof(first)}), 4u);
    ASSERT_EQ(port.Read({second, sizeof(second)}), 3u);

    EXPECT_EQ(printer.Log().received, (std::vector<Bytes>{{0x1d, 0x49, 0x01}}));
    EXPECT_EQ(Bytes(first, first + 4), (Bytes{0x5f, 0x41, 0x33, 0x00}));
    EXPECT_EQ(Bytes(second, second + 3), (Bytes{0x5f, 0x42, 0x00}));
    EXPECT_EQ(port.LastFailure().problem, PortProblem::None);
}

struct BoundCase {
    const char* name;
    bool write;             // a write to a printer that takes nothing, else a silent read
    std::uint32_t boundMs;  // the request's deadline: 2000 ms, plus 1 ms a byte written
};

void PrintTo(const BoundCase& row, std::ostream* os) {
    *os << row.name;
}

class LibusbBoundTest : public LibusbPrintersTest,
                        public ::testing::WithParamInterface<BoundCase> {};

// Guards against a request that hangs on a printer that stays quiet (libusb waits for ever
// when given no time-out), or gives up before its deadline.
TEST_P(LibusbBoundTest, RequestToAQuietPrinterEndsAtItsDeadline) {
    auto& printer = usb.AddPrinter(kVendor310, 0x0025, Holder::Nobody);
    printer.StopTakingData();
    Finder();
    platform::Error error;
    auto device = machine.OpenUsbPrinter(printer.UsbfsPath(), true, error);
    ASSERT_NE(device, nullptr) << platform::ToString(error.kind);

    std::uint8_t buffer[64] = {0x1b, 0x40};
    auto start = Clock::now();
    platform::IoResult result =
        GetParam().write ? device->Write({buffer, 2}) : device->Read(buffer);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);

    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, ErrorKind::TimedOut);
    EXPECT_GE(elapsed.count(), GetParam().boundMs);
    EXPECT_LE(elapsed.count(), GetParam().boundMs + 500);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, LibusbBoundTest,
    ::testing::Values(BoundCase{"SilentRead", false, platform::kUsbReadTimeoutMs},
                      BoundCase{"RefusedWrite", true, 2002}),
    [](const ::testing::TestParamInfo<BoundCase>& info) { return info.param.name; });

// Guards against a libusb transfer that leaves the window unanswered while it waits: a silent
// read keeps the wait hook called all along and still ends at its deadline.
TEST_F(LibusbPrintersTest, AWaitingTransferKeepsTheWaitHookCalledAndEndsAtItsDeadline) {
    auto& printer = usb.AddPrinter(kVendor310, 0x0025, Holder::Nobody);
    Finder();
    auto address = platform::posix::LibusbPrinters::AddressOf(printer.UsbfsPath());
    ASSERT_TRUE(address.has_value());
    std::vector<Clock::time_point> calls;
    auto pacer = std::make_shared<platform::WaitPacer>();
    pacer->SetHook([&calls] { calls.push_back(Clock::now()); });
    platform::Error error;
    auto device =
        platform::posix::LibusbPrinters::Open(*address, printer.UsbfsPath(), true, error, pacer);
    ASSERT_NE(device, nullptr) << platform::ToString(error.kind);

    std::uint8_t buffer[64] = {};
    auto start = Clock::now();
    platform::IoResult result = device->Read(buffer);
    auto end = Clock::now();

    EXPECT_EQ(result.error.kind, ErrorKind::TimedOut);
    EXPECT_GE(end - start, std::chrono::milliseconds(platform::kUsbReadTimeoutMs));
    EXPECT_LE(end - start, std::chrono::milliseconds(platform::kUsbReadTimeoutMs + 500));
    auto last = start;
    for (auto call : calls) {
        EXPECT_LT(call - last, std::chrono::milliseconds(80));
        last = call;
    }
    EXPECT_LT(end - last, std::chrono::milliseconds(80));
}

// Guards against a libusb link that opens but cannot carry a real exchange: the connection
// window's Connect and the manager's Get Status, answered by the simulated printer.
TEST_F(LibusbPrintersTest, ConnectAndGetStatusRunOverTheLibusbPath) {
    auto& usbPrinter = usb.AddPrinter(kVendor310, 0x0002, Holder::UsblpWithoutNode);
    sim::VirtualPrinter printer(sim::Model::Krt310II);
    printer.SetSwitch(2, 0x5a);
    printer.SetSwitch(8, 0x81);
    usbPrinter.SetResponder(
        [&printer](std::span<const std::uint8_t> sent) { return printer.Feed(sent); });
    PrinterPort port(machine);
    operations::PrinterConnector connector(port, reporter);
    Finder();

    operations::ConnectRequest request;
    request.model = protocol::PrinterModel::Krt310Family;
    request.emulation = protocol::Emulation::Native;
    request.portName = "USB";
    operations::ConnectResult connected = connector.Connect(request);
    ASSERT_TRUE(connected.Connected()) << reporter.NotesText();
    EXPECT_EQ(reporter.Texts(), (std::vector<std::string>{"Printer is connected."}));
    EXPECT_EQ(usbPrinter.Log().detaches, 1);

    operations::NoProgress progress;
    operations::ReadResult status =
        operations::ReadNativeStatus(port, protocol::PrinterModel::Krt310Family, progress);
    ASSERT_TRUE(status.ok);
    EXPECT_EQ(status.status.codePageSwitch, PinsOf(0x5a));
    EXPECT_EQ(status.status.secondSwitch, PinsOf(0x81));
    connector.Disconnect();

    EXPECT_TRUE(usbPrinter.Log().driverBound);
    EXPECT_EQ(usbPrinter.Log().attaches, 1);
}

}  // namespace
}  // namespace corvane::link

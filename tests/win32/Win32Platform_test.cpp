// The Windows platform backend on Wine: the port names it opens, its refusals, the USB ids it
// reads from device names, the parallel status it reports, and the spooler moving printers off
// a port and back.
#include <gtest/gtest.h>

#include "platform/win32/WinApi.h"

#include <winspool.h>

#include <string>
#include <vector>

#include <fstream>

#include "SpoolerPrinter.h"
#include "link/EndedRuns.h"
#include "link/PortMap.h"
#include "link/PortNames.h"
#include "link/SpoolerPorts.h"
#include "platform/Holdings.h"
#include "platform/win32/UsbIds.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Holdings.h"
#include "platform/win32/Win32ParallelDevice.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Spooler.h"
#include "support/RecordingReporter.h"

namespace corvane::platform::win32 {
namespace {

TEST(Win32Platform, EveryPortNameOfTheWindowOpensAsItIsNamed) {
    // Windows opens the connection window's names themselves, and its spooler names ports so.
    Win32Platform platform;
    link::PortMap ports;
    for (int number = 1; number <= link::kSerialPortCount; ++number) {
        const std::string name = link::CanonicalPortName({PortFamily::Serial, number});
        EXPECT_EQ(ports.DevicePath(platform, name), name);
    }
    for (int number = 1; number <= link::kParallelPortCount; ++number) {
        const std::string name = link::CanonicalPortName({PortFamily::Parallel, number});
        EXPECT_EQ(ports.DevicePath(platform, name), name);
    }
}

TEST(Win32Platform, APortWithoutADeviceIsNotFound) {
    Win32Platform platform;
    Error error;
    EXPECT_EQ(platform.OpenSerial("\\\\.\\COM77", error), nullptr);
    EXPECT_EQ(error.kind, ErrorKind::NotFound);
    EXPECT_EQ(error.nativeSource, NativeSource::Win32);
    EXPECT_EQ(platform.OpenParallel("\\\\.\\LPT77", error), nullptr);
    EXPECT_EQ(error.kind, ErrorKind::NotFound);
}

TEST(Win32Platform, UsbIdsComeFromDevicePathsAndInstanceIds) {
    struct Row {
        const char* name;
        bool found;
        std::uint16_t vendorId;
        std::uint16_t productId;
    };
    const Row rows[] = {
        {"\\\\?\\usb#vid_2c9a&pid_0002#5&1c2d&0&2#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", true,
         0x2c9a, 0x0002},
        {"USB\\VID_3E1F&PID_4010\\0123456789", true, 0x3e1f, 0x4010},
        // An interface of a composite device carries its interface number after the ids.
        {"\\\\?\\usb#vid_2c9a&pid_0025&mi_01#6&2b&0&0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
         true, 0x2c9a, 0x0025},
        {"USBPRINT\\VANTORAKRT-310\\7&1A2B&0&USB001", false, 0, 0},
        {"\\\\?\\usb#vid_2c9a&pid_00#x", false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ids = UsbIdsFromName(row.name);
        ASSERT_EQ(ids.has_value(), row.found);
        if (row.found) {
            EXPECT_EQ(ids->vendorId, row.vendorId);
            EXPECT_EQ(ids->productId, row.productId);
        }
    }
}

TEST(Win32Platform, AMachineWithoutUsbPrintersListsNone) {
    Win32Platform platform;
    EXPECT_TRUE(platform.ListUsbPrinters().empty());
    EXPECT_TRUE(platform.Facts().usbSupported);
}

TEST(Win32Platform, ParallelStatusIsSelectedAloneOnlyForAReadyPrinter) {
    // The driver's own bits (busy 0x40, paper out 0x04, off line 0x08) against the link's.
    EXPECT_EQ(Win32ParallelDevice::StatusFromQuery(0x80), kParallelSelected);
    EXPECT_EQ(Win32ParallelDevice::StatusFromQuery(0xC0), kParallelSelected | kParallelBusy);
    EXPECT_EQ(Win32ParallelDevice::StatusFromQuery(0x84), kParallelSelected | kParallelPaperEmpty);
    EXPECT_EQ(Win32ParallelDevice::StatusFromQuery(0x08), kParallelOffLine);
    EXPECT_EQ(Win32ParallelDevice::StatusFromQuery(0x30),
              kParallelPowerOff | kParallelNotConnected);
}

TEST(Win32Platform, SleepWaitsAtLeastItsTimeOnTheMonotonicClock) {
    Win32Platform platform;
    const auto before = platform.Now();
    platform.Sleep(std::chrono::milliseconds(30));
    const auto slept = platform.Now() - before;
    EXPECT_GE(slept.count(), 30);
    EXPECT_LT(slept.count(), 1000);
}

using testing::SpoolerPrinter;

TEST(Win32Spooler, PrintersOnThePortMoveToFileAndBackAndOthersStay) {
    SpoolerPrinter onCom2(L"Corvane test on COM2", L"COM2:");
    SpoolerPrinter onCom12(L"Corvane test on COM12", L"COM12:");
    SpoolerPrinter onLpt1(L"Corvane test on LPT1", L"LPT1:");
    ASSERT_TRUE(onCom2.Made() && onCom12.Made() && onLpt1.Made())
        << "Wine's spooler refused a printer: error " << onCom2.Error();
    Win32Platform platform;
    link::PortMap ports;
    link::RedirectedPrinters redirected;

    // "COM1" would also catch COM10 to COM14, as the port's name is looked for in the spooler's.
    link::RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    EXPECT_EQ(onCom2.Port(), "FILE:");
    EXPECT_EQ(onCom12.Port(), "COM12:");
    EXPECT_EQ(onLpt1.Port(), "LPT1:");
    ASSERT_EQ(redirected.count("Corvane test on COM2"), 1u);
    EXPECT_EQ(redirected.at("Corvane test on COM2").formerPort, "COM2:");
    // The move is in the record of held things until the printer has its port back.
    auto held = platform.GetHoldings()->Entries();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].name, "Corvane test on COM2");
    EXPECT_EQ(held[0].detail, "COM2:");

    link::RestoreRedirectedPrinters(platform, redirected);
    EXPECT_EQ(onCom2.Port(), "COM2:");
    EXPECT_TRUE(redirected.empty());
    EXPECT_TRUE(platform.GetHoldings()->Entries().empty());

    link::RedirectPrintersOnPort(platform, ports, "LPT1:", redirected);
    EXPECT_EQ(onLpt1.Port(), "FILE:");
    EXPECT_EQ(onCom2.Port(), "COM2:");
}

TEST(Win32Spooler, PrintersStillMovedGetTheirPortsBackWhenTheSpoolerGoes) {
    // Guards against a way out of the program that skips the window's teardown.
    SpoolerPrinter printer(L"Corvane test on COM3", L"COM3:");
    ASSERT_TRUE(printer.Made()) << "error " << printer.Error();
    {
        Win32Spooler spooler;
        ASSERT_TRUE(spooler.StopQueue("Corvane test on COM3", link::kPortInUseReason).Ok());
        EXPECT_EQ(printer.Port(), "FILE:");
        EXPECT_EQ(spooler.MovedPrinters().at("Corvane test on COM3"), "COM3:");
    }
    EXPECT_EQ(printer.Port(), "COM3:");
}

// Guards against a printer left on "FILE:" for good by a run that was ended without its
// teardown, and against the next start moving back a printer that someone else put there.
TEST(Win32Spooler, APrinterAnEndedRunMovedToFileGetsItsPortBackAtTheNextStart) {
    SpoolerPrinter moved(L"Corvane test moved from COM4", L"FILE:");
    SpoolerPrinter filed(L"Corvane test on FILE", L"FILE:");
    ASSERT_TRUE(moved.Made() && filed.Made()) << "error " << moved.Error();
    Win32Platform platform;
    Holdings& record = *platform.GetHoldings();
    // This process's id with another start: a process that ended, whose id came again.
    Holding left{HoldingKind::Queue, "", "Corvane test moved from COM4", "COM4:", {}};
    left.owner = {record.ThisProcess().pid, record.ThisProcess().started + "0"};
    // Reading the record makes its folder; the test's entry is all it holds then.
    record.Entries();
    std::ofstream(record.Path(), std::ios::binary | std::ios::trunc) << FormatHoldings({left});

    EXPECT_EQ(link::GiveBackAfterEndedRuns(platform), 1);

    EXPECT_EQ(moved.Port(), "COM4:");
    EXPECT_EQ(filed.Port(), "FILE:");
    EXPECT_TRUE(record.Entries().empty());
}

TEST(Win32Spooler, AUsbPrinterPortRefusesTheUsbConnection) {
    SpoolerPrinter printer(L"Corvane test on USB001", L"USB001");
    ASSERT_TRUE(printer.Made()) << "error " << printer.Error();
    Win32Platform platform;
    support::RecordingReporter reporter;
    EXPECT_FALSE(link::CheckUsbPortConflict(platform, "USB", reporter));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "Corvane test on USB001 driver use USB\r\n\r\nPlease change the port of driver to "
              "other port.");
}

}  // namespace
}  // namespace corvane::platform::win32

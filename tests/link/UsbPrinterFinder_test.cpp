#include "link/UsbPrinterFinder.h"

#include <gtest/gtest.h>

#include "support/RecordingReporter.h"

#include <cstdio>
#include <sstream>

#include "link/PrinterPort.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

// The USB vendors of the two families, as the model table gives them.
const std::uint16_t kKrt310FamilyVendorId =
    product::UsbVendorOf(product::PrinterModel::Krt310Family);
const std::uint16_t kKrt620VendorId = product::UsbVendorOf(product::PrinterModel::Krt620);

using platform::QueueInfo;
using platform::sim::EventKind;
using platform::sim::ScriptedPeer;
using platform::sim::SimPlatform;

// A spooler whose queues a test lists; it notes every change asked of it.
class ListedSpooler : public platform::Spooler {
public:
    std::vector<QueueInfo> queues;
    int changes = 0;

    platform::QueueListing ListQueues() override { return {queues, {}}; }
    platform::Error StopQueue(const std::string&, const std::string&) override {
        ++changes;
        return {};
    }
    platform::Error StartQueue(const std::string&) override {
        ++changes;
        return {};
    }
};

struct Warning {
    std::string text;
    std::string caption;
};

class UsbPrinterFinderTest : public ::testing::Test {
protected:
    UsbPrinterFinderTest() { platform.SetSpooler(&spooler); }

    std::vector<std::string> OpenedPaths() const {
        std::vector<std::string> paths;
        for (const auto& event : platform.Events()) {
            if (event.kind == EventKind::Open || event.kind == EventKind::OpenFailed) {
                paths.push_back(event.device);
            }
        }
        return paths;
    }

    SimPlatform platform;
    ListedSpooler spooler;
    ScriptedPeer first;
    ScriptedPeer second;
    ScriptedPeer third;
    support::RecordingReporter reporter;
    std::vector<support::RecordingReporter::ShownMessage>& warnings = reporter.messages;
    UsbPrinterFinder finder{platform, reporter};
};

struct IdCase {
    std::uint16_t vendorId;
    std::uint16_t productId;
    bool chosen;
};

void PrintTo(const IdCase& row, std::ostream* out) {
    *out << std::hex << row.vendorId << ':' << row.productId;
}

class UsbIdTableTest : public UsbPrinterFinderTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(UsbIdTableTest, OnlyTheTablesVendorAndProductPairsAreChosen) {
    const IdCase& row = GetParam();
    platform.AttachUsb("/dev/usb/lp0", row.vendorId, row.productId, first);
    auto device = finder.OpenUsbPrinter();
    EXPECT_EQ(device != nullptr, row.chosen);
    EXPECT_EQ(finder.CompleteDeviceName(), row.chosen ? "/dev/usb/lp0" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Ids, UsbIdTableTest,
    ::testing::Values(IdCase{0x2c9a, 0x0002, true}, IdCase{0x3e1f, 0x4010, true},
                      IdCase{0x2c9a, 0x0025, true},
                      // The maker's other products share the vendor id.
                      IdCase{0x2c9a, 0x0003, false}, IdCase{0x3e1f, 0x0002, false},
                      IdCase{0x2c9a, 0x4010, false}, IdCase{0x0000, 0x0000, false}));

TEST_F(UsbPrinterFinderTest, FirstEnumeratedSupportedPrinterIsChosenAndOpenedExclusively) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0003, first);
    platform.AttachUsb("/dev/usb/lp1", 0x3e1f, 0x4010, second);
    platform.AttachUsb("/dev/usb/lp2", 0x2c9a, 0x0002, third);

    auto device = finder.OpenUsbPrinter();

    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), "/dev/usb/lp1");
    EXPECT_EQ(finder.CompleteDeviceName(), "/dev/usb/lp1");
    ASSERT_TRUE(finder.ChosenDevice().has_value());
    EXPECT_EQ(finder.ChosenDevice()->productId, 0x4010);
    // The probe opens and closes it, then the port's own open follows; lp2 is never touched.
    EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{"/dev/usb/lp1", "/dev/usb/lp1"}));
    EXPECT_EQ(reporter.NotesText(), "completeDeviceName = (/dev/usb/lp1)\n");
}

TEST_F(UsbPrinterFinderTest, PrinterHeldByAnotherProgramIsPassedOver) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, first);
    platform.AttachUsb("/dev/usb/lp1", 0x2c9a, 0x0025, second);
    platform::Error error;
    auto heldElsewhere = platform.OpenUsbPrinter("/dev/usb/lp0", true, error);
    ASSERT_NE(heldElsewhere, nullptr);

    auto device = finder.OpenUsbPrinter();

    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), "/dev/usb/lp1");
    EXPECT_EQ(finder.CompleteDeviceName(), "/dev/usb/lp1");
    EXPECT_EQ(reporter.NotesText(),
              "FAILED to open /dev/usb/lp0\ncompleteDeviceName = (/dev/usb/lp1)\n");
}

TEST_F(UsbPrinterFinderTest, NoSupportedPrinterLeavesTheNameAndWritesNoLine) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0003, first);

    EXPECT_EQ(finder.OpenUsbPrinter(), nullptr);
    EXPECT_EQ(finder.CompleteDeviceName(), "");
    EXPECT_FALSE(finder.ChosenDevice().has_value());
    EXPECT_EQ(reporter.NotesText(), "");
}

TEST_F(UsbPrinterFinderTest, OnlyMatchingPrinterBusyFailsButKeepsItsName) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, first);
    platform::Error error;
    auto heldElsewhere = platform.OpenUsbPrinter("/dev/usb/lp0", true, error);

    EXPECT_EQ(finder.OpenUsbPrinter(), nullptr);
    EXPECT_EQ(finder.CompleteDeviceName(), "/dev/usb/lp0");
    EXPECT_EQ(reporter.NotesText(), "FAILED to open /dev/usb/lp0\n");
    // The port then says the printer is in use, not that none is connected.
    EXPECT_EQ(finder.OpenError().kind, platform::ErrorKind::Busy);
}

TEST_F(UsbPrinterFinderTest, ExclusiveReopenRefusedEndsTheSearchWithoutTryingTheNext) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, first);
    platform.AttachUsb("/dev/usb/lp1", 0x2c9a, 0x0025, second);
    // Another program shares the device: the probe gets in, the exclusive open does not.
    platform.SetBusy("/dev/usb/lp0", true);

    EXPECT_EQ(finder.OpenUsbPrinter(), nullptr);
    EXPECT_EQ(finder.CompleteDeviceName(), "/dev/usb/lp0");
    EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{"/dev/usb/lp0", "/dev/usb/lp0"}));
}

TEST_F(UsbPrinterFinderTest, EachSearchStartsAgainFromTheFirstPrinter) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, first);
    platform.AttachUsb("/dev/usb/lp1", 0x3e1f, 0x4010, second);
    platform::Error error;
    auto heldElsewhere = platform.OpenUsbPrinter("/dev/usb/lp0", true, error);
    ASSERT_NE(finder.OpenUsbPrinter(), nullptr);
    EXPECT_TRUE(finder.ChosenDeviceHasVendor(kKrt620VendorId));

    heldElsewhere.reset();
    ASSERT_NE(finder.OpenUsbPrinter(), nullptr);
    EXPECT_EQ(finder.CompleteDeviceName(), "/dev/usb/lp0");
    EXPECT_TRUE(finder.ChosenDeviceHasVendor(kKrt310FamilyVendorId));
    EXPECT_FALSE(finder.ChosenDeviceHasVendor(kKrt620VendorId));
}

TEST_F(UsbPrinterFinderTest, NoVendorMatchesBeforeAnyPrinterWasChosen) {
    EXPECT_FALSE(finder.ChosenDeviceHasVendor(kKrt310FamilyVendorId));
    EXPECT_FALSE(finder.ChosenDeviceHasVendor(kKrt620VendorId));
}

TEST_F(UsbPrinterFinderTest, QueueOnAUsbPrinterRefusesWithTheDriverWarning) {
    spooler.queues = {{"Office", "serial:/dev/ttyS1", false},
                      {"Labels", "usb://Vantora/KRT-310?serial=A1", false},
                      {"Other", "usb://Acme/Jet", false}};

    EXPECT_FALSE(finder.CheckUsbPortConflict());

    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text,
              "Labels driver use USB\r\n\r\nPlease change the port of driver to other port.");
    EXPECT_EQ(warnings[0].caption, "Warnning");
    EXPECT_EQ(spooler.changes, 0);
}

TEST_F(UsbPrinterFinderTest, QueuesOffUsbLetTheConnectionGoAheadSilently) {
    spooler.queues = {{"Office", "serial:/dev/ttyS1", false},
                      {"Net", "ipp://printhost/ipp/print", true},
                      {"Pdf", "cups-pdf:/", false}};

    EXPECT_TRUE(finder.CheckUsbPortConflict());
    EXPECT_TRUE(warnings.empty());
}

TEST_F(UsbPrinterFinderTest, PrinterPortOpensUsbThroughTheFinder) {
    platform.AttachUsb("/dev/usb/lp3", 0x2c9a, 0x0025, first);
    PrinterPort port(platform);
    port.SetUsbAccess(&finder);
    port.SetPortName("USB");

    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.Kind(), InterfaceKind::Usb);
    EXPECT_EQ(port.Device()->Name(), "/dev/usb/lp3");
    EXPECT_TRUE(finder.ChosenDeviceHasVendor(kKrt310FamilyVendorId));

    const std::uint8_t request[] = {0x1d, 0x49, 0x01};
    EXPECT_TRUE(port.Write({request, sizeof(request)}));
    EXPECT_EQ(first.received, (std::vector<std::uint8_t>{0x1d, 0x49, 0x01}));
}

TEST_F(UsbPrinterFinderTest, PrinterPortRefusesUsbWhileAQueueUsesAUsbPrinter) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, first);
    spooler.queues = {{"Receipts", "usb://Vantora/KRT-620", false}};
    PrinterPort port(platform);
    port.SetUsbAccess(&finder);
    port.SetPortName("USB");

    EXPECT_FALSE(port.Open());
    EXPECT_EQ(warnings.size(), 1u);
    // Refused before the search: no device was even looked at.
    EXPECT_TRUE(OpenedPaths().empty());
    EXPECT_EQ(finder.CompleteDeviceName(), "");
}

}  // namespace
}  // namespace corvane::link

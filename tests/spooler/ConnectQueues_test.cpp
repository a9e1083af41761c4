// The connection window's Connect against the private scheduler: queues moved aside by a serial
// Connect stay moved through a later USB Connect.

#include <gtest/gtest.h>

#include <sstream>

#include "CupsDaemonTest.h"
#include "app/ConnectionDialog.h"
#include "platform/posix/CupsSpooler.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"
#include "ui/HeadlessHost.h"

namespace corvane::spooler_test {
namespace {

class ConnectQueuesTest : public CupsDaemonTest {};

// Guards against a USB Connect starting queues that still print to the serial port.
TEST_F(ConnectQueuesTest, UsbConnectLeavesQueuesMovedByAnEarlierSerialConnectMoved) {
    AddQueue("Receipts", "serial:/dev/ttyS2?baud=9600");
    AddQueue("Kitchen", "serial:/dev/ttyS3");
    platform::posix::CupsSpooler spooler(daemon->Socket());
    platform::sim::SimPlatform platform;
    platform.SetSpooler(&spooler);
    sim::VirtualPrinter serialPrinter(sim::Model::Krt310);
    sim::VirtualPrinter usbPrinter(sim::Model::Krt310);
    platform.AttachSerial("/dev/ttyS2", serialPrinter);
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbPrinter);
    link::PortMap ports;
    ports.Override("COM3", "/dev/ttyS2");
    link::PrinterPort port(platform, ports);
    std::ostringstream diagnostics;
    {
        app::ConnectionDialog dialog(port, diagnostics);
        ui::HeadlessHost host(dialog);
        host.Select(1021, 2);  // COM3
        host.Click(1001);
        ASSERT_TRUE(daemon->State("Receipts").stopped);
        host.Click(72);    // Disconnect
        host.Click(1020);  // USB
        host.Click(1001);
        ASSERT_EQ(host.Messages().size(), 2u);
        EXPECT_EQ(host.Messages()[1].text, "Printer is connected.");
        auto receipts = daemon->State("Receipts");
        EXPECT_TRUE(receipts.stopped);
        EXPECT_EQ(receipts.message, "The port is in use by Corvane Manager.");
        EXPECT_FALSE(daemon->State("Kitchen").stopped);
    }
    // The window's end still gives the queue back.
    EXPECT_FALSE(daemon->State("Receipts").stopped);
}

}  // namespace
}  // namespace corvane::spooler_test

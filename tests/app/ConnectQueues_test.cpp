// Connect's handling of USB printers and of the print queues on the chosen port.
#include <gtest/gtest.h>

#include <sstream>

#include "app/ConnectionDialog.h"
#include "app/CorvaneApp.h"
#include "platform/sim/SimPlatform.h"
#include "resources/Template102Ids.h"
#include "resources/Template145Ids.h"
#include "sim/VirtualPrinter.h"
#include "ui/HeadlessHost.h"

namespace corvane::app {
namespace {

namespace id = resources::template102;
using platform::sim::SimPlatform;
using sim::Model;
using sim::VirtualPrinter;

// A spooler that keeps its queues in memory and logs every change, in order.
class RecordingSpooler : public platform::Spooler {
public:
    std::vector<platform::QueueInfo> queues;
    std::vector<std::string> log;

    platform::QueueListing ListQueues() override { return {queues, {}}; }
    platform::Error StopQueue(const std::string& name, const std::string&) override {
        log.push_back("stop " + name);
        Find(name).stopped = true;
        return {};
    }
    platform::Error StartQueue(const std::string& name) override {
        log.push_back("start " + name);
        Find(name).stopped = false;
        return {};
    }

private:
    platform::QueueInfo& Find(const std::string& name) {
        for (auto& queue : queues) {
            if (queue.name == name) {
                return queue;
            }
        }
        return queues.front();
    }
};

class ConnectQueuesTest : public ::testing::Test {
protected:
    ConnectQueuesTest() {
        platform.SetSpooler(&spooler);
        platform.AttachSerial("/dev/ttyS2", krt310);
        platform.AttachSerial("/dev/ttyS3", krt310b);
    }

    std::vector<std::string> MessageTexts(ui::HeadlessHost& host) {
        std::vector<std::string> texts;
        for (const auto& message : host.GetSession().messages) {
            texts.push_back(message.text);
        }
        return texts;
    }

    SimPlatform platform;
    RecordingSpooler spooler;
    VirtualPrinter krt310{Model::Krt310};
    VirtualPrinter krt310b{Model::Krt310};
    VirtualPrinter usbKrt310{Model::Krt310};
    link::PrinterPort port{platform,
                           link::PortMap({{"COM3", "/dev/ttyS2"}, {"COM4", "/dev/ttyS3"}})};
    std::ostringstream diagnostics;
};

TEST_F(ConnectQueuesTest, QueuesOnThePortAreStoppedBeforeOpenAndRestoredAtTheNextConnect) {
    spooler.queues = {{"receipts", "serial:/dev/ttyS2?baud=9600", false},
                      {"labels", "serial:/dev/ttyS3", false}};
    {
        ConnectionDialog dialog(port, diagnostics);
        ui::HeadlessHost host(dialog);
        host.Select(id::kComBox, 2);
        host.Click(id::kConnect);
        EXPECT_EQ(spooler.log, std::vector<std::string>{"stop receipts"});
        host.Click(id::kDisconnect);
        // Disconnect leaves the queue stopped; the next Connect gives it back first.
        host.Select(id::kComBox, 3);
        host.Click(id::kConnect);
        EXPECT_EQ(spooler.log,
                  (std::vector<std::string>{"stop receipts", "start receipts", "stop labels"}));
        EXPECT_EQ(MessageTexts(host).back(), "Printer is connected.");
    }
    // The window's teardown gives back what is still moved.
    EXPECT_EQ(spooler.log.back(), "start labels");
    EXPECT_FALSE(spooler.queues[0].stopped);
    EXPECT_FALSE(spooler.queues[1].stopped);
}

// Guards against a window that ends the program past the teardown that starts the queues.
TEST_F(ConnectQueuesTest, AWindowEndingTheProgramStillRestoresTheQueuesAndGivesItsCode) {
    spooler.queues = {{"receipts", "serial:/dev/ttyS2", false}};
    CorvaneApp corvane(port, [&](ui::Dialog& dialog) {
        ui::HeadlessHost host(dialog);
        host.Select(id::kComBox, 2);
        host.Click(id::kConnect);
        EXPECT_TRUE(spooler.queues[0].stopped);
        host.QuitProgram(3);
        return host.GetSession().quitCode.value_or(0);
    });
    EXPECT_FALSE(corvane.InitInstance());
    EXPECT_EQ(corvane.ExitCode(), 3);
    EXPECT_EQ(spooler.log, (std::vector<std::string>{"stop receipts", "start receipts"}));
}

// Guards against a printer of another maker ending the program with its queues still stopped.
TEST_F(ConnectQueuesTest, AnotherMakerInTheManagerEndsTheProgramWithTheQueuesGivenBack) {
    spooler.queues = {{"receipts", "serial:/dev/ttyS2", false}};
    krt310.SetMakerText("QVN");  // accepted at Connect, refused by the manager
    CorvaneApp corvane(port, [&](ui::Dialog& dialog) {
        ui::HeadlessHost host(dialog);
        host.GetSession().modalDriver = [](ui::Dialog&, ui::HeadlessHost& manager) {
            manager.FireTimer(resources::template145::kStartupTimer);
        };
        host.Select(id::kComBox, 2);
        host.Click(id::kConnect);
        host.Click(id::kRunManager);
        EXPECT_EQ(MessageTexts(host).back(), "This printer don't match our company name.");
        EXPECT_TRUE(host.Ended());
        return host.GetSession().quitCode.value_or(-1);
    });
    corvane.InitInstance();
    EXPECT_EQ(corvane.ExitCode(), 0);
    EXPECT_EQ(spooler.log, (std::vector<std::string>{"stop receipts", "start receipts"}));
}

TEST_F(ConnectQueuesTest, UsbConnectLeavesQueuesAloneWhenNoneIsOnUsb) {
    spooler.queues = {{"receipts", "serial:/dev/ttyS2", false}};
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbKrt310);
    ConnectionDialog dialog(port, diagnostics);
    ui::HeadlessHost host(dialog);
    host.Click(id::kUsb);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(host), std::vector<std::string>{"Printer is connected."});
    EXPECT_TRUE(spooler.log.empty());
    EXPECT_EQ(port.Kind(), link::InterfaceKind::Usb);
}

// Guards against a USB Connect giving back the queues that an earlier serial Connect moved
// aside, which would let the spooler print to the port again.
TEST_F(ConnectQueuesTest, UsbConnectLeavesQueuesMovedByAnEarlierSerialConnectMoved) {
    spooler.queues = {{"receipts", "serial:/dev/ttyS2?baud=9600", false}};
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbKrt310);
    {
        ConnectionDialog dialog(port, diagnostics);
        ui::HeadlessHost host(dialog);
        host.Select(1021, 2);  // COM3
        host.Click(1001);
        ASSERT_EQ(spooler.log, std::vector<std::string>{"stop receipts"});
        host.Click(72);    // Disconnect
        host.Click(1020);  // USB
        host.Click(1001);
        EXPECT_EQ(MessageTexts(host),
                  (std::vector<std::string>{"Printer is connected.", "Printer is connected."}));
        EXPECT_EQ(port.PortName(), "USB");
        EXPECT_EQ(spooler.log, std::vector<std::string>{"stop receipts"});
        EXPECT_TRUE(spooler.queues[0].stopped);
    }
    EXPECT_EQ(spooler.log, (std::vector<std::string>{"stop receipts", "start receipts"}));
}

TEST_F(ConnectQueuesTest, UsbPrinterOfTheOtherVendorIsRefusedBeforeAnyByteIsSent) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbKrt310);
    ConnectionDialog dialog(port, diagnostics);
    ui::HeadlessHost host(dialog);
    host.Click(id::kModel620);
    host.Click(id::kUsb);
    host.Click(id::kConnect);
    ASSERT_EQ(MessageTexts(host),
              std::vector<std::string>{"The connected Printer has different device ID."});
    EXPECT_EQ(host.GetSession().messages[0].icon, ui::Icon::Information);
    EXPECT_TRUE(platform.Written("/dev/usb/lp0").empty());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(host.IsControlEnabled(id::kConnect));
}

TEST_F(ConnectQueuesTest, UsbQueueOfADriverRefusesTheConnectionWithItsName) {
    spooler.queues = {{"kitchen", "usb://Vantora/KRT-310?serial=1", false}};
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbKrt310);
    ConnectionDialog dialog(port, diagnostics);
    ui::HeadlessHost host(dialog);
    host.Click(id::kUsb);
    host.Click(id::kConnect);
    std::vector<std::string> texts = MessageTexts(host);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("kitchen"), std::string::npos);
    EXPECT_EQ(texts[1], "Can't open port and Printer is disconnected");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(spooler.log.empty());
}

TEST_F(ConnectQueuesTest, DisconnectAfterUsbLeavesEveryLineBoxDisabled) {
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0002, usbKrt310);
    ConnectionDialog dialog(port, diagnostics);
    ui::HeadlessHost host(dialog);
    host.Click(id::kUsb);
    host.Click(id::kConnect);
    host.Click(id::kDisconnect);
    for (int box : {id::kLptBox, id::kComBox, id::kBaudBox, id::kDataBitsBox, id::kParityBox,
                    id::kStopBitsBox}) {
        EXPECT_FALSE(host.IsControlEnabled(box)) << box;
    }
}

}  // namespace
}  // namespace corvane::app

// Moving print queues off the printer's port and back, against a real scheduler.

#include <gtest/gtest.h>

#include "support/RecordingReporter.h"

#include <cctype>

#include <set>
#include <thread>

#include "CupsDaemonTest.h"
#include "link/PrinterPort.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::spooler_test {
namespace {

using namespace std::chrono_literals;
using link::RedirectedPrinters;
using link::RedirectPrintersOnPort;
using link::RestoreRedirectedPrinters;

constexpr int kJobPending = 3;
constexpr int kJobCompleted = 9;

class QueueRedirectTest : public CupsDaemonTest {
protected:
    std::set<std::string> StoppedQueues(const std::set<std::string>& names) {
        std::set<std::string> stopped;
        for (const auto& name : names) {
            auto state = daemon->State(name);
            EXPECT_TRUE(state.found) << name;
            if (state.stopped) {
                stopped.insert(name);
            }
        }
        return stopped;
    }

    platform::posix::PosixPlatform platform;
    link::PortMap ports;
    RedirectedPrinters redirected;
};

TEST_F(QueueRedirectTest, BothQueuesOnThePortAreStoppedAndBothStartedAtTheNextConnect) {
    AddQueue("Receipts", "serial:/dev/ttyS1?baud=9600");
    AddQueue("Tickets", "serial:/dev/ttyS1");

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);

    EXPECT_EQ(StoppedQueues({"Receipts", "Tickets"}),
              (std::set<std::string>{"Receipts", "Tickets"}));
    EXPECT_EQ(daemon->State("Receipts").message, link::kPortInUseReason);
    ASSERT_EQ(redirected.size(), 2u);
    EXPECT_EQ(redirected.at("Receipts").formerPort, "serial:/dev/ttyS1?baud=9600");
    EXPECT_EQ(redirected.at("Tickets").formerPort, "serial:/dev/ttyS1");

    // The next connect, on a parallel port: restore first, then move the new port's queues.
    RestoreRedirectedPrinters(platform, redirected);
    RedirectPrintersOnPort(platform, ports, "LPT1:", redirected);

    EXPECT_TRUE(StoppedQueues({"Receipts", "Tickets"}).empty());
    EXPECT_TRUE(redirected.empty());
}

struct PortCase {
    const char* portName;
    std::set<std::string> moved;
};

void PrintTo(const PortCase& row, std::ostream* out) {
    *out << row.portName;
}

class QueuePortMatchTest : public QueueRedirectTest,
                           public ::testing::WithParamInterface<PortCase> {};

TEST_P(QueuePortMatchTest, OnlyQueuesOnThePortsDeviceAreMoved) {
    const std::set<std::string> all = {"S1", "S10", "S2", "P0", "P1"};
    AddQueue("S1", "serial:/dev/ttyS1?baud=9600");
    AddQueue("S10", "serial:/dev/ttyS10?baud=19200");
    AddQueue("S2", "serial:/dev/ttyS2");
    AddQueue("P0", "parallel:/dev/lp0");
    AddQueue("P1", "parallel:/dev/lp1");

    RedirectPrintersOnPort(platform, ports, GetParam().portName, redirected);
    EXPECT_EQ(StoppedQueues(all), GetParam().moved);

    RestoreRedirectedPrinters(platform, redirected);
    EXPECT_TRUE(StoppedQueues(all).empty());
}

INSTANTIATE_TEST_SUITE_P(Ports, QueuePortMatchTest,
                         ::testing::Values(PortCase{"COM2", {"S1"}},
                                           PortCase{"\\\\.\\COM11", {"S10"}},
                                           PortCase{"COM3", {"S2"}}, PortCase{"LPT1:", {"P0"}},
                                           PortCase{"COM5", {}}),
                         [](const ::testing::TestParamInfo<PortCase>& info) {
                             std::string name;
                             for (char c : std::string(info.param.portName)) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

TEST_F(QueueRedirectTest, QueueStoppedBeforeStaysStoppedWithItsOwnReason) {
    AddQueue("Held", "serial:/dev/ttyS1");
    AddQueue("Live", "serial:/dev/ttyS1");
    ASSERT_TRUE(daemon->StopQueue("Held", "Waiting for paper"));

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    EXPECT_EQ(daemon->State("Held").message, "Waiting for paper");
    RestoreRedirectedPrinters(platform, redirected);

    auto held = daemon->State("Held");
    EXPECT_TRUE(held.stopped);
    EXPECT_EQ(held.message, "Waiting for paper");
    EXPECT_FALSE(daemon->State("Live").stopped);
}

TEST_F(QueueRedirectTest, JobsSentWhileMovedWaitAndPrintAfterTheRestore) {
    AddQueue("Receipts", "serial:/dev/ttyS1");
    // The stub backend prints at once while the queue is in service.
    int before = daemon->SubmitJob("Receipts", "first\n");
    ASSERT_GT(before, 0);
    ASSERT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->JobState(before) == kJobCompleted; }));

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    int during = daemon->SubmitJob("Receipts", "second\n");
    ASSERT_GT(during, 0);
    // Give the scheduler the time it would need to print, to see that it does not.
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(daemon->JobState(during), kJobPending);
    EXPECT_EQ(daemon->Printed("Receipts"), "first\n");

    RestoreRedirectedPrinters(platform, redirected);
    EXPECT_TRUE(CupsDaemon::WaitUntil([&] { return daemon->JobState(during) == kJobCompleted; }));
    EXPECT_EQ(daemon->Printed("Receipts"), "first\nsecond\n");
}

TEST_F(QueueRedirectTest, UsbConnectIsRefusedNamingTheQueueAndChangesNothing) {
    AddQueue("Receipts", "serial:/dev/ttyS1");
    AddQueue("Kitchen", "usb://Vantora/KRT-620?serial=K1");
    ASSERT_TRUE(daemon->StopQueue("Receipts", "Waiting for paper"));
    support::RecordingReporter reporter;
    link::UsbPrinterFinder finder(platform, reporter);
    link::PrinterPort port(platform);
    port.SetUsbAccess(&finder);
    port.SetPortName("USB");

    EXPECT_FALSE(port.Open());

    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "Kitchen driver use USB\r\n\r\nPlease change the port of driver to other port.");
    EXPECT_EQ(reporter.messages[0].caption, "Warnning");
    EXPECT_EQ(port.LastFailure().problem, link::PortProblem::UsbQueueConflict);
    EXPECT_FALSE(daemon->State("Kitchen").stopped);
    EXPECT_EQ(daemon->State("Receipts").message, "Waiting for paper");
}

TEST_F(QueueRedirectTest, UsbConnectWithoutUsbQueuesIsNotRefused) {
    AddQueue("Receipts", "serial:/dev/ttyS1");
    support::RecordingReporter reporter;
    EXPECT_TRUE(link::CheckUsbPortConflict(platform, "USB", reporter));
    EXPECT_TRUE(reporter.messages.empty());
}

}  // namespace
}  // namespace corvane::spooler_test

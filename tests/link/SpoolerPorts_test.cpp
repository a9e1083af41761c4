#include "link/SpoolerPorts.h"

#include <gtest/gtest.h>

#include "support/RecordingReporter.h"

#include <cctype>

#include <set>

#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

using platform::ErrorKind;
using platform::QueueInfo;
using platform::sim::SimPlatform;

// A spooler in memory whose requests can be made to fail, queue by queue.
class MemorySpooler : public platform::Spooler {
public:
    std::vector<QueueInfo> queues;
    std::map<std::string, ErrorKind> failStop;
    std::map<std::string, ErrorKind> failStart;
    std::vector<std::string> calls;

    std::vector<QueueInfo> ListQueues() override { return queues; }

    platform::Error StopQueue(const std::string& name, const std::string& reason) override {
        calls.push_back("stop " + name + " (" + reason + ")");
        return Change(name, failStop, true);
    }

    platform::Error StartQueue(const std::string& name) override {
        calls.push_back("start " + name);
        return Change(name, failStart, false);
    }

    bool Stopped(const std::string& name) const {
        for (const auto& queue : queues) {
            if (queue.name == name) {
                return queue.stopped;
            }
        }
        ADD_FAILURE() << "no queue " << name;
        return false;
    }

private:
    platform::Error Change(const std::string& name, const std::map<std::string, ErrorKind>& fail,
                           bool stop) {
        auto failure = fail.find(name);
        if (failure != fail.end()) {
            return {failure->second, 0};
        }
        for (auto& queue : queues) {
            if (queue.name == name) {
                queue.stopped = stop;
                return {};
            }
        }
        return {ErrorKind::NotFound, 0};
    }
};

class SpoolerPortsTest : public ::testing::Test {
protected:
    SpoolerPortsTest() { platform.SetSpooler(&spooler); }

    std::set<std::string> Recorded() const {
        std::set<std::string> names;
        for (const auto& [name, entry] : redirected) {
            names.insert(name);
        }
        return names;
    }

    SimPlatform platform;
    PortMap ports{{{"COM1", "/dev/ttyS0"},
                   {"COM2", "/dev/ttyS1"},
                   {"\\\\.\\COM10", "/dev/ttyS9"},
                   {"LPT1:", "/dev/lp0"}}};
    MemorySpooler spooler;
    RedirectedPrinters redirected;
};

struct PortCase {
    const char* portName;
    std::set<std::string> moved;
};

void PrintTo(const PortCase& row, std::ostream* out) {
    *out << row.portName;
}

class PortMatchTest : public SpoolerPortsTest, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortMatchTest, QueuesWhoseUriContainsThePortsDeviceAreMoved) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1?baud=9600", false},
                      {"S10", "serial:/dev/ttyS10?baud=19200", false},
                      {"S13", "serial:/dev/ttyS13", false},
                      {"S2", "serial:/dev/ttyS2", false},
                      {"S9", "serial:/dev/ttyS9", false},
                      {"P0", "parallel:/dev/lp0", false},
                      {"P1", "parallel:/dev/lp1", false},
                      {"Net", "socket://10.0.0.5:9100", false}};

    RedirectPrintersOnPort(platform, ports, GetParam().portName, redirected);

    EXPECT_EQ(Recorded(), GetParam().moved);
    for (const auto& queue : spooler.queues) {
        EXPECT_EQ(queue.stopped, GetParam().moved.count(queue.name) == 1) << queue.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, PortMatchTest,
                         ::testing::Values(PortCase{"COM2", {"S1", "S10", "S13"}},
                                           PortCase{"\\\\.\\COM10", {"S9"}}, PortCase{"COM1", {}},
                                           PortCase{"LPT1:", {"P0"}}),
                         [](const ::testing::TestParamInfo<PortCase>& info) {
                             std::string name;
                             for (char c : std::string(info.param.portName)) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

TEST_F(SpoolerPortsTest, StoppedQueueShowsWhoHoldsThePort) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);

    EXPECT_EQ(spooler.calls,
              (std::vector<std::string>{"stop S1 (The port is in use by Corvane Manager.)"}));
    EXPECT_EQ(redirected.at("S1").formerPort, "serial:/dev/ttyS1");
}

TEST_F(SpoolerPortsTest, PortWithoutADevicePathMovesNothing) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};

    // A name of no port has no device, and an empty path would be found in every URI.
    RedirectPrintersOnPort(platform, ports, "COM15", redirected);

    EXPECT_TRUE(redirected.empty());
    EXPECT_TRUE(spooler.calls.empty());
}

TEST_F(SpoolerPortsTest, FailureOnOneQueueDoesNotKeepTheNextFromMoving) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", false},
                      {"B", "serial:/dev/ttyS1", false},
                      {"C", "serial:/dev/ttyS10", false}};
    spooler.failStop["A"] = ErrorKind::AccessDenied;

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);

    // A is recorded although it could not be stopped, so the next restore tries it again.
    EXPECT_EQ(Recorded(), (std::set<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(spooler.Stopped("A"));
    EXPECT_TRUE(spooler.Stopped("B"));
    EXPECT_TRUE(spooler.Stopped("C"));
}

TEST_F(SpoolerPortsTest, QueueStoppedBeforeIsRecordedButNeitherStoppedNorStarted) {
    spooler.queues = {{"Held", "serial:/dev/ttyS1", true}, {"Live", "serial:/dev/ttyS1", false}};

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    RestoreRedirectedPrinters(platform, redirected);

    EXPECT_EQ(spooler.calls,
              (std::vector<std::string>{"stop Live (The port is in use by Corvane Manager.)",
                                        "start Live"}));
    EXPECT_TRUE(spooler.Stopped("Held"));
    EXPECT_FALSE(spooler.Stopped("Live"));
    EXPECT_TRUE(redirected.empty());
}

TEST_F(SpoolerPortsTest, FailedRestoreOnOneQueueStillRestoresTheOthersAndIsRetried) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", false},
                      {"B", "serial:/dev/ttyS1", false},
                      {"Gone", "serial:/dev/ttyS1", false}};
    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    spooler.failStart["A"] = ErrorKind::TimedOut;
    spooler.failStart["Gone"] = ErrorKind::NotFound;

    RestoreRedirectedPrinters(platform, redirected);

    EXPECT_FALSE(spooler.Stopped("B"));
    EXPECT_TRUE(spooler.Stopped("A"));
    // A deleted queue has nothing to give back; one that timed out is tried again later.
    EXPECT_EQ(Recorded(), (std::set<std::string>{"A"}));

    spooler.failStart.clear();
    RestoreRedirectedPrinters(platform, redirected);
    EXPECT_FALSE(spooler.Stopped("A"));
    EXPECT_TRUE(redirected.empty());
}

TEST_F(SpoolerPortsTest, QueueLeftStoppedByAFailedRestoreIsStartedAtTheNextOne) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", false}};
    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    spooler.failStart["A"] = ErrorKind::TimedOut;
    RestoreRedirectedPrinters(platform, redirected);
    spooler.failStart.clear();

    // The next connect finds A stopped, but by this program, so it must still come back.
    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    EXPECT_FALSE(redirected.at("A").wasStopped);
    RestoreRedirectedPrinters(platform, redirected);
    EXPECT_FALSE(spooler.Stopped("A"));
}

TEST_F(SpoolerPortsTest, RestoreWithNothingRecordedAsksTheSpoolerNothing) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", true}};

    RestoreRedirectedPrinters(platform, redirected);

    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_TRUE(spooler.Stopped("A"));
}

TEST_F(SpoolerPortsTest, WithoutASpoolerEverythingPassesQuietly) {
    platform::NoSpooler none;
    platform.SetSpooler(&none);
    support::RecordingReporter reporter;

    RedirectPrintersOnPort(platform, ports, "COM2", redirected);
    RestoreRedirectedPrinters(platform, redirected);

    EXPECT_TRUE(redirected.empty());
    EXPECT_TRUE(CheckUsbPortConflict(platform, "USB", reporter));
    EXPECT_TRUE(reporter.messages.empty());
}

struct UsbUriCase {
    const char* uri;
    bool usb;
};

void PrintTo(const UsbUriCase& row, std::ostream* out) {
    *out << '"' << row.uri << '"';
}

class UsbUriTest : public ::testing::TestWithParam<UsbUriCase> {};

TEST_P(UsbUriTest, QueuesOnUsbPrintersAreRecognised) {
    EXPECT_EQ(QueueUsesUsb({"Q", GetParam().uri, false}), GetParam().usb) << GetParam().uri;
}

INSTANTIATE_TEST_SUITE_P(Uris, UsbUriTest,
                         ::testing::Values(UsbUriCase{"usb://Vantora/KRT-310?serial=1", true},
                                           UsbUriCase{"USB://Acme/Jet", true},
                                           UsbUriCase{"usb:/dev/usb/lp0", true},
                                           UsbUriCase{"parallel:/dev/usb/lp1", true},
                                           UsbUriCase{"serial:/dev/ttyUSB0", false},
                                           UsbUriCase{"ipp://usbhost/ipp/print", false},
                                           UsbUriCase{"socket://10.0.0.5", false},
                                           UsbUriCase{"", false}),
                         [](const ::testing::TestParamInfo<UsbUriCase>& info) {
                             return "Row" + std::to_string(info.index);
                         });

}  // namespace
}  // namespace corvane::link

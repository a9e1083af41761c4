#include "link/SpoolerPorts.h"

#include <gtest/gtest.h>

#include "support/MemoryHoldings.h"
#include "support/MemorySpooler.h"
#include "support/RecordingReporter.h"

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/LeftHeld.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

using namespace std::chrono_literals;
using platform::ErrorKind;
using platform::QueueInfo;
using platform::sim::SimPlatform;
using support::MemorySpooler;

class SpoolerPortsTest : public ::testing::Test {
protected:
    SpoolerPortsTest() {
        platform.SetSpooler(&spooler);
        platform.SetHoldings(&record);
    }

    void Redirect(const std::string& portName, RedirectedPrinters& session) {
        RedirectPrintersOnPort(platform, ports, portName, session, table);
    }
    void Redirect(const std::string& portName) { Redirect(portName, redirected); }
    void Restore(RedirectedPrinters& session) {
        RestoreRedirectedPrinters(platform, session, table);
    }
    void Restore() { Restore(redirected); }

    // The names of the queues in the record of held things.
    std::set<std::string> InRecord() {
        std::set<std::string> names;
        for (const auto& entry : record.Entries()) {
            names.insert(entry.name);
        }
        return names;
    }

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
    support::MemoryHoldings record;
    HeldQueues table;
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

TEST_P(PortMatchTest, QueuesOnThePortsDeviceAreMoved) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1?baud=9600", false},
                      {"S10", "serial:/dev/ttyS10?baud=19200", false},
                      {"S13", "serial:/dev/ttyS13", false},
                      {"S2", "serial:/dev/ttyS2", false},
                      {"S9", "serial:/dev/ttyS9", false},
                      {"P0", "parallel:/dev/lp0", false},
                      {"P1", "parallel:/dev/lp1", false},
                      {"Net", "socket://10.0.0.5:9100", false}};

    Redirect(GetParam().portName);

    EXPECT_EQ(Recorded(), GetParam().moved);
    for (const auto& queue : spooler.queues) {
        EXPECT_EQ(queue.stopped, GetParam().moved.count(queue.name) == 1) << queue.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, PortMatchTest,
                         ::testing::Values(PortCase{"COM2", {"S1"}},
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

    Redirect("COM2");

    EXPECT_EQ(spooler.calls,
              (std::vector<std::string>{"stop S1 (The port is in use by Corvane Manager.)"}));
    EXPECT_EQ(redirected.at("S1").formerPort, "serial:/dev/ttyS1");
}

TEST_F(SpoolerPortsTest, PortWithoutADevicePathMovesNothing) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};

    // A name of no port has no device.
    Redirect("COM15");

    EXPECT_TRUE(redirected.empty());
    EXPECT_TRUE(spooler.calls.empty());
}

TEST_F(SpoolerPortsTest, FailureOnOneQueueDoesNotKeepTheNextFromMoving) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", false},
                      {"B", "serial:/dev/ttyS1", false},
                      {"C", "serial:/dev/ttyS1", false}};
    spooler.failStop["A"] = ErrorKind::AccessDenied;

    testing::internal::CaptureStderr();
    Redirect("COM2");
    Restore();
    Redirect("COM2");
    std::string told = testing::internal::GetCapturedStderr();

    // A is recorded although it could not be stopped, so the next restore tries it again.
    EXPECT_EQ(Recorded(), (std::set<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(spooler.Stopped("A"));
    EXPECT_TRUE(spooler.Stopped("B"));
    EXPECT_TRUE(spooler.Stopped("C"));
    // Told once, however often the program connects; only what is stopped is in the record.
    const std::string line =
        "could not stop the print queue A (no permission to change it); jobs sent to it may "
        "reach the printer during the session\n";
    EXPECT_EQ(told, line);
    EXPECT_EQ(InRecord(), (std::set<std::string>{"B", "C"}));
}

TEST_F(SpoolerPortsTest, QueueStoppedBeforeIsRecordedButNeitherStoppedNorStarted) {
    spooler.queues = {{"Held", "serial:/dev/ttyS1", true}, {"Live", "serial:/dev/ttyS1", false}};

    Redirect("COM2");
    Restore();

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
    Redirect("COM2");
    spooler.failStart["A"] = ErrorKind::TimedOut;
    spooler.failStart["Gone"] = ErrorKind::NotFound;

    Restore();

    EXPECT_FALSE(spooler.Stopped("B"));
    EXPECT_TRUE(spooler.Stopped("A"));
    // A deleted queue has nothing to give back; one that timed out is tried again later.
    EXPECT_EQ(Recorded(), (std::set<std::string>{"A"}));

    spooler.failStart.clear();
    Restore();
    EXPECT_FALSE(spooler.Stopped("A"));
    EXPECT_TRUE(redirected.empty());
}

TEST_F(SpoolerPortsTest, QueueLeftStoppedByAFailedRestoreIsStartedAtTheNextOne) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", false}};
    Redirect("COM2");
    spooler.failStart["A"] = ErrorKind::TimedOut;
    Restore();
    spooler.failStart.clear();

    // The next connect finds A stopped, but by this program, so it must still come back.
    Redirect("COM2");
    EXPECT_FALSE(redirected.at("A").wasStopped);
    Restore();
    EXPECT_FALSE(spooler.Stopped("A"));
}

TEST_F(SpoolerPortsTest, RestoreWithNothingRecordedAsksTheSpoolerNothing) {
    spooler.queues = {{"A", "serial:/dev/ttyS1", true}};

    Restore();

    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_TRUE(spooler.Stopped("A"));
}

TEST_F(SpoolerPortsTest, WithoutASpoolerEverythingPassesQuietly) {
    platform::NoSpooler none;
    platform.SetSpooler(&none);
    support::RecordingReporter reporter;

    Redirect("COM2");
    Restore();

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

// Guards against a queue of another device being stopped and started by a name that merely
// begins like the port's, and against a link (/dev/serial/by-id/...) that hides the device.
struct PathCase {
    const char* queueUri;  // "@" stands for the test's folder
    const char* device;
    bool same;
};

void PrintTo(const PathCase& row, std::ostream* out) {
    *out << row.queueUri << " on " << row.device;
}

class PathMatchTest : public ::testing::TestWithParam<PathCase> {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/corvane-paths-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::create_directories(folder + "/by-id");
        std::ofstream(folder + "/ttyUSB1").put('\0');
        std::ofstream(folder + "/ttyUSB10").put('\0');
        std::filesystem::create_symlink("../ttyUSB1", folder + "/by-id/usb-Vantora_KRT-310-if00");
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }

    static std::string Placed(std::string text) {
        for (auto at = text.find('@'); at != std::string::npos; at = text.find('@')) {
            text.replace(at, 1, folder);
        }
        return text;
    }

    static inline std::string folder;
};

TEST_P(PathMatchTest, WholeResolvedDevicesAreCompared) {
    const PathCase& row = GetParam();
    EXPECT_EQ(QueueUsesDevice({"Q", Placed(row.queueUri), false}, Placed(row.device)), row.same);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathMatchTest,
    ::testing::Values(PathCase{"serial:@/ttyUSB1?baud=9600", "@/ttyUSB1", true},
                      PathCase{"serial:@/ttyUSB10", "@/ttyUSB1", false},
                      PathCase{"serial:@/ttyUSB1", "@/ttyUSB10", false},
                      PathCase{"serial:@/by-id/usb-Vantora_KRT-310-if00", "@/ttyUSB1", true},
                      PathCase{"serial:@/ttyUSB1", "@/by-id/usb-Vantora_KRT-310-if00", true},
                      PathCase{"file://@/ttyUSB1", "@/ttyUSB1", true},
                      PathCase{"serial:@/absent/../ttyUSB1", "@/ttyUSB1", true},
                      PathCase{"socket://10.0.0.5:9100", "@/ttyUSB1", false},
                      PathCase{"COM2:", "COM2", true}, PathCase{"COM12:", "COM1", false},
                      PathCase{"COM10:", "\\\\.\\COM10", true}, PathCase{"LPT1:", "LPT1:", true},
                      PathCase{"", "", false}),
    [](const ::testing::TestParamInfo<PathCase>& info) {
        return "Row" + std::to_string(info.index);
    });

// Guards against one session (a second window, deploy's threads) starting a queue that another
// session of the program still needs stopped.
TEST_F(SpoolerPortsTest, AQueueStartsAgainOnlyWhenItsLastSessionLetsGo) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};
    RedirectedPrinters second;

    Redirect("COM2", redirected);
    Redirect("COM2", second);
    Restore(redirected);

    EXPECT_TRUE(spooler.Stopped("S1"));
    EXPECT_TRUE(redirected.empty());
    EXPECT_EQ(InRecord(), (std::set<std::string>{"S1"}));
    Restore(second);
    EXPECT_FALSE(spooler.Stopped("S1"));
    EXPECT_EQ(spooler.calls, (std::vector<std::string>{
                                 "stop S1 (The port is in use by Corvane Manager.)", "start S1"}));
    EXPECT_TRUE(InRecord().empty());
}

TEST_F(SpoolerPortsTest, AStoppedQueueIsInTheRecordUntilItRunsAgain) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}, {"Held", "serial:/dev/ttyS1", true}};

    Redirect("COM2");
    auto entries = record.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "S1");
    EXPECT_EQ(entries[0].detail, "serial:/dev/ttyS1");
    EXPECT_EQ(entries[0].owner, record.ThisProcess());

    Restore();
    EXPECT_TRUE(record.Entries().empty());
}

// Guards against a queue that a killed run stopped being taken for someone else's for good.
TEST_F(SpoolerPortsTest, AQueueAnEndedRunStoppedIsTakenOverUnlessARunningOneHoldsIt) {
    spooler.queues = {{"Ours", "serial:/dev/ttyS1", true, kPortInUseReason},
                      {"Theirs", "serial:/dev/ttyS1", true, "Waiting for paper"},
                      {"Live", "serial:/dev/ttyS1", true, kPortInUseReason}};
    record.running.insert(7);
    record.Put({platform::HoldingKind::Queue, "", "Live", "serial:/dev/ttyS1", {}}, 7);

    Redirect("COM2");
    EXPECT_FALSE(redirected.at("Ours").wasStopped);
    Restore();

    EXPECT_FALSE(spooler.Stopped("Ours"));
    EXPECT_TRUE(spooler.Stopped("Theirs"));
    EXPECT_TRUE(spooler.Stopped("Live"));
    EXPECT_EQ(spooler.calls, (std::vector<std::string>{"start Ours"}));
}

TEST_F(SpoolerPortsTest, ASpoolerThatCannotBeAskedIsToldAndNotTakenForOneWithoutQueues) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};
    spooler.failList = {ErrorKind::TimedOut, 0};

    testing::internal::CaptureStderr();
    Redirect("COM2");
    std::string told = testing::internal::GetCapturedStderr();

    EXPECT_EQ(told,
              "could not ask the print spooler which queues use this port; jobs may reach the "
              "printer during the session (the print spooler did not answer in time)\n");
    EXPECT_TRUE(redirected.empty());
    EXPECT_TRUE(spooler.calls.empty());
}

// Guards against a queue left stopped because the spooler (started on demand) was slow to answer.
TEST_F(SpoolerPortsTest, RestoreTriesAgainWithLongerPausesWhileTheSpoolerDoesNotAnswer) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};
    Redirect("COM2");
    spooler.failStartTimes["S1"] = 3;

    Restore();

    EXPECT_FALSE(spooler.Stopped("S1"));
    EXPECT_EQ(platform.Pauses(), (std::vector<std::chrono::milliseconds>{250ms, 500ms, 1000ms}));
    EXPECT_TRUE(InRecord().empty());
}

TEST_F(SpoolerPortsTest, AQueueThatNeverStartsIsToldAndKeptForTheNextRestore) {
    spooler.queues = {{"S1", "serial:/dev/ttyS1", false}};
    Redirect("COM2");
    spooler.failStartTimes["S1"] = 1000;

    testing::internal::CaptureStderr();
    auto began = platform.Now();
    Restore();
    std::string told = testing::internal::GetCapturedStderr();

    // About ten seconds of trying, then it is named and stays held, in the record too.
    EXPECT_GE(platform.Now() - began, 8s);
    EXPECT_LE(platform.Now() - began, 11s);
    const std::string line =
        "The print queue S1 could not be started again (the print spooler did not answer in "
        "time); jobs sent to it wait in it until it is started.";
    EXPECT_EQ(told, line + "\n");
    EXPECT_EQ(platform::LeftHeld::Lines(), std::vector<std::string>{line});
    EXPECT_EQ(Recorded(), (std::set<std::string>{"S1"}));
    EXPECT_EQ(InRecord(), (std::set<std::string>{"S1"}));

    spooler.failStartTimes.clear();
    Restore();
    EXPECT_FALSE(spooler.Stopped("S1"));
    EXPECT_TRUE(platform::LeftHeld::Lines().empty());
}

}  // namespace
}  // namespace corvane::link

#include "platform/posix/CupsSpooler.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "CupsDaemonTest.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::spooler_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::ErrorKind;
using platform::posix::CupsSpooler;

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

class CupsSpoolerTest : public CupsDaemonTest {};

TEST_F(CupsSpoolerTest, ListsEveryQueueWithItsDeviceAndWhetherItIsStopped) {
    AddQueue("Receipts", "serial:/dev/ttyS1?baud=19200");
    AddQueue("Labels", "parallel:/dev/lp0");
    AddQueue("Kitchen", "usb://Vantora/KRT-620?serial=K1");
    ASSERT_TRUE(daemon->StopQueue("Labels", "Out of labels"));

    CupsSpooler spooler(daemon->Socket());
    platform::QueueListing listing = spooler.ListQueues();
    ASSERT_TRUE(listing.Ok());
    const auto& queues = listing.queues;

    ASSERT_EQ(queues.size(), 3u);
    std::map<std::string, platform::QueueInfo> byName;
    for (const auto& queue : queues) {
        byName[queue.name] = queue;
    }
    EXPECT_EQ(byName.at("Receipts").deviceUri, "serial:/dev/ttyS1?baud=19200");
    EXPECT_FALSE(byName.at("Receipts").stopped);
    EXPECT_EQ(byName.at("Labels").deviceUri, "parallel:/dev/lp0");
    EXPECT_TRUE(byName.at("Labels").stopped);
    // Who stopped a queue, and why, tells this program's stops from anyone else's.
    EXPECT_EQ(byName.at("Labels").stateMessage, "Out of labels");
    EXPECT_EQ(spooler.Location(), daemon->Socket());
    EXPECT_EQ(byName.at("Kitchen").deviceUri, "usb://Vantora/KRT-620?serial=K1");
}

TEST_F(CupsSpoolerTest, StoppedQueueShowsTheReasonAndStartsAgain) {
    AddQueue("Receipts", "serial:/dev/ttyS1");
    CupsSpooler spooler(daemon->Socket());

    ASSERT_TRUE(spooler.StopQueue("Receipts", "The port is in use.").Ok());
    auto state = daemon->State("Receipts");
    EXPECT_TRUE(state.stopped);
    EXPECT_EQ(state.message, "The port is in use.");

    ASSERT_TRUE(spooler.StartQueue("Receipts").Ok());
    EXPECT_FALSE(daemon->State("Receipts").stopped);
}

TEST_F(CupsSpoolerTest, NamesNeedingEscapesReachTheirQueue) {
    AddQueue("Front_Desk-2", "serial:/dev/ttyS3");
    CupsSpooler spooler(daemon->Socket());

    ASSERT_TRUE(spooler.StopQueue("Front_Desk-2", "busy").Ok());
    EXPECT_TRUE(daemon->State("Front_Desk-2").stopped);
}

TEST_F(CupsSpoolerTest, UnknownQueueIsNotFound) {
    CupsSpooler spooler(daemon->Socket());
    const platform::Error stop = spooler.StopQueue("NoSuchQueue", "busy");
    EXPECT_EQ(stop.kind, ErrorKind::NotFound);
    EXPECT_EQ(stop.nativeSource, platform::NativeSource::Ipp);
    EXPECT_EQ(spooler.StartQueue("NoSuchQueue").kind, ErrorKind::NotFound);
}

TEST_F(CupsSpoolerTest, DefaultServerIsTheOneLibcupsIsPointedAt) {
    AddQueue("Receipts", "serial:/dev/ttyS1");
    // The fixture points CUPS_SERVER at its scheduler, as a user's environment may.
    auto spooler = platform::posix::MakeSystemSpooler();
    auto queues = spooler->ListQueues().queues;
    ASSERT_EQ(queues.size(), 1u);
    EXPECT_EQ(queues[0].name, "Receipts");
}

// Runs without the fixture's scheduler: these are about a server that is missing or mute.
TEST(CupsSpoolerWithoutServerTest, MissingServerFindsNothingAndFailsAtOnce) {
    CupsSpooler spooler("/nonexistent/corvane/cups.sock");
    auto start = Clock::now();
    // No socket at all: no spooler on this machine, which is not a failed listing.
    platform::QueueListing listing = spooler.ListQueues();
    EXPECT_TRUE(listing.Ok());
    EXPECT_TRUE(listing.queues.empty());
    EXPECT_FALSE(spooler.StopQueue("Receipts", "busy").Ok());
    EXPECT_FALSE(spooler.StartQueue("Receipts").Ok());
    EXPECT_LT(Since(start), 500ms);
}

TEST(CupsSpoolerWithoutServerTest, MuteServerIsGivenUpWithinTheTimeLimit) {
    // A socket that takes connections but never answers, like a hung scheduler.
    char pattern[] = "/tmp/corvane-mute-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    std::string path = std::string(pattern) + "/cups.sock";
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 16), 0);

    CupsSpooler spooler(path, 500ms);
    auto start = Clock::now();
    // A spooler that does not answer leaves the queues unknown, which is not "no queues".
    platform::QueueListing listing = spooler.ListQueues();
    EXPECT_FALSE(listing.Ok());
    EXPECT_TRUE(listing.queues.empty());
    auto listed = Since(start);
    platform::Error stop = spooler.StopQueue("Receipts", "busy");
    auto stopped = Since(start) - listed;
    // Worth trying again: the spooler may answer later.
    EXPECT_TRUE(stop.kind == ErrorKind::TimedOut || stop.kind == ErrorKind::Disconnected)
        << platform::ToString(stop.kind);

    EXPECT_LT(listed, 2000ms);
    EXPECT_LT(stopped, 2000ms);
    ::close(listener);
    std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace corvane::spooler_test

#include "platform/posix/PosixPlatform.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PtyPair.h"
#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {
namespace {

using namespace std::chrono_literals;

struct ErrnoCase {
    int errnoValue;
    ErrorKind atOpen;
    ErrorKind inUse;

    friend void PrintTo(const ErrnoCase& row, std::ostream* os) {
        *os << "errno " << row.errnoValue << " -> " << ToString(row.atOpen) << " at open, "
            << ToString(row.inUse) << " in use";
    }
};

class ErrnoMapping : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapping, KeepsTheNativeCode) {
    const auto& row = GetParam();
    Error atOpen = ErrorFromErrno(row.errnoValue, During::Open);
    Error inUse = ErrorFromErrno(row.errnoValue, During::Use);
    EXPECT_EQ(row.atOpen, atOpen.kind) << row.errnoValue;
    EXPECT_EQ(row.inUse, inUse.kind) << row.errnoValue;
    EXPECT_EQ(row.errnoValue, atOpen.nativeCode);
    EXPECT_EQ(row.errnoValue, inUse.nativeCode);
    const NativeSource source = row.errnoValue == 0 ? NativeSource::None : NativeSource::Errno;
    EXPECT_EQ(source, atOpen.nativeSource);
    EXPECT_EQ(source, inUse.nativeSource);
}

// ENODEV and EIO: no such device when opening, an unplugged or hung-up device once open.
INSTANTIATE_TEST_SUITE_P(
    Rows, ErrnoMapping,
    ::testing::Values(ErrnoCase{0, ErrorKind::None, ErrorKind::None},
                      ErrnoCase{ENOENT, ErrorKind::NotFound, ErrorKind::NotFound},
                      ErrnoCase{ENODEV, ErrorKind::NotFound, ErrorKind::Disconnected},
                      ErrnoCase{ENXIO, ErrorKind::NotFound, ErrorKind::NotFound},
                      ErrnoCase{EBUSY, ErrorKind::Busy, ErrorKind::Busy},
                      ErrnoCase{EWOULDBLOCK, ErrorKind::Busy, ErrorKind::Busy},
                      ErrnoCase{EACCES, ErrorKind::AccessDenied, ErrorKind::AccessDenied},
                      ErrnoCase{EPERM, ErrorKind::AccessDenied, ErrorKind::AccessDenied},
                      ErrnoCase{EINVAL, ErrorKind::InvalidArgument, ErrorKind::InvalidArgument},
                      ErrnoCase{ETIMEDOUT, ErrorKind::TimedOut, ErrorKind::TimedOut},
                      ErrnoCase{EIO, ErrorKind::NotFound, ErrorKind::Disconnected},
                      ErrnoCase{ENOTTY, ErrorKind::Unsupported, ErrorKind::Unsupported},
                      ErrnoCase{ECONNREFUSED, ErrorKind::NotFound, ErrorKind::NotFound},
                      ErrnoCase{EHOSTUNREACH, ErrorKind::NotFound, ErrorKind::NotFound},
                      ErrnoCase{ECONNRESET, ErrorKind::Disconnected, ErrorKind::Disconnected},
                      ErrnoCase{ENOMEM, ErrorKind::Other, ErrorKind::Other}));

void IgnoreAlarm(int) {}

TEST(PosixClock, SleepLastsItsWholeDurationWhenASignalInterruptsIt) {
    struct sigaction action {};
    action.sa_handler = IgnoreAlarm;  // no SA_RESTART: the signal interrupts the sleep
    struct sigaction previous {};
    ASSERT_EQ(0, sigaction(SIGALRM, &action, &previous));
    itimerval timer{};
    timer.it_value.tv_usec = 30000;
    ASSERT_EQ(0, setitimer(ITIMER_REAL, &timer, nullptr));

    PosixPlatform platform;
    auto start = std::chrono::steady_clock::now();
    auto clockStart = platform.Now();
    platform.Sleep(150ms);
    auto took = std::chrono::steady_clock::now() - start;
    auto clockTook = platform.Now() - clockStart;
    sigaction(SIGALRM, &previous, nullptr);

    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 230ms);
    EXPECT_GE(clockTook, 149ms);
    EXPECT_LT(clockTook, 231ms);
}

// Guards against a wait that leaves the window unanswered: a pause and a read of a silent line
// call the wait hook at least every 50 ms and still end when they always did.
TEST(PosixWaitHook, PausesAndSilentReadsKeepItCalledAndEndOnTime) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    PosixPlatform platform;
    std::vector<std::chrono::steady_clock::time_point> calls;
    platform.SetWaitHook([&calls] { calls.push_back(std::chrono::steady_clock::now()); });
    Error error;
    auto serial = platform.OpenSerial(pty.SlavePath(), error);
    ASSERT_NE(serial, nullptr) << ToString(error.kind);
    ASSERT_TRUE(serial->SetConfig(SerialConfig{}).Ok());
    ASSERT_TRUE(serial->SetTimeouts({.readMultiplierMs = 0, .readConstantMs = 300}).Ok());
    std::uint8_t byte = 0;
    const std::pair<const char*, std::function<void()>> waits[] = {
        {"pause", [&] { platform.Sleep(300ms); }},
        {"silent read",
         [&] {
             EXPECT_EQ(serial->Read({&byte, 1}).count, 0u);
         }},
    };
    for (const auto& [name, wait] : waits) {
        calls.clear();
        auto start = std::chrono::steady_clock::now();
        wait();
        auto end = std::chrono::steady_clock::now();
        EXPECT_GE(end - start, 300ms) << name;
        EXPECT_LT(end - start, 380ms) << name;
        auto last = start;
        for (auto call : calls) {
            EXPECT_LT(call - last, 70ms) << name;
            last = call;
        }
        EXPECT_LT(end - last, 70ms) << name;
    }
}

TEST(PosixFacts, UsbIsSupportedAndNoOldWindowsBranchApplies) {
    PosixPlatform platform;
    EXPECT_TRUE(platform.Facts().usbSupported);
}

}  // namespace
}  // namespace corvane::platform::posix

namespace corvane::platform::posix {
namespace {

bool LibcupsLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libcups.so") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Guards against libcups (and the libraries it brings) loading at every start again.
TEST(PosixPlatformSpooler, LoadsLibcupsOnlyWhenTheQueuesAreFirstLookedAt) {
    PosixPlatform platform;
    EXPECT_FALSE(LibcupsLoaded());
    Spooler& spooler = platform.GetSpooler();
    EXPECT_EQ(dynamic_cast<NoSpooler*>(&spooler), nullptr) << "the CUPS module did not load";
    EXPECT_TRUE(LibcupsLoaded());
}

}  // namespace
}  // namespace corvane::platform::posix

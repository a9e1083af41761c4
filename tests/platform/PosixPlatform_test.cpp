#include "platform/posix/PosixPlatform.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <fstream>
#include <string>

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

#include "platform/posix/PosixPlatform.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>

#include "platform/posix/ErrorFromErrno.h"
#include "platform/posix/PortNames.h"

namespace corvane::platform::posix {
namespace {

using namespace std::chrono_literals;

struct MappingCase {
    const char* portName;
    const char* devicePath;  // empty: no port

    friend void PrintTo(const MappingCase& row, std::ostream* os) {
        *os << '"' << row.portName << "\" -> " << (*row.devicePath ? row.devicePath : "no port");
    }
};

class PortNameMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(PortNameMapping, GivesTheLinuxDevice) {
    PosixPlatform platform;
    EXPECT_EQ(GetParam().devicePath, platform.DevicePath(GetParam().portName))
        << GetParam().portName;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PortNameMapping,
    ::testing::Values(MappingCase{"COM1", "/dev/ttyS0"}, MappingCase{"COM2", "/dev/ttyS1"},
                      MappingCase{"COM9", "/dev/ttyS8"}, MappingCase{"\\\\.\\COM10", "/dev/ttyS9"},
                      MappingCase{"\\\\.\\COM12", "/dev/ttyS11"},
                      MappingCase{"\\\\.\\COM14", "/dev/ttyS13"},
                      MappingCase{"\\\\.\\COM3", "/dev/ttyS2"}, MappingCase{"COM12", "/dev/ttyS11"},
                      MappingCase{"LPT1:", "/dev/lp0"}, MappingCase{"LPT2:", "/dev/lp1"},
                      MappingCase{"LPT4:", "/dev/lp3"}, MappingCase{"LPT3", "/dev/lp2"},
                      MappingCase{"COM0", ""}, MappingCase{"COM15", ""},
                      MappingCase{"\\\\.\\COM15", ""}, MappingCase{"COM01", ""},
                      MappingCase{"COM", ""}, MappingCase{"COM3x", ""}, MappingCase{"LPT0:", ""},
                      MappingCase{"LPT5:", ""}, MappingCase{"LPT1::", ""}, MappingCase{"USB", ""},
                      MappingCase{"", ""}, MappingCase{" COM1", ""}));

TEST(PortNames, CanonicalNamesAreTheConnectionWindowSpelling) {
    EXPECT_EQ("COM3", CanonicalPortName(*ParsePortName("com3")));
    EXPECT_EQ("\\\\.\\COM12", CanonicalPortName(*ParsePortName("COM12")));
    EXPECT_EQ("\\\\.\\COM10", CanonicalPortName(*ParsePortName("\\\\.\\com10")));
    EXPECT_EQ("COM4", CanonicalPortName(*ParsePortName("\\\\.\\COM4")));
    EXPECT_EQ("LPT2:", CanonicalPortName(*ParsePortName("lpt2")));
}

TEST(PortOverrides, TakePrecedenceUnderAnySpellingOfThePort) {
    PosixOptions options;
    options.portOverrides["COM3"] = "/dev/ttyUSB0";
    options.portOverrides["lpt1"] = "/tmp/printer";
    options.portOverrides["COM12"] = "/dev/pts/7";
    PosixPlatform platform(options);
    EXPECT_EQ("/dev/ttyUSB0", platform.DevicePath("COM3"));
    EXPECT_EQ("/dev/ttyUSB0", platform.DevicePath("\\\\.\\COM3"));
    EXPECT_EQ("/tmp/printer", platform.DevicePath("LPT1:"));
    EXPECT_EQ("/tmp/printer", platform.DevicePath("LPT1"));
    EXPECT_EQ("/dev/pts/7", platform.DevicePath("\\\\.\\COM12"));
    EXPECT_EQ("/dev/ttyS3", platform.DevicePath("COM4"));
    EXPECT_EQ("/dev/lp1", platform.DevicePath("LPT2:"));
}

TEST(PortOverrides, DoNotLetAPortOfOneKindOpenAsTheOther) {
    PosixOptions options;
    options.portOverrides["COM3"] = "/dev/null";
    options.portOverrides["LPT1:"] = "/dev/null";
    PosixPlatform platform(options);
    Error error;
    EXPECT_EQ(nullptr, platform.OpenParallel("COM3", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
    EXPECT_EQ(nullptr, platform.OpenSerial("LPT1:", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
    EXPECT_EQ(nullptr, platform.OpenSerial("USB", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
}

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

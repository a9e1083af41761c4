#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <numeric>
#include <thread>

#include "PtyPair.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/PosixSerialDevice.h"

namespace corvane::platform::posix {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using test::PtyPair;

milliseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

milliseconds CpuTime() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return milliseconds(used.tv_sec * 1000 + used.tv_nsec / 1000000);
}

SerialTimeouts ShortTimeouts(std::uint32_t constantMs = 200, std::uint32_t multiplierMs = 1) {
    return {multiplierMs, constantMs, multiplierMs, constantMs};
}

SerialConfig Line(std::uint32_t baud, std::uint32_t dataBits, std::uint32_t parity,
                  std::uint32_t stopBits) {
    SerialConfig config;
    config.baudRate = baud;
    config.dataBits = dataBits;
    config.parity = parity;
    config.stopBits = stopBits;
    config.parityCheck = parity != kParityNone;
    config.dsrOutputFlow = true;
    return config;
}

void ExpectSameConfig(const SerialConfig& expected, const SerialConfig& actual) {
    EXPECT_EQ(expected.baudRate, actual.baudRate);
    EXPECT_EQ(expected.dataBits, actual.dataBits);
    EXPECT_EQ(expected.parity, actual.parity);
    EXPECT_EQ(expected.stopBits, actual.stopBits);
    EXPECT_EQ(expected.parityCheck, actual.parityCheck);
    EXPECT_EQ(expected.dsrOutputFlow, actual.dsrOutputFlow);
    EXPECT_EQ(expected.dtrOn, actual.dtrOn);
    EXPECT_EQ(expected.rtsOn, actual.rtsOn);
}

std::vector<std::uint8_t> AllByteValues() {
    std::vector<std::uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

class SerialOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        // A machine without pseudo-terminals cannot run these tests; that is a failure.
        ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal available";
        platform = std::make_unique<PosixPlatform>();
    }

    // Opens the port as the printer link does: 9600 8N1 and short deadlines.
    std::unique_ptr<SerialDevice> OpenConfigured(SerialTimeouts timeouts = ShortTimeouts()) {
        Error error;
        auto device = platform->OpenSerial(pty.SlavePath(), error);
        EXPECT_TRUE(error.Ok()) << ToString(error.kind);
        if (!device) {
            return nullptr;
        }
        EXPECT_TRUE(device->SetConfig(Line(9600, 8, kParityNone, kStopBitsOne)).Ok());
        EXPECT_TRUE(device->SetTimeouts(timeouts).Ok());
        return device;
    }

    termios LineSettings() {
        termios settings{};
        // Termios requests on the master act on the slave, the program's end.
        EXPECT_EQ(0, tcgetattr(pty.Master(), &settings));
        return settings;
    }

    PtyPair pty;
    std::unique_ptr<PosixPlatform> platform;
};

TEST_F(SerialOnPty, OpensThePseudoTerminalByItsPath) {
    Error error;
    auto device = platform->OpenSerial(pty.SlavePath(), error);
    ASSERT_NE(nullptr, device);
    EXPECT_TRUE(error.Ok());
    EXPECT_EQ(pty.SlavePath(), device->Name());
    EXPECT_TRUE(static_cast<PosixSerialDevice&>(*device).IsVirtualLine());
}

struct LineCase {
    SerialConfig config;
    speed_t speed;

    friend void PrintTo(const LineCase& row, std::ostream* os) {
        static const char kParity[] = "NOE";
        *os << row.config.baudRate << " " << row.config.dataBits << kParity[row.config.parity]
            << (row.config.stopBits == kStopBitsTwo ? "2" : "1");
    }
};

class SerialSettings : public SerialOnPty, public ::testing::WithParamInterface<LineCase> {};

TEST_P(SerialSettings, AreAppliedRawAndReadBackAsSet) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    const auto& row = GetParam();
    ASSERT_TRUE(device->SetConfig(row.config).Ok());

    SerialConfig readBack;
    ASSERT_TRUE(device->GetConfig(readBack).Ok());
    ExpectSameConfig(row.config, readBack);

    termios settings = LineSettings();
    EXPECT_EQ(row.speed, cfgetospeed(&settings));
    EXPECT_EQ(row.speed, cfgetispeed(&settings));
    EXPECT_EQ(row.config.stopBits == kStopBitsTwo, (settings.c_cflag & CSTOPB) != 0);
    EXPECT_EQ(row.config.parityCheck, (settings.c_iflag & INPCK) != 0);
    EXPECT_EQ(CLOCAL | CREAD, settings.c_cflag & (CLOCAL | CREAD));
    EXPECT_EQ(0u, settings.c_cflag & CRTSCTS) << "hardware flow control must be off";
    EXPECT_EQ(0u, settings.c_iflag & (IXON | IXOFF | IXANY)) << "XON/XOFF must be off";
    EXPECT_EQ(0u, settings.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_EQ(0u, settings.c_oflag & OPOST);
    EXPECT_EQ(0u, settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SerialSettings,
    ::testing::Values(LineCase{Line(1200, 8, kParityNone, kStopBitsOne), B1200},
                      LineCase{Line(2400, 8, kParityNone, kStopBitsTwo), B2400},
                      LineCase{Line(4800, 7, kParityEven, kStopBitsOne), B4800},
                      LineCase{Line(9600, 7, kParityOdd, kStopBitsTwo), B9600},
                      LineCase{Line(19200, 8, kParityEven, kStopBitsOne), B19200},
                      LineCase{Line(38400, 8, kParityOdd, kStopBitsTwo), B38400}));

TEST_F(SerialOnPty, ParityAloneCanBeChangedOnAPseudoTerminal) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    SerialConfig config;
    ASSERT_TRUE(device->GetConfig(config).Ok());
    config.parity = kParityEven;
    EXPECT_TRUE(device->SetConfig(config).Ok());
    SerialConfig readBack;
    ASSERT_TRUE(device->GetConfig(readBack).Ok());
    EXPECT_EQ(kParityEven, readBack.parity);
}

struct RefusedCase {
    const char* what;
    SerialConfig config;

    friend void PrintTo(const RefusedCase& row, std::ostream* os) { *os << row.what; }
};

class RefusedSettings : public SerialOnPty, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSettings, AreRefusedAndTheLineKeepsItsSettings) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    SerialConfig before;
    ASSERT_TRUE(device->GetConfig(before).Ok());

    Error error = device->SetConfig(GetParam().config);
    EXPECT_EQ(ErrorKind::InvalidArgument, error.kind) << GetParam().what;

    SerialConfig after;
    ASSERT_TRUE(device->GetConfig(after).Ok());
    ExpectSameConfig(before, after);
    termios settings = LineSettings();
    EXPECT_EQ(B9600, cfgetospeed(&settings));
    EXPECT_EQ(0u, settings.c_cflag & CSTOPB);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedSettings,
    ::testing::Values(
        RefusedCase{"1.5 stop bits, 8 data bits", Line(19200, 8, kParityNone, kStopBitsOneAndHalf)},
        RefusedCase{"1.5 stop bits, 7 data bits", Line(19200, 7, kParityEven, kStopBitsOneAndHalf)},
        RefusedCase{"speed no UART has", Line(12345, 8, kParityNone, kStopBitsOne)},
        RefusedCase{"9 data bits", Line(19200, 9, kParityNone, kStopBitsOne)},
        RefusedCase{"parity code 3", Line(19200, 8, 3, kStopBitsOne)},
        RefusedCase{"stop-bit code 3", Line(19200, 8, kParityNone, 3)}));

TEST_F(SerialOnPty, EveryByteValueWrittenArrivesUnchanged) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    auto bytes = AllByteValues();
    IoResult result = device->Write(bytes);
    EXPECT_TRUE(result.error.Ok()) << ToString(result.error.kind);
    EXPECT_EQ(bytes.size(), result.count);
    EXPECT_EQ(bytes, pty.Receive(bytes.size(), 2s));
}

TEST_F(SerialOnPty, EveryByteValueFromThePrinterIsReadUnchanged) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    auto bytes = AllByteValues();
    pty.Send(bytes);
    std::vector<std::uint8_t> buffer(bytes.size());
    IoResult result = device->Read(buffer);
    EXPECT_TRUE(result.error.Ok()) << ToString(result.error.kind);
    EXPECT_EQ(bytes.size(), result.count);
    EXPECT_EQ(bytes, buffer);
}

TEST_F(SerialOnPty, ReadReturnsOnceAllRequestedBytesArrivedInPieces) {
    auto device = OpenConfigured(ShortTimeouts(1000));
    ASSERT_NE(nullptr, device);
    std::thread printer([this] {
        pty.Send({1, 2, 3, 4});
        std::this_thread::sleep_for(100ms);
        pty.Send({5, 6, 7, 8, 9, 10});
    });
    std::vector<std::uint8_t> buffer(10);
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->Read(buffer);
    auto took = Since(start);
    printer.join();
    EXPECT_EQ(10u, result.count);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), buffer);
    EXPECT_GE(took, 90ms);
    EXPECT_LT(took, 600ms) << "the read must not wait for its deadline once it has every byte";
}

TEST_F(SerialOnPty, ShortReadEndsAtItsDeadlineWithWhatArrived) {
    // 200 ms plus 5 ms for each of 10 bytes.
    auto device = OpenConfigured(ShortTimeouts(200, 5));
    ASSERT_NE(nullptr, device);
    pty.Send({0x10, 0x20, 0x30, 0x40});
    std::vector<std::uint8_t> buffer(10);
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->Read(buffer);
    auto took = Since(start);
    EXPECT_EQ(4u, result.count);
    EXPECT_EQ(ErrorKind::TimedOut, result.error.kind);
    EXPECT_EQ((std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40}),
              std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 4));
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 330ms);
}

// Guards against a reply whose end is known waiting out the deadline of a longer read.
TEST_F(SerialOnPty, ReplyReadEndsOnceTheReplyIsWholeAndTakesWhatArrivedWithIt) {
    auto device = OpenConfigured(ShortTimeouts(1000));
    ASSERT_NE(nullptr, device);
    auto whole = [](std::span<const std::uint8_t> gathered) { return gathered.size() >= 3; };
    std::thread printer([this] {
        pty.Send({'_', 0x01});
        std::this_thread::sleep_for(100ms);
        pty.Send({0x3C, 0x00});
    });
    std::vector<std::uint8_t> buffer(64);
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->ReadReply(buffer, whole);
    auto took = Since(start);
    printer.join();
    EXPECT_EQ(4u, result.count);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_GE(took, 90ms);
    EXPECT_LT(took, 600ms);
    // A request that starts whole takes what is there and does not wait.
    start = std::chrono::steady_clock::now();
    result = device->ReadReply(buffer, [](auto) { return true; });
    EXPECT_EQ(0u, result.count);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_LT(Since(start), 100ms);
}

TEST_F(SerialOnPty, OneByteReadWithNothingArrivingEndsAfterTheDefault2001Ms) {
    auto device = OpenConfigured(SerialTimeouts{});
    ASSERT_NE(nullptr, device);
    std::uint8_t byte = 0;
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->Read({&byte, 1});
    auto took = Since(start);
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(ErrorKind::TimedOut, result.error.kind);
    EXPECT_GE(took, 2001ms);
    EXPECT_LT(took, 2080ms);
}

TEST_F(SerialOnPty, WaitingReadUsesNoProcessorTime) {
    auto device = OpenConfigured(ShortTimeouts(400, 0));
    ASSERT_NE(nullptr, device);
    std::uint8_t byte = 0;
    auto cpuBefore = CpuTime();
    IoResult result = device->Read({&byte, 1});
    auto cpuUsed = CpuTime() - cpuBefore;
    EXPECT_EQ(0u, result.count);
    EXPECT_LT(cpuUsed, 40ms) << "a read waiting for its deadline must sleep in poll()";
}

TEST_F(SerialOnPty, WriteThatThePrinterDoesNotTakeEndsAtItsDeadlineWithThePartCount) {
    auto device = OpenConfigured(ShortTimeouts(200, 0));
    ASSERT_NE(nullptr, device);
    // Far more than the terminal buffers while nobody reads at the other end.
    std::vector<std::uint8_t> bytes(1 << 20, 0x55);
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->Write(bytes);
    auto took = Since(start);
    EXPECT_EQ(ErrorKind::TimedOut, result.error.kind);
    EXPECT_GT(result.count, 0u);
    EXPECT_LT(result.count, bytes.size());
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 280ms);
    // What the call reported as sent is exactly what the printer can read.
    EXPECT_EQ(result.count, pty.Receive(bytes.size(), 500ms).size());
}

TEST_F(SerialOnPty, OutputFollowingDsrFlowsOnALineWithoutModemLines) {
    auto device = OpenConfigured();
    ASSERT_NE(nullptr, device);
    SerialConfig config;
    ASSERT_TRUE(device->GetConfig(config).Ok());
    EXPECT_TRUE(config.dsrOutputFlow);
    bool dsrOn = false;
    ASSERT_TRUE(device->GetDsr(dsrOn).Ok());
    EXPECT_TRUE(dsrOn) << "a pseudo-terminal has no DSR that could report the printer away";

    std::vector<std::uint8_t> command{0x1B, 0x40};
    auto start = std::chrono::steady_clock::now();
    IoResult result = device->Write(command);
    EXPECT_LT(Since(start), 100ms);
    EXPECT_EQ(2u, result.count);
    EXPECT_EQ(command, pty.Receive(2, 1s));
}

TEST_F(SerialOnPty, SecondOpenerInThisProcessIsRefusedAsBusy) {
    Error error;
    auto first = platform->OpenSerial(pty.SlavePath(), error);
    ASSERT_NE(nullptr, first);
    auto second = platform->OpenSerial(pty.SlavePath(), error);
    EXPECT_EQ(nullptr, second);
    EXPECT_EQ(ErrorKind::Busy, error.kind);

    first.reset();
    auto again = platform->OpenSerial(pty.SlavePath(), error);
    EXPECT_NE(nullptr, again) << "closing must release the port";
}

TEST_F(SerialOnPty, SecondOpenerInAnotherProcessIsRefusedAsBusy) {
    Error error;
    auto first = platform->OpenSerial(pty.SlavePath(), error);
    ASSERT_NE(nullptr, first);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Error childError;
        auto device = PosixSerialDevice::Open(pty.SlavePath(), childError);
        _exit(device == nullptr && childError.kind == ErrorKind::Busy ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "the other process got the port or another error";
}

TEST_F(SerialOnPty, PurgeDiscardsBytesWaitingToBeRead) {
    auto device = OpenConfigured(ShortTimeouts(100, 0));
    ASSERT_NE(nullptr, device);
    pty.Send({1, 2, 3, 4, 5});
    // The bytes must have crossed the terminal before the purge can discard them.
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(device->Purge().Ok());

    std::uint8_t byte = 0;
    IoResult result = device->Read({&byte, 1});
    EXPECT_EQ(0u, result.count);

    pty.Send({0x42});
    result = device->Read({&byte, 1});
    EXPECT_EQ(1u, result.count);
    EXPECT_EQ(0x42, byte);
}

TEST_F(SerialOnPty, ReadAfterThePrinterWentAwayReturnsAtOnceWithNoBytes) {
    auto device = OpenConfigured(SerialTimeouts{});
    ASSERT_NE(nullptr, device);
    pty.CloseMaster();

    std::uint8_t buffer[4] = {};
    auto start = std::chrono::steady_clock::now();
    auto cpuBefore = CpuTime();
    for (int i = 0; i < 3; ++i) {
        IoResult result = device->Read(buffer);
        EXPECT_EQ(0u, result.count);
        EXPECT_EQ(ErrorKind::Disconnected, result.error.kind) << ToString(result.error.kind);
    }
    EXPECT_LT(Since(start), 100ms);
    EXPECT_LT(CpuTime() - cpuBefore, 50ms);

    IoResult written = device->Write(std::vector<std::uint8_t>{0x1B, 0x40});
    EXPECT_EQ(0u, written.count);
    EXPECT_EQ(ErrorKind::Disconnected, written.error.kind) << ToString(written.error.kind);
}

TEST_F(SerialOnPty, WaitingReadEndsWhenThePrinterGoesAway) {
    auto device = OpenConfigured(SerialTimeouts{});
    ASSERT_NE(nullptr, device);
    std::thread printer([this] {
        std::this_thread::sleep_for(100ms);
        pty.CloseMaster();
    });
    std::uint8_t byte = 0;
    auto start = std::chrono::steady_clock::now();
    auto cpuBefore = CpuTime();
    IoResult result = device->Read({&byte, 1});
    auto took = Since(start);
    auto cpuUsed = CpuTime() - cpuBefore;
    printer.join();
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(ErrorKind::Disconnected, result.error.kind) << ToString(result.error.kind);
    EXPECT_LT(took, 400ms) << "the read must not wait for its 2001 ms deadline";
    EXPECT_LT(cpuUsed, 50ms);
}

struct OpenFailureCase {
    const char* what;
    ErrorKind expected;

    friend void PrintTo(const OpenFailureCase& row, std::ostream* os) { *os << row.what; }
};

class SerialOpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(SerialOpenFailure, IsReportedByKind) {
    char dir[] = "/tmp/corvane-serial-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string missing = std::string(dir) + "/ttyMissing";
    std::string plainFile = std::string(dir) + "/not-a-terminal";
    FILE* file = std::fopen(plainFile.c_str(), "w");
    ASSERT_NE(nullptr, file);
    std::fclose(file);

    PosixPlatform platform;
    Error error;
    auto device = platform.OpenSerial(
        GetParam().expected == ErrorKind::NotFound ? missing : plainFile, error);
    EXPECT_EQ(nullptr, device);
    EXPECT_EQ(GetParam().expected, error.kind) << GetParam().what;
    EXPECT_NE(0, error.nativeCode);

    std::remove(plainFile.c_str());
    rmdir(dir);
}

INSTANTIATE_TEST_SUITE_P(Rows, SerialOpenFailure,
                         ::testing::Values(OpenFailureCase{"absent device", ErrorKind::NotFound},
                                           OpenFailureCase{"a plain file",
                                                           ErrorKind::Unsupported}));

}  // namespace
}  // namespace corvane::platform::posix

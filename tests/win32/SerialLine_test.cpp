// The Windows serial backend under Wine: COM5 is a pseudo-terminal on which corvane-sim serves a
// KRT-310 (serial_line_test.sh sets it up, and then runs corvane-cli.exe against the printer).
// The port opens, keeps the link's settings and ends a silent read at its deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace corvane::platform::win32 {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The port that the script mapped to the printer's terminal.
std::string PortName() {
    return Environment("CORVANE_TEST_COM");
}

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(PortName().empty()) << "run by serial_line_test.sh, which sets up the port";
    }
    Win32Platform platform;
};

TEST_F(SerialLine, ThePortOpensWithTheLinkSettings) {
    Error error;
    auto port = platform.OpenSerial(PortName(), error);
    ASSERT_NE(port, nullptr) << ToString(error.kind) << " " << error.nativeCode;
    // A second open is refused on Windows only: Wine shares its COM ports whatever was asked.

    SerialConfig config;
    ASSERT_TRUE(port->GetConfig(config).Ok());
    config.baudRate = 9600;
    config.dataBits = 8;
    config.parity = kParityNone;
    config.stopBits = kStopBitsOne;
    config.dsrOutputFlow = true;
    ASSERT_TRUE(port->SetConfig(config).Ok());
    SerialConfig read;
    ASSERT_TRUE(port->GetConfig(read).Ok());
    EXPECT_EQ(read.baudRate, 9600u);
    EXPECT_EQ(read.dataBits, 8u);
    EXPECT_EQ(read.parity, kParityNone);
    EXPECT_EQ(read.stopBits, kStopBitsOne);
    EXPECT_TRUE(read.dtrOn);
    // One and a half stop bits exist for 5-bit characters only; the line stays as it was.
    config.stopBits = kStopBitsOneAndHalf;
    EXPECT_EQ(port->SetConfig(config).kind, ErrorKind::InvalidArgument);
    ASSERT_TRUE(port->GetConfig(read).Ok());
    EXPECT_EQ(read.stopBits, kStopBitsOne);
    // A terminal has no modem lines, which cannot say that the printer is away.
    bool dsrOn = false;
    ASSERT_TRUE(port->GetDsr(dsrOn).Ok());
    EXPECT_TRUE(dsrOn);
}

TEST_F(SerialLine, AReadOfASilentLineEndsAtItsDeadlineWithNothing) {
    Error error;
    auto port = platform.OpenSerial(PortName(), error);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{}).Ok());
    std::uint8_t byte = 0;
    const auto before = platform.Now();
    IoResult result = port->Read({&byte, 1});
    const auto waited = platform.Now() - before;
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, ErrorKind::TimedOut);
    // 2000 ms plus 1 ms for the byte asked for.
    EXPECT_GE(waited.count(), 1900);
    EXPECT_LT(waited.count(), 4000);
}

// Guards against a wait that leaves the window unanswered: a pause and a read of a silent line
// call the wait hook all along and still end at their time.
TEST_F(SerialLine, PausesAndSilentReadsKeepTheWaitHookCalled) {
    std::vector<std::chrono::milliseconds> calls;
    platform.SetWaitHook([&] { calls.push_back(platform.Now()); });
    Error error;
    auto port = platform.OpenSerial(PortName(), error);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SetTimeouts({.readMultiplierMs = 0, .readConstantMs = 500}).Ok());
    std::uint8_t byte = 0;
    for (bool read : {false, true}) {
        calls.clear();
        const auto before = platform.Now();
        if (read) {
            EXPECT_EQ(port->Read({&byte, 1}).error.kind, ErrorKind::TimedOut);
        } else {
            platform.Sleep(std::chrono::milliseconds(500));
        }
        const auto after = platform.Now();
        EXPECT_GE((after - before).count(), read ? 450 : 500);
        auto last = before;
        for (auto call : calls) {
            EXPECT_LT((call - last).count(), 100) << (read ? "read" : "pause");
            last = call;
        }
        EXPECT_LT((after - last).count(), 100) << (read ? "read" : "pause");
    }
}

}  // namespace
}  // namespace corvane::platform::win32

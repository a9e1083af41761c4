// The Windows serial backend end to end, under Wine: COM5 is a pseudo-terminal on which
// corvane-sim serves a KRT-310 (serial_line_test.sh sets it up). The port, its settings and
// time-outs, and then Connect, Get Status and Set Status through the printer operations, with
// the simulated printer's state read back from its state file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "link/PrinterPort.h"
#include "operations/Connect.h"
#include "operations/NativeStatus.h"
#include "platform/win32/Win32Platform.h"
#include "support/RecordingReporter.h"

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

// The simulated printer's state file, a path of the build machine, seen through Wine's drive Z.
std::string PrinterState() {
    std::string path = "Z:" + Environment("CORVANE_TEST_STATE");
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string StateLine(const std::string& state, const std::string& name) {
    std::istringstream lines(state);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(name + ": ", 0) == 0) {
            return line.substr(name.size() + 2);
        }
    }
    return "(no " + name + ")";
}

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(PortName().empty()) << "run by serial_line_test.sh, which sets up the port";
    }
    Win32Platform platform;
};

TEST_F(SerialLine, ThePortOpensExclusivelyWithTheLinkSettings) {
    Error error;
    auto port = platform.OpenSerial(PortName(), error);
    ASSERT_NE(port, nullptr) << ToString(error.kind) << " " << error.nativeCode;
    auto second = platform.OpenSerial(PortName(), error);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error.kind, ErrorKind::Busy);

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

TEST_F(SerialLine, ConnectGetStatusAndSetStatusReachThePrinter) {
    link::PrinterPort port(platform);
    support::RecordingReporter reporter;
    operations::PrinterConnector connector(port, reporter);
    operations::ConnectRequest request;
    request.model = protocol::PrinterModel::Krt310Family;
    request.emulation = protocol::Emulation::Native;
    request.portName = PortName();
    const operations::ConnectResult connected = connector.Connect(request);
    ASSERT_TRUE(connected.Connected()) << DescribeFailure(connected.failure);
    EXPECT_EQ(reporter.Texts(), std::vector<std::string>{"Printer is connected."});

    operations::NoProgress progress;
    const operations::ReadResult read =
        operations::ReadNativeStatus(port, protocol::PrinterModel::Krt310Family, progress);
    ASSERT_TRUE(read.ok) << operations::ReadFailureMessage(protocol::PrinterModel::Krt310Family,
                                                           read.failedItem);
    const std::string before = PrinterState();
    EXPECT_EQ(read.status.serial.speed, 9600u) << before;

    // Pins 1 and 8 of memory switch 8 on, pin 2 off, the rest as the printer has them.
    operations::StatusWrite write;
    write.secondSwitch = read.status.secondSwitch;
    write.secondSwitch[1] = protocol::kPinSwitchOn;
    write.secondSwitch[2] = protocol::kPinSwitchOff;
    write.secondSwitch[8] = protocol::kPinSwitchOn;
    write.serial = read.status.serial;
    write.powerSave = read.status.powerSave.value_or(operations::PowerSave{});
    const operations::WriteResult written =
        operations::WriteNativeStatus(port, protocol::PrinterModel::Krt310Family, write, progress);
    ASSERT_TRUE(written.ok) << written.failedStep;
    port.Close();

    const std::string after = PrinterState();
    const std::string switch8 = StateLine(after, "memory switch 8");
    ASSERT_EQ(switch8.size(), 8u) << after;
    // The printer reports pin 8 first.
    EXPECT_EQ(switch8[0], '1');
    EXPECT_EQ(switch8[6], '0');
    EXPECT_EQ(switch8[7], '1');
    EXPECT_EQ(StateLine(after, "user setting mode"), "off");
    EXPECT_EQ(StateLine(after, "serial speed"), "9600");
}

}  // namespace
}  // namespace corvane::platform::win32

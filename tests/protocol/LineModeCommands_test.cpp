#include "protocol/LineModeCommands.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/SerialPortTest.h"

namespace corvane::protocol {
namespace {

using platform::sim::EventKind;
using platform::sim::Ms;
using support::Bytes;

// The same printer also sits on the parallel port, for the test that switches to it.
class LineModeCommandsTest : public support::SerialPortTest {
protected:
    LineModeCommandsTest() : SerialPortTest({"COM4", 19200}) {
        platform.AttachParallel("LPT1:", printer);
    }
};

TEST_F(LineModeCommandsTest, PrintStatusIsTenBytesOrElevenWithTheSecondNul) {
    EXPECT_TRUE(LineModeCommands::SendPrintStatus(port));
    EXPECT_TRUE(LineModeCommands::SendPrintStatus(port, PrintStatusForm::TwoNuls));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{
                            {0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00},
                            {0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00, 0x00},
                        }));
}

struct SpeedRow {
    std::uint32_t bitsPerSecond;
    LineModeSpeed speed;
    std::uint8_t digit;
};

class SpeedRows : public LineModeCommandsTest, public ::testing::WithParamInterface<SpeedRow> {};

TEST_P(SpeedRows, SendsClearSetWithTheSpeedCodeAndTInThreeWritesWithoutPause) {
    const SpeedRow& row = GetParam();
    ASSERT_EQ(LineModeCommands::SpeedOf(row.bitsPerSecond), row.speed);
    EXPECT_TRUE(LineModeCommands::SendSpeedCommands(port, row.speed));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{
                            {0x1B, 0x1F, 0x23, 0x2D, 0x30, 0x46, 0x30, 0x30, 0x0A, 0x00},
                            {0x1B, 0x1F, 0x23, 0x2B, 0x30, row.digit, 0x30, 0x30, 0x0A, 0x00},
                            {0x1B, 0x1F, 0x23, 0x54, 0x30, 0x30, 0x0A, 0x00},
                        }));
    EXPECT_TRUE(platform.Pauses().empty());
}

// The printer's codes are not in speed order: 2400 bps is "0", not "2".
INSTANTIATE_TEST_SUITE_P(Speeds, SpeedRows,
                         ::testing::Values(SpeedRow{1200, LineModeSpeed::Bps1200, '1'},
                                           SpeedRow{2400, LineModeSpeed::Bps2400, '0'},
                                           SpeedRow{4800, LineModeSpeed::Bps4800, '2'},
                                           SpeedRow{9600, LineModeSpeed::Bps9600, '3'},
                                           SpeedRow{19200, LineModeSpeed::Bps19200, '4'}));

TEST_F(LineModeCommandsTest, SpeedsOtherThanTheFiveHaveNoCode) {
    EXPECT_FALSE(LineModeCommands::SpeedOf(0).has_value());
    EXPECT_FALSE(LineModeCommands::SpeedOf(38400).has_value());
}

TEST_F(LineModeCommandsTest, SpeedCommandsLeaveTheLinkSpeedAlone) {
    LineModeCommands::SendSpeedCommands(port, LineModeSpeed::Bps2400);
    EXPECT_EQ(platform.OpenLine("COM4")->Config().baudRate, 19200u);
    for (const auto& event : platform.Events()) {
        EXPECT_NE(event.kind, EventKind::Configure);
    }
}

TEST_F(LineModeCommandsTest, UnpluggedPrinterMakesEveryWriteFailAndTheSendEnds) {
    printer.unplugged = true;
    EXPECT_FALSE(LineModeCommands::SendSpeedCommands(port, LineModeSpeed::Bps9600));
    EXPECT_FALSE(LineModeCommands::SendPrintStatus(port));
    EXPECT_TRUE(platform.Written("COM4").empty());
}

TEST_F(LineModeCommandsTest, PrinterHoldingDsrLowEndsEachWriteAtItsDeadline) {
    printer.dsr = false;
    auto start = platform.NowMicros();
    EXPECT_FALSE(LineModeCommands::SendSpeedCommands(port, LineModeSpeed::Bps9600));
    auto perWrite = [](std::uint64_t n) { return Ms(2000 + n) + Ms(500) + Ms(2000 + n); };
    EXPECT_EQ(platform.NowMicros() - start, perWrite(10) + perWrite(10) + perWrite(8));
}

TEST_F(LineModeCommandsTest, ParallelPortGetsTheSameBytes) {
    port.SetPortName("LPT1:");
    ASSERT_TRUE(port.Open());
    platform.ClearEvents();
    LineModeCommands::SendSpeedCommands(port, LineModeSpeed::Bps4800);
    EXPECT_EQ(platform.Written("LPT1:"),
              (Bytes{0x1B, 0x1F, 0x23, 0x2D, 0x30, 0x46, 0x30, 0x30, 0x0A, 0x00,
                     0x1B, 0x1F, 0x23, 0x2B, 0x30, 0x32, 0x30, 0x30, 0x0A, 0x00,
                     0x1B, 0x1F, 0x23, 0x54, 0x30, 0x30, 0x0A, 0x00}));
}

TEST_F(LineModeCommandsTest, ClosedPortSendsNothingAndReportsFailure) {
    port.Close();
    EXPECT_FALSE(LineModeCommands::SendPrintStatus(port));
    EXPECT_FALSE(LineModeCommands::SendSpeedCommands(port, LineModeSpeed::Bps1200));
}

}  // namespace
}  // namespace corvane::protocol

#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace corvane::platform::sim {
namespace {

using namespace std::chrono_literals;

class SimSerial : public ::testing::Test {
protected:
    void SetUp() override {
        platform.AttachSerial("COM3", printer);
        Error error;
        port = platform.OpenSerial("COM3", error);
        ASSERT_NE(nullptr, port);
        ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{}).Ok());
    }

    void FollowDsr(bool follow) {
        SerialConfig config;
        ASSERT_TRUE(port->GetConfig(config).Ok());
        config.dsrOutputFlow = follow;
        ASSERT_TRUE(port->SetConfig(config).Ok());
    }

    SimPlatform platform;
    ScriptedPeer printer;
    std::unique_ptr<SerialDevice> port;
};

struct DeadlineCase {
    std::size_t requested;
    Micros expectedDeadline;

    friend void PrintTo(const DeadlineCase& row, std::ostream* os) {
        *os << row.requested << " bytes";
    }
};

class SimReadDeadline : public SimSerial, public ::testing::WithParamInterface<DeadlineCase> {};

TEST_P(SimReadDeadline, SilentPrinterEndsTheReadAtConstantPlusOneMsPerByte) {
    std::vector<std::uint8_t> buffer(GetParam().requested);
    Micros start = platform.NowMicros();
    IoResult result = port->Read(buffer);
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(ErrorKind::TimedOut, result.error.kind);
    EXPECT_EQ(GetParam().expectedDeadline, platform.NowMicros() - start);
}

INSTANTIATE_TEST_SUITE_P(Rows, SimReadDeadline,
                         ::testing::Values(DeadlineCase{1, Ms(2001)}, DeadlineCase{10, Ms(2010)},
                                           DeadlineCase{64, Ms(2064)}));

TEST_F(SimSerial, ReadEndsWhenTheLastRequestedByteArrives) {
    SimLine* line = platform.OpenLine("COM3");
    ASSERT_NE(nullptr, line);
    printer.SendNow(*line, {1, 2, 3, 4});
    printer.SendNow(*line, {5, 6}, Ms(300));
    std::vector<std::uint8_t> buffer(6);
    IoResult result = port->Read(buffer);
    EXPECT_EQ(6u, result.count);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_EQ(Ms(300), platform.NowMicros());
}

TEST_F(SimSerial, BytesArrivingAfterTheDeadlineWaitForTheNextRead) {
    SimLine* line = platform.OpenLine("COM3");
    ASSERT_NE(nullptr, line);
    printer.SendNow(*line, {0x41});
    printer.SendNow(*line, {0x42}, Ms(2500));
    std::uint8_t buffer[2] = {};
    IoResult first = port->Read(buffer);
    EXPECT_EQ(1u, first.count);
    EXPECT_EQ(ErrorKind::TimedOut, first.error.kind);
    EXPECT_EQ(Ms(2002), platform.NowMicros());
    IoResult second = port->Read({buffer, 1});
    EXPECT_EQ(1u, second.count);
    EXPECT_EQ(0x42, buffer[0]);
    EXPECT_EQ(Ms(2500), platform.NowMicros());
}

TEST_F(SimSerial, WriteTakesWhatThePrinterAcceptsAndEndsShortAtTheDeadline) {
    printer.acceptCounts = {3};
    std::vector<std::uint8_t> command{1, 2, 3, 4, 5};
    IoResult shortWrite = port->Write(command);
    EXPECT_EQ(3u, shortWrite.count);
    EXPECT_EQ(ErrorKind::TimedOut, shortWrite.error.kind);
    EXPECT_EQ(Ms(2005), platform.NowMicros());
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3}), printer.received);

    IoResult fullWrite = port->Write(std::span(command).subspan(3));
    EXPECT_EQ(2u, fullWrite.count);
    EXPECT_TRUE(fullWrite.error.Ok());
    EXPECT_EQ(Ms(2005), platform.NowMicros()) << "an accepted write takes no time";
    EXPECT_EQ(command, printer.received);
    EXPECT_EQ(command, platform.Written("COM3"));
}

TEST_F(SimSerial, LowDsrHoldsOutputUntilTheWriteDeadlineWhenOutputFollowsDsr) {
    FollowDsr(true);
    printer.dsr = false;
    bool dsrOn = true;
    ASSERT_TRUE(port->GetDsr(dsrOn).Ok());
    EXPECT_FALSE(dsrOn);

    std::vector<std::uint8_t> command{0x1B, 0x40};
    IoResult held = port->Write(command);
    EXPECT_EQ(0u, held.count);
    EXPECT_EQ(ErrorKind::TimedOut, held.error.kind);
    EXPECT_EQ(Ms(2002), platform.NowMicros());
    EXPECT_TRUE(printer.received.empty());

    printer.dsr = true;
    EXPECT_EQ(2u, port->Write(command).count);
    EXPECT_EQ(command, printer.received);
}

TEST_F(SimSerial, LowDsrDoesNotHoldOutputThatIgnoresDsr) {
    FollowDsr(false);
    printer.dsr = false;
    std::vector<std::uint8_t> command{0x1B, 0x40};
    EXPECT_EQ(2u, port->Write(command).count);
    EXPECT_EQ(0u, platform.NowMicros());
}

TEST_F(SimSerial, OneAndAHalfStopBitsAreRefused) {
    SerialConfig config;
    config.stopBits = kStopBitsOneAndHalf;
    EXPECT_EQ(ErrorKind::InvalidArgument, port->SetConfig(config).kind);
}

class SimUsb : public ::testing::Test {
protected:
    void SetUp() override {
        platform.AttachUsb("/dev/usb/lp0", 0x1234, 0x5678, printer);
        Error error;
        device = platform.OpenUsbPrinter("/dev/usb/lp0", true, error);
        ASSERT_NE(nullptr, device);
    }

    SimPlatform platform;
    ScriptedPeer printer;
    std::unique_ptr<Device> device;
};

TEST_F(SimUsb, SilentPrinterEndsTheReadAfter2000Ms) {
    std::uint8_t buffer[64];
    IoResult result = device->Read(buffer);
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(Ms(kUsbReadTimeoutMs), platform.NowMicros());
    EXPECT_EQ(2000u, kUsbReadTimeoutMs);
}

TEST_F(SimUsb, ReadReturnsOneTransferWithoutWaitingForTheRest) {
    printer.ReplyToNextWrite({0x01, 0x02, 0x03}, Ms(40));
    std::vector<std::uint8_t> request{0x1D, 0x49, 0x42};
    ASSERT_EQ(3u, device->Write(request).count);
    std::uint8_t buffer[64];
    IoResult result = device->Read(buffer);
    EXPECT_EQ(3u, result.count);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_EQ(Ms(40), platform.NowMicros());
}

// Guards against a simulator that drops a transfer's tail, hiding leftover reply bytes that
// the kernel would hand to the next exchange.
TEST_F(SimUsb, RestOfATransferLargerThanTheReadIsTheNextReadsOnItsOwn) {
    SimLine* line = platform.OpenLine("/dev/usb/lp0");
    ASSERT_NE(nullptr, line);
    printer.SendNow(*line, {1, 2, 3, 4, 5});
    printer.SendNow(*line, {6, 7});
    std::uint8_t small[3];
    ASSERT_EQ(3u, device->Read(small).count);
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3}), std::vector<std::uint8_t>(small, small + 3));
    std::uint8_t buffer[64];
    IoResult rest = device->Read(buffer);
    ASSERT_EQ(2u, rest.count);
    EXPECT_EQ((std::vector<std::uint8_t>{4, 5}), std::vector<std::uint8_t>(buffer, buffer + 2));
    IoResult next = device->Read(buffer);
    ASSERT_EQ(2u, next.count);
    EXPECT_EQ((std::vector<std::uint8_t>{6, 7}), std::vector<std::uint8_t>(buffer, buffer + 2));
    EXPECT_EQ(0u, platform.NowMicros());
}

TEST_F(SimUsb, ReplyLaterThanTheBoundIsNotWaitedFor) {
    SimLine* line = platform.OpenLine("/dev/usb/lp0");
    ASSERT_NE(nullptr, line);
    printer.SendNow(*line, {0x01}, Ms(2500));
    std::uint8_t buffer[64];
    EXPECT_EQ(0u, device->Read(buffer).count);
    EXPECT_EQ(Ms(2000), platform.NowMicros());
}

TEST(SimPlatformOpen, BusyAndAbsentDevicesAreRefusedByKind) {
    SimPlatform platform;
    ScriptedPeer printer;
    platform.AttachSerial("COM1", printer);
    Error error;
    auto first = platform.OpenSerial("COM1", error);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, platform.OpenSerial("COM1", error));
    EXPECT_EQ(ErrorKind::Busy, error.kind);
    EXPECT_EQ(nullptr, platform.OpenSerial("COM2", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
    EXPECT_EQ(nullptr, platform.OpenParallel("COM1", error));
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
}

}  // namespace
}  // namespace corvane::platform::sim

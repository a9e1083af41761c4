#include <gtest/gtest.h>

#include "Bytes.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

using platform::ErrorKind;
using platform::sim::Micros;
using platform::sim::Ms;
using platform::sim::SimPlatform;
using namespace std::chrono_literals;

const Bytes kSwitchQuery = B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02});
const Bytes kEnterUserSetting = B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01});
const Bytes kMakerRequest = B({0x1D, 0x49, 0x42});

TEST(ReplyFaults, SilentPrinterTakesCommandsButAnswersNothing) {
    VirtualPrinter printer(Model::Krt310II);
    printer.GetFaults().silent = true;
    EXPECT_TRUE(Answer(printer, kSwitchQuery + kMakerRequest + B({0x1D, 0x49, 0x03})).empty());
    Answer(printer, B({0x08, 0x5E, 0x50, 0x30, 0x01, 0x20}));
    EXPECT_TRUE(printer.State().powerSave);
}

TEST(ReplyFaults, CutReplyEndsAfterTheGivenNumberOfBytes) {
    VirtualPrinter printer(Model::Krt310);
    printer.SetSwitch(2, 0xFF);
    printer.GetFaults().cutAfter = 3;
    EXPECT_EQ(Answer(printer, kSwitchQuery), B({'7', 0x02, '1'}));
    EXPECT_EQ(Answer(printer, kMakerRequest), B({'_', 'V', 'A'}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x03})), B({0x64}));
    printer.GetFaults().cutAfter = 0;
    EXPECT_TRUE(Answer(printer, kSwitchQuery).empty());
}

TEST(ReplyFaults, SilenceAfterBytesBreaksOffTheReplyUnderWayAndLasts) {
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().silentAfterBytes = printer.ReplyBytesSent() + 11;
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x03}) + kMakerRequest),
              B({0x64}) + B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_EQ(Answer(printer, kSwitchQuery), B({'7'}));
    EXPECT_TRUE(Answer(printer, kSwitchQuery).empty());
    EXPECT_EQ(printer.ReplyBytesSent(), 11u);
}

TEST(ReplyFaults, NoiseGoesOnlyBeforeRepliesWithTheSevenHeader) {
    VirtualPrinter printer(Model::Krt620);
    printer.GetFaults().noiseBeforeHeader = {0xAA, 0x55, 0x00};
    EXPECT_EQ(Answer(printer, B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x31})),
              B({0xAA, 0x55, 0x00, '7', 0x31}) + T("00000000") + B({0x00}));
    EXPECT_EQ(Answer(printer, kEnterUserSetting), B({0xAA, 0x55, 0x00, '7', 0x01, 0x00}));
    EXPECT_EQ(Answer(printer, kMakerRequest), B({'_'}) + T("VANTORA") + B({0x00}));
}

TEST(ReplyFaults, NoiseCountsTowardsACutReply) {
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().noiseBeforeHeader = {0x20, 0x20};
    printer.GetFaults().cutAfter = 3;
    EXPECT_EQ(Answer(printer, kSwitchQuery), B({0x20, 0x20, '7'}));
}

TEST(ReplyFaults, OtherIdentityIsWhatThePrinterAnswers) {
    VirtualPrinter printer(Model::Krt310);
    Identity identity = DefaultIdentity(Model::Krt620);
    identity.maker = "OTHER CO";
    printer.SetIdentity(identity);
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x03})), B({0x65}));
    EXPECT_EQ(Answer(printer, kMakerRequest), B({'_'}) + T("OTHER CO") + B({0x00}));
}

TEST(ReplyFaults, UnplugAfterCommandsDropsEverythingFromThatCommandOn) {
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().unplugAfterCommands = 2;
    auto replies = printer.Feed(B({0x1B, 0x40}) + B({0x1D, 0x49, 0x03}) + kMakerRequest);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], B({0x64}));
    EXPECT_TRUE(printer.Feed(B({0x1D, 0x49, 0x03})).empty());
    EXPECT_TRUE(printer.IsUnpluggedAt(0us));
}

// The faults that concern the line, seen through the simulated platform's devices.
class LineFaults : public ::testing::Test {
protected:
    std::unique_ptr<platform::SerialDevice> OpenSerial(std::uint32_t baud) {
        platform.AttachSerial("COM1", printer);
        platform::Error error;
        auto device = platform.OpenSerial("COM1", error);
        EXPECT_TRUE(error.Ok());
        platform::SerialConfig config;
        config.baudRate = baud;
        EXPECT_TRUE(device->SetConfig(config).Ok());
        return device;
    }
    static platform::IoResult Write(platform::Device& device, const Bytes& bytes) {
        return device.Write(bytes);
    }
    static Bytes Read(platform::Device& device, std::size_t count) {
        Bytes buffer(count);
        auto result = device.Read(buffer);
        buffer.resize(result.count);
        return buffer;
    }

    SimPlatform platform;
    VirtualPrinter printer{Model::Krt310};
};

TEST_F(LineFaults, RepliesAreReadableAtOnceWithoutSlowFaults) {
    auto device = OpenSerial(9600);
    Write(*device, kMakerRequest);
    Micros before = platform.NowMicros();
    EXPECT_EQ(Read(*device, 9), B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_EQ(platform.NowMicros(), before);
}

TEST_F(LineFaults, SlowReplyTakesLatencyAndTenBitTimesPerByteAtTheLineSpeed) {
    printer.GetFaults().latency = 5ms;
    printer.GetFaults().perByteFromLine = true;
    auto device = OpenSerial(9600);
    Micros start = platform.NowMicros();
    Write(*device, kMakerRequest);
    EXPECT_EQ(Read(*device, 1), B({'_'}));
    // 10 bits at 9600 bit/s are 1041.7 us, rounded up.
    EXPECT_EQ(platform.NowMicros() - start, 5000u + 1042u);
    EXPECT_EQ(Read(*device, 8), T("VANTORA") + B({0x00}));
    EXPECT_EQ(platform.NowMicros() - start, 5000u + 9 * 1042u);
}

TEST_F(LineFaults, SecondReplyStartsAfterTheFirstHasGoneOut) {
    printer.GetFaults().perByte = 100us;
    auto device = OpenSerial(9600);
    Micros start = platform.NowMicros();
    Write(*device, B({0x1D, 0x49, 0x03}) + B({0x1D, 0x49, 0x03}));
    EXPECT_EQ(Read(*device, 2), B({0x64, 0x64}));
    EXPECT_EQ(platform.NowMicros() - start, 200u);
}

TEST_F(LineFaults, ReadBeforeTheSlowReplyArrivesEndsAtItsDeadlineWithNothing) {
    printer.GetFaults().latency = 3s;
    auto device = OpenSerial(9600);
    Write(*device, B({0x1D, 0x49, 0x03}));
    Bytes buffer(1);
    auto result = device->Read(buffer);
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.error.kind, ErrorKind::TimedOut);
    EXPECT_EQ(Read(*device, 1), B({0x64}));
}

TEST_F(LineFaults, UnplugAtAMomentMakesReadsAndWritesFailFromThen) {
    printer.GetFaults().unplugAt = 10ms;
    auto device = OpenSerial(9600);
    EXPECT_TRUE(Write(*device, B({0x1D, 0x49, 0x03})).error.Ok());
    platform.Advance(Ms(10));
    EXPECT_EQ(Write(*device, B({0x1D, 0x49, 0x03})).error.kind, ErrorKind::Disconnected);
    Bytes buffer(1);
    EXPECT_EQ(device->Read(buffer).error.kind, ErrorKind::Disconnected);
    EXPECT_EQ(printer.CommandCount(), 1u);
}

TEST_F(LineFaults, UnplugNowAndReplug) {
    auto device = OpenSerial(19200);
    printer.Unplug();
    EXPECT_EQ(Write(*device, B({0x1D, 0x49, 0x03})).error.kind, ErrorKind::Disconnected);
    printer.Replug();
    EXPECT_TRUE(Write(*device, B({0x1D, 0x49, 0x03})).error.Ok());
    EXPECT_EQ(Read(*device, 1), B({0x64}));
}

TEST_F(LineFaults, UnplugAfterCommandsFailsTheNextWrite) {
    printer.GetFaults().unplugAfterCommands = 1;
    auto device = OpenSerial(9600);
    EXPECT_TRUE(Write(*device, B({0x1B, 0x40})).error.Ok());
    EXPECT_EQ(Write(*device, B({0x1D, 0x49, 0x03})).error.kind, ErrorKind::Disconnected);
}

TEST_F(LineFaults, PrinterHoldingDsrLowHoldsOutputUntilTheDeadline) {
    auto device = OpenSerial(9600);
    platform::SerialConfig config;
    config.dsrOutputFlow = true;
    ASSERT_TRUE(device->SetConfig(config).Ok());
    printer.SetDsr(false);
    EXPECT_EQ(Write(*device, B({0x1B, 0x40})).error.kind, ErrorKind::TimedOut);
    EXPECT_EQ(printer.CommandCount(), 0u);
}

}  // namespace
}  // namespace corvane::sim::test

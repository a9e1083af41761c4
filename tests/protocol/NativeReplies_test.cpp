#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/NativeCommands.h"
#include "support/PortRig.h"

namespace corvane::protocol {
namespace {

using namespace corvane::support;
using Trace = std::vector<std::string>;

// A full switch reply: '7', identifier, eight pin characters, terminator.
Bytes SwitchReply(const std::string& pins) {
    return Join({{'7', 0x02}, Text(pins), {0x0D}});
}

SwitchPins Pins(const std::string& block) {
    PinBlock characters{};
    std::copy(block.begin(), block.end(), characters.begin());
    return PinsFromBlock(characters);
}

struct StepLog {
    std::vector<ExchangeStep> steps;
    StepCallback Callback() {
        return [this](ExchangeStep step) { steps.push_back(step); };
    }
};

std::vector<ExchangeStep> WithPins(std::vector<ExchangeStep> steps) {
    steps.insert(steps.end(), 8, ExchangeStep::PinConverted);
    return steps;
}

// Serial and parallel links read replies the same way.
class ByteLinkReplyTest : public ::testing::TestWithParam<Link> {};

INSTANTIATE_TEST_SUITE_P(SerialAndParallel, ByteLinkReplyTest,
                         ::testing::Values(Link::Serial, Link::Parallel),
                         [](const auto& info) { return LinkName(info.param); });

TEST_P(ByteLinkReplyTest, SwitchReplyWithSearchSkipsNoiseToTheHeader) {
    PortRig rig(GetParam());
    rig.Send(Join({Text("xy"), SwitchReply("10000001")}));
    StepLog log;
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::With, log.Callback()).pins;
    EXPECT_EQ(pins, Pins("10000001"));
    EXPECT_EQ(pins[8], kPinSwitchOn);
    EXPECT_EQ(pins[7], kPinSwitchOff);
    EXPECT_EQ(pins[1], kPinSwitchOn);
    EXPECT_EQ(rig.Trace(),
              (Trace{"S10", "R1 78", "R1 79", "R1 37", "R10 02 31 30 30 30 30 30 30 31 0D"}));
    EXPECT_EQ(log.steps, WithPins({ExchangeStep::Start, ExchangeStep::FirstByteRead,
                                   ExchangeStep::HeaderSearched, ExchangeStep::BlockRead}));
}

TEST_P(ByteLinkReplyTest, SwitchReplyWithoutSearchTakesTheFirstByteUnseen) {
    PortRig rig(GetParam());
    // Whatever comes first is taken for the header; the next ten bytes carry the pins.
    rig.Send(Join({Text("x"), SwitchReply("01201201")}));
    StepLog log;
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::Without, log.Callback()).pins;
    // Offsets 1 to 8 of the 10-byte read: '2' of the identifier slot shifts everything by one.
    EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 78", "R10 37 02 30 31 32 30 31 32 30 31"}));
    EXPECT_EQ(pins, Pins(std::string("\x02") + "0120120"));
    EXPECT_EQ(log.steps, WithPins({ExchangeStep::Start, ExchangeStep::FirstByteRead,
                                   ExchangeStep::BlockRead}));
}

TEST_P(ByteLinkReplyTest, SwitchReplyWithoutSearchReadsElevenBytes) {
    PortRig rig(GetParam());
    rig.Send(Join({SwitchReply("12021020"), Text("Z")}));
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::Without).pins;
    EXPECT_EQ(pins, Pins("12021020"));
    EXPECT_EQ(pins[7], kPinNoChange);
    EXPECT_EQ(rig.Consumed().size(), 11u);
}

// Guards against an endless header search on a printer that chatters without a '7'.
TEST_P(ByteLinkReplyTest, HeaderSearchGivesUpAfterSixtyFourBytesWithoutASeven) {
    PortRig rig(GetParam());
    rig.Send(Bytes(100, 'x'));
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::With).pins;
    EXPECT_EQ(pins, SwitchPins{});
    Trace expected = {"S10"};
    expected.insert(expected.end(), 64, "R1 78");
    EXPECT_EQ(rig.Trace(), expected);
}

TEST_P(ByteLinkReplyTest, HeaderFoundAsTheSixtyFourthByteStillCounts) {
    PortRig rig(GetParam());
    rig.Send(Join({Bytes(63, 'x'), SwitchReply("11111111")}));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::With).pins, Pins("11111111"));
}

// Guards against a silent printer holding the header search, or the reads after it, forever.
TEST_P(ByteLinkReplyTest, SilentPrinterEndsTheSwitchReplyAfterOneEmptyRead) {
    for (auto search : {HeaderSearch::With, HeaderSearch::Without}) {
        PortRig rig(GetParam());
        StepLog log;
        EXPECT_EQ(ReadSwitchReply(rig.port, search, log.Callback()).pins, SwitchPins{});
        EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 -", "S500", "R1 -"}));
        EXPECT_EQ(rig.Elapsed(), Ms(10) + kSilentByteReadCost);
        // The progress bar still gets its full count of steps.
        EXPECT_EQ(log.steps.size(), search == HeaderSearch::With ? 12u : 11u);
    }
}

TEST_P(ByteLinkReplyTest, NoiseThenSilenceEndsTheSearch) {
    PortRig rig(GetParam());
    rig.Send(Text("abc"));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::With).pins, SwitchPins{});
    EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 61", "R1 62", "R1 63", "R1 -", "S500", "R1 -"}));
}

TEST_P(ByteLinkReplyTest, SwitchReplyCutAfterThreePinsKeepsTheRestUnchanged) {
    PortRig rig(GetParam());
    rig.Send(Join({{'7', 0x02}, Text("100")}));
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::With).pins;
    EXPECT_EQ(pins, Pins("100"));
    EXPECT_EQ(pins[8], kPinSwitchOn);
    EXPECT_EQ(pins[6], kPinSwitchOff);
    EXPECT_EQ(pins[5], kPinNoChange);
    EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 37", "R10 02 31 30 30", "S500", "R6 -"}));
    EXPECT_EQ(rig.Elapsed(), Ms(10 + 2010 + 500 + 2006));
}

TEST_P(ByteLinkReplyTest, SlowSwitchReplyArrivingWithinTheRetryIsRead) {
    PortRig rig(GetParam());
    // The printer answers 3 s late: after the first deadline, within the retry.
    rig.Send(SwitchReply("00000000"), Ms(3000));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::With).pins, Pins("00000000"));
    EXPECT_EQ(rig.Trace(),
              (Trace{"S10", "R1 -", "S500", "R1 37", "R10 02 30 30 30 30 30 30 30 30 0D"}));
}

TEST_P(ByteLinkReplyTest, FiveDigitSpeedConsumesTenBytes) {
    PortRig rig(GetParam());
    rig.Send(Join({{0x37, 0x0C, 0x01, 0x00}, Text("19200"), {0x00}, Text("Z")}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::Speed).text, "19200");
    EXPECT_EQ(rig.Consumed(), Join({{0x37, 0x0C, 0x01, 0x00}, Text("19200"), {0x00}}));
    Trace expected = {"S10"};
    for (const char* byte : {"37", "0C", "01", "00", "31", "39", "32", "30", "30", "00"}) {
        expected.push_back(std::string("R1 ") + byte);
    }
    EXPECT_EQ(rig.Trace(), expected);
    EXPECT_EQ(SpeedFromText("19200"), 19200u);
}

TEST_P(ByteLinkReplyTest, FourDigitSpeedConsumesNineBytes) {
    PortRig rig(GetParam());
    rig.Send(Join({{0x37, 0x0C, 0x01, 0x00}, Text("9600"), {0x00}, Text("Z")}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::Speed).text, "9600");
    EXPECT_EQ(rig.Consumed(), Join({{0x37, 0x0C, 0x01, 0x00}, Text("9600"), {0x00}}));
    EXPECT_EQ(rig.PausesMs(), (std::vector<long>{10}));
}

TEST_P(ByteLinkReplyTest, UnknownSpeedTextIsReadWholeAndMapsToNoChange) {
    PortRig rig(GetParam());
    rig.Send(Join({{1, 2, 3, 4}, Text("38400"), {0x00}}));
    std::string text = ReadValueReply(rig.port, ValueForm::Speed).text;
    EXPECT_EQ(text, "38400");
    EXPECT_EQ(SpeedFromText(text), std::nullopt);
}

TEST_P(ByteLinkReplyTest, OneCharacterValueConsumesSixBytes) {
    PortRig rig(GetParam());
    rig.Send(Join({{0x37, 0x0C, 0x02, 0x00}, Text("2"), {0x00}, Text("Z")}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::OneCharacter).text, "2");
    EXPECT_EQ(rig.Consumed().size(), 6u);
    EXPECT_EQ(rig.PausesMs(), (std::vector<long>{10}));
}

// Guards against a header byte of a cut reply being taken for the value.
TEST_P(ByteLinkReplyTest, ValueReplyCutInsideItsHeaderGivesNoValue) {
    PortRig rig(GetParam());
    // Without the fix the last header byte, '1', would be read as "Odd" parity.
    rig.Send({0x37, 0x0C, 0x02, '1'});
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::OneCharacter).text, "");
    EXPECT_EQ(rig.Trace(),
              (Trace{"S10", "R1 37", "R1 0C", "R1 02", "R1 31", "R1 -", "S500", "R1 -"}));
}

TEST_P(ByteLinkReplyTest, SpeedCutAfterTwoDigitsEndsWithThePartialText) {
    PortRig rig(GetParam());
    rig.Send(Join({{0x37, 0x0C, 0x01, 0x00}, Text("96")}));
    std::string text = ReadValueReply(rig.port, ValueForm::Speed).text;
    EXPECT_EQ(text, "96");
    EXPECT_EQ(SpeedFromText(text), std::nullopt);
    EXPECT_EQ(rig.Elapsed(), Ms(10) + kSilentByteReadCost);
}

TEST_P(ByteLinkReplyTest, SilentValueReplyEndsAfterOneEmptyRead) {
    for (auto form : {ValueForm::Speed, ValueForm::OneCharacter}) {
        PortRig rig(GetParam());
        EXPECT_EQ(ReadValueReply(rig.port, form).text, "");
        EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 -", "S500", "R1 -"}));
    }
}

TEST_P(ByteLinkReplyTest, PowerSaveReplyReadsSixtyFourAfterTwoHundredMilliseconds) {
    PortRig rig(GetParam());
    rig.Send({0x37, 0x50, '_', 0x01, 0xFF, 0x00});
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_TRUE(reply.found);
    EXPECT_TRUE(reply.usePowerSave);
    EXPECT_EQ(reply.seconds, 255);
    // A short reply still gets the port's one retry, after its pause.
    EXPECT_EQ(rig.Trace(), (Trace{"S200", "R64 37 50 5F 01 FF 00", "S500", "R58 -"}));
}

// Guards against a whole power save reply waiting out the 64-byte read's deadline and its retry's.
TEST_P(ByteLinkReplyTest, PowerSaveReplyWaitsOnlyWhileItsTimeByteIsMissing) {
    struct Case {
        Bytes reply;
        Micros waited;
    };
    for (const auto& c :
         {Case{{'_', 0x00, 0x3C}, 0}, Case{{0x37, '_', 0x01, 0xFF, 0x00}, 0},
          Case{{'_', 0x01}, Ms(2064 + 2062)}, Case{{0x00, '_', 0x01, 0x3C}, Ms(2064 + 2060)}}) {
        PortRig rig(GetParam());
        rig.Send(c.reply);
        ReadPowerSaveReply(rig.port);
        EXPECT_EQ(rig.Elapsed(), Ms(200 + 500) + c.waited) << PortRig::Hex(c.reply);
        EXPECT_EQ(rig.Trace().size(), 4u);
    }
}

TEST_P(ByteLinkReplyTest, SilentPowerSaveReplyIsReadThreeTimesAtMost) {
    PortRig rig(GetParam());
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_FALSE(reply.found);
    EXPECT_FALSE(reply.usePowerSave);
    EXPECT_EQ(rig.Trace(), (Trace{"S200", "R64 -", "S500", "R64 -", "S200", "R64 -", "S500",
                                  "R64 -", "S200", "R64 -", "S500", "R64 -"}));
    EXPECT_EQ(rig.Elapsed(), Ms(3 * (200 + 2064 + 500 + 2064)));
}

TEST_P(ByteLinkReplyTest, FixedModeReplyPausesOneSecondAndReadsThree) {
    PortRig rig(GetParam());
    rig.Send({'7', 0x01, 0x00, 'Z'});
    ReadModeReply(rig.port, ModeReplyForm::Fixed);
    EXPECT_EQ(rig.Trace(), (Trace{"S1000", "R3 37 01 00"}));
}

TEST_P(ByteLinkReplyTest, SearchedModeReplyFindsTheHeaderThenReadsTwo) {
    PortRig rig(GetParam());
    rig.Send({0x00, 'x', '7', 0x01, 0x00, 'Z'});
    StepLog log;
    ReadModeReply(rig.port, ModeReplyForm::Searched, log.Callback());
    EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 00", "R1 78", "R1 37", "R2 01 00"}));
    EXPECT_EQ(log.steps,
              (std::vector<ExchangeStep>{ExchangeStep::FirstByteRead, ExchangeStep::HeaderSearched,
                                         ExchangeStep::BlockRead}));
}

TEST_P(ByteLinkReplyTest, SilentSearchedModeReplyEnds) {
    PortRig rig(GetParam());
    ReadModeReply(rig.port, ModeReplyForm::Searched);
    EXPECT_EQ(rig.Trace(), (Trace{"S10", "R1 -", "S500", "R1 -"}));
}

// USB: a reply is one transfer, read whole into the 64-byte buffer.
class UsbReplyTest : public ::testing::Test {
protected:
    PortRig rig{Link::Usb};
};

TEST_F(UsbReplyTest, SwitchReplyPinsComeFromOffsetsTwoToNine) {
    rig.Send(SwitchReply("10000001"));
    StepLog log;
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::Without, log.Callback()).pins,
              Pins("10000001"));
    EXPECT_EQ(rig.Trace(), (Trace{"R64 37 02 31 30 30 30 30 30 30 31 0D"}));
    EXPECT_EQ(log.steps, WithPins({ExchangeStep::Start, ExchangeStep::BlockRead}));
}

TEST_F(UsbReplyTest, WithoutSearchAFirstByteOtherThanSevenIsNotLookedAt) {
    rig.Send(Join({{'x', 0x02}, Text("01010101")}));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::Without).pins, Pins("01010101"));
    EXPECT_EQ(rig.Trace().size(), 1u);
}

TEST_F(UsbReplyTest, EmptyFirstReadIsRepeatedOnceWithoutPause) {
    rig.Send(SwitchReply("11000000"), Ms(2500));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::Without).pins, Pins("11000000"));
    EXPECT_EQ(rig.Trace(), (Trace{"R64 -", "R64 37 02 31 31 30 30 30 30 30 30 0D"}));
}

TEST_F(UsbReplyTest, SearchReadsSingleBytesWhenTheBlockDoesNotStartWithSeven) {
    rig.Send(Join({{0x00, 0x02}, Text("10101010"), {0x0D}}));
    rig.Send({'x'});
    rig.Send({'7'});
    StepLog log;
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::With, log.Callback()).pins, Pins("10101010"));
    EXPECT_EQ(rig.Trace(), (Trace{"R64 00 02 31 30 31 30 31 30 31 30 0D", "R1 78", "R1 37"}));
    EXPECT_EQ(log.steps, WithPins({ExchangeStep::Start, ExchangeStep::BlockRead,
                                   ExchangeStep::HeaderSearched}));
}

TEST_F(UsbReplyTest, FailedSearchLeavesEveryPinUnchanged) {
    rig.Send(Join({{'x', 0x02}, Text("10101010"), {0x0D}}));
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::With).pins, SwitchPins{});
    EXPECT_EQ(rig.Trace(), (Trace{"R64 78 02 31 30 31 30 31 30 31 30 0D", "R1 -"}));
    EXPECT_EQ(rig.Elapsed(), Ms(2000));
}

TEST_F(UsbReplyTest, SilentPrinterGivesNoChangeAfterTwoReads) {
    EXPECT_EQ(ReadSwitchReply(rig.port, HeaderSearch::Without).pins, SwitchPins{});
    EXPECT_EQ(rig.Trace(), (Trace{"R64 -", "R64 -"}));
    EXPECT_EQ(rig.Elapsed(), Ms(4000));
}

TEST_F(UsbReplyTest, ValueTextStartsAtOffsetFour) {
    rig.Send(Join({{0x37, 0x0C, 0x01, 0x00}, Text("19200"), {0x00, 'Z'}}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::Speed).text, "19200");
    rig.Send(Join({{0x37, 0x06, 0x03, 0x00}, Text("4"), {0x00}}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::OneCharacter).text, "4");
    EXPECT_EQ(rig.Trace().size(), 2u);
    EXPECT_TRUE(rig.PausesMs().empty());
}

TEST_F(UsbReplyTest, ValueReplyRetriedOnceThenEmpty) {
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::OneCharacter).text, "");
    EXPECT_EQ(rig.Trace(), (Trace{"R64 -", "R64 -"}));
}

TEST_F(UsbReplyTest, ValueTextWithoutNulRunsToTheEndOfTheBlock) {
    rig.Send(Join({{1, 2, 3, 4}, Bytes(70, '9')}));
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::Speed).text, std::string(60, '9'));
}

TEST_F(UsbReplyTest, PowerSaveFlagZeroTurnsItOffAndStillTakesTheTime) {
    rig.Send({0x37, '_', 0x00, 0x3C, 0x00});
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_TRUE(reply.found);
    EXPECT_FALSE(reply.usePowerSave);
    EXPECT_EQ(reply.seconds, 60);
    EXPECT_EQ(rig.Trace(), (Trace{"S200", "R64 37 5F 00 3C 00"}));
}

TEST_F(UsbReplyTest, PowerSaveWithoutUnderscoreIsOff) {
    rig.Send({0x37, 0x50, 0x01, 0x3C, 0x00});
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_FALSE(reply.found);
    EXPECT_FALSE(reply.usePowerSave);
}

TEST_F(UsbReplyTest, PowerSaveUnderscoreBehindANulIsNotSeen) {
    rig.Send({0x37, 0x00, '_', 0x01, 0x3C});
    EXPECT_FALSE(ReadPowerSaveReply(rig.port).found);
}

TEST_F(UsbReplyTest, PowerSaveTakesTheFirstUnderscore) {
    rig.Send({'_', 0x01, 0x0A, '_', 0x00, 0x14, 0x00});
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_TRUE(reply.usePowerSave);
    EXPECT_EQ(reply.seconds, 10);
}

// Guards against reading past the reply buffer when '_' is its last byte.
TEST_F(UsbReplyTest, PowerSaveUnderscoreInTheLastByteReadsNothingBeyondTheBlock) {
    Bytes reply(63, 'a');
    reply.push_back('_');
    rig.Send(reply);
    PowerSaveReply parsed = ReadPowerSaveReply(rig.port);
    EXPECT_TRUE(parsed.found);
    EXPECT_FALSE(parsed.usePowerSave);
    EXPECT_EQ(parsed.seconds, 0);
}

TEST_F(UsbReplyTest, PowerSaveRetriesTwiceWithPausesThenParses) {
    rig.Send({'_', 0x01, 0x1E, 0x00}, Ms(200 + 2000 + 200 + 2000 + 200));
    PowerSaveReply reply = ReadPowerSaveReply(rig.port);
    EXPECT_TRUE(reply.usePowerSave);
    EXPECT_EQ(reply.seconds, 30);
    EXPECT_EQ(rig.Trace(), (Trace{"S200", "R64 -", "S200", "R64 -", "S200", "R64 5F 01 1E 00"}));
}

TEST_F(UsbReplyTest, PowerSaveGivesUpAfterThreeEmptyReads) {
    EXPECT_FALSE(ReadPowerSaveReply(rig.port).found);
    EXPECT_EQ(rig.Trace(), (Trace{"S200", "R64 -", "S200", "R64 -", "S200", "R64 -"}));
}

TEST_F(UsbReplyTest, FixedModeReplyReadsThreeAfterOneSecond) {
    rig.Send({'7', 0x01, 0x00});
    ReadModeReply(rig.port, ModeReplyForm::Fixed);
    EXPECT_EQ(rig.Trace(), (Trace{"S1000", "R3 37 01 00"}));
}

TEST_F(UsbReplyTest, SearchedModeReplyReadsFifteenTwiceAtMost) {
    StepLog log;
    ReadModeReply(rig.port, ModeReplyForm::Searched, log.Callback());
    EXPECT_EQ(rig.Trace(), (Trace{"R15 -", "R15 -"}));
    EXPECT_EQ(log.steps, std::vector<ExchangeStep>{ExchangeStep::Start});
    rig.platform.ClearEvents();
    rig.Send({'7', 0x01, 0x00});
    ReadModeReply(rig.port, ModeReplyForm::Searched);
    EXPECT_EQ(rig.Trace(), (Trace{"R15 37 01 00"}));
}

}  // namespace
}  // namespace corvane::protocol

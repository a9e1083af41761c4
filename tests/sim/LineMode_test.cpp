#include <gtest/gtest.h>

#include <algorithm>

#include "Bytes.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

Bytes LineCommand(char op, const char* digits) {
    return B({0x1B, 0x1D, 0x23, op}) + T(digits) + B({0x0A, 0x00});
}

const char* kAllZero = "000000000000000000000000000000000000";

bool Printed(const VirtualPrinter& printer, const std::string& line) {
    const auto& out = printer.Printout();
    return std::find(out.begin(), out.end(), line) != out.end();
}

class LineModeEmulations : public ::testing::TestWithParam<std::tuple<Model, Emulation>> {};

TEST_P(LineModeEmulations, ClearSetAndPrintStatusChangeAndPrintTheWords) {
    auto [model, emulation] = GetParam();
    VirtualPrinter printer(model, emulation);
    printer.State().lineWords[2] = 0x4403;
    // Paper width item 2: word 3 cleared with 0C00 and set with 0800.
    Bytes frames = LineCommand('-', "000000000C00000000000000000000000000") +
                   LineCommand('+', "000000000800000000000000000000000000") +
                   B({0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00});
    EXPECT_TRUE(Answer(printer, frames).empty());
    EXPECT_EQ(printer.State().lineWords[2], 0x4803);
    EXPECT_TRUE(Printed(printer, "=== Switch status ==="));
    EXPECT_TRUE(Printed(printer, "Word 3: 4803"));
    EXPECT_TRUE(Printed(printer, "Word 9: 0000"));
    EXPECT_EQ(printer.PendingBytes(), 0u);
}

TEST_P(LineModeEmulations, SpeedCommandsPutTheSpeedCodeIntoTheSpeedWord) {
    auto [model, emulation] = GetParam();
    VirtualPrinter printer(model, emulation);
    // 2400 bps: clear 0F00, set with digit "0", then the T command.
    Bytes frames = B({0x1B, 0x1F, 0x23, 0x2D, 0x30, 0x46, 0x30, 0x30, 0x0A, 0x00}) +
                   B({0x1B, 0x1F, 0x23, 0x2B, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00}) +
                   B({0x1B, 0x1F, 0x23, 0x54, 0x30, 0x30, 0x0A, 0x00});
    EXPECT_TRUE(Answer(printer, frames).empty());
    EXPECT_EQ(printer.State().speedWord, 0x0000);
    EXPECT_TRUE(Printed(printer, "Baud rate: 2400 bps"));

    Answer(printer, B({0x1B, 0x1F, 0x23, 0x2D, 0x30, 0x46, 0x30, 0x30, 0x0A, 0x00}) +
                        B({0x1B, 0x1F, 0x23, 0x2B, 0x30, 0x34, 0x30, 0x30, 0x0A, 0x00}));
    EXPECT_EQ(printer.State().speedWord, 0x0400);
    EXPECT_EQ(LineModeSpeed(printer.State().speedWord), 19200);
}

INSTANTIATE_TEST_SUITE_P(
    EachModelAndAnswer, LineModeEmulations,
    ::testing::Combine(::testing::Values(Model::Krt310, Model::Krt310II, Model::Krt620),
                       ::testing::Values(Emulation::Other02, Emulation::Other03)),
    [](const auto& info) {
        return Tag(std::get<0>(info.param)) + "_" + Tag(std::get<1>(info.param));
    });

TEST(LineMode, SetOnlyAddsBitsAndClearOnlyRemovesThem) {
    VirtualPrinter printer(Model::Krt310, Emulation::Other02);
    Answer(printer, LineCommand('+', "0414000000000000000000000000000000FF"));
    Answer(printer, LineCommand('+', "0001000000000000000000000000000000F0"));
    EXPECT_EQ(printer.State().lineWords[0], 0x0415);
    EXPECT_EQ(printer.State().lineWords[8], 0x00FF);
    Answer(printer, LineCommand('-', "0C1C0000000000000000000000000000000F"));
    EXPECT_EQ(printer.State().lineWords[0], 0x0001);
    EXPECT_EQ(printer.State().lineWords[8], 0x00F0);
    Answer(printer, LineCommand('-', kAllZero));
    EXPECT_EQ(printer.State().lineWords[0], 0x0001);
}

TEST(LineMode, PrintStatusWithTwoTrailingNulsLeavesNothingBehind) {
    VirtualPrinter printer(Model::Krt620, Emulation::Other02);
    Answer(printer, B({0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00, 0x00}));
    EXPECT_TRUE(Printed(printer, "=== Switch status ==="));
    EXPECT_EQ(printer.PendingBytes(), 0u);
    EXPECT_EQ(printer.Commands().size(), 1u);
}

TEST(LineMode, CommandSplitAcrossWritesIsAppliedOnceTheLineFeedArrives) {
    VirtualPrinter printer(Model::Krt310, Emulation::Other02);
    Bytes frame = LineCommand('+', "0000000000000000000000000000000000AB");
    printer.Feed(Bytes(frame.begin(), frame.begin() + 20));
    EXPECT_EQ(printer.State().lineWords[8], 0);
    printer.Feed(Bytes(frame.begin() + 20, frame.end()));
    EXPECT_EQ(printer.State().lineWords[8], 0x00AB);
}

TEST(LineMode, LowerCaseOrMissingDigitsAreRejected) {
    VirtualPrinter printer(Model::Krt310, Emulation::Other02);
    Answer(printer, LineCommand('+', "0000000000000000000000000000000000ab"));
    Answer(printer, LineCommand('+', "00000000000000000000000000000000001"));
    EXPECT_EQ(printer.State().lineWords[8], 0);
    EXPECT_EQ(printer.Commands().size(), 2u);
    for (const auto& line : printer.Commands()) {
        EXPECT_EQ(line.rfind("ignored", 0), 0u) << line;
    }
}

TEST(LineMode, LineModeCommandsAreIgnoredInTheNativeEmulation) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, LineCommand('+', "FFFF00000000000000000000000000000000"));
    Answer(printer, B({0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00}));
    EXPECT_EQ(printer.State().lineWords[0], 0);
    EXPECT_TRUE(printer.Printout().empty());
}

TEST(LineMode, LineModeCommandWithoutLineFeedIsDroppedAfterItsLimit) {
    VirtualPrinter printer(Model::Krt310, Emulation::Other02);
    Bytes runaway = B({0x1B, 0x1D, 0x23, 0x2B}) + Bytes(100, '0');
    printer.Feed(runaway);
    // The printer gives up on the runaway command and answers what follows.
    VirtualPrinter::Reply reply;
    for (auto& r : printer.Feed(B({0x0A, 0x1F, 0x1F, 0x45}))) {
        reply = r;
    }
    EXPECT_EQ(reply, B({0x02}));
}

}  // namespace
}  // namespace corvane::sim::test

#include <gtest/gtest.h>

#include <algorithm>

#include "Bytes.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

bool Printed(const VirtualPrinter& printer, const std::string& line) {
    const auto& out = printer.Printout();
    return std::find(out.begin(), out.end(), line) != out.end();
}

class SelfTests : public ::testing::TestWithParam<Model> {};

TEST_P(SelfTests, SelfTestOnePrintsIdentityAndSettings) {
    VirtualPrinter printer(GetParam());
    printer.SetSwitch(printer.CodePageSwitch(), 0x21);
    EXPECT_TRUE(Answer(printer, B({0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x02})).empty());
    EXPECT_EQ(printer.Printout().front(), "=== Self test 1 ===");
    EXPECT_TRUE(Printed(printer, "Maker: VANTORA"));
    EXPECT_TRUE(Printed(printer, "Model: " + std::string(ModelName(GetParam()))));
    EXPECT_TRUE(Printed(
        printer, "Memory switch " + std::to_string(printer.CodePageSwitch()) + ": 00100001"));
    EXPECT_EQ(printer.Printout().back(), "=== end ===");
    EXPECT_EQ(printer.Commands().back(), "self test 1");
}

TEST_P(SelfTests, SelfTestTwoPrintsThePattern) {
    VirtualPrinter printer(GetParam());
    EXPECT_TRUE(Answer(printer, B({0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x03})).empty());
    EXPECT_EQ(printer.Printout().front(), "=== Self test 2 ===");
    EXPECT_EQ(printer.Commands().back(), "self test 2");
}

INSTANTIATE_TEST_SUITE_P(EachModel, SelfTests,
                         ::testing::Values(Model::Krt310, Model::Krt310II, Model::Krt620),
                         [](const auto& info) { return Tag(info.param); });

TEST(Printout, UnknownTestPrintIsIgnored) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, B({0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x04}));
    EXPECT_TRUE(printer.Printout().empty());
}

TEST(Printout, AlignmentOffsetsAreStoredFromOneToSeven) {
    VirtualPrinter printer(Model::Krt620);
    Answer(printer,
           B({0x1B, 0x78, 0x01, 0x02, 0x01, 0x04}) + B({0x1B, 0x78, 0x01, 0x02, 0x02, 0x01}) +
               B({0x1B, 0x78, 0x01, 0x02, 0x03, 0x05}) + B({0x1B, 0x78, 0x01, 0x02, 0x04, 0x07}));
    EXPECT_EQ(printer.State().alignment, (std::array<int, 4>{0, -3, 1, 3}));
}

TEST(Printout, AlignmentValueOutsideOneToSevenIsRejected) {
    VirtualPrinter printer(Model::Krt620);
    Answer(printer,
           B({0x1B, 0x78, 0x01, 0x02, 0x01, 0x08}) + B({0x1B, 0x78, 0x01, 0x02, 0x05, 0x04}));
    EXPECT_EQ(printer.State().alignment, (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(Printout, PatternAndVerifyPrintsEachEndWithTheirCut) {
    VirtualPrinter printer(Model::Krt620);
    printer.State().alignment = {0, -3, 0, 3};
    Answer(printer, B({0x1B, 0x40, 0x1B, 0x78, 0x01, 0x01, 0x00}));
    Answer(printer, B({0x1D, 0x56, 0x42, 0x00}));
    Answer(printer, B({0x1B, 0x40, 0x1B, 0x78, 0x01, 0x03, 0x00}));
    Answer(printer, B({0x1D, 0x56, 0x42, 0x00}));
    std::vector<std::string> expected = {
        "=== Vertical alignment pattern ===",
        "[A]  -3  -2  -1   0   1   2   3   (stored 0)",
        "[B]  -3  -2  -1   0   1   2   3   (stored -3)",
        "[C]  -3  -2  -1   0   1   2   3   (stored 0)",
        "[D]  -3  -2  -1   0   1   2   3   (stored 3)",
        "=== end ===",
        "--- partial cut ---",
        "=== Vertical alignment verify ===",
        "[A] offset 0",
        "[B] offset -3",
        "[C] offset 0",
        "[D] offset 3",
        "=== end ===",
        "--- partial cut ---",
    };
    EXPECT_EQ(printer.Printout(), expected);
}

TEST(Printout, KrtThreeTenFamilyHasNoVerticalAlignment) {
    VirtualPrinter printer(Model::Krt310II);
    Answer(printer, B({0x1B, 0x78, 0x01, 0x02, 0x01, 0x07}) + B({0x1B, 0x78, 0x01, 0x01, 0x00}));
    EXPECT_EQ(printer.State().alignment, (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(printer.Printout().empty());
}

TEST(Printout, TextIsPrintedLineByLineAndInitializeDropsUnprintedText) {
    VirtualPrinter printer(Model::Krt310);
    Answer(printer, T("Hello") + B({0x0A}) + T("lost") + B({0x1B, 0x40}) + T("kept") +
                        B({0x1D, 0x56, 0x00}));
    std::vector<std::string> expected = {"Hello", "kept", "--- cut ---"};
    EXPECT_EQ(printer.Printout(), expected);
}

}  // namespace
}  // namespace corvane::sim::test

// The alignment tool against the simulated KRT-620, which decodes the frames on its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "alignment/VerticalAlignmentDialog.h"
#include "sim/VirtualPrinter.h"
#include "support/PortRig.h"
#include "ui/HeadlessHost.h"

namespace corvane::alignment {
namespace {

using sim::Model;
using sim::VirtualPrinter;
using ui::HeadlessHost;

class AlignmentRoundTripTest : public ::testing::Test {
protected:
    AlignmentRoundTripTest() { EXPECT_TRUE(rig.opened); }

    bool Printed(const std::string& line) const {
        const auto& printout = printer.Printout();
        return std::find(printout.begin(), printout.end(), line) != printout.end();
    }

    VirtualPrinter printer{Model::Krt620};
    support::PortRig rig{support::Link::Serial, &printer, {"COM7"}};
    VerticalAlignmentDialog dialog{rig.port};
};

TEST_F(AlignmentRoundTripTest, SavedColumnsBecomeThePrintersOffsets) {
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(1071));      // [A] at -3
    ASSERT_TRUE(host.Click(1078 + 6));  // [B] at 3
    ASSERT_TRUE(host.Click(1092 + 4));  // [D] at 1
    ASSERT_TRUE(host.Click(1100));
    EXPECT_EQ(printer.State().alignment, (std::array<int, 4>{-3, 3, 0, 1}));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "Save Setting Success!!");
}

TEST_F(AlignmentRoundTripTest, PatternAndVerifyPrintAndCutWithoutAMessage) {
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(1055));
    EXPECT_TRUE(Printed("=== Vertical alignment pattern ==="));
    ASSERT_TRUE(host.Click(1101));
    EXPECT_TRUE(Printed("=== Vertical alignment verify ==="));
    EXPECT_EQ(std::count_if(printer.Printout().begin(), printer.Printout().end(),
                            [](const std::string& line) { return line.find("cut") != line.npos; }),
              2);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(AlignmentRoundTripTest, CableOutAfterTwoRowsLeavesThoseTwoStoredAndReportsOnce) {
    printer.State().alignment = {2, 2, 2, 2};
    printer.GetFaults().unplugAfterCommands = 2;
    HeadlessHost host(dialog);
    ASSERT_TRUE(host.Click(1071));
    ASSERT_TRUE(host.Click(1078));
    ASSERT_TRUE(host.Click(1085));
    ASSERT_TRUE(host.Click(1092));
    ASSERT_TRUE(host.Click(1100));
    EXPECT_EQ(printer.State().alignment, (std::array<int, 4>{-3, -3, 2, 2}));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "Write Error!!");
    EXPECT_EQ(host.Messages()[0].icon, ui::Icon::Exclamation);
}

}  // namespace
}  // namespace corvane::alignment

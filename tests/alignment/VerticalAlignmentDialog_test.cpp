#include "alignment/VerticalAlignmentDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "resources/DialogTemplate.h"
#include "support/SerialPortTest.h"
#include "ui/HeadlessHost.h"

namespace corvane::alignment {
namespace {

using namespace std::chrono_literals;
using platform::sim::EventKind;
using support::Bytes;
using ui::HeadlessHost;

const Bytes kPatternRequest = {0x1B, 0x40, 0x1B, 0x78, 0x01, 0x01, 0x00};
const Bytes kVerifyRequest = {0x1B, 0x40, 0x1B, 0x78, 0x01, 0x03, 0x00};
const Bytes kCut = {0x1D, 0x56, 0x42, 0x00};

Bytes Store(std::uint8_t row, std::uint8_t value) {
    return {0x1B, 0x78, 0x01, 0x02, row, value};
}

// The radio of a row (0 for [A]) and column (0 for "-3").
int RadioId(int row, int column) {
    return 1071 + row * 7 + column;
}

class VerticalAlignmentDialogTest : public support::SerialPortTest {
protected:
    VerticalAlignmentDialogTest() : SerialPortTest({"COM2", 19200}) {}

    HeadlessHost& Open() {
        host = std::make_unique<HeadlessHost>(dialog);
        return *host;
    }

    std::vector<Bytes> Writes() const {
        std::vector<Bytes> writes;
        for (const auto& event : platform.Events()) {
            if (event.kind == EventKind::Write && !event.bytes.empty()) {
                writes.push_back(event.bytes);
            }
        }
        return writes;
    }

    // Makes the write requests after the first n whole ones take nothing.
    void FailWritesAfter(std::size_t n, std::size_t length) {
        printer.acceptCounts.assign(n, length);
        printer.acceptCounts.push_back(0);
        printer.acceptCounts.push_back(0);  // the link's retry of the same write
    }

    const std::vector<HeadlessHost::Message>& Messages() { return host->Messages(); }

    VerticalAlignmentDialog dialog{port};
    std::unique_ptr<HeadlessHost> host;
};

TEST_F(VerticalAlignmentDialogTest, RowsHaveNoChoiceBeforeTheFirstOpeningAndColumnZeroAfter) {
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(dialog.Row(row), -1);
    }
    Open();
    EXPECT_EQ(host->WindowTitle(), "KRT-620 Vertical Alignment Tool");
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 7; ++column) {
            EXPECT_EQ(host->IsChecked(RadioId(row, column)), column == 3) << row << column;
        }
    }
    EXPECT_TRUE(platform.Events().empty());
}

TEST_F(VerticalAlignmentDialogTest, SaveRightAfterOpeningStoresOffsetZeroInAllRows50MsApart) {
    Open();
    ASSERT_TRUE(host->Click(1100));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{Store(1, 4), Store(2, 4), Store(3, 4), Store(4, 4)}));
    EXPECT_EQ(platform.Pauses(), (std::vector<std::chrono::milliseconds>{50ms, 50ms, 50ms}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Save Setting Success!!");
    EXPECT_EQ(Messages()[0].icon, ui::Icon::Information);
}

TEST_F(VerticalAlignmentDialogTest, ChosenColumnsBecomeOffsetsOneToSeven) {
    Open();
    ASSERT_TRUE(host->Click(RadioId(0, 6)));
    ASSERT_TRUE(host->Click(RadioId(1, 0)));
    ASSERT_TRUE(host->Click(RadioId(2, 4)));
    ASSERT_TRUE(host->Click(RadioId(3, 6)));
    ASSERT_TRUE(host->Click(1100));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{Store(1, 7), Store(2, 1), Store(3, 5), Store(4, 7)}));
    EXPECT_EQ(dialog.Row(0), 6);
    EXPECT_EQ(dialog.Row(1), 0);
    EXPECT_EQ(dialog.Row(2), 4);
    EXPECT_EQ(dialog.Row(3), 6);
}

struct FailRow {
    std::size_t storedBefore;  // rows written before the failing one
};

class SaveFailures : public VerticalAlignmentDialogTest,
                     public ::testing::WithParamInterface<FailRow> {};

TEST_P(SaveFailures, StopsAtTheFirstFailedRowKeepingTheRowsBefore) {
    std::size_t stored = GetParam().storedBefore;
    Open();
    FailWritesAfter(stored, 6);
    ASSERT_TRUE(host->Click(1100));
    std::vector<Bytes> expected;
    for (std::size_t row = 0; row < stored; ++row) {
        expected.push_back(Store(static_cast<std::uint8_t>(row + 1), 4));
    }
    EXPECT_EQ(Writes(), expected);
    // The 50 ms pauses before each row reached, and the link's single retry of the failed one.
    std::vector<std::chrono::milliseconds> pauses(stored, 50ms);
    pauses.push_back(500ms);
    EXPECT_EQ(platform.Pauses(), pauses);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Write Error!!");
    EXPECT_EQ(Messages()[0].icon, ui::Icon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveFailures,
                         ::testing::Values(FailRow{0}, FailRow{1}, FailRow{2}, FailRow{3}));

struct PrintCase {
    int button;
    Bytes request;
};

class PrintCases : public VerticalAlignmentDialogTest,
                   public ::testing::WithParamInterface<PrintCase> {};

TEST_P(PrintCases, SuccessfulPrintSendsRequestAndCutAndShowsNoMessage) {
    Open();
    ASSERT_TRUE(host->Click(GetParam().button));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{GetParam().request, kCut}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(platform.Pauses().empty());
}

TEST_P(PrintCases, FailedRequestSendsNoCutAndReportsWriteError) {
    Open();
    FailWritesAfter(0, 7);
    ASSERT_TRUE(host->Click(GetParam().button));
    EXPECT_TRUE(Writes().empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Write Error!!");
    EXPECT_EQ(Messages()[0].icon, ui::Icon::Exclamation);
}

TEST_P(PrintCases, FailedCutReportsWriteError) {
    Open();
    FailWritesAfter(1, 7);
    ASSERT_TRUE(host->Click(GetParam().button));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{GetParam().request}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Write Error!!");
}

INSTANTIATE_TEST_SUITE_P(Buttons, PrintCases,
                         ::testing::Values(PrintCase{1055, kPatternRequest},
                                           PrintCase{1101, kVerifyRequest}));

TEST_F(VerticalAlignmentDialogTest, UnpluggedPrinterGivesOneWriteErrorPerButton) {
    printer.unplugged = true;
    Open();
    ASSERT_TRUE(host->Click(1055));
    ASSERT_TRUE(host->Click(1100));
    ASSERT_TRUE(host->Click(1101));
    EXPECT_TRUE(platform.Written("COM2").empty());
    ASSERT_EQ(Messages().size(), 3u);
    for (const auto& message : Messages()) {
        EXPECT_EQ(message.text, "Write Error!!");
    }
}

TEST_F(VerticalAlignmentDialogTest, ExitStoresTheRowsAndReopeningShowsColumnZeroAgain) {
    Open();
    ASSERT_TRUE(host->Click(RadioId(2, 1)));
    host->PressEnter();  // EXIT is the default button
    EXPECT_EQ(host->Result(), ui::kIdOk);
    EXPECT_EQ(dialog.Row(2), 1);
    EXPECT_TRUE(platform.Events().empty());
    Open();
    EXPECT_TRUE(host->IsChecked(RadioId(2, 3)));
    EXPECT_FALSE(host->IsChecked(RadioId(2, 1)));
    EXPECT_EQ(dialog.Row(2), 3);
}

TEST(VerticalAlignmentTemplate, FourRowsOfSevenRadiosEachItsOwnGroup) {
    const resources::DialogTemplate* t = resources::FindTemplate(159);
    ASSERT_NE(t, nullptr);
    for (int row = 0; row < 4; ++row) {
        std::vector<int> expected;
        for (int column = 0; column < 7; ++column) {
            expected.push_back(RadioId(row, column));
        }
        EXPECT_EQ(t->RadioGroup(RadioId(row, 0)), expected) << row;
    }
    ASSERT_NE(t->Find(1055), nullptr);
    EXPECT_EQ(t->Find(1055)->caption, "Pattern   Print");
    EXPECT_EQ(t->Find(1101)->caption, "Verify  Setting");
    EXPECT_EQ(t->Find(1100)->caption, "Save Setting");
    ASSERT_NE(t->Find(1), nullptr);
    EXPECT_EQ(t->Find(1)->caption, "EXIT");
    EXPECT_TRUE(t->Find(1)->style & resources::kDefaultButton);
}

}  // namespace
}  // namespace corvane::alignment

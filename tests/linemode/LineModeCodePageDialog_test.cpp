#include "linemode/LineModeCodePageDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SwitchFrames.h"
#include "protocol/LineModeOptions.h"
#include "resources/DialogTemplate.h"
#include "support/SerialPortTest.h"
#include "ui/HeadlessHost.h"

namespace corvane::linemode {
namespace {

using namespace corvane::linemode::testing;
using namespace std::chrono_literals;
using platform::sim::EventKind;
using platform::sim::Ms;
using ui::HeadlessHost;

constexpr const char* kMarkedFirmware = "KRT620 STB 1.10";  // "STB" at characters 8 to 10
const Bytes kVersionTextRequest = {0x1D, 0x49, 0x41};

Bytes TextReply(const std::string& text) {
    Bytes reply = {0x5F};
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0x00);
    return reply;
}

class LineModeCodePageDialogTest : public support::SerialPortTest {
protected:
    LineModeCodePageDialogTest() : SerialPortTest({"COM5"}) {}

    // Opens the dialog with a printer that answers the version-text request with the text.
    HeadlessHost& Open(const std::string& firmware = kMarkedFirmware) {
        host.reset();
        printer.ReplyToNextWrite(TextReply(firmware));
        host = std::make_unique<HeadlessHost>(dialog);
        platform.ClearEvents();
        return *host;
    }

    void Click(std::initializer_list<int> ids) {
        for (int id : ids) {
            ASSERT_TRUE(host->Click(id)) << id;
        }
    }

    LineModeCodePageDialog dialog{port};
    std::unique_ptr<HeadlessHost> host;
};

TEST_F(LineModeCodePageDialogTest, OpeningAsksForTheVersionTextAfterAOneSecondPause) {
    printer.ReplyToNextWrite(TextReply(kMarkedFirmware));
    host = std::make_unique<HeadlessHost>(dialog);
    EXPECT_EQ(Sent(), kVersionTextRequest);
    ASSERT_FALSE(platform.Pauses().empty());
    EXPECT_EQ(platform.Pauses().front(), 1000ms);
    EXPECT_EQ(host->WindowTitle(), "Other Corvane");
}

struct MarkerRow {
    const char* firmware;
    bool offered;
};

class MarkerRows : public LineModeCodePageDialogTest,
                   public ::testing::WithParamInterface<MarkerRow> {};

TEST_P(MarkerRows, OnlySTBAtCharactersEightToTenOffersTheCodePage) {
    Open(GetParam().firmware);
    EXPECT_EQ(host->IsControlEnabled(82), GetParam().offered);
    EXPECT_EQ(host->IsControlEnabled(73), GetParam().offered);
    // The CR/LF option is usable whatever the firmware says.
    EXPECT_TRUE(host->IsControlEnabled(83));
    EXPECT_FALSE(host->IsControlEnabled(84));
    EXPECT_FALSE(host->IsControlEnabled(85));
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, MarkerRows,
    ::testing::Values(MarkerRow{"ABCDEFGSTB", true}, MarkerRow{"KRT620 STB 1.10", true},
                      MarkerRow{"STBDEFGHIJ", false}, MarkerRow{"ABCDEFSTB", false},
                      MarkerRow{"ABCDEFGHSTB", false}, MarkerRow{"ABCDEFGstb", false},
                      MarkerRow{"ABCDEFGST", false}, MarkerRow{"", false}));

TEST_F(LineModeCodePageDialogTest, SilentPrinterStillOpensWithOnlyTheCrLfOption) {
    auto start = platform.NowMicros();
    host = std::make_unique<HeadlessHost>(dialog);
    // The pause, then one byte read that runs to its deadline and its single retry.
    EXPECT_LE(platform.NowMicros() - start, Ms(1000 + 2001 + 500 + 2001));
    EXPECT_FALSE(host->IsControlEnabled(82));
    EXPECT_FALSE(host->IsControlEnabled(73));
    Click({83, 1003});
    EXPECT_EQ(Concat({kVersionTextRequest, SetExchange({"0000", "0000", "0000", "0000", "000F"},
                                                       {"0000", "0000", "0000", "0000", "0000"})}),
              Sent());
}

TEST_F(LineModeCodePageDialogTest, TickingEnablesTheListAtItsFirstItemAndUntickingClearsIt) {
    Open();
    Click({82});
    EXPECT_TRUE(host->IsControlEnabled(84));
    EXPECT_EQ(host->Selection(84), 0);
    Click({82});
    EXPECT_FALSE(host->IsControlEnabled(84));
    EXPECT_EQ(host->Selection(84), -1);
    Click({83});
    EXPECT_TRUE(host->IsControlEnabled(85));
    EXPECT_EQ(host->Selection(85), 0);
}

TEST_F(LineModeCodePageDialogTest, UntickingEitherOptionUnticksSelectAll) {
    Open();
    Click({73});
    EXPECT_TRUE(host->IsChecked(82));
    EXPECT_TRUE(host->IsChecked(83));
    EXPECT_EQ(host->Selection(84), 0);
    EXPECT_EQ(host->Selection(85), 0);
    Click({83});
    EXPECT_FALSE(host->IsChecked(73));
    EXPECT_TRUE(host->IsChecked(82));
    Click({73, 73});
    EXPECT_FALSE(host->IsChecked(82));
    EXPECT_FALSE(host->IsChecked(83));
    EXPECT_FALSE(host->IsControlEnabled(84));
    EXPECT_FALSE(host->IsControlEnabled(85));
}

TEST_F(LineModeCodePageDialogTest, CodePageAndCrLfGoIntoWordsOneAndFive) {
    Open();
    Click({82, 83});
    ASSERT_TRUE(host->Select(84, 5));  // "1252(Latin I)"
    ASSERT_TRUE(host->Select(85, 3));
    Click({1003});
    EXPECT_EQ(Sent(), SetExchange({"003F", "0000", "0000", "0000", "000F"},
                                  {"0010", "0000", "0000", "0000", "0003"}));
    EXPECT_TRUE(host->Messages().empty());
}

// Every code page clears the whole field, bit 0020 included, so no earlier code page survives.
TEST_F(LineModeCodePageDialogTest, EveryCodePageSendsItsValueAfterClearingTheWholeField) {
    const std::vector<std::string> values = {"0000", "0002", "0003", "0004", "0005", "0010", "0011",
                                             "0012", "0013", "0015", "0016", "0017", "0018", "001A",
                                             "001B", "001D", "001F", "0022", "0023", "0026"};
    Open();
    Click({82});
    for (std::size_t item = 0; item < values.size(); ++item) {
        platform.ClearEvents();
        ASSERT_TRUE(host->Select(84, static_cast<int>(item)));
        Click({1003});
        EXPECT_EQ(Sent(), SetExchange({"003F", "0000", "0000", "0000", "0000"},
                                      {values[item], "0000", "0000", "0000", "0000"}))
            << host->ItemText(84, static_cast<int>(item));
    }
}

TEST_F(LineModeCodePageDialogTest, SecondSetStartsFromCleanCommands) {
    Open();
    Click({82});
    ASSERT_TRUE(host->Select(84, 19));  // "928(Greek)"
    Click({1003, 82, 83});
    ASSERT_TRUE(host->Select(85, 5));
    Click({1003});
    EXPECT_EQ(Sent(), Concat({SetExchange({"003F", "0000", "0000", "0000", "0000"},
                                          {"0026", "0000", "0000", "0000", "0000"}),
                              SetExchange({"0000", "0000", "0000", "0000", "000F"},
                                          {"0000", "0000", "0000", "0000", "0005"})}));
}

TEST_F(LineModeCodePageDialogTest, SetWithNothingTickedWarnsAndSendsNothing) {
    Open();
    Click({1003});
    ASSERT_EQ(host->Messages().size(), 1u);
    EXPECT_EQ(host->Messages()[0].text, "Don't select item.");
    EXPECT_EQ(host->Messages()[0].caption, "Warning");
    EXPECT_EQ(host->Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LineModeCodePageDialogTest, PrintButtonSendsOneMoreNulThanTheStatusAfterASet) {
    Open();
    Click({86});
    EXPECT_EQ(Sent(), kPrintStatus11);
    EXPECT_TRUE(host->Messages().empty());
}

TEST_F(LineModeCodePageDialogTest, TicksAndChoicesPersistAndEachOpeningAsksThePrinterAgain) {
    Open();
    Click({82, 83});
    ASSERT_TRUE(host->Select(84, 12));
    ASSERT_TRUE(host->Select(85, 2));
    Click({71});
    EXPECT_EQ(host->Result(), ui::kIdOk);
    printer.received.clear();
    Open();
    EXPECT_EQ(printer.received, kVersionTextRequest);
    EXPECT_TRUE(host->IsChecked(82));
    EXPECT_EQ(host->Selection(84), 12);
    EXPECT_EQ(host->Selection(85), 2);
    EXPECT_TRUE(host->IsControlEnabled(84));
    EXPECT_TRUE(host->IsControlEnabled(85));
    Click({1003});
    EXPECT_EQ(Sent(), SetExchange({"003F", "0000", "0000", "0000", "000F"},
                                  {"0018", "0000", "0000", "0000", "0002"}));
}

// The code page check box is disabled for an unmarked printer, so a tick kept from a marked one
// could neither be seen to matter nor be taken back; it must not be sent.
TEST_F(LineModeCodePageDialogTest, CodePageTickKeptFromAMarkedPrinterIsDroppedForAnUnmarkedOne) {
    Open();
    Click({73});
    ASSERT_TRUE(host->Select(84, 19));
    Click({71});
    Open("ABCDEFGHIJ");
    EXPECT_FALSE(host->IsChecked(82));
    EXPECT_FALSE(host->IsChecked(73));
    EXPECT_FALSE(host->IsControlEnabled(84));
    EXPECT_TRUE(host->IsChecked(83));
    Click({1003});
    EXPECT_EQ(Sent(), SetExchange({"0000", "0000", "0000", "0000", "000F"},
                                  {"0000", "0000", "0000", "0000", "0000"}));
}

TEST(LineModeCodePageTemplate, ListsMatchTheCodePageTableAndEveryUsedIdExists) {
    const resources::DialogTemplate* t = resources::FindTemplate(160);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, "Other Corvane");
    const resources::ControlTemplate* codePages = t->Find(84);
    ASSERT_NE(codePages, nullptr);
    auto table = protocol::LineModeOptions::CodePages();
    ASSERT_EQ(codePages->items.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(codePages->items[i], table[i].text) << i;
    }
    ASSERT_NE(t->Find(85), nullptr);
    EXPECT_EQ(t->Find(85)->items.size(), 6u);
    EXPECT_EQ(t->Find(85)->items[3], "[CR] : CR+LF, [LF] : LF");
    for (int id : {82, 83, 73, 86, 1003, 71}) {
        EXPECT_NE(t->Find(id), nullptr) << id;
    }
    EXPECT_EQ(t->Find(82)->caption, "Code Page Set");
    EXPECT_EQ(t->Find(83)->caption, "[CR] [LF] Command Set");
}

}  // namespace
}  // namespace corvane::linemode

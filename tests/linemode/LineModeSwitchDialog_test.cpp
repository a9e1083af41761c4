#include "linemode/LineModeSwitchDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using platform::sim::EventKind;
using platform::sim::Ms;
using ui::HeadlessHost;

// The window's options: the check box caption, its id, its list or first radio, and the
// second radio of a pair (0 for a list).
struct Option {
    const char* name;
    int checkBoxId;
    int choiceId;
    int secondRadioId = 0;
    std::size_t items = 2;  // the items of a list

    bool IsRadioPair() const { return secondRadioId != 0; }
};

const Option kOptions[] = {
    {"Red and Black Commands", 16, 17, 0, 4},
    {"Country Specification", 18, 47, 48},
    {"[FF] Command Function", 24, 49, 50},
    {"Zero Style", 20, 51, 52},
    {"International Characters", 25, 26, 0, 11},
    {"How to recover to print", 27, 53, 54},
    {"Paper width", 29, 30, 0, 4},
    {"Contextual Auto-cut Function", 31, 55, 56},
    {"Near end switch Function", 35, 36, 0, 3},
    {"Character Table", 37, 38, 0, 25},
    {"[CR] Command Function", 22, 33, 0, 3},
    {"Automatic Status Function", 34, 57, 58},
    {"[ESC] [RS] a n Command", 40, 59, 61},
    {"Data reception error (serial)", 42, 60, 62},
};

constexpr const char* kTitle = "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)";

// One user action: a click, or choosing a list item.
struct Action {
    int id;
    int item = -1;  // -1 for a click
};

class LineModeSwitchDialogTest : public support::SerialPortTest {
protected:
    LineModeSwitchDialogTest() : SerialPortTest({"COM3"}) {}

    HeadlessHost& Open() {
        host = std::make_unique<HeadlessHost>(dialog);
        return *host;
    }

    void Do(const std::vector<Action>& actions) {
        for (const Action& action : actions) {
            if (action.item < 0) {
                ASSERT_TRUE(host->Click(action.id)) << "click " << action.id;
            } else {
                ASSERT_TRUE(host->Select(action.id, action.item)) << "select " << action.id;
            }
        }
    }

    // Whether the option's choice controls are all enabled (or all disabled with false).
    bool ChoiceEnabled(const Option& option) const {
        bool first = host->IsControlEnabled(option.choiceId);
        if (option.IsRadioPair()) {
            EXPECT_EQ(first, host->IsControlEnabled(option.secondRadioId)) << option.name;
        }
        return first;
    }

    // The choice the controls show: the checked radio of the pair or the list selection.
    int ShownChoice(const Option& option) const {
        if (!option.IsRadioPair()) {
            return host->Selection(option.choiceId);
        }
        bool first = host->IsChecked(option.choiceId);
        bool second = host->IsChecked(option.secondRadioId);
        EXPECT_FALSE(first && second) << option.name;
        return first ? 0 : second ? 1 : -1;
    }

    LineModeSwitchDialog dialog{port};
    std::unique_ptr<HeadlessHost> host;
};

TEST_F(LineModeSwitchDialogTest, OpensWithTitleAllUntickedChoicesDisabledAndSendsNothing) {
    Open();
    EXPECT_EQ(host->WindowTitle(), kTitle);
    for (const Option& option : kOptions) {
        EXPECT_TRUE(host->IsControlEnabled(option.checkBoxId)) << option.name;
        EXPECT_FALSE(host->IsChecked(option.checkBoxId)) << option.name;
        EXPECT_FALSE(ChoiceEnabled(option)) << option.name;
        EXPECT_EQ(ShownChoice(option), -1) << option.name;
    }
    EXPECT_FALSE(host->IsChecked(73));
    EXPECT_TRUE(platform.Events().empty());
}

TEST_F(LineModeSwitchDialogTest, TickEnablesTheChoiceAtItsFirstEntryAndUntickClearsIt) {
    Open();
    for (const Option& option : kOptions) {
        ASSERT_TRUE(host->Click(option.checkBoxId));
        EXPECT_TRUE(ChoiceEnabled(option)) << option.name;
        EXPECT_EQ(ShownChoice(option), 0) << option.name;
        EXPECT_EQ(dialog.Choice(option.checkBoxId), 0) << option.name;
        ASSERT_TRUE(host->Click(option.checkBoxId));
        EXPECT_FALSE(ChoiceEnabled(option)) << option.name;
        EXPECT_EQ(ShownChoice(option), -1) << option.name;
        EXPECT_EQ(dialog.Choice(option.checkBoxId), -1) << option.name;
    }
}

TEST_F(LineModeSwitchDialogTest, TickingAgainAfterAChangeStartsAgainAtChoiceZero) {
    Open();
    Do({{37}, {38, 17}, {37}, {37}, {27}, {54}, {27}, {27}});
    EXPECT_EQ(host->Selection(38), 0);
    EXPECT_TRUE(host->IsChecked(53));
    EXPECT_FALSE(host->IsChecked(54));
}

TEST_F(LineModeSwitchDialogTest, SetWithNothingTickedWarnsAndSendsNothing) {
    Open();
    Do({{1003}});
    ASSERT_EQ(host->Messages().size(), 1u);
    EXPECT_EQ(host->Messages()[0].text, "Don't select item.");
    EXPECT_EQ(host->Messages()[0].caption, "Warning");
    EXPECT_EQ(host->Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_TRUE(Sent().empty());
}

struct SetCase {
    const char* name;
    std::vector<Action> actions;
    std::array<std::string, 5> clear;
    std::array<std::string, 5> set;
};

class SetCases : public LineModeSwitchDialogTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetCases, SendsExactlyTheTickedFieldsThenPrintStatusAndNoMessage) {
    Open();
    Do(GetParam().actions);
    Do({{1003}});
    EXPECT_EQ(Sent(), SetExchange(GetParam().clear, GetParam().set));
    EXPECT_TRUE(host->Messages().empty());
    EXPECT_TRUE(platform.Pauses().empty());
}

const std::array<std::string, 5> kZero = {"0000", "0000", "0000", "0000", "0000"};

INSTANTIATE_TEST_SUITE_P(
    Options, SetCases,
    ::testing::Values(
        SetCase{"PaperWidthItem2",
                {{29}, {30, 2}},
                {"0000", "0000", "0C00", "0000", "0000"},
                {"0000", "0000", "0800", "0000", "0000"}},
        SetCase{"RedBlackChineseAndPartialCutShareWord1",
                {{16}, {17, 1}, {18}, {48}, {24}, {50}},
                {"0C1C", "0000", "0000", "0000", "0000"},
                {"0414", "0000", "0000", "0000", "0000"}},
        SetCase{"CharacterTableLastItem",
                {{37}, {38, 24}},
                {"0000", "0000", "0000", "1F00", "0000"},
                {"0000", "0000", "0000", "1800", "0000"}},
        SetCase{"CharacterTableItem10",
                {{37}, {38, 10}},
                {"0000", "0000", "0000", "1F00", "0000"},
                {"0000", "0000", "0000", "0A00", "0000"}},
        // A field whose choice sets no bit is still sent: the clear alone changes the printer.
        SetCase{"DataReceptionErrorAtPrintsQuestionMark",
                {{42}},
                {"0000", "0000", "0000", "0000", "0001"},
                kZero},
        SetCase{"DataReceptionErrorIgnored",
                {{42}, {62}},
                {"0000", "0000", "0000", "0000", "0001"},
                {"0000", "0000", "0000", "0000", "0001"}},
        SetCase{"NearEndOffLineAndCrPrint",
                {{35}, {36, 2}, {22}, {33, 1}},
                {"0000", "0000", "0003", "0003", "0000"},
                {"0000", "0000", "0003", "0002", "0000"}},
        SetCase{"InternationalLastItemAndSlashZero",
                {{25}, {26, 10}, {20}, {52}},
                {"0000", "001F", "0000", "0000", "0000"},
                {"0000", "001A", "0000", "0000", "0000"}},
        SetCase{"SelectAllAtChoiceZero", {{73}}, {"0C1C", "001F", "4C0B", "1F03", "0109"}, kZero},
        SetCase{"SelectAllWithEveryLastChoice",
                {{73},
                 {17, 3},
                 {48},
                 {50},
                 {52},
                 {26, 10},
                 {54},
                 {30, 3},
                 {56},
                 {36, 2},
                 {38, 24},
                 {33, 2},
                 {58},
                 {61},
                 {62}},
                {"0C1C", "001F", "4C0B", "1F03", "0109"},
                {"0C14", "001A", "4C0B", "1803", "0109"}},
        SetCase{"UntickedOptionIsLeftOut",
                {{73}, {16}, {42}},
                {"001C", "001F", "4C0B", "1F03", "0108"},
                kZero}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineModeSwitchDialogTest, TwoSetsInARowSendTheSameBytesTwice) {
    Open();
    Do({{29}, {30, 2}, {1003}, {1003}});
    Bytes once = SetExchange({"0000", "0000", "0C00", "0000", "0000"},
                             {"0000", "0000", "0800", "0000", "0000"});
    EXPECT_EQ(Sent(), Concat({once, once}));
}

TEST_F(LineModeSwitchDialogTest, SecondSetCarriesNoBitsOfTheFirst) {
    Open();
    Do({{37}, {38, 24}, {1003}, {37}, {27}, {54}, {1003}});
    EXPECT_EQ(Sent(), Concat({SetExchange({"0000", "0000", "0000", "1F00", "0000"},
                                          {"0000", "0000", "0000", "1800", "0000"}),
                              SetExchange({"0000", "0000", "4000", "0000", "0000"},
                                          {"0000", "0000", "4000", "0000", "0000"})}));
}

TEST_F(LineModeSwitchDialogTest, SelectAllTicksEveryOptionAndUntickingItClearsEvery) {
    Open();
    Do({{37}, {38, 5}});  // a changed choice is reset by Select All
    Do({{73}});
    for (const Option& option : kOptions) {
        EXPECT_TRUE(host->IsChecked(option.checkBoxId)) << option.name;
        EXPECT_TRUE(ChoiceEnabled(option)) << option.name;
        EXPECT_EQ(ShownChoice(option), 0) << option.name;
    }
    Do({{73}});
    for (const Option& option : kOptions) {
        EXPECT_FALSE(host->IsChecked(option.checkBoxId)) << option.name;
        EXPECT_FALSE(ChoiceEnabled(option)) << option.name;
        EXPECT_EQ(ShownChoice(option), -1) << option.name;
    }
}

TEST_F(LineModeSwitchDialogTest, UntickingOneOptionByHandLeavesSelectAllTicked) {
    Open();
    Do({{73}, {31}});
    EXPECT_TRUE(host->IsChecked(73));
    EXPECT_FALSE(dialog.Ticked(31));
}

TEST_F(LineModeSwitchDialogTest, PrintSendsTheTenBytePrintStatusOnly) {
    Open();
    Do({{73}, {69}});
    EXPECT_EQ(Sent(), kPrintStatus10);
    EXPECT_TRUE(host->Messages().empty());
}

TEST_F(LineModeSwitchDialogTest, TicksAndChoicesSurviveClosingAndComeBackUsable) {
    Open();
    Do({{29}, {30, 3}, {34}, {58}, {71}});
    EXPECT_EQ(host->Result(), ui::kIdOk);
    host.reset();
    Open();
    EXPECT_TRUE(host->IsChecked(29));
    EXPECT_EQ(host->Selection(30), 3);
    EXPECT_TRUE(host->IsChecked(58));
    EXPECT_TRUE(host->IsControlEnabled(30));
    EXPECT_TRUE(host->IsControlEnabled(57));
    EXPECT_FALSE(host->IsControlEnabled(36));
    EXPECT_EQ(host->WindowTitle(), kTitle);
    Do({{1003}});
    EXPECT_EQ(Sent(), SetExchange({"0000", "0000", "0C00", "0000", "0100"},
                                  {"0000", "0000", "0C00", "0000", "0100"}));
}

TEST_F(LineModeSwitchDialogTest, EscapeKeepsWhatTheHandlersAlreadyRead) {
    Open();
    Do({{29}, {30, 1}});
    host->PressEscape();
    EXPECT_EQ(host->Result(), ui::kIdCancel);
    EXPECT_TRUE(dialog.Ticked(29));
}

// A printer that takes no data (DSR held low) must not hang the window.
TEST_F(LineModeSwitchDialogTest, SetToAPrinterThatTakesNothingEndsWithinThePortTimeouts) {
    printer.dsr = false;
    Open();
    Do({{29}, {30, 2}});
    auto start = platform.NowMicros();
    Do({{1003}});
    auto perWrite = [](std::uint64_t n) { return Ms(2000 + n) + Ms(500) + Ms(2000 + n); };
    EXPECT_EQ(platform.NowMicros() - start, perWrite(42) + perWrite(42) + perWrite(10));
    EXPECT_TRUE(host->Messages().empty());
    EXPECT_TRUE(Sent().empty());
    // The commands are clean again: the next Set to a live printer carries only its own fields.
    printer.dsr = true;
    Do({{27}, {1003}});
    EXPECT_EQ(Sent(), SetExchange({"0000", "0000", "4C00", "0000", "0000"},
                                  {"0000", "0000", "0800", "0000", "0000"}));
}

// Guards against an option whose switch values and window choices differ in number.
TEST(LineModeSwitchTemplate, EveryOptionHasAValueForEachChoiceItsWindowOffers) {
    const resources::DialogTemplate* t = resources::FindTemplate(143);
    ASSERT_NE(t, nullptr);
    auto table = protocol::LineModeOptions::MemorySwitchOptions();
    ASSERT_EQ(table.size(), std::size(kOptions));
    for (const Option& option : kOptions) {
        auto setting = std::find_if(table.begin(), table.end(),
                                    [&](const auto& entry) { return entry.name == option.name; });
        ASSERT_NE(setting, table.end()) << option.name;
        const resources::ControlTemplate* choice = t->Find(option.choiceId);
        ASSERT_NE(choice, nullptr) << option.name;
        std::size_t offered =
            option.IsRadioPair() ? t->RadioGroup(option.choiceId).size() : choice->items.size();
        EXPECT_EQ(setting->values.size(), offered) << option.name;
    }
}

// One option as the window shows it: its check box, then either a radio pair or a list.
struct OptionLayout {
    int checkBox;
    const char* caption;
    int choice;                      // the list, or the first radio
    int secondRadio;                 // 0 for a list
    std::vector<std::string> texts;  // the two radio captions, or the list items in order
};

// Guards against a misspelt, missing or reordered caption or list item in the window.
TEST(LineModeSwitchTemplate, EveryOptionShowsItsCaptionsAndItemsInOrder) {
    const resources::DialogTemplate* t = resources::FindTemplate(143);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, "Other Corvane");
    const OptionLayout options[] = {
        {27, "How to recover to print", 53, 54, {"Press FEED", "Auto-recover"}},
        {29,
         "Paper width",
         30,
         0,
         {"76mm(400 half dots)", "57.5mm(300 half dots)", "76mm(385 half dots)",
          "57.5mm(297 half dots)"}},
        {42, "Data reception error (serial)", 60, 62, {"Prints \"?\"", "Ignored"}},
        {20, "Zero Style", 51, 52, {"Normal", "Slash zero"}},
        {25,
         "International Characters",
         26,
         0,
         {"U.S.A", "France", "Germany", "U.K", "Denmark1", "Sweden", "Italy", "Spain1", "Japan",
          "Norway", "Denmark2"}},
        {37,
         "Character Table",
         38,
         0,
         {"PC437",
          "Katakana",
          "PC850(Multilingual)",
          "PC860(Portuguese)",
          "PC863(Canadian-French)",
          "PC865(Nordic)",
          "WPC1252(Latin2)",
          "PC866(Russian)",
          "PC852(Latin2)",
          "PC858(Euro)",
          "PC862(Israel)",
          "PC864(Arabic)",
          "Thai character code 42",
          "WPC1253(Greek)",
          "WPC1254(Turkish)",
          "WPC1257(Baltic)",
          "Farsi - only font B",
          "WPC1251(Russian)",
          "PC737(Greek)",
          "PC775(Baltic)",
          "Thai character code 16",
          "Old code(Israel)",
          "WPC1255(Israel)",
          "Thai character code 11",
          "Thai character code 18"}},
        {16,
         "Red and Black Commands",
         17,
         0,
         {"White/Black inverted printing", "White/Black inversion(7x9 font print)+enhancing",
          "Upper line+Underline+Enhancing", "Upper line+Underline+Double tall expanded+Enhancing"}},
        {18, "Country Specification", 47, 48, {"Standard Specification", "Chinese Characters"}},
        {35,
         "Near end switch Function",
         36,
         0,
         {"Disable", "Enable (on-line)", "Enable (off-line)"}},
        {24, "[FF] Command Function", 49, 50, {"Executes a form feed", "Feed and partial cut"}},
        {22, "[CR] Command Function", 33, 0, {"Ignore", "Print and linefeed", "Print"}},
        {31, "Contextual Auto-cut Function", 55, 56, {"Disable", "Enable"}},
        {34, "Automatic Status Function", 57, 58, {"Disable", "Enable"}},
        {40, "[ESC] [RS] a n Command", 59, 61, {"Only setting", "Auto-status sent only once"}},
    };
    for (const OptionLayout& option : options) {
        SCOPED_TRACE(option.caption);
        const resources::ControlTemplate* check = t->Find(option.checkBox);
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(check->kind, resources::ControlKind::CheckBox);
        EXPECT_EQ(check->caption, option.caption);
        const resources::ControlTemplate* choice = t->Find(option.choice);
        ASSERT_NE(choice, nullptr);
        EXPECT_TRUE(choice->style & resources::kDisabled);
        if (option.secondRadio == 0) {
            EXPECT_EQ(choice->kind, resources::ControlKind::DropDownList);
            EXPECT_EQ(choice->items, option.texts);
            continue;
        }
        EXPECT_EQ(t->RadioGroup(option.choice),
                  (std::vector<int>{option.choice, option.secondRadio}));
        const resources::ControlTemplate* second = t->Find(option.secondRadio);
        ASSERT_NE(second, nullptr);
        EXPECT_TRUE(second->style & resources::kDisabled);
        EXPECT_EQ((std::vector<std::string>{choice->caption, second->caption}), option.texts);
    }
    const std::pair<int, const char*> others[] = {
        {73, "Select All Item"},
        {69, "Print current status of memory switch"},
        {1003, "Set status of memory switch"},
        {71, "Close"},
    };
    for (const auto& [id, caption] : others) {
        ASSERT_NE(t->Find(id), nullptr) << id;
        EXPECT_EQ(t->Find(id)->caption, caption);
    }
}

}  // namespace
}  // namespace corvane::linemode

// The manager's window: what it enables when, its switch pages and code page lists, the power
// save field, and the identification it starts with.
#include <gtest/gtest.h>

#include "ManagerRig.h"

namespace corvane::manager::test {
namespace {

using sim::Model;
using support::Link;

// The state of the controls that depend on the family and on the printer's revision.
struct EnableRow {
    Model model;
    // Get, Switch 2, Switch 5, Baud rate, Paper width, power save check and seconds, in the
    // window's three moments: just opened, after the start-up, after Get Status.
    std::array<std::array<bool, 7>, 3> expected;
};

// Guards against controls usable before the printer is known, and against edits offered that
// a family cannot take (mend: a KRT-620 never gets the serial, paper or power save controls).
TEST(ManagerEnabling, FollowsTheFamilyAndTheRevisionOverTheWindowsLife) {
    const int controls[] = {ids::kGetStatus,       ids::kSwitch2Page,    ids::kSwitch5Page,
                            ids::kBaudList,        ids::kPaperWidthList, ids::kPowerSaveCheck,
                            ids::kPowerSaveSeconds};
    const EnableRow rows[] = {
        {Model::Krt310, {{{0, 0, 0, 0, 0, 1, 1}, {1, 1, 0, 1, 1, 0, 0}, {1, 1, 0, 1, 1, 0, 0}}}},
        {Model::Krt310II, {{{0, 0, 0, 0, 0, 1, 1}, {1, 1, 0, 1, 0, 1, 0}, {1, 1, 0, 1, 0, 1, 1}}}},
        {Model::Krt620, {{{0, 0, 0, 0, 0, 1, 1}, {1, 0, 1, 0, 0, 1, 1}, {1, 0, 1, 0, 0, 0, 0}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(sim::ModelName(row.model)));
        ManagerRig m(row.model);
        // The simulated printer reports power save on, which enables a KRT-310II's seconds.
        m.printer.State().powerSave = true;
        ui::HeadlessHost& host = m.Open(false);
        EXPECT_EQ(host.IsControlEnabled(ids::kMemorySwitchOn), row.model != Model::Krt620);
        EXPECT_FALSE(host.IsControlVisible(ids::kSpecialCodePageList));
        for (int moment = 0; moment < 3; ++moment) {
            if (moment == 1) {
                host.FireTimer(ids::kStartupTimer);
                EXPECT_FALSE(host.TimerRunning(ids::kStartupTimer));
                EXPECT_FALSE(m.dialog.WaitWindowShown());
            } else if (moment == 2) {
                ASSERT_TRUE(host.Click(ids::kGetStatus));
            }
            for (std::size_t c = 0; c < std::size(controls); ++c) {
                EXPECT_EQ(host.IsControlEnabled(controls[c]), row.expected[moment][c])
                    << "moment " << moment << ", control " << controls[c];
            }
            EXPECT_TRUE(host.IsControlEnabled(ids::kExit));
        }
        EXPECT_TRUE(host.GetSession().missingControls.empty());
    }
}

struct PickRow {
    Model model;
    int listIndex;
    std::vector<int> onPins;  // the pins the pick switches on; the others of the number go off
};

// Guards against a code page pick that sets the wrong pins, and against a page change that
// shows another code page than the one the pins spell.
TEST(ManagerCodePages, APickSetsItsPinsAndSwitchPageOneShowsItAgain) {
    const PickRow rows[] = {
        {Model::Krt310, 23, {5, 6, 8}},     // "Code Page PC1255 - Israel", 22
        {Model::Krt310, 28, {3, 4}},        // "Code Page CASIO", 33
        {Model::Krt310, 29, {5, 6, 7, 8}},  // "Code Page PC1258 - Vietnam", 30
        {Model::Krt620, 20, {2, 3, 6}},     // "Code Page PC928 - Greek", 38
        {Model::Krt620, 1, {}},             // "Page PC437 - USA", 0
    };
    for (const auto& row : rows) {
        ManagerRig m(row.model);
        ui::HeadlessHost& host = m.Open();
        ASSERT_TRUE(host.Select(ids::kCodePageList, row.listIndex));
        int firstPin = row.model == Model::Krt620 ? 1 : 3;
        for (int pin = 1; pin <= 8; ++pin) {
            bool on = std::count(row.onPins.begin(), row.onPins.end(), pin) != 0;
            // The KRT-310 family's pins 1 and 2 keep what switch page 2 left them.
            int shown = pin < firstPin ? 0 : on ? 1 : 2;
            EXPECT_EQ(host.Selection(ids::PinList(pin)), shown)
                << "index " << row.listIndex << ", pin " << pin;
            EXPECT_EQ(m.dialog.State().switchPage1[static_cast<std::size_t>(pin)], on ? 1 : 0);
        }
        // Away and back: the pins still spell the code page that was picked.
        host.Click(row.model == Model::Krt620 ? ids::kSwitch5Page : ids::kSwitch2Page);
        host.Click(ids::kSwitch1Page);
        EXPECT_EQ(host.Selection(ids::kCodePageList), row.listIndex);
    }
}

struct NumberRow {
    Model model;
    std::vector<int> onPins;
    int statusLoaded;
    int selection;
};

// Guards against a number that no entry carries being shown as an unrelated entry, which Set
// Status would then write (mend: no selection instead).
TEST(ManagerCodePages, SwitchPageOneSelectsTheEntryOfTheNumberThePinsSpell) {
    const NumberRow rows[] = {
        {Model::Krt310, {}, 0, 0},             // nothing read: "No Change"
        {Model::Krt310, {}, 1, 1},             // 0: "Page PC437 - USA"
        {Model::Krt310, {3, 4}, 1, 28},        // 33: "Code Page CASIO"
        {Model::Krt620, {2, 3, 6}, 1, 20},     // 38: "Code Page PC928 - Greek"
        {Model::Krt620, {1}, 1, -1},           // 1: no entry
        {Model::Krt310, {4, 7, 8}, 1, -1},     // 25: no entry
        {Model::Krt310, {3, 7}, 1, -1},        // 40: past the list
        {Model::Krt310, {4, 5, 6, 8}, 1, 24},  // 23: "Code Page Thai character code 11"
    };
    for (const auto& row : rows) {
        ManagerRig m(row.model);
        ui::HeadlessHost& host = m.Open();
        auto& state = m.dialog.State();
        state.statusLoaded = row.statusLoaded;
        for (int pin : row.onPins) {
            state.switchPage1[static_cast<std::size_t>(pin)] = protocol::kPinSwitchOn;
        }
        m.dialog.ShowSwitch1Page();
        EXPECT_EQ(host.Selection(ids::kCodePageList), row.selection);
    }
}

TEST(ManagerPages, EachPageKeepsItsOwnPinsAndOnlyPageTwoIsEdited) {
    ManagerRig m(Model::Krt310II);
    ui::HeadlessHost& host = m.Open();
    host.Click(ids::kSwitch2Page);
    EXPECT_EQ(host.ControlText(ids::PinLabel(3)), "Buzzer when paper out");
    EXPECT_EQ(host.State(ids::PinList(3)).items,
              (std::vector<std::string>{"No Change", "Buzzer Off", "Buzzer On"}));
    EXPECT_TRUE(host.IsControlVisible(ids::kNearEndNote));
    ASSERT_TRUE(host.Select(ids::PinList(3), 2));
    host.Click(ids::kSwitch1Page);
    EXPECT_FALSE(host.IsControlEnabled(ids::PinList(3)));
    EXPECT_EQ(host.ControlText(ids::PinLabel(1)), "[PIN 1] Reserved");
    EXPECT_EQ(host.ControlText(ids::PinLabel(3)), "Default Code Page Pin #1");
    host.Click(ids::kSwitch2Page);
    EXPECT_EQ(host.Selection(ids::PinList(3)), 2);
    EXPECT_EQ(m.dialog.State().switchPage2[3], protocol::kPinSwitchOff);
}

TEST(ManagerPages, PageFiveShowsNotUsedWhenNoPinIsOnAndItsPickTurnsEveryPinOff) {
    ManagerRig m(Model::Krt620);
    ui::HeadlessHost& host = m.Open();
    host.Click(ids::kSwitch5Page);
    EXPECT_EQ(host.ControlText(ids::kCodePageGroup), "Special F/W");
    EXPECT_TRUE(host.IsControlVisible(ids::kSpecialCodePageList));
    EXPECT_EQ(host.Selection(ids::kSpecialCodePageList), 1);  // "Not Used"
    ASSERT_TRUE(host.Select(ids::kSpecialCodePageList, 0));
    for (int pin = 1; pin <= 8; ++pin) {
        EXPECT_EQ(m.dialog.State().switchPage5[static_cast<std::size_t>(pin)], 2);
        EXPECT_EQ(host.Selection(ids::PinList(pin)), 0);
    }
    m.dialog.State().switchPage5[4] = protocol::kPinSwitchOn;
    host.Click(ids::kSwitch5Page);
    EXPECT_EQ(host.Selection(ids::kSpecialCodePageList), -1);
}

// Guards against seconds outside the byte the printer keeps them in.
TEST(ManagerPowerSave, LeavingTheSecondsHoldsThemToSixTo254AndTheCheckEnablesThem) {
    ManagerRig m(Model::Krt310II);
    ui::HeadlessHost& host = m.Open();
    const std::pair<const char*, const char*> rows[] = {{"3", "6"}, {"0", "6"},     {"300", "254"},
                                                        {"6", "6"}, {"254", "254"}, {"100", "100"}};
    host.Click(ids::kPowerSaveCheck);
    for (const auto& [typed, kept] : rows) {
        ASSERT_TRUE(host.Type(ids::kPowerSaveSeconds, typed));
        host.LeaveFocus(ids::kPowerSaveSeconds);
        EXPECT_EQ(host.ControlText(ids::kPowerSaveSeconds), kept) << typed;
    }
    host.Click(ids::kPowerSaveCheck);
    EXPECT_FALSE(host.IsControlEnabled(ids::kPowerSaveSeconds));
    EXPECT_EQ(host.ControlText(ids::kPowerSaveSeconds), "100");
    // A text that is no number keeps the window open at Exit.
    host.Click(ids::kPowerSaveCheck);
    host.Type(ids::kPowerSaveSeconds, "ten");
    host.Click(ids::kExit);
    EXPECT_FALSE(host.Ended());
}

// Guards against the identification asking in another order or waiting otherwise.
TEST(ManagerIdentity, AsksFourTextsWithTheirPausesAndShowsThem) {
    for (Link link : {Link::Serial, Link::Usb}) {
        SCOPED_TRACE(support::LinkName(link));
        ManagerRig m(Model::Krt310II, link);
        ui::HeadlessHost& host = m.Open(false);
        m.rig.platform.ClearEvents();
        host.FireTimer(ids::kStartupTimer);
        std::vector<std::string> requests;
        for (const auto& line : m.rig.Trace()) {
            if (line[0] == 'W' || line[0] == 'S') {
                requests.push_back(line);
            }
        }
        if (link == Link::Serial) {
            EXPECT_EQ(requests.front(), "W 1D 49 41");
            EXPECT_EQ(requests[1], "S1000");
            EXPECT_EQ(requests[2], "W 1D 49 42");
            EXPECT_EQ(requests[3], "S1000");
        } else {
            EXPECT_EQ(requests, (std::vector<std::string>{"W 1D 49 41", "W 1D 49 42", "W 1D 49 43",
                                                          "W 1D 49 45"}));
        }
        EXPECT_EQ(host.ControlText(ids::kFirmwareText), "V2.05");
        EXPECT_EQ(host.ControlText(ids::kModelText), "KRT-310II");
        EXPECT_EQ(host.ControlText(ids::kLanguageText), "ENGLISH");
        EXPECT_EQ(m.dialog.State().isKrt310II, 1);
        EXPECT_FALSE(host.Ended());
    }
}

struct RefusalCase {
    const char* maker;
    const char* model;
    bool silent;
    std::vector<std::string> messages;
    std::optional<int> quitCode;
};

// Guards against ending the program for a printer that only did not answer (mend), and
// against going on with a printer of another model or maker.
TEST(ManagerIdentity, RefusalsCloseTheManagerAndAnotherMakerEndsTheProgram) {
    const RefusalCase cases[] = {
        {"VANTORA",
         "KRT-620",
         false,
         {"KRT-620", "This printer don't match our printer name."},
         std::nullopt},
        {"QVN", "KRT-310", false, {"This printer don't match our company name."}, 0},
        {"",
         "",
         true,
         {"The printer does not answer. Check that it is switched on and connected, then try "
          "again."},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maker);
        ManagerRig m(Model::Krt310);
        m.printer.SetMakerText(c.maker);
        m.printer.SetModelText(c.model);
        m.printer.GetFaults().silent = c.silent;
        ui::HeadlessHost& host = m.Open();
        EXPECT_EQ(m.Texts(), c.messages);
        for (const auto& message : host.GetSession().messages) {
            EXPECT_EQ(message.icon, ui::Icon::Exclamation);
        }
        EXPECT_EQ(host.GetSession().quitCode, c.quitCode);
        EXPECT_TRUE(host.Ended());
        EXPECT_EQ(host.Result(), ui::kIdCancel);
        EXPECT_FALSE(m.dialog.WaitWindowShown());
    }
}

}  // namespace
}  // namespace corvane::manager::test

// Get, Set and Print Status against the simulated printer on the virtual clock: the frames and
// pauses on the wire, what the window shows after, and how each ends when the printer fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "ManagerRig.h"
#include "service/Differences.h"
#include "service/History.h"

namespace corvane::manager::test {
namespace {

using Bytes = support::Bytes;
using platform::sim::Ms;
using sim::Model;
using support::Link;

Bytes Frame(std::initializer_list<std::uint8_t> bytes) {
    return Bytes(bytes);
}

Bytes Keep8() {
    return support::Text("22222222");
}

struct GetCase {
    Model model;
    Link link;
    std::vector<Bytes> writes;
    std::vector<long> pauses;
};

// Guards against a query in the wrong order, with the wrong selector, or with pauses other
// than the printer needs (10 ms before a reply on byte links, 200 ms before the power save).
TEST(GetStatus, SendsEachFamilysQueriesWithTheirPauses) {
    const std::vector<Bytes> krt310 = {Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x02}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x08}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x01}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x02}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x03}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x04}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x06, 0x03}),
                                       Frame({0x08, 0x5E, 0x50, 0x31})};
    const std::vector<Bytes> krt620 = {Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, '1'}),
                                       Frame({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, '5'})};
    // On a byte link the 64-byte power save read waits out its time-out and the port's retry.
    const GetCase cases[] = {
        {Model::Krt310II, Link::Serial, krt310, {10, 10, 10, 10, 10, 10, 10, 200, 500}},
        {Model::Krt310II, Link::Parallel, krt310, {10, 10, 10, 10, 10, 10, 10, 200, 500}},
        {Model::Krt310II, Link::Usb, krt310, {200}},
        {Model::Krt620, Link::Serial, krt620, {10, 10}},
        {Model::Krt620, Link::Usb, krt620, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sim::ModelName(c.model)) + " " + support::LinkName(c.link));
        ManagerRig m(c.model, c.link);
        m.printer.SetSwitch(m.printer.CodePageSwitch(), 0b1000'1100);  // pins 8, 4, 3
        m.printer.SetSwitch(m.printer.SecondSwitch(), 0b0000'0101);
        ui::HeadlessHost& host = m.Open();
        host.Click(ids::kSwitch5Page);  // any page: a reading always ends on page 1
        ASSERT_TRUE(host.Click(ids::kGetStatus));
        EXPECT_EQ(m.rig.Writes(), c.writes);
        EXPECT_EQ(m.rig.PausesMs(), c.pauses);
        EXPECT_EQ(m.Texts(), std::vector<std::string>{"Success to get status of printer."});
        EXPECT_EQ(m.dialog.State().currentPage, 1);
        EXPECT_EQ(m.printer.PendingBytes(), 0u);
        const auto& second =
            c.model == Model::Krt620 ? m.dialog.State().switchPage5 : m.dialog.State().switchPage2;
        EXPECT_EQ(second[1], protocol::kPinSwitchOn);
        EXPECT_EQ(second[2], protocol::kPinSwitchOff);
        EXPECT_EQ(second[3], protocol::kPinSwitchOn);
        if (c.model == Model::Krt620) {
            // 1100 1000 in pins 8 to 1 spells 140, which no entry of the list carries.
            EXPECT_EQ(host.Selection(ids::kCodePageList), -1);
        } else {
            // Pins 8, 4 and 3 spell 17 + 32 = 49 for the KRT-310 family: no entry either.
            EXPECT_EQ(host.Selection(ids::kCodePageList), -1);
            EXPECT_EQ(host.Selection(ids::kBaudList), 4);  // "9600"
            EXPECT_EQ(host.Selection(ids::kDataBitsList), 2);
        }
        EXPECT_TRUE(host.IsControlEnabled(ids::kGetStatus));
    }
}

// Guards against a write or a value that differs from what the window shows: the worked
// examples of the KRT-310 family, with the seconds held to the byte the printer keeps them in.
TEST(SetStatus, Krt310FamilyWritesTheWindowsValuesInParts) {
    ManagerRig m(Model::Krt310II);
    ui::HeadlessHost& host = m.Open();
    // Everything at "No Change".
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    std::vector<Bytes> writes = m.rig.Writes();
    ASSERT_GE(writes.size(), 10u);
    EXPECT_EQ(std::vector<Bytes>(writes.begin(), writes.begin() + 10),
              (std::vector<Bytes>{Frame({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}),
                                  support::Join({{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}, Keep8()}),
                                  Keep8(), Frame({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}),
                                  Frame({0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}), Bytes(4, 0),
                                  Bytes(1, 0), Bytes(1, 0), Bytes(1, 0),
                                  Frame({0x08, 0x5E, 0x50, 0x30, 0x00, 0x06})}));
    // Then the full identification again: the firmware text was cleared in between.
    EXPECT_EQ(writes.back(), Frame({0x1D, 0x49, 0x45}));
    EXPECT_EQ(m.Texts(), std::vector<std::string>{"Success to set status of printer"});
}

TEST(SetStatus, Krt310ChosenValuesGoOutAsThePrinterTakesThem) {
    ManagerRig m(Model::Krt310);
    ui::HeadlessHost& host = m.Open();
    host.Select(ids::kBaudList, 5);
    host.Select(ids::kParityList, 3);
    host.Select(ids::kDataBitsList, 2);
    host.Select(ids::kFlowControlList, 1);
    host.Select(ids::kPaperWidthList, 2);
    // Seconds a status file may bring: 300 would wrap to 44 in the printer's byte.
    m.dialog.State().usePowerSave = true;
    m.dialog.State().powerSaveSeconds = 300;
    m.dialog.UpdateData(false);
    host.Select(ids::kCodePageList, 28);  // "Code Page CASIO", 33
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    std::vector<Bytes> writes = m.rig.Writes();
    EXPECT_EQ(writes[1],
              support::Join({{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}, support::Text("00001122")}));
    EXPECT_EQ(writes[3], Frame({0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0x04, 0x00}));
    EXPECT_EQ(
        std::vector<Bytes>(writes.begin() + 5, writes.begin() + 11),
        (std::vector<Bytes>{Frame({0x08, 0x5E, 0x45, 0x09, 0x00, 0x0B}), support::Text("19200"),
                            support::Text("2"), support::Text("0"), support::Text("8"),
                            Frame({0x08, 0x5E, 0x50, 0x30, 0x01, 0xFE})}));
    EXPECT_EQ(m.printer.Switch(2) & 0xFC, 0b0000'1100);  // 33: pins 4 and 3
    EXPECT_EQ(m.printer.State().serial.speed, "19200");
    EXPECT_EQ(m.printer.State().powerSaveSeconds, 254);
}

// Guards against a round trip that changes the printer behind the user's back.
TEST(SetStatus, ReadingAndWritingBackLeavesThePrinterAsItWas) {
    for (Model model : {Model::Krt310, Model::Krt310II, Model::Krt620}) {
        for (Link link : {Link::Serial, Link::Usb}) {
            SCOPED_TRACE(std::string(sim::ModelName(model)) + " " + support::LinkName(link));
            ManagerRig m(model, link);
            m.printer.SetSwitch(m.printer.CodePageSwitch(), 0b0110'0011);
            m.printer.SetSwitch(m.printer.SecondSwitch(), 0b1010'0110);
            m.printer.State().serial = {"4800", '1', '1', '7'};
            m.printer.State().powerSave = true;
            m.printer.State().powerSaveSeconds = 30;
            const sim::PrinterState before = m.printer.State();
            ui::HeadlessHost& host = m.Open();
            ASSERT_TRUE(host.Click(ids::kGetStatus));
            ASSERT_TRUE(host.Click(ids::kSetStatus));
            sim::PrinterState after = m.printer.State();
            EXPECT_EQ(after.switches, before.switches);
            EXPECT_EQ(after.serial, before.serial);
            EXPECT_EQ(after.paperWidth, before.paperWidth);
            EXPECT_EQ(after.powerSave, before.powerSave);
            EXPECT_EQ(after.powerSaveSeconds, before.powerSaveSeconds);
            EXPECT_FALSE(after.userSettingMode);
        }
    }
}

// Guards against a window write going unrecorded, a record claiming settings from before that
// no Get Status read, and recording changing the exchange.
TEST(SetStatus, IsRecordedWithWhatGetStatusReadAndTheSameExchange) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("corvane-window-history-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    service::History history(folder.string());
    std::vector<std::vector<std::string>> traces;
    const service::History* recordInto[] = {nullptr, &history};
    for (const service::History* recordIn : recordInto) {
        ManagerRig m(Model::Krt310II);
        m.printer.State().serial = {"4800", '1', '1', '7'};
        m.dialog.RecordWritesIn(recordIn);
        ui::HeadlessHost& host = m.Open();
        ASSERT_TRUE(host.Click(ids::kGetStatus));
        host.SetSelection(ids::kBaudList, 5);  // 19200
        ASSERT_TRUE(host.Click(ids::kSetStatus));
        ASSERT_TRUE(host.Click(ids::kSetStatus));
        traces.push_back(m.rig.Trace());
    }
    EXPECT_EQ(traces[0], traces[1]);

    std::vector<std::string> problems;
    auto records = history.Records(problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(records.size(), 2u);
    const service::HistoryRecord& first = records[0];
    EXPECT_EQ(first.program, "corvane");
    EXPECT_EQ(first.action, "Set Status");
    EXPECT_EQ(first.port, "COM3");
    EXPECT_EQ(first.model, "KRT-310II");
    EXPECT_TRUE(first.complete);
    EXPECT_FALSE(first.verified.has_value());
    ASSERT_TRUE(first.before && first.written);
    auto changes = service::Differences(*first.written, *first.before, true);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].key, "baudRate");
    EXPECT_EQ(changes[0].found, "4800");
    EXPECT_EQ(changes[0].wanted, "19200");
    // The second Set Status came after no Get Status.
    EXPECT_FALSE(records[1].before.has_value());
    std::filesystem::remove_all(folder);
}

TEST(SetStatus, Krt620WritesOnlyItsTwoSwitchesAndRetunesNothing) {
    ManagerRig m(Model::Krt620);
    ui::HeadlessHost& host = m.Open();
    host.Select(ids::kCodePageList, 20);  // "Code Page PC928 - Greek", 38
    host.Click(ids::kSwitch5Page);
    host.Select(ids::kSpecialCodePageList, 1);  // memory switch 5 all off
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    auto writes = m.rig.Writes();
    EXPECT_EQ(writes[1],
              support::Join({{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}, support::Text("00100110")}));
    EXPECT_EQ(writes[2], support::Text("00000000"));
    EXPECT_EQ(writes[3], Frame({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}));
    EXPECT_EQ(writes[4], Frame({0x1D, 0x49, 0x41}));
    EXPECT_EQ(m.Texts(), std::vector<std::string>{"Success to set status of printer."});
    EXPECT_EQ(m.printer.Switch(1), 38);
    EXPECT_EQ(m.printer.Switch(5), 0);
}

// Guards against a retune that leaves the PC's line on settings the printer no longer has, or
// one that moves it when the speed was left as it is (mend).
TEST(SetStatus, MemorySwitchOnRetunesTheSerialLineOnlyWithASpeedAndDataBitsChosen) {
    ManagerRig m(Model::Krt310);
    ui::HeadlessHost& host = m.Open();
    host.Click(ids::kMemorySwitchOn);
    host.Select(ids::kParityList, 3);
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    EXPECT_EQ(m.rig.Line().Config().baudRate, 9600u);
    host.Select(ids::kBaudList, 2);
    host.Select(ids::kDataBitsList, 1);
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    EXPECT_EQ(m.rig.Line().Config().baudRate, 2400u);
    EXPECT_EQ(m.rig.Line().Config().dataBits, 7u);
    EXPECT_EQ(m.rig.Line().Config().parity, platform::kParityEven);
}

TEST(PrintStatus, EntersAndLeavesUserSettingModeAndDrainsPerLink) {
    for (Link link : {Link::Serial, Link::Usb}) {
        SCOPED_TRACE(support::LinkName(link));
        ManagerRig m(Model::Krt310, link);
        ui::HeadlessHost& host = m.Open();
        ASSERT_TRUE(host.Click(ids::kPrintStatus));
        auto trace = m.rig.Trace();
        EXPECT_EQ(m.rig.Writes(),
                  (std::vector<Bytes>{Frame({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}),
                                      Frame({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02})}));
        EXPECT_FALSE(m.printer.Printout().empty());
        EXPECT_EQ(host.Progress(ids::kProgress), 0);
        EXPECT_TRUE(host.GetSession().messages.empty());
        // The answer is drained: one more 128-byte read on USB when the first brings nothing.
        if (link == Link::Usb) {
            EXPECT_EQ(std::count(trace.begin(), trace.end(), "R128 -"), 0);
            m.printer.GetFaults().silent = true;
            m.rig.platform.ClearEvents();
            host.Click(ids::kPrintStatus);
            trace = m.rig.Trace();
            EXPECT_EQ(std::count(trace.begin(), trace.end(), "R128 -"), 2);
        }
    }
}

struct FaultCase {
    const char* name;
    std::function<void(sim::VirtualPrinter&)> fault;
    int button;
    const char* message;
};

// Guards against a failed exchange reported as success, against values of a broken reading
// taken over, and against a window left locked or waiting without end (mends).
TEST(StatusFaults, EndWithinTheTimeoutsWithoutSuccessKeepingTheValues) {
    const FaultCase cases[] = {
        {"silent", [](auto& p) { p.GetFaults().silent = true; }, ids::kGetStatus,
         "Failed to get status of printer: memory switch 2 did not answer."},
        {"cut", [](auto& p) { p.GetFaults().cutAfter = 6; }, ids::kGetStatus,
         "Failed to get status of printer: memory switch 2 did not answer."},
        {"noise",
         [](auto& p) {
             p.GetFaults().noiseBeforeHeader = {0xAA, 0x55};
         },
         ids::kGetStatus, "Failed to get status of printer: memory switch 8 did not answer."},
        {"silent midway", [](auto& p) { p.GetFaults().unplugAfterCommands = p.CommandCount() + 3; },
         ids::kGetStatus, "Failed to get status of printer: the baud rate did not answer."},
        {"unplugged while writing",
         [](auto& p) { p.GetFaults().unplugAfterCommands = p.CommandCount() + 1; }, ids::kSetStatus,
         "Failed to set status of printer: the memory switches could not be sent."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManagerRig m(Model::Krt310II);
        ui::HeadlessHost& host = m.Open();
        host.Select(ids::kBaudList, 2);
        m.printer.ClearLogs();
        c.fault(m.printer);
        auto start = m.rig.platform.NowMicros();
        ASSERT_TRUE(host.Click(c.button));
        EXPECT_LT(m.rig.platform.NowMicros() - start, Ms(60'000));
        ASSERT_EQ(m.Texts().size(), 1u);
        EXPECT_EQ(m.Texts()[0].rfind(c.message, 0), 0u) << m.Texts()[0];
        EXPECT_EQ(host.GetSession().messages[0].icon, ui::Icon::Exclamation);
        EXPECT_EQ(host.Selection(ids::kBaudList), 2);
        EXPECT_EQ(m.dialog.State().statusLoaded, 0);
        EXPECT_TRUE(host.IsControlEnabled(ids::kGetStatus));
        EXPECT_TRUE(host.IsControlEnabled(ids::kSetStatus));
        EXPECT_EQ(host.Progress(ids::kProgress), 0);
    }
}

}  // namespace
}  // namespace corvane::manager::test

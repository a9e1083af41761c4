// The faults the fault matrix found, each pinned down on its own.
#include <gtest/gtest.h>

#include "manager/ManagerRig.h"
#include "operations/Identity.h"
#include "protocol/NativeCommands.h"
#include "support/PortRig.h"
#include "support/RecordingReporter.h"

namespace corvane::faults {
namespace {

using support::Bytes;
using support::Link;
using support::PortRig;

Bytes TextReply(const std::string& text) {
    return support::Join({{'_'}, support::Text(text), {0x00}});
}

// Guards against a KRT-310II whose model reply breaks off after "KRT-310" being taken for a
// KRT-310, and against a cut text shown as the printer's.
TEST(FaultFixes, AnIdentificationTextThatBreaksOffIsNoAnswer) {
    for (Link link : {Link::Serial, Link::Usb}) {
        SCOPED_TRACE(support::LinkName(link));
        PortRig rig(link);
        rig.printer.ReplyToNextWrite(TextReply("V2.05"));
        rig.printer.ReplyToNextWrite(TextReply("VANTORA"));
        rig.printer.ReplyToNextWrite(support::Text("_KRT-310"));
        operations::NoProgress progress;
        support::RecordingReporter reporter;
        operations::PrinterIdentity identity = operations::ReadPrinterIdentity(
            rig.port, protocol::PrinterModel::Krt310Family, progress, reporter);
        EXPECT_EQ(identity.outcome, operations::IdentityOutcome::NoAnswer);
        EXPECT_FALSE(identity.powerSave.has_value());
        EXPECT_EQ(identity.modelText, "");
        EXPECT_EQ(identity.firmwareText, "");
        EXPECT_EQ(reporter.Texts(),
                  std::vector<std::string>{std::string(operations::kNoAnswerMessage)});
        // The language is not asked for once the printer has stopped.
        EXPECT_EQ(rig.Writes().size(), 3u);
    }
}

// Guards against noise before the header shifting every pin of a switch read over USB without
// the header search, and the shifted pins being taken as the printer's.
TEST(FaultFixes, AUsbSwitchBlockThatDoesNotStartWithItsHeaderIsNotWhole) {
    PortRig rig(Link::Usb);
    rig.Send(support::Join({{0x00, '7', 0x08}, support::Text("10100110"), {0x00}}));
    protocol::SwitchReply reply =
        protocol::ReadSwitchReply(rig.port, protocol::HeaderSearch::Without);
    EXPECT_FALSE(reply.complete);
}

// Guards against a power save reply that stops after its flag reading as "on, 0 seconds".
TEST(FaultFixes, APowerSaveReplyEndingBeforeItsTimeIsNoAnswer) {
    for (Link link : {Link::Serial, Link::Usb}) {
        SCOPED_TRACE(support::LinkName(link));
        PortRig rig(link);
        rig.Send({'_', 0x01});
        protocol::PowerSaveReply reply = protocol::ReadPowerSaveReply(rig.port);
        EXPECT_FALSE(reply.found);
        EXPECT_FALSE(reply.usePowerSave);
    }
}

// Guards against "Success to set status of printer" right after the closing identification
// said that the printer does not answer.
TEST(FaultFixes, SetStatusClaimsNoSuccessOnceThePrinterStopsAnswering) {
    namespace ids = resources::template145;
    manager::test::ManagerRig m(sim::Model::Krt310II);
    ui::HeadlessHost& host = m.Open();
    host.Select(ids::kBaudList, 2);
    // The printer answers entering user setting mode, then nothing more.
    m.printer.GetFaults().silentAfterBytes = m.printer.ReplyBytesSent() + 3;
    ASSERT_TRUE(host.Click(ids::kSetStatus));
    EXPECT_EQ(m.Texts(), std::vector<std::string>{std::string(operations::kNoAnswerMessage)});
    EXPECT_EQ(m.printer.State().serial.speed, "2400");
    EXPECT_TRUE(host.IsControlEnabled(ids::kSetStatus));
    EXPECT_EQ(host.Progress(ids::kProgress), 0);
}

}  // namespace
}  // namespace corvane::faults

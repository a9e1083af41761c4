// The logic of each window only addresses controls that its template has.
#include <gtest/gtest.h>

#include "app/ConnectionDialog.h"
#include "manager/WaitDialog.h"
#include "platform/sim/SimPlatform.h"
#include "resources/Template102Ids.h"
#include "sim/VirtualPrinter.h"
#include "ui/HeadlessHost.h"

namespace corvane::app {
namespace {

namespace id = resources::template102;

TEST(WindowLayoutTest, ConnectionWindowAndItsToolsUseOnlyTheirOwnControls) {
    platform::sim::SimPlatform platform;
    sim::VirtualPrinter native(sim::Model::Krt620);
    sim::VirtualPrinter foreign(sim::Model::Krt310, sim::Emulation::Other02);
    platform.AttachParallel("LPT1:", native);
    platform.AttachSerial("COM1", foreign);
    link::PrinterPort port(platform);
    ConnectionDialog dialog(port);
    ui::HeadlessHost host(dialog);
    // Each tool opens and closes with Escape, running its initialisation on its own window.
    host.Click(id::kModel620);
    host.Click(id::kParallel);
    host.Click(id::kConnect);
    host.Click(id::kSelfTest1);
    host.Click(id::kAlignmentTool);
    host.Click(id::kDisconnect);
    host.Click(id::kModel310);
    host.Click(id::kSerial);
    host.Click(id::kEmulationOther);
    host.Click(id::kConnect);
    host.Click(id::kRunManager);
    host.Click(id::kUsb);
    EXPECT_EQ(host.GetSession().modalOpened, (std::vector<std::string>{"159", "143"}));
    EXPECT_TRUE(host.GetSession().missingControls.empty());
}

TEST(WindowLayoutTest, WaitWindowIsTopmostWithoutCaptionOrButtons) {
    manager::WaitDialog wait;
    ui::HeadlessHost host(wait);
    EXPECT_TRUE(host.Topmost());
    const auto& layout = wait.Template();
    EXPECT_EQ(layout.style & resources::kCaption, 0u);
    for (const auto& control : layout.controls) {
        EXPECT_NE(control.kind, resources::ControlKind::PushButton);
    }
    ASSERT_EQ(layout.controls.size(), 1u);
    EXPECT_EQ(layout.controls[0].caption, "Please wait....  During Initializing");
}

}  // namespace
}  // namespace corvane::app

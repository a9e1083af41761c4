// The connection window's controls and enabling rules while no printer is connected.
#include <gtest/gtest.h>

#include "app/ConnectionDialog.h"
#include "platform/sim/SimPlatform.h"
#include "resources/Template102Ids.h"
#include "ui/HeadlessHost.h"

namespace corvane::app {
namespace {

namespace id = resources::template102;
using platform::sim::ScriptedPeer;
using platform::sim::SimPlatform;

const std::vector<int> kLineBoxes = {id::kLptBox,      id::kComBox,    id::kBaudBox,
                                     id::kDataBitsBox, id::kParityBox, id::kStopBitsBox};

class ConnectionWindowTest : public ::testing::Test {
protected:
    std::vector<int> EnabledLineBoxes() const {
        std::vector<int> enabled;
        for (int box : kLineBoxes) {
            if (host.IsControlEnabled(box)) {
                enabled.push_back(box);
            }
        }
        return enabled;
    }

    SimPlatform platform;
    link::PrinterPort port{platform};
    ConnectionDialog dialog{port};
    ui::HeadlessHost host{dialog};
};

TEST_F(ConnectionWindowTest, StartsIdleOnSerialCom1At9600EightNoneOne) {
    EXPECT_EQ(host.WindowTitle(), "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)");
    EXPECT_TRUE(host.IsChecked(id::kModel310));
    EXPECT_TRUE(host.IsChecked(id::kSerial));
    EXPECT_TRUE(host.IsChecked(id::kEmulationNative));
    EXPECT_FALSE(host.IsChecked(id::kModel620) || host.IsChecked(id::kParallel) ||
                 host.IsChecked(id::kUsb) || host.IsChecked(id::kEmulationOther));
    EXPECT_TRUE(host.IsControlVisible(id::kPicture310));
    EXPECT_FALSE(host.IsControlVisible(id::kPicture620));
    EXPECT_EQ(host.ControlText(id::kComBox), "COM1");
    EXPECT_EQ(host.ControlText(id::kBaudBox), "9600");
    EXPECT_EQ(host.ControlText(id::kDataBitsBox), "8");
    EXPECT_EQ(host.ControlText(id::kParityBox), "None");
    EXPECT_EQ(host.ControlText(id::kStopBitsBox), "1");
    EXPECT_EQ(host.ControlText(id::kLptBox), "LPT1:");
    EXPECT_FALSE(host.IsControlEnabled(id::kLptBox));
    EXPECT_TRUE(host.IsControlEnabled(id::kConnect));
    for (int button :
         {id::kDisconnect, id::kSelfTest1, id::kSelfTest2, id::kRunManager, id::kAlignmentTool}) {
        EXPECT_FALSE(host.IsControlEnabled(button)) << button;
    }
    EXPECT_EQ(dialog.Settings().emulationAnswer, 0);
}

TEST_F(ConnectionWindowTest, ComBoxListsFourteenPortsInDeviceNamespaceFormAboveNine) {
    std::vector<std::string> items;
    for (int i = 0; i < host.ItemCount(id::kComBox); ++i) {
        items.push_back(host.ItemText(id::kComBox, i));
    }
    EXPECT_EQ(items,
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                        "COM8", "COM9", "\\\\.\\COM10", "\\\\.\\COM11",
                                        "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14"}));
}

TEST_F(ConnectionWindowTest, InterfaceRadiosEnableOnlyTheirLineBoxes) {
    host.Click(id::kParallel);
    EXPECT_EQ(EnabledLineBoxes(), std::vector<int>{id::kLptBox});
    host.Click(id::kUsb);
    EXPECT_TRUE(EnabledLineBoxes().empty());
    host.Click(id::kSerial);
    EXPECT_EQ(EnabledLineBoxes(), (std::vector<int>{id::kComBox, id::kBaudBox, id::kDataBitsBox,
                                                    id::kParityBox, id::kStopBitsBox}));
}

TEST_F(ConnectionWindowTest, Krt620RadioChecksNativeAgainButKrt310KeepsOther) {
    host.Click(id::kEmulationOther);
    host.Click(id::kModel620);
    EXPECT_TRUE(host.IsChecked(id::kEmulationNative));
    EXPECT_FALSE(host.IsChecked(id::kEmulationOther));
    EXPECT_TRUE(host.IsControlVisible(id::kPicture620));
    EXPECT_FALSE(host.IsControlVisible(id::kPicture310));
    host.Click(id::kEmulationOther);
    host.Click(id::kModel310);
    EXPECT_TRUE(host.IsChecked(id::kEmulationOther));
    EXPECT_TRUE(host.IsControlVisible(id::kPicture310));
    EXPECT_FALSE(host.IsControlVisible(id::kPicture620));
}

TEST_F(ConnectionWindowTest, ModelRadioInIdleLeavesTheLineBoxesAsTheyAre) {
    host.Click(id::kParallel);
    host.Click(id::kModel620);
    EXPECT_EQ(EnabledLineBoxes(), std::vector<int>{id::kLptBox});
}

TEST_F(ConnectionWindowTest, ConnectToAMissingPortWarnsAndStaysIdle) {
    host.Select(id::kComBox, 4);
    host.Click(id::kConnect);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "Can't open port and Printer is disconnected");
    EXPECT_EQ(host.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "COM5");
    EXPECT_TRUE(host.IsControlEnabled(id::kConnect));
    EXPECT_FALSE(host.IsControlEnabled(id::kDisconnect));
}

TEST_F(ConnectionWindowTest, TypedParityThatNamesNoItemIsRefusedBeforeOpening) {
    host.Type(id::kParityBox, "Mark");
    host.Click(id::kConnect);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_TRUE(platform.Events().empty());  // no device was touched
}

TEST_F(ConnectionWindowTest, EnterPressesConnectAndNeverClosesTheWindow) {
    host.PressEnter();
    EXPECT_FALSE(host.Ended());
    EXPECT_EQ(host.Messages().size(), 1u);  // the Connect attempt reported its failure
    host.PressEscape();
    EXPECT_TRUE(host.Ended());
}

}  // namespace
}  // namespace corvane::app

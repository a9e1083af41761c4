// Connect and Disconnect against a simulated printer: every outcome with its message, icon,
// state after, and the bytes that went to the printer.
#include <gtest/gtest.h>

#include "app/ConnectionDialog.h"
#include "platform/sim/SimPlatform.h"
#include "resources/Template102Ids.h"
#include "sim/VirtualPrinter.h"
#include "ui/HeadlessHost.h"

namespace corvane::app {
namespace {

namespace id = resources::template102;
using Bytes = std::vector<std::uint8_t>;
using platform::sim::SimPlatform;
using sim::Emulation;
using sim::Model;
using sim::VirtualPrinter;

const Bytes kInitialize = {0x1B, 0x40};
const Bytes kVersionIdRequests = {0x1B, 0x3D, 0x01, 0x1D, 0x49, 0x03};
const Bytes kEmulationQuery = {0x1F, 0x1F, 0x45};

const std::vector<int> kLineBoxes = {id::kLptBox,      id::kComBox,    id::kBaudBox,
                                     id::kDataBitsBox, id::kParityBox, id::kStopBitsBox};

bool StartsWith(const Bytes& bytes, const Bytes& prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

class ConnectTest : public ::testing::Test {
protected:
    ConnectTest() {
        platform.AttachSerial("COM3", krt310);
        platform.AttachSerial("\\\\.\\COM12", krt310);
        platform.AttachParallel("LPT2:", krt620);
    }

    void ChooseSerial(int comIndex) {
        host.Click(id::kSerial);
        host.Select(id::kComBox, comIndex);
    }

    std::vector<std::string> MessageTexts() {
        std::vector<std::string> texts;
        for (const auto& message : host.GetSession().messages) {
            texts.push_back(message.text);
        }
        return texts;
    }

    // The controls of each state of the connection window.
    void ExpectIdleControls() {
        EXPECT_TRUE(host.IsControlEnabled(id::kConnect));
        EXPECT_FALSE(host.IsControlEnabled(id::kDisconnect));
        for (int button : {id::kSelfTest1, id::kSelfTest2, id::kRunManager, id::kAlignmentTool}) {
            EXPECT_FALSE(host.IsControlEnabled(button)) << button;
        }
        for (int radio : {id::kSerial, id::kParallel, id::kUsb, id::kEmulationNative,
                          id::kEmulationOther, id::kModel310, id::kModel620}) {
            EXPECT_TRUE(host.IsControlEnabled(radio)) << radio;
        }
    }

    void ExpectConnectedControls(bool native, bool krt620) {
        EXPECT_FALSE(host.IsControlEnabled(id::kConnect));
        EXPECT_TRUE(host.IsControlEnabled(id::kDisconnect));
        EXPECT_TRUE(host.IsControlEnabled(id::kRunManager));
        EXPECT_EQ(host.IsControlEnabled(id::kSelfTest1), native);
        EXPECT_EQ(host.IsControlEnabled(id::kSelfTest2), native);
        EXPECT_EQ(host.IsControlEnabled(id::kAlignmentTool), native && krt620);
        for (int control :
             {id::kSerial, id::kParallel, id::kUsb, id::kEmulationNative, id::kEmulationOther}) {
            EXPECT_FALSE(host.IsControlEnabled(control)) << control;
        }
        for (int box : kLineBoxes) {
            EXPECT_FALSE(host.IsControlEnabled(box)) << box;
        }
        EXPECT_TRUE(host.IsControlEnabled(id::kModel310));
        EXPECT_TRUE(host.IsControlEnabled(id::kModel620));
    }

    SimPlatform platform;
    VirtualPrinter krt310{Model::Krt310II};
    VirtualPrinter krt620{Model::Krt620};
    link::PrinterPort port{platform};
    ConnectionDialog dialog{port};
    ui::HeadlessHost host{dialog};
};

TEST_F(ConnectTest, NativeKrt310IsIdentifiedAndConnected) {
    ChooseSerial(2);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Printer is connected."});
    EXPECT_EQ(host.GetSession().messages[0].icon, ui::Icon::Information);
    EXPECT_TRUE(port.IsOpen());
    ExpectConnectedControls(/*native=*/true, /*krt620=*/false);
    Bytes wire = platform.Written("COM3");
    EXPECT_TRUE(StartsWith(wire, kInitialize));
    EXPECT_EQ(Bytes(wire.begin() + 2, wire.begin() + 8), kVersionIdRequests);
    // The maker and the model name requests follow.
    EXPECT_EQ(Bytes(wire.begin() + 8, wire.end()), (Bytes{0x1D, 0x49, 0x42, 0x1D, 0x49, 0x43}));
}

TEST_F(ConnectTest, SerialConnectOpensTheChosenDeviceAtTheChosenSpeed) {
    ChooseSerial(11);
    host.Select(id::kBaudBox, 4);
    host.Click(id::kConnect);
    EXPECT_EQ(port.PortName(), "\\\\.\\COM12");
    EXPECT_EQ(port.GetLineSettings().baudRate, 19200u);
    ASSERT_NE(platform.OpenLine("\\\\.\\COM12"), nullptr);
    EXPECT_EQ(platform.OpenLine("\\\\.\\COM12")->Config().baudRate, 19200u);
}

TEST_F(ConnectTest, Krt620OnParallelEnablesTheAlignmentToolAndKeepsTheSerialFields) {
    port.SetLineSettings({.baudRate = 4800});  // as a last serial Connect might have left it
    host.Click(id::kModel620);
    host.Click(id::kParallel);
    host.Select(id::kLptBox, 1);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Printer is connected."});
    ExpectConnectedControls(/*native=*/true, /*krt620=*/true);
    EXPECT_EQ(port.PortName(), "LPT2:");
    EXPECT_EQ(port.GetLineSettings().baudRate, 4800u);
}

TEST_F(ConnectTest, SilentPrinterIsAPortErrorAndTheWindowStaysOpenUnaccepted) {
    krt310.GetFaults().silent = true;
    ChooseSerial(2);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Port error! Check printer's port, please."});
    EXPECT_EQ(host.GetSession().messages[0].icon, ui::Icon::Exclamation);
    EXPECT_TRUE(port.IsOpen());
    ExpectIdleControls();
}

TEST_F(ConnectTest, WrongFamilyIsRefusedWithTheUnsupportedFirmwareBox) {
    host.Click(id::kModel620);
    ChooseSerial(2);
    host.Click(id::kConnect);
    ASSERT_EQ(host.GetSession().messages.size(), 1u);
    const auto& box = host.GetSession().messages[0];
    EXPECT_EQ(box.icon, ui::Icon::None);
    EXPECT_EQ(box.text.rfind("This F/W version of printer is not supported!!!\nPlease refer to "
                             "the manual!!\nCurrent F/W Version : ",
                             0),
              0u);
    EXPECT_TRUE(port.IsOpen());
    ExpectIdleControls();
}

TEST_F(ConnectTest, ForeignMakerGetsBothBoxes) {
    krt310.SetMakerText("OTHERCO");
    ChooseSerial(2);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"This printer don't match our company name.",
                                        "Don't use this program for other company product."}));
    // Guards against either refusal box losing its exclamation icon.
    for (const auto& box : host.GetSession().messages) {
        EXPECT_EQ(box.icon, ui::Icon::Exclamation) << box.text;
    }
    EXPECT_TRUE(port.IsOpen());
    ExpectIdleControls();
}

TEST_F(ConnectTest, OtherEmulationSendsOnlyTheEmulationQuery) {
    krt310.SetEmulation(Emulation::Other03);
    ChooseSerial(2);
    host.Click(id::kEmulationOther);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Printer is connected."});
    EXPECT_EQ(platform.Written("COM3"), kEmulationQuery);
    EXPECT_EQ(dialog.Settings().emulationAnswer, 2);
    ExpectConnectedControls(/*native=*/false, /*krt620=*/false);
}

TEST_F(ConnectTest, OtherEmulationWithoutAnAnswerIsRefusedAndKeepsTheOldAnswer) {
    krt310.SetEmulation(Emulation::Other02);
    ChooseSerial(2);
    host.Click(id::kEmulationOther);
    host.Click(id::kConnect);
    ASSERT_EQ(dialog.Settings().emulationAnswer, 1);
    host.Click(id::kDisconnect);
    krt310.GetFaults().silent = true;
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts().back(), "Can't open port and Printer is disconnected");
    EXPECT_EQ(dialog.Settings().emulationAnswer, 1);
    EXPECT_TRUE(port.IsOpen());
    ExpectIdleControls();
}

TEST_F(ConnectTest, NativePrinterAskedAboutItsEmulationAnswersNothingUseful) {
    ChooseSerial(2);
    host.Click(id::kEmulationOther);
    host.Click(id::kConnect);
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Can't open port and Printer is disconnected"});
}

TEST_F(ConnectTest, RefusedPrinterThenASerialLineBoxChangeClosesThePort) {
    krt310.SetModelText("KRT-999");
    ChooseSerial(2);
    host.Click(id::kConnect);
    ASSERT_TRUE(port.IsOpen());
    host.Select(id::kStopBitsBox, 2);
    EXPECT_FALSE(port.IsOpen());
}

// Guards against the LPT box closing a port left open by a refusal; its choice waits for the
// next Connect.
TEST_F(ConnectTest, RefusedParallelPrinterStaysOpenWhenTheLptBoxChanges) {
    krt620.SetModelText("KRT-999");
    host.Click(81);    // KRT-620
    host.Click(1019);  // PARALLEL
    ASSERT_TRUE(host.Select(1028, 1));
    host.Click(1001);
    ASSERT_EQ(MessageTexts().back(), "Don't use this program for other company product.");
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(host.Select(1028, 2));  // enabled: the dialog hears the change
    EXPECT_TRUE(port.IsOpen());
    EXPECT_NE(platform.OpenLine("LPT2:"), nullptr);
    EXPECT_TRUE(host.IsControlEnabled(1001));
    host.Click(1001);
    EXPECT_EQ(port.PortName(), "LPT3:");
    EXPECT_EQ(platform.OpenLine("LPT2:"), nullptr);
}

struct InterfaceRadioCase {
    const char* name;
    int radio;
    std::vector<int> enabledLineBoxes;

    friend void PrintTo(const InterfaceRadioCase& row, std::ostream* os) { *os << row.name; }
};

class InterfaceRadioAfterRefusalTest : public ConnectTest,
                                       public ::testing::WithParamInterface<InterfaceRadioCase> {};

// Guards against an interface radio leaving a refused printer's port open or the chosen
// interface's line boxes disabled.
TEST_P(InterfaceRadioAfterRefusalTest, ClosesThePortAndEnablesTheChosenInterfacesBoxes) {
    krt310.SetModelText("KRT-999");
    host.Select(1021, 2);  // COM3
    host.Click(1001);
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(host.Click(GetParam().radio));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(platform.OpenLine("COM3"), nullptr);
    std::vector<int> enabled;
    for (int box : {1028, 1021, 1024, 1025, 1026, 1027}) {
        if (host.IsControlEnabled(box)) {
            enabled.push_back(box);
        }
    }
    EXPECT_EQ(enabled, GetParam().enabledLineBoxes);
    EXPECT_TRUE(host.IsControlEnabled(1001));  // Connect
    for (int tool : {72, 1023, 1022, 1030, 1031}) {
        EXPECT_FALSE(host.IsControlEnabled(tool)) << tool;
    }
    for (int radio : {15, 16, 1018, 1019, 1020}) {
        EXPECT_TRUE(host.IsControlEnabled(radio)) << radio;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Radios, InterfaceRadioAfterRefusalTest,
    ::testing::Values(InterfaceRadioCase{"Serial", 1018, {1021, 1024, 1025, 1026, 1027}},
                      InterfaceRadioCase{"Parallel", 1019, {1028}},
                      InterfaceRadioCase{"Usb", 1020, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectTest, SecondConnectAfterARefusalRunsTheWholeSequenceAgain) {
    krt310.SetModelText("KRT-999");
    ChooseSerial(2);
    host.Click(id::kConnect);
    std::size_t firstRun = platform.Written("COM3").size();
    krt310.SetModelText("KRT-310");
    host.Click(id::kConnect);
    Bytes wire = platform.Written("COM3");
    EXPECT_EQ(Bytes(wire.begin() + static_cast<long>(firstRun),
                    wire.begin() + static_cast<long>(firstRun) + 2),
              kInitialize);
    EXPECT_EQ(MessageTexts().back(), "Printer is connected.");
}

TEST_F(ConnectTest, DisconnectReturnsToIdleWithTheLineBoxesOfTheOpenedInterface) {
    ChooseSerial(2);
    host.Click(id::kConnect);
    host.Click(id::kDisconnect);
    EXPECT_FALSE(port.IsOpen());
    ExpectIdleControls();
    for (int box :
         {id::kComBox, id::kBaudBox, id::kDataBitsBox, id::kParityBox, id::kStopBitsBox}) {
        EXPECT_TRUE(host.IsControlEnabled(box)) << box;
    }
    EXPECT_FALSE(host.IsControlEnabled(id::kLptBox));
}

TEST_F(ConnectTest, ModelRadioWhileConnectedClosesAndReenablesTheOpenedInterfacesBoxes) {
    host.Click(id::kParallel);
    host.Click(id::kModel620);
    host.Select(id::kLptBox, 1);
    host.Click(id::kConnect);
    ASSERT_TRUE(port.IsOpen());
    host.Click(id::kModel310);
    EXPECT_FALSE(port.IsOpen());
    ExpectIdleControls();
    EXPECT_TRUE(host.IsControlEnabled(id::kLptBox));
    EXPECT_FALSE(host.IsControlEnabled(id::kComBox));
}

// Guards against a wrong test page (m) or any other wrong byte in either self-test request.
TEST_F(ConnectTest, EachSelfTestSendsExactlyItsSevenBytesAndReadsNothing) {
    ChooseSerial(2);
    host.Click(id::kConnect);
    platform.ClearEvents();
    const std::pair<int, Bytes> rows[] = {
        {1023, {0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x02}},  // Self Test 1
        {1022, {0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, 0x03}},  // Self Test 2
    };
    for (const auto& [button, request] : rows) {
        std::size_t before = platform.Written("COM3").size();
        ASSERT_TRUE(host.Click(button));
        Bytes wire = platform.Written("COM3");
        EXPECT_EQ(Bytes(wire.begin() + static_cast<long>(before), wire.end()), request) << button;
    }
    for (const auto& event : platform.Events()) {
        EXPECT_EQ(event.kind, platform::sim::EventKind::Write);
    }
    EXPECT_EQ(host.GetSession().messages.size(), 1u);
}

}  // namespace
}  // namespace corvane::app

namespace corvane::app {
namespace {

struct RoutingCase {
    Model model;
    Emulation emulation;
    std::vector<std::string> opened;  // template ids of the dialogs run
    std::vector<std::string> messages;
};

class RunManagerRoutingTest : public ::testing::TestWithParam<RoutingCase> {};

TEST_P(RunManagerRoutingTest, OpensTheLineModeDialogOfModelAndAnswer) {
    const RoutingCase& row = GetParam();
    SimPlatform platform;
    VirtualPrinter printer(row.model, row.emulation);
    platform.AttachSerial("COM1", printer);
    link::PrinterPort port(platform);
    ConnectionDialog dialog(port);
    ui::HeadlessHost host(dialog);
    if (row.model == Model::Krt620) {
        host.Click(id::kModel620);
    }
    host.Click(id::kEmulationOther);
    host.Click(id::kConnect);
    ASSERT_TRUE(host.IsControlEnabled(id::kRunManager));
    host.GetSession().messages.clear();
    host.Click(id::kRunManager);
    EXPECT_EQ(host.GetSession().modalOpened, row.opened);
    std::vector<std::string> texts;
    for (const auto& message : host.GetSession().messages) {
        texts.push_back(message.text);
    }
    EXPECT_EQ(texts, row.messages);
    EXPECT_TRUE(port.IsOpen());  // the connection outlives the tool
}

// The KRT-620 radio forces the native emulation, so the foreign KRT-620 cases pick "Other"
// after choosing the model.
INSTANTIATE_TEST_SUITE_P(
    Routing, RunManagerRoutingTest,
    ::testing::Values(RoutingCase{Model::Krt310, Emulation::Other02, {"143"}, {}},
                      RoutingCase{Model::Krt310II, Emulation::Other03, {"152"}, {}},
                      RoutingCase{Model::Krt620, Emulation::Other02, {"160"}, {}},
                      RoutingCase{Model::Krt620,
                                  Emulation::Other03,
                                  {},
                                  {"Citizen Emulation is not support!!"}}));

TEST_F(ConnectTest, AlignmentToolOpensForTheKrt620Only) {
    host.Click(id::kModel620);
    host.Click(id::kParallel);
    host.Select(id::kLptBox, 1);
    host.Click(id::kConnect);
    host.Click(id::kAlignmentTool);
    EXPECT_EQ(host.GetSession().modalOpened, std::vector<std::string>{"159"});
}

}  // namespace
}  // namespace corvane::app

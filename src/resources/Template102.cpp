#include "product/Models.h"
#include "product/SettingLists.h"
#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template102Ids.h"

namespace corvane::resources {

// The connection window, the program's main window.
DialogTemplate MakeTemplate102() {
    using namespace build;
    using namespace template102;
    using product::FamilyFacts;
    using product::PrinterModel;
    using product::Texts;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Corvane Manager(For KRT-310/310II/KRT-620 V2.0.5)";
    t.width = 350;
    t.height = 185;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame | kAppWindow;
    t.controls = {
        GroupBox("Device Selection", {7, 7, 125, 29}),
        Radio(kModel310, std::string(FamilyFacts(PrinterModel::Krt310Family).caption),
              {14, 19, 65, 13}, kFirstInGroup),
        Radio(kModel620, std::string(FamilyFacts(PrinterModel::Krt620).caption), {81, 19, 48, 13}),
        PictureBox(kPicture310, 151, {11, 44, 117, 125}),
        PictureBox(kPicture620, 157, {11, 44, 117, 125}, kHidden),
        GroupBox("Interface Type", {140, 7, 203, 29}),
        Radio(kSerial, "SERIAL", {151, 20, 39, 8}, kFirstInGroup),
        Radio(kParallel, "PARALLEL", {218, 21, 50, 8}),
        Radio(kUsb, "USB", {297, 17, 29, 15}),
        GroupBox("Communication Setting", {140, 40, 115, 129}),
        Label("LPT Port", {149, 60, 44, 8}),
        List(kLptBox, ControlKind::DropDownList, Texts(product::kParallelPortNames),
             {199, 57, 52, 126}, kDisabled),
        Label("COM Port", {149, 78, 44, 8}),
        // Filled by the dialog at initialisation.
        List(kComBox, ControlKind::DropDownList, {}, {199, 75, 52, 126}, kVScroll),
        Label("Baud Rate", {149, 95, 44, 8}),
        List(kBaudBox, ControlKind::DropDownList, Texts(product::kSerialSpeeds), {199, 93, 52, 59}),
        Label("Data Bits", {149, 114, 44, 8}),
        List(kDataBitsBox, ControlKind::DropDownList, Texts(product::kDataBits),
             {199, 112, 52, 59}),
        Label("Parity", {149, 132, 44, 9}),
        List(kParityBox, ControlKind::DropDownCombo, Texts(product::kParities), {199, 130, 52, 59}),
        Label("Stop Bits", {149, 151, 44, 9}),
        List(kStopBitsBox, ControlKind::DropDownList, Texts(product::kStopBits),
             {199, 149, 52, 59}),
        GroupBox("Emulation", {260, 40, 83, 28}),
        Radio(kEmulationNative, "Vantora", {266, 52, 40, 13}, kFirstInGroup),
        Radio(kEmulationOther, "Other", {307, 52, 30, 13}),
        Button(kConnect, "Connect", {260, 71, 83, 17}, kDefaultButton),
        Button(kDisconnect, "Disconnect", {260, 91, 83, 17}, kDisabled),
        Button(kSelfTest1, "Self Test 1", {259, 111, 40, 16}, kDisabled),
        Button(kSelfTest2, "Self Test 2", {303, 111, 40, 16}, kDisabled),
        Button(kRunManager, "Run Manager", {260, 130, 83, 17}, kDisabled),
        Button(kAlignmentTool, "Vertical Alignment Tool", {260, 150, 83, 17}, kDisabled),
    };
    return t;
}

}  // namespace corvane::resources

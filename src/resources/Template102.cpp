#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"

namespace corvane::resources {

// The connection window, the program's main window.
DialogTemplate MakeTemplate102() {
    using namespace build;
    DialogTemplate t;
    t.id = 102;
    t.caption = "Corvane Manager(For KRT-310/310II/KRT-620 V2.0.5)";
    t.width = 350;
    t.height = 185;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame | kAppWindow;
    t.controls = {
        GroupBox("Device Selection", {7, 7, 125, 29}),
        Radio(80, "KRT-310/310II", {14, 19, 65, 13}, kFirstInGroup),
        Radio(81, "KRT-620", {81, 19, 48, 13}),
        PictureBox(78, 151, {11, 44, 117, 125}),
        PictureBox(79, 157, {11, 44, 117, 125}, kHidden),
        GroupBox("Interface Type", {140, 7, 203, 29}),
        Radio(1018, "SERIAL", {151, 20, 39, 8}, kFirstInGroup),
        Radio(1019, "PARALLEL", {218, 21, 50, 8}),
        Radio(1020, "USB", {297, 17, 29, 15}),
        GroupBox("Communication Setting", {140, 40, 115, 129}),
        Label("LPT Port", {149, 60, 44, 8}),
        List(1028, ControlKind::DropDownList, {"LPT1:", "LPT2:", "LPT3:", "LPT4:"},
             {199, 57, 52, 126}, kDisabled),
        Label("COM Port", {149, 78, 44, 8}),
        // Filled by the dialog at initialisation.
        List(1021, ControlKind::DropDownList, {}, {199, 75, 52, 126}, kVScroll),
        Label("Baud Rate", {149, 95, 44, 8}),
        List(1024, ControlKind::DropDownList, {"1200", "2400", "4800", "9600", "19200"},
             {199, 93, 52, 59}),
        Label("Data Bits", {149, 114, 44, 8}),
        List(1025, ControlKind::DropDownList, {"7", "8"}, {199, 112, 52, 59}),
        Label("Parity", {149, 132, 44, 9}),
        List(1026, ControlKind::DropDownCombo, {"None", "Odd", "Even"}, {199, 130, 52, 59}),
        Label("Stop Bits", {149, 151, 44, 9}),
        List(1027, ControlKind::DropDownList, {"1", "1.5", "2"}, {199, 149, 52, 59}),
        GroupBox("Emulation", {260, 40, 83, 28}),
        Radio(15, "Vantora", {266, 52, 40, 13}, kFirstInGroup),
        Radio(16, "Other", {307, 52, 30, 13}),
        Button(1001, "Connect", {260, 71, 83, 17}, kDefaultButton),
        Button(72, "Disconnect", {260, 91, 83, 17}, kDisabled),
        Button(1023, "Self Test 1", {259, 111, 40, 16}, kDisabled),
        Button(1022, "Self Test 2", {303, 111, 40, 16}, kDisabled),
        Button(1030, "Run Manager", {260, 130, 83, 17}, kDisabled),
        Button(1031, "Vertical Alignment Tool", {260, 150, 83, 17}, kDisabled),
    };
    return t;
}

}  // namespace corvane::resources

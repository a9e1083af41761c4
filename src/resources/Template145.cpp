#include <array>
#include <string>

#include "product/SettingLists.h"
#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template145Ids.h"

namespace corvane::resources {

// The memory switch manager: the eight pins of one memory switch at a time, the default code
// page, and for the KRT-310 family the serial settings, paper width and power save.
DialogTemplate MakeTemplate145() {
    using namespace build;
    using namespace template145;
    using product::Texts;
    // The settings lists show "No Change" first.
    constexpr bool kNoChangeFirst = true;
    constexpr std::array<int, 8> kLabelTops = {19, 34, 49, 65, 79, 93, 108, 122};
    constexpr std::array<int, 8> kListTops = {16, 31, 46, 61, 76, 90, 105, 119};
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Dialog";
    t.width = 355;
    t.height = 341;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls.push_back(GroupBox("Corvane Status", {7, 7, 224, 140}));
    // Each pin's label comes before its list, so that the label names the list.
    for (int pin = 1; pin <= 8; ++pin) {
        const auto row = static_cast<std::size_t>(pin - 1);
        t.controls.push_back(Label("[PIN " + std::to_string(pin) + "] Reserved",
                                   {16, kLabelTops[row], 96, 8}, kAlignLeft, PinLabel(pin)));
        t.controls.push_back(List(PinList(pin), ControlKind::DropDownList, {},
                                  {115, kListTops[row], 110, 45}, kDisabled | kVScroll));
    }
    const std::vector<ControlTemplate> rest = {
        Label("* :  NearEnd Sensor ON Only!", {13, 135, 98, 8}, kAlignLeft | kHidden, kNearEndNote),
        Control(kCodePageGroup, ControlKind::GroupBox, "Default Code Page", {7, 149, 144, 33},
                kStyleNone),
        List(kCodePageList, ControlKind::DropDownCombo, {}, {13, 162, 132, 130},
             kDisabled | kVScroll),
        List(kSpecialCodePageList, ControlKind::DropDownCombo, {}, {13, 162, 132, 130},
             kHidden | kVScroll),
        Control(kPaperWidthGroup, ControlKind::GroupBox, "Paper Width", {155, 149, 74, 33},
                kStyleNone),
        List(kPaperWidthList, ControlKind::DropDownList,
             Texts(product::kPaperWidths, kNoChangeFirst), {164, 162, 58, 76}, kDisabled),
        Control(kPowerSaveGroup, ControlKind::GroupBox, "Power Save", {7, 185, 222, 33},
                kStyleNone),
        CheckBox(kPowerSaveCheck, "Use Power Save Mode", {13, 195, 92, 16}),
        Label("Enterance : ", {129, 198, 40, 12}),
        Edit(kPowerSaveSeconds, {177, 195, 27, 16}, kAlignRight | kBorder),
        Label("Sec", {206, 198, 17, 12}),
        GroupBox("", {7, 220, 223, 43}),
        Label("Printer Model :", {19, 228, 59, 8}),
        Label("", {95, 228, 97, 8}, kAlignLeft, kModelText),
        Label("Firmware Version :", {19, 241, 64, 8}, kAlignLeft, kFirmwareLabel),
        Label("", {95, 241, 102, 8}, kAlignLeft, kFirmwareText),
        Label("Language :", {19, 252, 59, 8}),
        Label("", {95, 252, 113, 8}, kAlignLeft, kLanguageText),
        GroupBox("Communication Status", {236, 7, 112, 88}),
        Label("Baund Rate :", {241, 23, 45, 8}),
        List(kBaudList, ControlKind::DropDownList, Texts(product::kSerialSpeeds, kNoChangeFirst),
             {289, 21, 53, 73}, kDisabled),
        Label("Data Bits :", {241, 37, 45, 8}),
        List(kDataBitsList, ControlKind::DropDownList, Texts(product::kDataBits, kNoChangeFirst),
             {289, 35, 53, 46}, kDisabled),
        Label("Parity :", {241, 51, 45, 8}),
        List(kParityList, ControlKind::DropDownList, Texts(product::kParities, kNoChangeFirst),
             {289, 49, 53, 49}, kDisabled),
        Label("Flow Control :", {241, 66, 45, 8}),
        List(kFlowControlList, ControlKind::DropDownList,
             Texts(product::kFlowControls, kNoChangeFirst), {289, 64, 53, 48}, kDisabled),
        CheckBox(kMemorySwitchOn, "Memory Switch On", {241, 81, 72, 8}, kDisabled),
        GroupBox("Control Status", {235, 97, 113, 80}),
        Button(kPrintStatus, "Print Status", {251, 109, 83, 18}, kDisabled),
        Button(kGetStatus, "Get Status", {251, 129, 83, 18}, kDisabled),
        Button(kSetStatus, "Set Status", {251, 149, 83, 18}, kDisabled),
        GroupBox("Select Switch", {236, 184, 112, 80}),
        Button(kSwitch1Page, "Switch 1 Stuatus", {251, 197, 83, 18}, kDisabled),
        Button(kSwitch2Page, "Switch 2 Status", {250, 217, 83, 18}, kDisabled),
        Button(kSwitch5Page, "Switch 5 Status", {251, 237, 83, 18}, kDisabled),
        GroupBox("User Status Setting", {7, 266, 341, 35}),
        Button(kSaveStatus, "Save Status", {25, 279, 90, 16}, kDisabled),
        Button(kLoadStatus, "Load Status", {134, 279, 90, 16}, kDisabled),
        Button(kInitializeStatus, "Initialize Status", {244, 279, 90, 16}, kDisabled),
        GroupBox("Progress", {7, 304, 264, 30}),
        Progress(kProgress, {15, 315, 253, 13}, kBorder),
        Button(kExit, "Exit", {280, 309, 68, 25}),
    };
    t.controls.insert(t.controls.end(), rest.begin(), rest.end());
    return t;
}

}  // namespace corvane::resources

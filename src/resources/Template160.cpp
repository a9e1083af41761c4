#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template160Ids.h"

namespace corvane::resources {

// The line-mode code page and CR/LF dialog of a KRT-620 in the "Other" emulation.
DialogTemplate MakeTemplate160() {
    using namespace build;
    using namespace template160;
    using enum product::LineModeSetting;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Other Corvane";
    t.width = 300;
    t.height = 122;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("Default Code Page Set", {7, 7, 286, 30}),
        CheckBox(kCodePageSet, SettingName(CodePage), {14, 20, 82, 10}),
        List(kCodePageList, ControlKind::DropDownList, SettingChoices(CodePage),
             {100, 18, 186, 120}, kDisabled | kVScroll),
        GroupBox("Function Set", {7, 42, 286, 30}),
        CheckBox(kCrLfSet, SettingName(CrLfCommands), {14, 55, 84, 10}),
        List(kCrLfList, ControlKind::DropDownList, SettingChoices(CrLfCommands), {100, 53, 186, 80},
             kDisabled),
        CheckBox(kSelectAll, "Select All Item", {7, 82, 80, 10}),
        Button(kPrintStatus, "Print current status of memory switch", {7, 98, 140, 16}),
        Button(kSet, "Set status of memory switch", {151, 98, 100, 16}),
        Button(kClose, "Close", {255, 98, 38, 16}),
    };
    return t;
}

}  // namespace corvane::resources

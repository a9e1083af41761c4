#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template143Ids.h"

namespace corvane::resources {

// The line-mode memory switch dialog of a KRT-310 family printer in the "Other" emulation.
// Every choice control starts disabled until its option is ticked.
DialogTemplate MakeTemplate143() {
    using namespace build;
    using namespace template143;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Other Corvane";
    t.width = 480;
    t.height = 246;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("General Set", {7, 7, 230, 76}),
        CheckBox(kHowToRecoverCheck, "How to recover to print", {14, 20, 104, 10}),
        Label("ready after inserting paper", {26, 31, 92, 8}),
        Radio(kHowToRecoverFirstRadio, "Press FEED", {122, 20, 50, 10}, kFirstInGroup | kDisabled),
        Radio(kHowToRecoverSecondRadio, "Auto-recover", {174, 20, 58, 10}, kDisabled),
        CheckBox(kPaperWidthCheck, "Paper width", {14, 46, 104, 10}),
        List(kPaperWidthList, ControlKind::DropDownList,
             {"76mm(400 half dots)", "57.5mm(300 half dots)", "76mm(385 half dots)",
              "57.5mm(297 half dots)"},
             {122, 44, 108, 70}, kDisabled),
        CheckBox(kDataReceptionErrorCheck, "Data reception error (serial)", {14, 64, 106, 10}),
        Radio(kDataReceptionErrorFirstRadio, "Prints \"?\"", {122, 64, 50, 10},
              kFirstInGroup | kDisabled),
        Radio(kDataReceptionErrorSecondRadio, "Ignored", {174, 64, 50, 10}, kDisabled),

        GroupBox("Character Set", {7, 88, 230, 128}),
        CheckBox(kZeroStyleCheck, "Zero Style", {14, 101, 104, 10}),
        Radio(kZeroStyleFirstRadio, "Normal", {122, 101, 50, 10}, kFirstInGroup | kDisabled),
        Radio(kZeroStyleSecondRadio, "Slash zero", {174, 101, 56, 10}, kDisabled),
        CheckBox(kInternationalCharactersCheck, "International Characters", {14, 119, 104, 10}),
        List(kInternationalCharactersList, ControlKind::DropDownList,
             {"U.S.A", "France", "Germany", "U.K", "Denmark1", "Sweden", "Italy", "Spain1", "Japan",
              "Norway", "Denmark2"},
             {122, 117, 108, 100}, kDisabled | kVScroll),
        CheckBox(kCharacterTableCheck, "Character Table", {14, 137, 104, 10}),
        List(kCharacterTableList, ControlKind::DropDownList,
             {"PC437",
              "Katakana",
              "PC850(Multilingual)",
              "PC860(Portuguese)",
              "PC863(Canadian-French)",
              "PC865(Nordic)",
              "WPC1252(Latin2)",
              "PC866(Russian)",
              "PC852(Latin2)",
              "PC858(Euro)",
              "PC862(Israel)",
              "PC864(Arabic)",
              "Thai character code 42",
              "WPC1253(Greek)",
              "WPC1254(Turkish)",
              "WPC1257(Baltic)",
              "Farsi - only font B",
              "WPC1251(Russian)",
              "PC737(Greek)",
              "PC775(Baltic)",
              "Thai character code 16",
              "Old code(Israel)",
              "WPC1255(Israel)",
              "Thai character code 11",
              "Thai character code 18"},
             {122, 135, 108, 120}, kDisabled | kVScroll),
        CheckBox(kRedAndBlackCheck, "Red and Black Commands", {14, 155, 104, 10}),
        // The longest items need the whole width of the group.
        List(kRedAndBlackList, ControlKind::DropDownList,
             {"White/Black inverted printing", "White/Black inversion(7x9 font print)+enhancing",
              "Upper line+Underline+Enhancing",
              "Upper line+Underline+Double tall expanded+Enhancing"},
             {26, 167, 204, 60}, kDisabled),
        CheckBox(kCountrySpecificationCheck, "Country Specification", {14, 185, 104, 10}),
        Radio(kCountrySpecificationFirstRadio, "Standard Specification", {26, 198, 94, 10},
              kFirstInGroup | kDisabled),
        Radio(kCountrySpecificationSecondRadio, "Chinese Characters", {122, 198, 90, 10},
              kDisabled),

        GroupBox("Function Set", {243, 7, 230, 155}),
        CheckBox(kNearEndSwitchCheck, "Near end switch Function", {250, 20, 108, 10}),
        List(kNearEndSwitchList, ControlKind::DropDownList,
             {"Disable", "Enable (on-line)", "Enable (off-line)"}, {362, 18, 104, 60}, kDisabled),
        CheckBox(kFfCommandCheck, "[FF] Command Function", {250, 38, 108, 10}),
        Radio(kFfCommandFirstRadio, "Executes a form feed", {262, 50, 94, 10},
              kFirstInGroup | kDisabled),
        Radio(kFfCommandSecondRadio, "Feed and partial cut", {362, 50, 94, 10}, kDisabled),
        CheckBox(kCrCommandCheck, "[CR] Command Function", {250, 68, 108, 10}),
        List(kCrCommandList, ControlKind::DropDownList, {"Ignore", "Print and linefeed", "Print"},
             {362, 66, 104, 60}, kDisabled),
        CheckBox(kAutoCutCheck, "Contextual Auto-cut Function", {250, 86, 110, 10}),
        Radio(kAutoCutFirstRadio, "Disable", {362, 86, 48, 10}, kFirstInGroup | kDisabled),
        Radio(kAutoCutSecondRadio, "Enable", {414, 86, 48, 10}, kDisabled),
        CheckBox(kAutomaticStatusCheck, "Automatic Status Function", {250, 104, 110, 10}),
        Radio(kAutomaticStatusFirstRadio, "Disable", {362, 104, 48, 10}, kFirstInGroup | kDisabled),
        Radio(kAutomaticStatusSecondRadio, "Enable", {414, 104, 48, 10}, kDisabled),
        CheckBox(kEscRsCheck, "[ESC] [RS] a n Command", {250, 122, 110, 10}),
        Label("Function", {262, 133, 60, 8}),
        Radio(kEscRsFirstRadio, "Only setting", {362, 122, 104, 10}, kFirstInGroup | kDisabled),
        Radio(kEscRsSecondRadio, "Auto-status sent only once", {362, 136, 104, 10}, kDisabled),

        CheckBox(kSelectAll, "Select All Item", {7, 226, 80, 10}),
        Button(kPrintStatus, "Print current status of memory switch", {120, 222, 140, 16}),
        Button(kSet, "Set status of memory switch", {266, 222, 120, 16}),
        Button(kClose, "Close", {392, 222, 81, 16}),
    };
    return t;
}

}  // namespace corvane::resources

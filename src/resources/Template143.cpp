#include "resources/ControlBuilders.h"
#include "resources/DialogTemplate.h"
#include "resources/Template143Ids.h"

namespace corvane::resources {

// The line-mode memory switch dialog of a KRT-310 family printer in the "Other" emulation.
// Every choice control starts disabled until its option is ticked.
DialogTemplate MakeTemplate143() {
    using namespace build;
    using namespace template143;
    using enum product::LineModeSetting;
    DialogTemplate t;
    t.id = kTemplateId;
    t.caption = "Other Corvane";
    t.width = 480;
    t.height = 246;
    t.style = kPopup | kCaption | kSystemMenu | kModalFrame;
    t.controls = {
        GroupBox("General Set", {7, 7, 230, 76}),
        CheckBox(kHowToRecoverCheck, SettingName(HowToRecoverToPrint), {14, 20, 104, 10}),
        Label("ready after inserting paper", {26, 31, 92, 8}),
        Radio(kHowToRecoverFirstRadio, SettingChoice(HowToRecoverToPrint, 0), {122, 20, 50, 10},
              kFirstInGroup | kDisabled),
        Radio(kHowToRecoverSecondRadio, SettingChoice(HowToRecoverToPrint, 1), {174, 20, 58, 10},
              kDisabled),
        CheckBox(kPaperWidthCheck, SettingName(PaperWidth), {14, 46, 104, 10}),
        List(kPaperWidthList, ControlKind::DropDownList, SettingChoices(PaperWidth),
             {122, 44, 108, 70}, kDisabled),
        CheckBox(kDataReceptionErrorCheck, SettingName(DataReceptionError), {14, 64, 106, 10}),
        Radio(kDataReceptionErrorFirstRadio, SettingChoice(DataReceptionError, 0),
              {122, 64, 50, 10}, kFirstInGroup | kDisabled),
        Radio(kDataReceptionErrorSecondRadio, SettingChoice(DataReceptionError, 1),
              {174, 64, 50, 10}, kDisabled),

        GroupBox("Character Set", {7, 88, 230, 128}),
        CheckBox(kZeroStyleCheck, SettingName(ZeroStyle), {14, 101, 104, 10}),
        Radio(kZeroStyleFirstRadio, SettingChoice(ZeroStyle, 0), {122, 101, 50, 10},
              kFirstInGroup | kDisabled),
        Radio(kZeroStyleSecondRadio, SettingChoice(ZeroStyle, 1), {174, 101, 56, 10}, kDisabled),
        CheckBox(kInternationalCharactersCheck, SettingName(InternationalCharacters),
                 {14, 119, 104, 10}),
        List(kInternationalCharactersList, ControlKind::DropDownList,
             SettingChoices(InternationalCharacters), {122, 117, 108, 100}, kDisabled | kVScroll),
        CheckBox(kCharacterTableCheck, SettingName(CharacterTable), {14, 137, 104, 10}),
        List(kCharacterTableList, ControlKind::DropDownList, SettingChoices(CharacterTable),
             {122, 135, 108, 120}, kDisabled | kVScroll),
        CheckBox(kRedAndBlackCheck, SettingName(RedAndBlackCommands), {14, 155, 104, 10}),
        // The longest items need the whole width of the group.
        List(kRedAndBlackList, ControlKind::DropDownList, SettingChoices(RedAndBlackCommands),
             {26, 167, 204, 60}, kDisabled),
        CheckBox(kCountrySpecificationCheck, SettingName(CountrySpecification), {14, 185, 104, 10}),
        Radio(kCountrySpecificationFirstRadio, SettingChoice(CountrySpecification, 0),
              {26, 198, 94, 10}, kFirstInGroup | kDisabled),
        Radio(kCountrySpecificationSecondRadio, SettingChoice(CountrySpecification, 1),
              {122, 198, 90, 10}, kDisabled),

        GroupBox("Function Set", {243, 7, 230, 155}),
        CheckBox(kNearEndSwitchCheck, SettingName(NearEndSwitch), {250, 20, 108, 10}),
        List(kNearEndSwitchList, ControlKind::DropDownList, SettingChoices(NearEndSwitch),
             {362, 18, 104, 60}, kDisabled),
        CheckBox(kFfCommandCheck, SettingName(FfCommandFunction), {250, 38, 108, 10}),
        Radio(kFfCommandFirstRadio, SettingChoice(FfCommandFunction, 0), {262, 50, 94, 10},
              kFirstInGroup | kDisabled),
        Radio(kFfCommandSecondRadio, SettingChoice(FfCommandFunction, 1), {362, 50, 94, 10},
              kDisabled),
        CheckBox(kCrCommandCheck, SettingName(CrCommandFunction), {250, 68, 108, 10}),
        List(kCrCommandList, ControlKind::DropDownList, SettingChoices(CrCommandFunction),
             {362, 66, 104, 60}, kDisabled),
        CheckBox(kAutoCutCheck, SettingName(ContextualAutoCut), {250, 86, 110, 10}),
        Radio(kAutoCutFirstRadio, SettingChoice(ContextualAutoCut, 0), {362, 86, 48, 10},
              kFirstInGroup | kDisabled),
        Radio(kAutoCutSecondRadio, SettingChoice(ContextualAutoCut, 1), {414, 86, 48, 10},
              kDisabled),
        CheckBox(kAutomaticStatusCheck, SettingName(AutomaticStatus), {250, 104, 110, 10}),
        Radio(kAutomaticStatusFirstRadio, SettingChoice(AutomaticStatus, 0), {362, 104, 48, 10},
              kFirstInGroup | kDisabled),
        Radio(kAutomaticStatusSecondRadio, SettingChoice(AutomaticStatus, 1), {414, 104, 48, 10},
              kDisabled),
        CheckBox(kEscRsCheck, SettingName(EscRsCommand), {250, 122, 110, 10}),
        Label("Function", {262, 133, 60, 8}),
        Radio(kEscRsFirstRadio, SettingChoice(EscRsCommand, 0), {362, 122, 104, 10},
              kFirstInGroup | kDisabled),
        Radio(kEscRsSecondRadio, SettingChoice(EscRsCommand, 1), {362, 136, 104, 10}, kDisabled),

        CheckBox(kSelectAll, "Select All Item", {7, 226, 80, 10}),
        Button(kPrintStatus, "Print current status of memory switch", {120, 222, 140, 16}),
        Button(kSet, "Set status of memory switch", {266, 222, 120, 16}),
        Button(kClose, "Close", {392, 222, 81, 16}),
    };
    return t;
}

}  // namespace corvane::resources

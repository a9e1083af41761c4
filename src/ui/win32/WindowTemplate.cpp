#include "ui/win32/WindowTemplate.h"

#include "platform/win32/WinApi.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"

namespace corvane::ui::win32 {

using platform::win32::Widen;
using resources::ControlKind;
using resources::ControlTemplate;

namespace {

std::uint32_t TextAlignment(std::uint32_t style, std::uint32_t left, std::uint32_t center,
                            std::uint32_t right) {
    if ((style & resources::kAlignRight) != 0) {
        return right;
    }
    if ((style & resources::kAlignCenter) != 0) {
        return center;
    }
    return left;
}

// A radio group starts at a radio that says so or at one after a control of another kind; every
// other control is a group of its own, so that the arrow keys move only within radio groups.
bool StartsGroup(const resources::DialogTemplate& dialogTemplate, std::size_t index) {
    const ControlTemplate& control = dialogTemplate.controls[index];
    if (control.kind != ControlKind::RadioButton) {
        return true;
    }
    return (control.style & resources::kFirstInGroup) != 0 || index == 0 ||
           dialogTemplate.controls[index - 1].kind != ControlKind::RadioButton;
}

std::uint32_t WindowStyle(std::uint32_t style) {
    std::uint32_t windowStyle = DS_SETFONT | DS_3DLOOK;
    if ((style & resources::kPopup) != 0) {
        windowStyle |= WS_POPUP;
    }
    if ((style & resources::kCaption) != 0) {
        windowStyle |= WS_CAPTION;
    }
    if ((style & resources::kSystemMenu) != 0) {
        windowStyle |= WS_SYSMENU;
    }
    if ((style & resources::kModalFrame) != 0) {
        windowStyle |= DS_MODALFRAME;
    }
    if ((style & resources::kThinBorder) != 0) {
        windowStyle |= WS_BORDER;
    }
    if ((style & resources::kMinimizeBox) != 0) {
        windowStyle |= WS_MINIMIZEBOX;
    }
    return windowStyle;
}

// The face Windows offers for a template's font: "MS Shell Dlg" is how a dialog asks for the
// system's version of MS Sans Serif, which stays sharp at every screen scale.
std::wstring FontFace(const std::string& fontName) {
    if (fontName.empty() || fontName == "MS Sans Serif") {
        return L"MS Shell Dlg";
    }
    return Widen(fontName);
}

class TemplateWriter {
public:
    void Word(std::uint16_t value) { words_.push_back(value); }
    void DWord(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) {
            Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void AlignToDWord() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<std::uint16_t> Take() { return std::move(words_); }

private:
    std::vector<std::uint16_t> words_;
};

}  // namespace

std::wstring LiteralCaption(const std::string& caption) {
    std::wstring literal;
    for (wchar_t c : Widen(caption)) {
        literal.push_back(c);
        if (c == L'&') {
            literal.push_back(L'&');
        }
    }
    return literal;
}

ControlBlueprint BlueprintOf(const resources::DialogTemplate& dialogTemplate, std::size_t index) {
    const ControlTemplate& control = dialogTemplate.controls[index];
    ControlBlueprint blueprint;
    std::uint32_t style = WS_CHILD;
    if ((control.style & resources::kHidden) == 0) {
        style |= WS_VISIBLE;
    }
    if ((control.style & resources::kDisabled) != 0) {
        style |= WS_DISABLED;
    }
    const bool startsGroup = StartsGroup(dialogTemplate, index);
    if (startsGroup) {
        style |= WS_GROUP;
    }
    if ((control.style & resources::kTabStop) != 0) {
        style |= WS_TABSTOP;
    }
    if ((control.style & resources::kBorder) != 0) {
        style |= WS_BORDER;
    }
    std::uint32_t exStyle = 0;
    const bool sunken = (control.style & resources::kSunken) != 0;
    switch (control.kind) {
        case ControlKind::GroupBox:
            blueprint.windowClass = L"Button";
            style |= BS_GROUPBOX;
            blueprint.text = LiteralCaption(control.caption);
            break;
        case ControlKind::Label:
            blueprint.windowClass = L"Static";
            style |= TextAlignment(control.style, SS_LEFT, SS_CENTER, SS_RIGHT) | SS_NOPREFIX;
            style |= sunken ? SS_SUNKEN : 0;
            blueprint.text = Widen(control.caption);
            break;
        case ControlKind::RadioButton:
            blueprint.windowClass = L"Button";
            // The keyboard enters a radio group at its checked radio, through the first one.
            style |= BS_AUTORADIOBUTTON | (startsGroup ? WS_TABSTOP : 0);
            blueprint.text = LiteralCaption(control.caption);
            break;
        case ControlKind::CheckBox:
            blueprint.windowClass = L"Button";
            style |= BS_AUTOCHECKBOX | WS_TABSTOP;
            blueprint.text = LiteralCaption(control.caption);
            break;
        case ControlKind::PushButton:
            blueprint.windowClass = L"Button";
            style |= WS_TABSTOP;
            style |=
                (control.style & resources::kDefaultButton) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            blueprint.text = LiteralCaption(control.caption);
            break;
        case ControlKind::DropDownList:
            blueprint.windowClass = L"ComboBox";
            // The template's height is that of the open list; lists keep the template's order.
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            break;
        case ControlKind::DropDownCombo:
            blueprint.windowClass = L"ComboBox";
            style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
            break;
        case ControlKind::ListBox:
            blueprint.windowClass = L"ListBox";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_TABSTOP;
            style |= (control.style & resources::kVScroll) != 0 ? WS_VSCROLL : 0;
            break;
        case ControlKind::Edit:
            blueprint.windowClass = L"Edit";
            style |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
            style |= TextAlignment(control.style, ES_LEFT, ES_CENTER, ES_RIGHT);
            style |= (control.style & resources::kNumberOnly) != 0 ? ES_NUMBER : 0;
            blueprint.text = Widen(control.caption);
            break;
        case ControlKind::Picture:
            blueprint.windowClass = L"Static";
            style |= SS_BITMAP | SS_CENTERIMAGE | (sunken ? SS_SUNKEN : 0);
            break;
        case ControlKind::ProgressBar:
            blueprint.windowClass = PROGRESS_CLASSW;
            exStyle |= sunken ? WS_EX_CLIENTEDGE : 0;
            break;
    }
    blueprint.style = style;
    blueprint.exStyle = exStyle;
    return blueprint;
}

std::vector<std::uint16_t> BuildWindowTemplate(const resources::DialogTemplate& dialogTemplate) {
    TemplateWriter out;
    out.Word(1);       // extended template, version 1
    out.Word(0xFFFF);  // its signature
    out.DWord(0);      // no help context
    out.DWord((dialogTemplate.style & resources::kAppWindow) != 0 ? WS_EX_APPWINDOW : 0);
    out.DWord(WindowStyle(dialogTemplate.style));
    out.Word(static_cast<std::uint16_t>(dialogTemplate.controls.size()));
    out.Short(0);
    out.Short(0);
    out.Short(dialogTemplate.width);
    out.Short(dialogTemplate.height);
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(Widen(dialogTemplate.caption));
    out.Word(
        static_cast<std::uint16_t>(dialogTemplate.fontPoints > 0 ? dialogTemplate.fontPoints : 8));
    out.Word(FW_NORMAL);
    out.Word(static_cast<std::uint16_t>(DEFAULT_CHARSET << 8));  // not italic; the charset
    out.Text(FontFace(dialogTemplate.fontName));
    for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        const ControlBlueprint blueprint = BlueprintOf(dialogTemplate, i);
        out.AlignToDWord();
        out.DWord(0);  // no help context
        out.DWord(blueprint.exStyle);
        out.DWord(blueprint.style);
        out.Short(control.rect.left);
        out.Short(control.rect.top);
        out.Short(control.rect.width);
        out.Short(control.rect.height);
        out.DWord(static_cast<std::uint32_t>(control.id));
        out.Text(blueprint.windowClass);
        out.Text(blueprint.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}

}  // namespace corvane::ui::win32

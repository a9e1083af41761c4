#pragma once

// Dialog templates, strings and pictures as plain data, free of any toolkit.
//
// A template lists every control of a window with its id, kind, caption or list items, its
// rectangle in dialog units and its style. Hosts build their windows from it; the dialog logic
// only names control ids.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::resources {

// Controls that the dialog logic never addresses (labels, group boxes) share this id.
inline constexpr int kStaticId = -1;

enum class ControlKind {
    GroupBox,
    Label,        // static text
    RadioButton,  // automatic radio button
    CheckBox,     // automatic check box
    PushButton,
    DropDownList,   // combo box whose field cannot be typed in
    DropDownCombo,  // combo box with an editable field
    ListBox,
    Edit,     // single-line edit field
    Picture,  // a bitmap from the picture resources
    ProgressBar,
};

// Style flags of a control.
enum ControlStyle : std::uint32_t {
    kStyleNone = 0,
    kFirstInGroup = 1u << 0,   // starts a radio group (and a tab group)
    kDisabled = 1u << 1,       // created disabled
    kHidden = 1u << 2,         // created hidden
    kDefaultButton = 1u << 3,  // the button Enter presses
    kVScroll = 1u << 4,        // list with a vertical scroll bar
    kAlignLeft = 1u << 5,
    kAlignCenter = 1u << 6,
    kAlignRight = 1u << 7,
    kNumberOnly = 1u << 8,  // edit field that takes digits only
    kTabStop = 1u << 9,
    kSunken = 1u << 10,
    kBorder = 1u << 11,
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id = kStaticId;
    ControlKind kind = ControlKind::Label;
    std::string caption;             // button, label and group captions
    std::vector<std::string> items;  // list items in order; lists are never sorted
    Rect rect;                       // dialog units
    std::uint32_t style = kStyleNone;
    int pictureId = 0;  // for ControlKind::Picture
};

// Style flags of a window.
enum WindowStyle : std::uint32_t {
    kWindowNone = 0,
    kPopup = 1u << 0,
    kCaption = 1u << 1,     // title bar
    kSystemMenu = 1u << 2,  // close box
    kModalFrame = 1u << 3,
    kThinBorder = 1u << 4,
    kAppWindow = 1u << 5,  // own taskbar button
    kMinimizeBox = 1u << 6,
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0;   // dialog units
    int height = 0;  // dialog units
    std::string fontName = "MS Sans Serif";
    int fontPoints = 8;
    std::uint32_t style = kWindowNone;
    std::vector<ControlTemplate> controls;  // in tab order

    const ControlTemplate* Find(int controlId) const;
    // The ids of the radio group that starts at firstId, in order.
    std::vector<int> RadioGroup(int firstId) const;
};

// The template with the given id, or null.
const DialogTemplate* FindTemplate(int templateId);

// The ids of every template there is, in ascending order.
std::vector<int> TemplateIds();

// A string table entry; empty when there is none.
std::string LoadString(int stringId);

// A picture as 8-bit RGB rows, top row first.
struct Picture {
    int id = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
    std::string description;        // what it shows, for screen readers
};

// The picture with the given id, or null.
const Picture* FindPicture(int pictureId);

}  // namespace corvane::resources

#pragma once

// Short builders for the controls of a template, so each template reads like its table.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "product/LineModeSettings.h"
#include "product/SettingLists.h"
#include "resources/DialogTemplate.h"

namespace corvane::resources::build {

inline ControlTemplate Control(int id, ControlKind kind, std::string caption, Rect rect,
                               std::uint32_t style) {
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.caption = std::move(caption);
    c.rect = rect;
    c.style = style;
    return c;
}

inline ControlTemplate GroupBox(std::string caption, Rect rect, std::uint32_t style = kStyleNone) {
    return Control(kStaticId, ControlKind::GroupBox, std::move(caption), rect, style);
}

// Static text; left-aligned unless the style says otherwise.
inline ControlTemplate Label(std::string caption, Rect rect, std::uint32_t style = kAlignLeft,
                             int id = kStaticId) {
    return Control(id, ControlKind::Label, std::move(caption), rect, style);
}

inline ControlTemplate Radio(int id, std::string caption, Rect rect,
                             std::uint32_t style = kStyleNone) {
    return Control(id, ControlKind::RadioButton, std::move(caption), rect, style);
}

inline ControlTemplate CheckBox(int id, std::string caption, Rect rect,
                                std::uint32_t style = kStyleNone) {
    return Control(id, ControlKind::CheckBox, std::move(caption), rect, style);
}

inline ControlTemplate Button(int id, std::string caption, Rect rect,
                              std::uint32_t style = kStyleNone) {
    return Control(id, ControlKind::PushButton, std::move(caption), rect, style);
}

// A drop-down list, editable combo box or list box; the height of a drop-down is the height of
// its open list.
inline ControlTemplate List(int id, ControlKind kind, std::vector<std::string> items, Rect rect,
                            std::uint32_t style = kStyleNone) {
    ControlTemplate c = Control(id, kind, {}, rect, style);
    c.items = std::move(items);
    return c;
}

inline ControlTemplate Edit(int id, Rect rect, std::uint32_t style = kStyleNone) {
    return Control(id, ControlKind::Edit, {}, rect, style);
}

inline ControlTemplate PictureBox(int id, int pictureId, Rect rect,
                                  std::uint32_t style = kStyleNone) {
    ControlTemplate c = Control(id, ControlKind::Picture, {}, rect, style);
    c.pictureId = pictureId;
    return c;
}

inline ControlTemplate Progress(int id, Rect rect, std::uint32_t style = kStyleNone) {
    return Control(id, ControlKind::ProgressBar, {}, rect, style);
}

// A line-mode setting's check box caption, list items and radio captions are the product's texts.
inline std::string SettingName(product::LineModeSetting setting) {
    return std::string(product::LineModeTexts(setting).name);
}

inline std::vector<std::string> SettingChoices(product::LineModeSetting setting) {
    return product::Texts(product::LineModeTexts(setting).choices);
}

inline std::string SettingChoice(product::LineModeSetting setting, std::size_t index) {
    return std::string(product::LineModeTexts(setting).choices[index]);
}

}  // namespace corvane::resources::build

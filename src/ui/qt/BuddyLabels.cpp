#include "ui/qt/BuddyLabels.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace corvane::ui::qt {

using resources::ControlKind;
using resources::ControlTemplate;
using resources::DialogTemplate;

namespace {

// A closed drop-down is one text line high whatever its open list's height.
constexpr int kClosedDropDownHeight = 12;
// How far a label may overlap the control it names, in dialog units.
constexpr int kSlack = 3;
// How far above a control a label may sit and still name it.
constexpr int kMaxGapAbove = 12;

bool CanName(const ControlTemplate& candidate) {
    return (candidate.kind == ControlKind::Label || candidate.kind == ControlKind::CheckBox) &&
           !candidate.caption.empty();
}

// A radio that chooses what a list or field beside it sets names that list or field too.
bool CanNameFromTheLeft(const ControlTemplate& candidate) {
    return CanName(candidate) ||
           (candidate.kind == ControlKind::RadioButton && !candidate.caption.empty());
}

int RowHeight(const ControlTemplate& control) {
    if (control.kind == ControlKind::DropDownList || control.kind == ControlKind::DropDownCombo) {
        return std::min(control.rect.height, kClosedDropDownHeight);
    }
    return control.rect.height;
}

const ControlTemplate* LabelToTheLeft(const DialogTemplate& dialogTemplate,
                                      const ControlTemplate& control,
                                      bool (*canName)(const ControlTemplate&)) {
    const int top = control.rect.top;
    const int bottom = top + RowHeight(control);
    const ControlTemplate* best = nullptr;
    int bestRight = 0;
    int bestDistance = 0;
    for (const auto& candidate : dialogTemplate.controls) {
        if (&candidate == &control || !canName(candidate)) {
            continue;
        }
        const int right = candidate.rect.left + candidate.rect.width;
        const int middle = candidate.rect.top + candidate.rect.height / 2;
        if (candidate.rect.left >= control.rect.left || right > control.rect.left + kSlack ||
            middle < top - kSlack || middle > bottom + kSlack) {
            continue;
        }
        const int distance = std::abs(middle - (top + bottom) / 2);
        if (best == nullptr || right > bestRight ||
            (right == bestRight && distance < bestDistance)) {
            best = &candidate;
            bestRight = right;
            bestDistance = distance;
        }
    }
    return best;
}

const ControlTemplate* LabelAbove(const DialogTemplate& dialogTemplate,
                                  const ControlTemplate& control, int maxGap) {
    const ControlTemplate* best = nullptr;
    int bestGap = 0;
    for (const auto& candidate : dialogTemplate.controls) {
        if (&candidate == &control || !CanName(candidate)) {
            continue;
        }
        const int gap = control.rect.top - (candidate.rect.top + candidate.rect.height);
        const bool overlaps = candidate.rect.left < control.rect.left + control.rect.width &&
                              control.rect.left < candidate.rect.left + candidate.rect.width;
        if (gap < -kSlack || gap > maxGap || !overlaps) {
            continue;
        }
        if (best == nullptr || gap < bestGap) {
            best = &candidate;
            bestGap = gap;
        }
    }
    return best;
}

// The smallest group box with a caption that holds the control.
const ControlTemplate* EnclosingGroup(const DialogTemplate& dialogTemplate,
                                      const ControlTemplate& control) {
    const ControlTemplate* best = nullptr;
    for (const auto& candidate : dialogTemplate.controls) {
        if (candidate.kind != ControlKind::GroupBox || candidate.caption.empty()) {
            continue;
        }
        const auto& outer = candidate.rect;
        const auto& inner = control.rect;
        const bool holds = inner.left >= outer.left && inner.top >= outer.top &&
                           inner.left + inner.width <= outer.left + outer.width &&
                           inner.top + RowHeight(control) <= outer.top + outer.height;
        if (holds && (best == nullptr ||
                      outer.width * outer.height < best->rect.width * best->rect.height)) {
            best = &candidate;
        }
    }
    return best;
}

}  // namespace

const ControlTemplate* FindBuddyLabel(const DialogTemplate& dialogTemplate,
                                      const ControlTemplate& control) {
    if (const ControlTemplate* left = LabelToTheLeft(dialogTemplate, control, CanNameFromTheLeft)) {
        return left;
    }
    if (const ControlTemplate* above = LabelAbove(dialogTemplate, control, kMaxGapAbove)) {
        return above;
    }
    // A list alone in its group, such as the default code page, is named by the group.
    return EnclosingGroup(dialogTemplate, control);
}

std::string AccessibleNameFor(const DialogTemplate& dialogTemplate,
                              const ControlTemplate& control) {
    if (!control.caption.empty()) {
        return control.caption;
    }
    if (control.kind == ControlKind::RadioButton || control.kind == ControlKind::CheckBox) {
        const ControlTemplate* row = LabelToTheLeft(dialogTemplate, control, CanName);
        const ControlTemplate* column = LabelAbove(dialogTemplate, control, INT_MAX);
        std::string name = row != nullptr ? row->caption : std::string();
        if (column != nullptr) {
            name += (name.empty() ? "" : " ") + column->caption;
        }
        return name;
    }
    if (control.kind == ControlKind::Label || control.kind == ControlKind::GroupBox ||
        control.kind == ControlKind::Picture) {
        return {};
    }
    const ControlTemplate* buddy = FindBuddyLabel(dialogTemplate, control);
    return buddy != nullptr ? buddy->caption : std::string();
}

}  // namespace corvane::ui::qt

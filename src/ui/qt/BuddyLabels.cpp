#include "ui/qt/BuddyLabels.h"

#include <algorithm>
#include <cstdlib>

namespace corvane::ui::qt {

using resources::ControlKind;
using resources::ControlTemplate;

namespace {

// A closed drop-down is one text line high whatever its open list's height.
constexpr int kClosedDropDownHeight = 12;
// How far a label may sit from the control it names, in dialog units.
constexpr int kSlack = 3;
constexpr int kMaxGapAbove = 12;

bool CanName(const ControlTemplate& candidate) {
    return (candidate.kind == ControlKind::Label || candidate.kind == ControlKind::CheckBox) &&
           !candidate.caption.empty();
}

int RowHeight(const ControlTemplate& control) {
    if (control.kind == ControlKind::DropDownList || control.kind == ControlKind::DropDownCombo) {
        return std::min(control.rect.height, kClosedDropDownHeight);
    }
    return control.rect.height;
}

}  // namespace

const ControlTemplate* FindBuddyLabel(const resources::DialogTemplate& dialogTemplate,
                                      const ControlTemplate& control) {
    const int top = control.rect.top;
    const int bottom = top + RowHeight(control);
    const ControlTemplate* best = nullptr;
    int bestRight = 0;
    int bestDistance = 0;
    for (const auto& candidate : dialogTemplate.controls) {
        if (&candidate == &control || !CanName(candidate)) {
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
    if (best != nullptr) {
        return best;
    }
    int bestGap = 0;
    for (const auto& candidate : dialogTemplate.controls) {
        if (&candidate == &control || !CanName(candidate)) {
            continue;
        }
        const int gap = top - (candidate.rect.top + candidate.rect.height);
        const bool overlaps = candidate.rect.left < control.rect.left + control.rect.width &&
                              control.rect.left < candidate.rect.left + candidate.rect.width;
        if (gap < -kSlack || gap > kMaxGapAbove || !overlaps) {
            continue;
        }
        if (best == nullptr || gap < bestGap) {
            best = &candidate;
            bestGap = gap;
        }
    }
    return best;
}

}  // namespace corvane::ui::qt

#include "ui/qt/BuddyLabels.h"

#include <gtest/gtest.h>

namespace corvane::ui::qt {
namespace {

using namespace resources;

ControlTemplate Make(int id, ControlKind kind, const char* caption, Rect rect) {
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.caption = caption;
    control.rect = rect;
    return control;
}

TEST(BuddyLabels, AListOrFieldIsNamedByTheLabelCheckBoxOrRadioToItsLeft) {
    DialogTemplate layout;
    layout.width = 300;
    layout.height = 120;
    layout.controls = {
        Make(1, ControlKind::CheckBox, "Paper width", {10, 10, 100, 10}),
        Make(2, ControlKind::DropDownList, "", {112, 8, 80, 60}),
        Make(3, ControlKind::RadioButton, "Custom speed", {10, 30, 100, 10}),
        Make(4, ControlKind::Edit, "", {112, 29, 40, 12}),
        Make(kStaticId, ControlKind::Label, "Timeout", {10, 52, 60, 8}),
        Make(5, ControlKind::Edit, "", {112, 50, 40, 12}),
        // A radio above a list does not name it; only a label or check box there does.
        Make(6, ControlKind::RadioButton, "Other", {200, 70, 60, 10}),
        Make(7, ControlKind::DropDownList, "", {200, 82, 60, 40}),
    };
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[1]), "Paper width");
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[3]), "Custom speed");
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[5]), "Timeout");
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[7]), "");
    EXPECT_EQ(FindBuddyLabel(layout, layout.controls[1]), &layout.controls[0]);
    EXPECT_EQ(FindBuddyLabel(layout, layout.controls[3]), &layout.controls[2]);
}

TEST(BuddyLabels, AGridRadioIsNamedByItsRowHeadNotByACaptionedRadioBesideIt) {
    DialogTemplate layout;
    layout.width = 200;
    layout.height = 60;
    layout.controls = {
        Make(kStaticId, ControlKind::Label, "[A]", {10, 11, 20, 8}),
        Make(1, ControlKind::RadioButton, "Auto", {32, 10, 30, 10}),
        Make(2, ControlKind::RadioButton, "", {66, 10, 12, 10}),
    };
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[2]), "[A]");
}

}  // namespace
}  // namespace corvane::ui::qt

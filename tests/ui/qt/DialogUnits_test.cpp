#include "ui/qt/DialogUnits.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "resources/DialogTemplate.h"
#include "ui/qt/BuddyLabels.h"

namespace corvane::ui::qt {
namespace {

TEST(DialogUnits, ConvertsEachEdgeWithRoundingToTheNearestPixel) {
    const DialogUnits units(6, 13);
    const struct {
        resources::Rect rect;
        QRect pixels;
    } rows[] = {
        {{14, 19, 65, 13}, QRect(21, 31, 98, 21)},  // 30.875 rounds up, 97.5 rounds up
        {{0, 0, 1, 1}, QRect(0, 0, 2, 2)},          // 1.5 and 1.625 round up
        {{350, 185, 0, 0}, QRect(525, 301, 0, 0)},  // 300.625
        {{7, 7, 125, 29}, QRect(11, 11, 188, 47)},  // 10.5, 11.375, 187.5, 47.125
    };
    for (const auto& row : rows) {
        EXPECT_EQ(units.ToPixels(row.rect), row.pixels);
    }
    EXPECT_EQ(units.ToPixels(350, 185), QSize(525, 301));
}

TEST(DialogUnits, BaseUnitsComeFromTheFontsAverageCharacterWidthAndHeight) {
    resources::DialogTemplate layout;
    layout.fontPoints = 8;
    const QFont font = DialogUnits::DialogFont(layout);
    EXPECT_EQ(font.pointSize(), 8);
    const DialogUnits units(font);
    const QFontMetrics metrics(font);
    const double average =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    EXPECT_NEAR(units.BaseX(), average, 0.5 + 1e-9);
    EXPECT_EQ(units.BaseY(), metrics.height());
    // A wider font gives a proportionally wider window.
    QFont larger = font;
    larger.setPointSize(16);
    EXPECT_GT(DialogUnits(larger).ToPixelsX(100), units.ToPixelsX(100));
}

TEST(BuddyLabels, AGridRadioIsNamedByItsRowAndColumnHeads) {
    using namespace resources;
    DialogTemplate layout;
    layout.width = 200;
    layout.height = 100;
    auto add = [&layout](int id, ControlKind kind, const char* caption, Rect rect) {
        ControlTemplate control;
        control.id = id;
        control.kind = kind;
        control.caption = caption;
        control.rect = rect;
        layout.controls.push_back(control);
    };
    add(kStaticId, ControlKind::Label, "-1", {40, 10, 20, 8});
    add(kStaticId, ControlKind::Label, "0", {70, 10, 20, 8});
    add(kStaticId, ControlKind::Label, "[A]", {10, 31, 20, 8});
    add(kStaticId, ControlKind::Label, "[B]", {10, 51, 20, 8});
    add(1, ControlKind::RadioButton, "", {45, 30, 12, 10});
    add(2, ControlKind::RadioButton, "", {75, 50, 12, 10});
    add(3, ControlKind::DropDownList, "", {40, 70, 40, 60});
    add(kStaticId, ControlKind::Label, "Speed", {10, 72, 28, 8});
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[4]), "[A] -1");
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[5]), "[B] 0");
    EXPECT_EQ(AccessibleNameFor(layout, layout.controls[6]), "Speed");
}

}  // namespace
}  // namespace corvane::ui::qt

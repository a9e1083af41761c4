#include "ui/qt/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

namespace corvane::ui::qt {

namespace {

// Rounds a * b / c to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width over both alphabets, rounded, as the dialog manager measures it.
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabetWidth / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ < 1) {
        baseX_ = 1;
    }
    if (baseY_ < 1) {
        baseY_ = 1;
    }
}

QFont DialogUnits::DialogFont(const resources::DialogTemplate& dialogTemplate) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.fontPoints > 0 ? dialogTemplate.fontPoints : 8);
    return font;
}

int DialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, baseX_, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, baseY_, 8);
}

QRect DialogUnits::ToPixels(const resources::Rect& rect) const {
    return {ToPixelsX(rect.left), ToPixelsY(rect.top), ToPixelsX(rect.width),
            ToPixelsY(rect.height)};
}

QSize DialogUnits::ToPixels(int width, int height) const {
    return {ToPixelsX(width), ToPixelsY(height)};
}

}  // namespace corvane::ui::qt

#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "resources/DialogTemplate.h"

namespace corvane::ui::qt {

// Converts template dialog units to pixels with the base units of the dialog's font, as the
// templates were laid out: a horizontal unit is a quarter of the font's average character width,
// a vertical unit an eighth of its character height.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY);
    explicit DialogUnits(const QFont& font);

    // The font a template's window uses: the desktop's sans-serif font at the template's size,
    // since the template's own face does not exist on this system.
    static QFont DialogFont(const resources::DialogTemplate& dialogTemplate);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(const resources::Rect& rect) const;
    QSize ToPixels(int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

}  // namespace corvane::ui::qt

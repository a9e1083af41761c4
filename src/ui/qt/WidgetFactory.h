#pragma once

#include <QFont>
#include <Qt>
#include <cstdint>

#include "resources/DialogTemplate.h"
#include "ui/qt/DialogUnits.h"

class QWidget;

namespace corvane::ui::qt {

// The window flags a dialog template's style asks for: caption, system menu, minimise box.
Qt::WindowFlags WindowFlags(std::uint32_t style);

// A widget in window for one control of a template: at its rectangle, with its caption, items
// and style, its caption in a slightly smaller font where the desktop font would cut it off.
// It reports nothing yet; null for a kind the host does not build.
QWidget* BuildWidget(const resources::ControlTemplate& layout, const DialogUnits& units,
                     const QFont& font, QWidget* window);

}  // namespace corvane::ui::qt

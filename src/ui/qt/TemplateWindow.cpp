#include "ui/qt/TemplateWindow.h"

#include <QKeyEvent>
#include <QPainter>

namespace corvane::ui::qt {

TemplateWindow::TemplateWindow(QWidget* parent) : QDialog(parent) {}

void TemplateWindow::reject() {
    if (cancelHandler_) {
        cancelHandler_();
    } else {
        QDialog::reject();
    }
}

void TemplateWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        if (enterHandler_) {
            enterHandler_();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TemplateWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (drawBorder_) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace corvane::ui::qt

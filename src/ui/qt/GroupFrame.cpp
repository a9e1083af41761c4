#include "ui/qt/GroupFrame.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace corvane::ui::qt {

GroupFrame::GroupFrame(const QString& caption, int titleIndent, QWidget* parent)
    : QGroupBox(parent), titleIndent_(titleIndent) {
    setFocusPolicy(Qt::NoFocus);
    SetCaption(caption);
}

void GroupFrame::SetCaption(const QString& caption) {
    caption_ = caption;
    // The title as a group box keeps it, for screen readers; ampersands stay literal.
    setTitle(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    update();
}

void GroupFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    const QRect frame = rect().adjusted(0, top, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    if (caption_.isEmpty()) {
        return;
    }
    const int textWidth =
        std::min(metrics.horizontalAdvance(caption_) + 4, std::max(0, width() - titleIndent_ - 2));
    const QRect textRect(titleIndent_, 0, textWidth, metrics.height());
    painter.fillRect(textRect, palette().brush(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

}  // namespace corvane::ui::qt

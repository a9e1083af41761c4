#pragma once

#include <QGroupBox>
#include <QString>

class QPaintEvent;

namespace corvane::ui::qt {

// A group box drawn as the templates were laid out for: an etched frame whose top line runs
// through the middle of the title, the title shown literally. Its controls are its siblings.
class GroupFrame final : public QGroupBox {
public:
    GroupFrame(const QString& caption, int titleIndent, QWidget* parent);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int titleIndent_;
};

}  // namespace corvane::ui::qt

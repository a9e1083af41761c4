#pragma once

#include <functional>

#include <QDialog>

class QKeyEvent;
class QPaintEvent;

namespace corvane::ui::qt {

// The window a template becomes. It hands Escape, the close box and Enter to its host, which
// decides with the dialog logic whether and how the window ends.
class TemplateWindow final : public QDialog {
public:
    explicit TemplateWindow(QWidget* parent);

    // Escape and the close box.
    void SetCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
    // Enter pressed where no focused button takes it.
    void SetEnterHandler(std::function<void()> handler) { enterHandler_ = std::move(handler); }
    // A captionless window draws its own thin border.
    void SetDrawBorder(bool drawBorder) { drawBorder_ = drawBorder; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> cancelHandler_;
    std::function<void()> enterHandler_;
    bool drawBorder_ = false;
};

}  // namespace corvane::ui::qt

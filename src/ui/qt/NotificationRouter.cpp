#include "ui/qt/NotificationRouter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

#include "ui/qt/ControlSet.h"
#include "ui/qt/ExchangeWait.h"
#include "ui/qt/QtDialogHost.h"
#include "ui/qt/TemplateWindow.h"

namespace corvane::ui::qt {

using resources::ControlKind;

namespace {

// Controls whose losing the focus the dialog logic hears of.
bool ReportsFocusLoss(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::DropDownList ||
           kind == ControlKind::DropDownCombo || kind == ControlKind::ListBox;
}

}  // namespace

NotificationRouter::NotificationRouter(QtDialogHost& host, TemplateWindow& window,
                                       const ControlSet& controls, std::shared_ptr<WindowLife> life)
    : host_(host),
      window_(window),
      controls_(controls),
      life_(std::move(life)),
      toggleTimer_(new QTimer(&window)) {
    window_.SetCancelHandler([this] { Cancel(); });
    window_.SetEnterHandler([this] { PressEnter(); });
    toggleTimer_->setSingleShot(true);
    toggleTimer_->setInterval(0);
    connections_.push_back(
        QObject::connect(toggleTimer_, &QTimer::timeout, &window_, [this] { DeliverToggle(); }));
    for (const auto& [layout, widget] : controls_.Built()) {
        Wire(*layout, widget);
    }
    connections_.push_back(
        QObject::connect(qApp, &QApplication::focusChanged, &window_,
                         [this](QWidget* old, QWidget* now) { FocusChanged(old, now); }));
}

NotificationRouter::~NotificationRouter() {
    DropPendingToggles();
    for (auto& connection : connections_) {
        QObject::disconnect(connection);
    }
    window_.SetCancelHandler({});
    window_.SetEnterHandler({});
}

void NotificationRouter::DropPendingToggles() {
    toggleTimer_->stop();
    pendingToggles_.clear();
}

void NotificationRouter::Wire(const resources::ControlTemplate& layout, QWidget* widget) {
    const ControlId id = layout.id;
    auto notifier = [this, id](Notification notification) {
        return [this, id, notification] { Notify(id, notification); };
    };
    switch (layout.kind) {
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
            WatchCheck(static_cast<QAbstractButton*>(widget), id);
            break;
        case ControlKind::PushButton:
            WatchPush(static_cast<QAbstractButton*>(widget), id);
            break;
        case ControlKind::DropDownList:
        case ControlKind::DropDownCombo: {
            auto* combo = static_cast<QComboBox*>(widget);
            if (layout.kind == ControlKind::DropDownCombo) {
                connections_.push_back(QObject::connect(combo->lineEdit(), &QLineEdit::textEdited,
                                                        combo,
                                                        notifier(Notification::TextChanged)));
            }
            // Only the user's choice is a selection change; the logic's own changes are not.
            connections_.push_back(QObject::connect(combo, &QComboBox::activated, combo,
                                                    notifier(Notification::SelectionChanged)));
            break;
        }
        case ControlKind::ListBox:
            // Programmatic changes block the list's signals, so this hears only the user.
            connections_.push_back(QObject::connect(static_cast<QListWidget*>(widget),
                                                    &QListWidget::currentRowChanged, widget,
                                                    notifier(Notification::SelectionChanged)));
            break;
        case ControlKind::Edit:
            connections_.push_back(QObject::connect(static_cast<QLineEdit*>(widget),
                                                    &QLineEdit::textEdited, widget,
                                                    notifier(Notification::TextChanged)));
            break;
        case ControlKind::GroupBox:
        case ControlKind::Label:
        case ControlKind::Picture:
        case ControlKind::ProgressBar:
            break;
    }
}

void NotificationRouter::WatchPush(QAbstractButton* button, ControlId id) {
    // An assistive tool's press clicks the button a moment later, when the wait may be over.
    connections_.push_back(QObject::connect(button, &QAbstractButton::pressed, button, [this, id] {
        if (ExchangeWait::Delivering()) {
            pressedInWait_.push_back(id);
        }
    }));
    connections_.push_back(QObject::connect(button, &QAbstractButton::clicked, button, [this, id] {
        if (auto found = std::find(pressedInWait_.begin(), pressedInWait_.end(), id);
            found != pressedInWait_.end()) {
            pressedInWait_.erase(found);
            return;
        }
        Notify(id, Notification::Clicked);
    }));
}

void NotificationRouter::WatchCheck(QAbstractButton* button, ControlId id) {
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    // An assistive tool's toggle action changes the check without a click; the logic hears of
    // it as a click all the same, unless the click that follows the change claims it.
    connections_.push_back(QObject::connect(
        button, &QAbstractButton::toggled, button, [this, button, id, radio](bool checked) {
            if (undoingToggle_) {
                return;
            }
            if (ExchangeWait::Delivering()) {
                UndoToggle(button, radio, checked);
                return;
            }
            // A radio that lost its check to another is not what the user chose.
            if (controls_.SettingCheck() || (radio && !checked) || host_.Ended()) {
                return;
            }
            pendingToggles_.push_back(id);
            toggleTimer_->start();
        }));
    connections_.push_back(QObject::connect(button, &QAbstractButton::clicked, button, [this, id] {
        if (!pendingToggles_.empty() && pendingToggles_.back() == id) {
            pendingToggles_.pop_back();
        }
        Notify(id, Notification::Clicked);
    }));
}

void NotificationRouter::UndoToggle(QAbstractButton* button, bool radio, bool checked) {
    undoingToggle_ = true;
    if (!radio) {
        button->setChecked(!checked);
    } else if (!checked) {
        // The radio that loses its check hears of it before the one that takes it.
        uncheckedRadio_ = button;
    } else if (uncheckedRadio_) {
        uncheckedRadio_->setChecked(true);
        uncheckedRadio_.clear();
    } else if (QButtonGroup* group = button->group()) {
        // No radio of the group was checked before, and an exclusive group keeps its last one.
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    }
    undoingToggle_ = false;
}

void NotificationRouter::DeliverToggle() {
    if (pendingToggles_.empty()) {
        return;
    }
    if (ExchangeWait::Delivering()) {
        toggleTimer_->start();
        return;
    }
    const ControlId id = pendingToggles_.front();
    pendingToggles_.erase(pendingToggles_.begin());
    const HandlerScope scope(life_);
    Notify(id, Notification::Clicked);
    // The logic may have closed this window; the next change waits until its handler returned.
    if (scope.WindowAlive() && !pendingToggles_.empty()) {
        toggleTimer_->start();
    }
}

void NotificationRouter::FocusChanged(QWidget* old, QWidget* now) {
    // Focus moving to another window or into a control's own popup is no loss.
    if (old == nullptr || now == nullptr || now->window() != &window_ || host_.Ended()) {
        return;
    }
    for (QWidget* w = old; w != nullptr && w != &window_; w = w->parentWidget()) {
        const std::optional<ControlId> id = controls_.IdOf(w);
        if (!id) {
            continue;
        }
        const resources::ControlTemplate* layout = controls_.Layout(*id);
        if (layout == nullptr || !ReportsFocusLoss(layout->kind) || w->isAncestorOf(now)) {
            return;
        }
        Notify(*id, Notification::FocusLost);
        return;
    }
}

void NotificationRouter::Notify(ControlId id, Notification notification) {
    if (ExchangeWait::Delivering()) {
        return;
    }
    const HandlerScope scope(life_);
    Dialog& dialog = host_.GetDialog();
    if (host_.Ended() || !dialog.HasWindow() || &dialog.Host() != &host_) {
        return;
    }
    // The handler may close this very window; nothing here runs after it.
    dialog.OnCommand(id, notification);
}

void NotificationRouter::PressEnter() {
    if (ExchangeWait::Delivering()) {
        return;
    }
    const HandlerScope scope(life_);
    if (host_.Ended()) {
        return;
    }
    Dialog& dialog = host_.GetDialog();
    for (const auto& layout : dialog.Template().controls) {
        if ((layout.style & resources::kDefaultButton) == 0) {
            continue;
        }
        // A disabled or hidden default button ignores Enter, as it would a click.
        auto* button = qobject_cast<QPushButton*>(controls_.Widget(layout.id));
        if (button != nullptr && button->isEnabled() && !button->isHidden()) {
            button->click();
        }
        return;
    }
    dialog.OnOk();
}

void NotificationRouter::Cancel() {
    if (ExchangeWait::Delivering()) {
        return;
    }
    const HandlerScope scope(life_);
    if (!host_.Ended()) {
        host_.GetDialog().OnCancel();
    }
}

}  // namespace corvane::ui::qt

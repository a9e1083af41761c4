#pragma once

#include <memory>
#include <vector>

#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"
#include "ui/qt/HandlerScope.h"

#include <QMetaObject>
#include <QPointer>

class QAbstractButton;
class QTimer;
class QWidget;

namespace corvane::ui::qt {

class ControlSet;
class QtDialogHost;
class TemplateWindow;

// Turns what a person does in a window into notifications for its dialog logic: clicks, choices
// in lists, typing, focus leaving a field or list, Enter and Escape, and an assistive tool's
// toggle of a check box or radio, which is reported as a click once the window runs again.
// Nothing reaches the logic once the window has ended or its dialog has left it, nor while the
// window waits for the printer: an assistive tool's press made then is dropped, and its toggle
// undone.
class NotificationRouter {
public:
    NotificationRouter(QtDialogHost& host, TemplateWindow& window, const ControlSet& controls,
                       std::shared_ptr<WindowLife> life);
    // Stops listening to the window: nothing of it reaches the logic any more.
    ~NotificationRouter();

    NotificationRouter(const NotificationRouter&) = delete;
    NotificationRouter& operator=(const NotificationRouter&) = delete;

    // Forgets toggles not yet reported, as a window that ends reports nothing more.
    void DropPendingToggles();

private:
    void Wire(const resources::ControlTemplate& layout, QWidget* widget);
    void WatchPush(QAbstractButton* button, ControlId id);
    void WatchCheck(QAbstractButton* button, ControlId id);
    void UndoToggle(QAbstractButton* button, bool radio, bool checked);
    void DeliverToggle();
    void FocusChanged(QWidget* old, QWidget* now);
    void Notify(ControlId id, Notification notification);
    void PressEnter();
    void Cancel();

    QtDialogHost& host_;
    TemplateWindow& window_;
    const ControlSet& controls_;
    std::shared_ptr<WindowLife> life_;
    std::vector<QMetaObject::Connection> connections_;
    // Check boxes and radios whose check changed without a click, in order, still to be reported.
    std::vector<ControlId> pendingToggles_;
    QTimer* toggleTimer_;
    // Buttons pressed by an assistive tool during a wait, whose click that follows is dropped.
    std::vector<ControlId> pressedInWait_;
    // The radio that a toggle during a wait took the check from, to give it back.
    QPointer<QAbstractButton> uncheckedRadio_;
    bool undoingToggle_ = false;
};

}  // namespace corvane::ui::qt

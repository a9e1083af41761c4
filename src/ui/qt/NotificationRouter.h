#pragma once

#include <memory>
#include <vector>

#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"
#include "ui/qt/HandlerScope.h"

#include <QMetaObject>

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
// Nothing reaches the logic once the window has ended or its dialog has left it.
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
    void WatchCheck(QAbstractButton* button, ControlId id);
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
};

}  // namespace corvane::ui::qt

#include "ui/qt/ApplicationServices.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cstdint>

#include "ui/qt/ExchangeWait.h"
#include "ui/qt/ProgramEnd.h"
#include "ui/qt/QtDialogHost.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TemplateWindow.h"

namespace corvane::ui::qt {

namespace {

QString FilterText(const FileFilter& filter) {
    QString pattern = ToQString(filter.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    QString description = ToQString(filter.description);
    if (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))) {
        return description;
    }
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

}  // namespace

ApplicationServices::ApplicationServices(QtDialogHost& host, TemplateWindow& window,
                                         std::shared_ptr<WindowLife> life)
    : host_(host), window_(window), life_(std::move(life)) {}

ApplicationServices::~ApplicationServices() {
    CloseAllModeless();
    StopTimers();
}

void ApplicationServices::MessageBox(const std::string& text, const std::string& caption,
                                     Icon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation) {
        boxIcon = QMessageBox::Warning;
    } else if (icon == Icon::Information) {
        boxIcon = QMessageBox::Information;
    }
    const QString title =
        caption.empty() ? QGuiApplication::applicationDisplayName() : ToQString(caption);
    QString body = ToQString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QPointer<QWidget> focus = window_.focusWidget();
    const HandlerScope scope(life_);
    {
        QMessageBox box(boxIcon, title, body, QMessageBox::Ok, &window_);
        box.setTextFormat(Qt::PlainText);
        RunModalLoop(box);
    }
    if (scope.WindowAlive()) {
        ReturnFocus(focus);
    }
}

std::optional<std::string> ApplicationServices::FileDialog(bool save,
                                                           const FileDialogRequest& request) {
    QFileDialog dialog(&window_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A save asks before it overwrites; an open takes only a file that exists.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(FilterText(request.filter));
    if (!request.title.empty()) {
        dialog.setWindowTitle(ToQString(request.title));
    }
    if (!request.initialName.empty()) {
        dialog.selectFile(ToQString(request.initialName));
    }
    QString suffix = ToQString(request.defaultExtension);
    while (suffix.startsWith(QLatin1Char('.'))) {
        suffix.remove(0, 1);
    }
    if (!suffix.isEmpty()) {
        dialog.setDefaultSuffix(suffix);
    }
    const QPointer<QWidget> focus = window_.focusWidget();
    const HandlerScope scope(life_);
    const bool accepted = RunModalLoop(dialog) == QDialog::Accepted;
    if (scope.WindowAlive()) {
        ReturnFocus(focus);
    }
    if (!accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void ApplicationServices::SetTimer(int timerId, std::chrono::milliseconds interval) {
    QTimer*& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer(&window_);
        QObject::connect(timer, &QTimer::timeout, &window_, [this, timerId] {
            Dialog& dialog = host_.GetDialog();
            // A tick while the window waits for the printer is lost, as a click would be.
            if (host_.Ended() || !dialog.HasWindow() || ExchangeWait::Delivering()) {
                return;
            }
            const HandlerScope scope(life_);
            dialog.OnTimer(timerId);
        });
    }
    timer->start(static_cast<int>(std::clamp<long long>(interval.count(), 0, INT32_MAX)));
}

void ApplicationServices::KillTimer(int timerId) {
    auto found = timers_.find(timerId);
    if (found != timers_.end()) {
        found->second->stop();
    }
}

void ApplicationServices::StopTimers() {
    for (auto& [id, timer] : timers_) {
        timer->stop();
        QObject::disconnect(timer, nullptr, &window_, nullptr);
    }
    timers_.clear();
}

int ApplicationServices::RunModal(Dialog& child) {
    // A program that is ending opens no more windows.
    if (ProgramEnding()) {
        return kIdCancel;
    }
    const QPointer<QWidget> focus = window_.focusWidget();
    const HandlerScope scope(life_);
    int result = kIdCancel;
    {
        QtDialogHost childHost(child, &window_, &host_);
        result = childHost.Exec();
    }
    if (scope.WindowAlive()) {
        ReturnFocus(focus);
    }
    return result;
}

void ApplicationServices::ShowModeless(Dialog& child) {
    modeless_.erase(&child);
    if (ProgramEnding()) {
        return;
    }
    auto host = std::make_unique<QtDialogHost>(child, nullptr, &host_);
    host->Show();
    modeless_[&child] = std::move(host);
}

void ApplicationServices::CloseModeless(Dialog& child) {
    modeless_.erase(&child);
}

void ApplicationServices::CloseAllModeless() {
    modeless_.clear();
}

QtDialogHost* ApplicationServices::ModelessHost(const Dialog& child) const {
    auto found = modeless_.find(&child);
    return found == modeless_.end() ? nullptr : found->second.get();
}

void ApplicationServices::Repaint() {
    // Paints now, without running the event loop: no timer or click may cut into an exchange.
    if (window_.isVisible()) {
        window_.repaint();
    }
}

void ApplicationServices::ReturnFocus(QWidget* focusBefore) {
    // A window manager gives the owner of a closed dialog the focus back; bare X leaves it
    // nowhere, and the keyboard would reach no window.
    if (host_.Ended() || !window_.isVisible()) {
        return;
    }
    // While a modal window that this one opened is still up, input goes only to that window.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        bool blocked = true;
        for (const QWidget* w = &window_; w != nullptr; w = w->parentWidget()) {
            blocked = blocked && w != modal;
        }
        if (blocked) {
            modal->raise();
            modal->activateWindow();
            return;
        }
    }
    window_.raise();
    window_.activateWindow();
    auto usable = [this](const QWidget* widget) {
        return widget != nullptr && widget->window() == &window_ && widget->isEnabled() &&
               widget->isVisible();
    };
    QWidget* focus = window_.focusWidget();
    if (!usable(focus)) {
        focus = focusBefore;
    }
    if (usable(focus)) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

}  // namespace corvane::ui::qt

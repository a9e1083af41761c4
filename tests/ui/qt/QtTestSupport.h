#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "ui/Dialog.h"
#include "ui/DialogHost.h"

namespace corvane::ui::qt::test {

// A dialog that records what its window tells it.
class RecordingDialog : public Dialog {
public:
    using Dialog::Dialog;

    std::vector<std::pair<ControlId, Notification>> commands;
    std::vector<int> timers;
    int cancels = 0;
    int oks = 0;
    int destroyed = 0;
    std::function<void()> onInit;
    std::function<void(ControlId, Notification)> onCommand;
    std::function<void(int)> onTimer;

    bool OnInitDialog() override {
        if (onInit) {
            onInit();
        }
        return Dialog::OnInitDialog();
    }
    void OnCommand(ControlId id, Notification notification) override {
        commands.emplace_back(id, notification);
        if (onCommand) {
            onCommand(id, notification);
        }
    }
    void OnTimer(int timerId) override {
        timers.push_back(timerId);
        if (onTimer) {
            onTimer(timerId);
        }
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    void OnOk() override {
        ++oks;
        Host().EndDialog(kIdOk);
    }
    void OnDestroy() override { ++destroyed; }

    bool Heard(ControlId id, Notification notification) const {
        return Times(id, notification) > 0;
    }
    int Times(ControlId id, Notification notification) const {
        int times = 0;
        for (const auto& command : commands) {
            if (command.first == id && command.second == notification) {
                ++times;
            }
        }
        return times;
    }
};

// Runs action on the next modal window as soon as it is up. A modal window that never comes
// would block the test, so after a few seconds every modal window is closed and the miss is
// reported through missed.
inline void WhenModal(std::function<void(QWidget*)> action, bool* missed = nullptr) {
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, action, missed] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        if (++*ticks > 1000) {
            timer->stop();
            timer->deleteLater();
            if (missed != nullptr) {
                *missed = true;
            }
        }
    });
    timer->start();
}

}  // namespace corvane::ui::qt::test

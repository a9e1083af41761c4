#pragma once

#include <memory>
#include <optional>
#include <string>

#include "resources/DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"
#include "ui/qt/ApplicationServices.h"
#include "ui/qt/ControlSet.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/HandlerScope.h"
#include "ui/qt/NotificationRouter.h"

#include <QFont>

class QWidget;

namespace corvane::ui::qt {

class TemplateWindow;

// A real window for a dialog: built from the dialog's template with every control at its
// rectangle, it routes the user's actions to the dialog logic as notifications and carries out
// the logic's requests on the widgets.
class QtDialogHost final : public DialogHost {
public:
    // Builds the window, attaches itself to the dialog and runs the dialog's initialisation.
    // parent is the Qt parent window (null for a window of its own); owner is the host over
    // which CenterWindow centres a window that has no parent.
    QtDialogHost(Dialog& dialog, QWidget* parent, const QtDialogHost* owner = nullptr);
    ~QtDialogHost() override;

    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    // Runs the window modally until the dialog ends itself; returns the result it ended with.
    int Exec();
    // Shows the window without a modal loop.
    void Show();

    Dialog& GetDialog() const { return dialog_; }
    QWidget* Window() const;
    // The widget of a control, or null.
    QWidget* Control(ControlId id) const { return controls_.Widget(id); }
    const DialogUnits& Units() const { return units_; }
    bool Ended() const { return result_.has_value(); }
    bool Topmost() const;
    // The host of a modeless child that is open, or null.
    QtDialogHost* ModelessHost(const Dialog& child) const { return services_->ModelessHost(child); }

    // DialogHost
    void EnableControl(ControlId id, bool enable) override { controls_.Enable(id, enable); }
    bool IsControlEnabled(ControlId id) const override { return controls_.IsEnabled(id); }
    void ShowControl(ControlId id, bool show) override { controls_.Show(id, show); }
    bool IsControlVisible(ControlId id) const override { return controls_.IsVisible(id); }
    void SetControlText(ControlId id, const std::string& text) override {
        controls_.SetText(id, text);
    }
    std::string ControlText(ControlId id) const override { return controls_.Text(id); }
    void SetCheck(ControlId id, bool checked) override { controls_.SetCheck(id, checked); }
    bool IsChecked(ControlId id) const override { return controls_.IsChecked(id); }
    void ClearItems(ControlId id) override { controls_.ClearItems(id); }
    void AddItem(ControlId id, const std::string& text) override { controls_.AddItem(id, text); }
    int ItemCount(ControlId id) const override { return controls_.ItemCount(id); }
    std::string ItemText(ControlId id, int index) const override {
        return controls_.ItemText(id, index);
    }
    void SetSelection(ControlId id, int index) override { controls_.SetSelection(id, index); }
    int Selection(ControlId id) const override { return controls_.Selection(id); }
    void SetProgressRange(ControlId id, int low, int high) override {
        controls_.SetProgressRange(id, low, high);
    }
    void SetProgress(ControlId id, int position) override { controls_.SetProgress(id, position); }
    int Progress(ControlId id) const override { return controls_.Progress(id); }
    void SetWindowTitle(const std::string& title) override;
    std::string WindowTitle() const override;
    void SetTopmost(bool topmost) override;
    void CenterWindow() override;
    void SetFocus(ControlId id) override;
    void EndDialog(int result) override;
    void MessageBox(const std::string& text, const std::string& caption, Icon icon) override {
        services_->MessageBox(text, caption, icon);
    }
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
        return services_->FileDialog(false, request);
    }
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override {
        return services_->FileDialog(true, request);
    }
    void SetTimer(int timerId, std::chrono::milliseconds interval) override {
        services_->SetTimer(timerId, interval);
    }
    void KillTimer(int timerId) override { services_->KillTimer(timerId); }
    int RunModal(Dialog& child) override { return services_->RunModal(child); }
    void ShowModeless(Dialog& child) override { services_->ShowModeless(child); }
    void CloseModeless(Dialog& child) override { services_->CloseModeless(child); }
    void Repaint() override { services_->Repaint(); }
    void QuitProgram(int exitCode) override;

private:
    // Ends this window because the program ends: no timer, toggle or notification reaches its
    // logic any more.
    void EndForQuit();

    Dialog& dialog_;
    const resources::DialogTemplate& template_;
    const QtDialogHost* owner_;
    QFont font_;
    DialogUnits units_;
    // Shared with the handlers that run in this window, which may outlive it.
    std::shared_ptr<WindowLife> life_ = std::make_shared<WindowLife>();
    TemplateWindow* window_;  // owned by its Qt parent, or deleted with this host
    ControlSet controls_;
    std::unique_ptr<NotificationRouter> router_;
    std::unique_ptr<ApplicationServices> services_;
    std::optional<int> result_;
};

}  // namespace corvane::ui::qt

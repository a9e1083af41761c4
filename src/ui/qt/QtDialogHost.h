#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"
#include "ui/qt/DialogUnits.h"

#include <QFont>
#include <QMetaObject>

class QAbstractButton;
class QButtonGroup;
class QTimer;
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
    QWidget* Control(ControlId id) const;
    const DialogUnits& Units() const { return units_; }
    bool Ended() const { return result_.has_value(); }
    bool Topmost() const;
    // The host of a modeless child that is open, or null.
    QtDialogHost* ModelessHost(const Dialog& child) const;

    // DialogHost
    void EnableControl(ControlId id, bool enable) override;
    bool IsControlEnabled(ControlId id) const override;
    void ShowControl(ControlId id, bool show) override;
    bool IsControlVisible(ControlId id) const override;
    void SetControlText(ControlId id, const std::string& text) override;
    std::string ControlText(ControlId id) const override;
    void SetCheck(ControlId id, bool checked) override;
    bool IsChecked(ControlId id) const override;
    void ClearItems(ControlId id) override;
    void AddItem(ControlId id, const std::string& text) override;
    int ItemCount(ControlId id) const override;
    std::string ItemText(ControlId id, int index) const override;
    void SetSelection(ControlId id, int index) override;
    int Selection(ControlId id) const override;
    void SetProgressRange(ControlId id, int low, int high) override;
    void SetProgress(ControlId id, int position) override;
    int Progress(ControlId id) const override;
    void SetWindowTitle(const std::string& title) override;
    std::string WindowTitle() const override;
    void SetTopmost(bool topmost) override;
    void CenterWindow() override;
    void SetFocus(ControlId id) override;
    void EndDialog(int result) override;
    void MessageBox(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> OpenFileDialog(const FileFilter& filter,
                                              const std::string& defaultExtension) override;
    std::optional<std::string> SaveFileDialog(const FileFilter& filter,
                                              const std::string& defaultExtension) override;
    void SetTimer(int timerId, std::chrono::milliseconds interval) override;
    void KillTimer(int timerId) override;
    int RunModal(Dialog& child) override;
    void ShowModeless(Dialog& child) override;
    void CloseModeless(Dialog& child) override;
    void Repaint() override;
    void QuitProgram(int exitCode) override;

private:
    struct ControlEntry {
        const resources::ControlTemplate* layout = nullptr;
        QWidget* widget = nullptr;
        std::string text;  // the caption as given, before any escaping for display
    };

    void BuildWindow();
    QWidget* BuildControl(const resources::ControlTemplate& layout);
    void BuildRadioGroups();
    void NameControls();
    void WatchCheck(QAbstractButton* button, ControlId id);
    void DeliverToggle();
    void ReturnFocus(QWidget* focusBefore);
    void Notify(ControlId id, Notification notification);
    void PressEnter();
    void Cancel();
    std::optional<std::string> FileDialog(bool save, const FileFilter& filter,
                                          const std::string& defaultExtension);
    const ControlEntry* Find(ControlId id) const;
    ControlEntry* Find(ControlId id);

    Dialog& dialog_;
    const resources::DialogTemplate& template_;
    const QtDialogHost* owner_;
    QFont font_;
    DialogUnits units_;
    TemplateWindow* window_;  // owned by its Qt parent, or deleted with this host
    std::vector<std::pair<const resources::ControlTemplate*, QWidget*>> built_;  // in tab order
    std::map<ControlId, ControlEntry> controls_;
    std::map<const QWidget*, ControlId> widgetIds_;
    std::vector<QMetaObject::Connection> connections_;
    // How many of this window's handlers are running; shared with the handlers themselves.
    std::shared_ptr<int> depth_ = std::make_shared<int>(0);
    std::vector<QButtonGroup*> radioGroups_;
    // Lists and fields named after a check box, radio or label with an id, by that control.
    std::vector<std::pair<const resources::ControlTemplate*, QWidget*>> namedByControl_;
    // Check boxes and radios whose check changed without a click, in order, still to be reported.
    std::vector<ControlId> pendingToggles_;
    QTimer* toggleTimer_ = nullptr;
    // True while the host itself sets a check, which the logic asked for and need not hear of.
    bool settingCheck_ = false;
    // False once this host is gone; a modal loop it ran may outlive it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::map<int, QTimer*> timers_;
    std::map<const Dialog*, std::unique_ptr<QtDialogHost>> modeless_;
    std::optional<int> result_;
    bool running_ = false;
};

}  // namespace corvane::ui::qt

#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Dialog.h"
#include "ui/DialogHost.h"

namespace corvane::ui {

// A window kept in memory: every control's state from the dialog's template, changed by the
// logic through the host interface and by a test through the user actions below. Message boxes
// are recorded and answered OK, file dialogs are answered from a script, and a child dialog is
// handed to a callback that drives it while it is "open".
class HeadlessHost final : public DialogHost {
public:
    struct ControlState {
        resources::ControlKind kind = resources::ControlKind::Label;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        std::string text;
        std::vector<std::string> items;
        int selection = -1;
        int progressLow = 0;
        int progressHigh = 100;
        int progress = 0;
    };

    struct Message {
        std::string text;
        std::string caption;
        Icon icon = Icon::None;
    };

    // Drives a child dialog while it is open; returns nothing, the child ends itself or stays.
    using ModalDriver = std::function<void(Dialog& child, HeadlessHost& childHost)>;

    // Shared by a window and the child windows it opens, so a test sees every box and timer.
    struct Session {
        std::vector<Message> messages;
        std::deque<std::optional<std::string>> fileAnswers;  // next open/save dialog answers
        // Every open or save dialog asked for, in order, with whether it was a save dialog.
        std::vector<std::pair<bool, FileDialogRequest>> fileRequests;
        ModalDriver modalDriver;
        std::vector<std::string> modalOpened;  // template ids of children run modally, in order
        std::optional<int> quitCode;
        // Ids the logic addressed that its window does not have: a layout and logic mismatch.
        std::vector<ControlId> missingControls;
        // Called after each message box is recorded, for tests that act at that moment.
        std::function<void(const Message&)> onMessage;
    };

    // Builds the window for the dialog from its template and runs its initialisation.
    explicit HeadlessHost(Dialog& dialog, std::shared_ptr<Session> session = nullptr);
    ~HeadlessHost() override;

    Dialog& GetDialog() { return dialog_; }
    Session& GetSession() { return *session_; }
    const ControlState& State(ControlId id) const;
    bool HasControl(ControlId id) const { return controls_.count(id) != 0; }
    bool Ended() const { return result_.has_value(); }
    std::optional<int> Result() const { return result_; }
    bool Topmost() const { return topmost_; }
    bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
    std::vector<Message>& Messages() { return session_->messages; }

    // User actions. Each does what a person's action would: nothing on a disabled or hidden
    // control (returns false), else the control changes and the dialog is notified.
    bool Click(ControlId id);
    bool Select(ControlId id, int index);
    bool Type(ControlId id, const std::string& text);
    bool LeaveFocus(ControlId id);
    void PressEscape();
    void PressEnter();
    // Runs the dialog's timer handler as if the timer fired.
    void FireTimer(int timerId);

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
    void SetWindowTitle(const std::string& title) override { title_ = title; }
    std::string WindowTitle() const override { return title_; }
    void SetTopmost(bool topmost) override { topmost_ = topmost; }
    void CenterWindow() override {}
    void SetFocus(ControlId id) override { focus_ = id; }
    void EndDialog(int result) override { result_ = result; }
    void MessageBox(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
    void SetTimer(int timerId, std::chrono::milliseconds interval) override;
    void KillTimer(int timerId) override;
    int RunModal(Dialog& child) override;
    void ShowModeless(Dialog& child) override;
    void CloseModeless(Dialog& child) override;
    void Repaint() override {}
    // Records the code in the session and ends this window and every window that opened it.
    void QuitProgram(int exitCode) override;

    // The host of a modeless child that is open, or null.
    HeadlessHost* ModelessHost(const Dialog& child);

private:
    HeadlessHost(Dialog& dialog, std::shared_ptr<Session> session, HeadlessHost* owner);
    std::optional<std::string> AnswerFileDialog(bool save, const FileDialogRequest& request);

    // Ends this window and its modeless children because the program ends.
    void EndForQuit();
    ControlState* Find(ControlId id);
    const ControlState* Find(ControlId id) const;

    Dialog& dialog_;
    std::shared_ptr<Session> session_;
    HeadlessHost* owner_;  // the window that opened this one, or null
    std::map<ControlId, ControlState> controls_;
    std::string title_;
    bool topmost_ = false;
    ControlId focus_ = resources::kStaticId;
    std::optional<int> result_;
    std::map<int, std::chrono::milliseconds> timers_;
    std::map<const Dialog*, std::unique_ptr<HeadlessHost>> modeless_;
};

}  // namespace corvane::ui

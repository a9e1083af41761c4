#include "ui/HeadlessHost.h"

#include <utility>

namespace corvane::ui {

using resources::ControlKind;

HeadlessHost::HeadlessHost(Dialog& dialog, std::shared_ptr<Session> session)
    : HeadlessHost(dialog, std::move(session), nullptr) {}

HeadlessHost::HeadlessHost(Dialog& dialog, std::shared_ptr<Session> session, HeadlessHost* owner)
    : dialog_(dialog),
      session_(session ? std::move(session) : std::make_shared<Session>()),
      owner_(owner) {
    const resources::DialogTemplate& layout = dialog.Template();
    title_ = layout.caption;
    for (const auto& control : layout.controls) {
        if (control.id == resources::kStaticId) {
            continue;
        }
        ControlState state;
        state.kind = control.kind;
        state.enabled = (control.style & resources::kDisabled) == 0;
        state.visible = (control.style & resources::kHidden) == 0;
        state.items = control.items;
        if (control.kind != ControlKind::DropDownList && control.kind != ControlKind::ListBox &&
            control.kind != ControlKind::DropDownCombo) {
            state.text = control.caption;
        }
        controls_[control.id] = state;
    }
    dialog_.AttachHost(this);
    dialog_.OnInitDialog();
}

HeadlessHost::~HeadlessHost() {
    modeless_.clear();
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnDestroy();
        dialog_.AttachHost(nullptr);
    }
}

HeadlessHost::ControlState* HeadlessHost::Find(ControlId id) {
    return const_cast<ControlState*>(std::as_const(*this).Find(id));
}

const HeadlessHost::ControlState* HeadlessHost::Find(ControlId id) const {
    auto it = controls_.find(id);
    if (it == controls_.end()) {
        session_->missingControls.push_back(id);
        return nullptr;
    }
    return &it->second;
}

const HeadlessHost::ControlState& HeadlessHost::State(ControlId id) const {
    static const ControlState missing{};
    const ControlState* state = Find(id);
    return state != nullptr ? *state : missing;
}

bool HeadlessHost::Click(ControlId id) {
    ControlState* state = Find(id);
    if (state == nullptr || !state->enabled || !state->visible || Ended()) {
        return false;
    }
    if (state->kind == ControlKind::RadioButton) {
        // An automatic radio checks itself and clears the others of its group.
        const auto& layout = dialog_.Template();
        int first = resources::kStaticId;
        for (const auto& control : layout.controls) {
            if (control.kind == ControlKind::RadioButton &&
                (control.style & resources::kFirstInGroup) != 0) {
                first = control.id;
            }
            if (control.id == id) {
                break;
            }
        }
        for (int member : layout.RadioGroup(first)) {
            SetCheck(member, member == id);
        }
    } else if (state->kind == ControlKind::CheckBox) {
        state->checked = !state->checked;
    }
    dialog_.OnCommand(id, Notification::Clicked);
    return true;
}

bool HeadlessHost::Select(ControlId id, int index) {
    ControlState* state = Find(id);
    if (state == nullptr || !state->enabled || !state->visible || Ended() || index < 0 ||
        index >= static_cast<int>(state->items.size())) {
        return false;
    }
    state->selection = index;
    if (state->kind == ControlKind::DropDownCombo) {
        state->text = state->items[static_cast<std::size_t>(index)];
    }
    dialog_.OnCommand(id, Notification::SelectionChanged);
    return true;
}

bool HeadlessHost::Type(ControlId id, const std::string& text) {
    ControlState* state = Find(id);
    if (state == nullptr || !state->enabled || !state->visible || Ended()) {
        return false;
    }
    state->text = text;
    if (state->kind == ControlKind::DropDownCombo) {
        // Typing selects the item whose text matches exactly, or none.
        state->selection = -1;
        for (std::size_t i = 0; i < state->items.size(); ++i) {
            if (state->items[i] == text) {
                state->selection = static_cast<int>(i);
            }
        }
    }
    dialog_.OnCommand(id, Notification::TextChanged);
    return true;
}

bool HeadlessHost::LeaveFocus(ControlId id) {
    ControlState* state = Find(id);
    if (state == nullptr || Ended()) {
        return false;
    }
    dialog_.OnCommand(id, Notification::FocusLost);
    return true;
}

void HeadlessHost::PressEscape() {
    if (!Ended()) {
        dialog_.OnCancel();
    }
}

void HeadlessHost::PressEnter() {
    if (Ended()) {
        return;
    }
    for (const auto& control : dialog_.Template().controls) {
        if ((control.style & resources::kDefaultButton) != 0) {
            Click(control.id);
            return;
        }
    }
    dialog_.OnOk();
}

void HeadlessHost::FireTimer(int timerId) {
    if (!Ended()) {
        dialog_.OnTimer(timerId);
    }
}

void HeadlessHost::EnableControl(ControlId id, bool enable) {
    if (ControlState* state = Find(id)) {
        state->enabled = enable;
    }
}

bool HeadlessHost::IsControlEnabled(ControlId id) const {
    const ControlState* state = Find(id);
    return state != nullptr && state->enabled;
}

void HeadlessHost::ShowControl(ControlId id, bool show) {
    if (ControlState* state = Find(id)) {
        state->visible = show;
    }
}

bool HeadlessHost::IsControlVisible(ControlId id) const {
    const ControlState* state = Find(id);
    return state != nullptr && state->visible;
}

void HeadlessHost::SetControlText(ControlId id, const std::string& text) {
    if (ControlState* state = Find(id)) {
        state->text = text;
    }
}

std::string HeadlessHost::ControlText(ControlId id) const {
    const ControlState* state = Find(id);
    if (state == nullptr) {
        return {};
    }
    if (state->kind == ControlKind::DropDownList || state->kind == ControlKind::ListBox) {
        return state->selection >= 0 ? state->items[static_cast<std::size_t>(state->selection)]
                                     : std::string();
    }
    return state->text;
}

void HeadlessHost::SetCheck(ControlId id, bool checked) {
    if (ControlState* state = Find(id)) {
        state->checked = checked;
    }
}

bool HeadlessHost::IsChecked(ControlId id) const {
    const ControlState* state = Find(id);
    return state != nullptr && state->checked;
}

void HeadlessHost::ClearItems(ControlId id) {
    if (ControlState* state = Find(id)) {
        state->items.clear();
        state->selection = -1;
    }
}

void HeadlessHost::AddItem(ControlId id, const std::string& text) {
    if (ControlState* state = Find(id)) {
        state->items.push_back(text);
    }
}

int HeadlessHost::ItemCount(ControlId id) const {
    const ControlState* state = Find(id);
    return state == nullptr ? 0 : static_cast<int>(state->items.size());
}

std::string HeadlessHost::ItemText(ControlId id, int index) const {
    const ControlState* state = Find(id);
    if (state == nullptr || index < 0 || index >= static_cast<int>(state->items.size())) {
        return {};
    }
    return state->items[static_cast<std::size_t>(index)];
}

void HeadlessHost::SetSelection(ControlId id, int index) {
    ControlState* state = Find(id);
    if (state == nullptr) {
        return;
    }
    state->selection = index >= 0 && index < static_cast<int>(state->items.size()) ? index : -1;
    if (state->kind == ControlKind::DropDownCombo) {
        state->text = state->selection >= 0
                          ? state->items[static_cast<std::size_t>(state->selection)]
                          : std::string();
    }
}

int HeadlessHost::Selection(ControlId id) const {
    const ControlState* state = Find(id);
    return state == nullptr ? -1 : state->selection;
}

void HeadlessHost::SetProgressRange(ControlId id, int low, int high) {
    if (ControlState* state = Find(id)) {
        state->progressLow = low;
        state->progressHigh = high;
    }
}

void HeadlessHost::SetProgress(ControlId id, int position) {
    if (ControlState* state = Find(id)) {
        state->progress = position;
    }
}

int HeadlessHost::Progress(ControlId id) const {
    const ControlState* state = Find(id);
    return state == nullptr ? 0 : state->progress;
}

void HeadlessHost::MessageBox(const std::string& text, const std::string& caption, Icon icon) {
    session_->messages.push_back({text, caption, icon});
    if (session_->onMessage) {
        session_->onMessage(session_->messages.back());
    }
}

std::optional<std::string> HeadlessHost::AnswerFileDialog(bool save,
                                                          const FileDialogRequest& request) {
    session_->fileRequests.emplace_back(save, request);
    if (session_->fileAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = session_->fileAnswers.front();
    session_->fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> HeadlessHost::OpenFileDialog(const FileDialogRequest& request) {
    return AnswerFileDialog(false, request);
}

std::optional<std::string> HeadlessHost::SaveFileDialog(const FileDialogRequest& request) {
    return AnswerFileDialog(true, request);
}

void HeadlessHost::SetTimer(int timerId, std::chrono::milliseconds interval) {
    timers_[timerId] = interval;
}

void HeadlessHost::KillTimer(int timerId) {
    timers_.erase(timerId);
}

int HeadlessHost::RunModal(Dialog& child) {
    // A program that is ending opens no more windows.
    if (session_->quitCode.has_value()) {
        return kIdCancel;
    }
    session_->modalOpened.push_back(std::to_string(child.TemplateId()));
    HeadlessHost childHost(child, session_, this);
    if (session_->modalDriver && !childHost.Ended()) {
        session_->modalDriver(child, childHost);
    }
    // A dialog the driver left open is closed as the user would: with Escape.
    if (!childHost.Ended()) {
        childHost.PressEscape();
    }
    return childHost.Result().value_or(kIdCancel);
}

void HeadlessHost::ShowModeless(Dialog& child) {
    modeless_[&child] = std::unique_ptr<HeadlessHost>(new HeadlessHost(child, session_, this));
}

void HeadlessHost::CloseModeless(Dialog& child) {
    modeless_.erase(&child);
}

void HeadlessHost::QuitProgram(int exitCode) {
    session_->quitCode = exitCode;
    for (HeadlessHost* host = this; host != nullptr; host = host->owner_) {
        host->EndForQuit();
    }
}

void HeadlessHost::EndForQuit() {
    result_ = kIdCancel;
    timers_.clear();
    for (auto& [child, host] : modeless_) {
        host->EndForQuit();
    }
}

HeadlessHost* HeadlessHost::ModelessHost(const Dialog& child) {
    auto it = modeless_.find(&child);
    return it == modeless_.end() ? nullptr : it->second.get();
}

}  // namespace corvane::ui

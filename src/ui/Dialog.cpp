#include "ui/Dialog.h"

#include "ui/DataExchange.h"

namespace corvane::ui {

namespace {

// A window without a template of its own still needs one to look controls up in.
const resources::DialogTemplate& EmptyTemplate() {
    static const resources::DialogTemplate empty;
    return empty;
}

}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() = default;

const resources::DialogTemplate& Dialog::Template() const {
    const resources::DialogTemplate* found = resources::FindTemplate(templateId_);
    return found != nullptr ? *found : EmptyTemplate();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnCommand(ControlId, Notification) {}

void Dialog::OnTimer(int) {}

void Dialog::OnOk() {
    if (UpdateData(true)) {
        Host().EndDialog(kIdOk);
    }
}

void Dialog::OnCancel() {
    Host().EndDialog(kIdCancel);
}

void Dialog::OnDestroy() {}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (host_ == nullptr) {
        return false;
    }
    DataExchange exchange(*host_, Template(), saveAndValidate);
    DoDataExchange(exchange);
    return !exchange.Failed();
}

DialogHost& Dialog::Host() const {
    // Every handler runs while the window exists, so a host is always attached here.
    return *host_;
}

}  // namespace corvane::ui

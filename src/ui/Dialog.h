#pragma once

#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"

namespace corvane::ui {

class DataExchange;

// The logic of one dialog window, free of any toolkit. It names its template, holds its members
// and handles notifications; it reaches its window only through the host it is attached to.
class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int TemplateId() const { return templateId_; }
    const resources::DialogTemplate& Template() const;

    // Called by the host once the window and its controls exist. The default shows the members
    // in the controls. Returns whether the host should set the focus itself.
    virtual bool OnInitDialog();
    virtual void OnCommand(ControlId id, Notification notification);
    virtual void OnTimer(int timerId);
    // Enter on the default button when it has no handler of its own, and the dialog's OK.
    virtual void OnOk();
    // Escape and the close box.
    virtual void OnCancel();
    // Called by the host after the window is gone, whichever way it ended.
    virtual void OnDestroy();
    // Binds members to controls; see DataExchange.
    virtual void DoDataExchange(DataExchange& exchange);

    // true reads the controls into the members, false shows the members in the controls.
    // Returns false when a value could not be read; the host has then told the user.
    bool UpdateData(bool saveAndValidate = true);

    // The host attaches itself while the window exists.
    void AttachHost(DialogHost* host) { host_ = host; }
    bool HasWindow() const { return host_ != nullptr; }
    DialogHost& Host() const;

private:
    int templateId_;
    DialogHost* host_ = nullptr;
};

}  // namespace corvane::ui

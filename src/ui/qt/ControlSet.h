#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"
#include "ui/qt/DialogUnits.h"

#include <QFont>

class QWidget;

namespace corvane::ui::qt {

// The controls of one window, built from its template: the widgets in tab order, found by id or
// by widget, named for assistive tools, and changed or read the way each kind of control is.
// An id the window lacks does nothing and reads as empty.
class ControlSet {
public:
    // Builds every control of the template in window, radio groups and names included.
    ControlSet(const resources::DialogTemplate& dialogTemplate, const DialogUnits& units,
               const QFont& font, QWidget* window);

    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;

    // Every widget built, labels and frames included, in the template's (and tab) order.
    const std::vector<std::pair<const resources::ControlTemplate*, QWidget*>>& Built() const {
        return built_;
    }
    // The widget of a control, or null.
    QWidget* Widget(ControlId id) const;
    // The layout of a control with an id, or null.
    const resources::ControlTemplate* Layout(ControlId id) const;
    // The id a built widget was given (the static id for a label or frame), if it is one.
    std::optional<ControlId> IdOf(const QWidget* widget) const;
    // True while SetCheck changes a check, which the logic asked for and need not hear of.
    bool SettingCheck() const { return settingCheck_; }

    void Enable(ControlId id, bool enable);
    bool IsEnabled(ControlId id) const;
    void Show(ControlId id, bool show);
    bool IsVisible(ControlId id) const;
    void SetText(ControlId id, const std::string& text);
    std::string Text(ControlId id) const;
    void SetCheck(ControlId id, bool checked);
    bool IsChecked(ControlId id) const;
    void ClearItems(ControlId id);
    void AddItem(ControlId id, const std::string& text);
    int ItemCount(ControlId id) const;
    std::string ItemText(ControlId id, int index) const;
    void SetSelection(ControlId id, int index);
    int Selection(ControlId id) const;
    void SetProgressRange(ControlId id, int low, int high);
    void SetProgress(ControlId id, int position);
    int Progress(ControlId id) const;

private:
    struct Entry {
        const resources::ControlTemplate* layout = nullptr;
        QWidget* widget = nullptr;
        std::string text;  // the caption as given, before any escaping for display
    };

    void BuildRadioGroups(QWidget* window);
    void NameControls(const resources::DialogTemplate& dialogTemplate);
    const Entry* Find(ControlId id) const;
    Entry* Find(ControlId id);

    std::vector<std::pair<const resources::ControlTemplate*, QWidget*>> built_;
    std::map<ControlId, Entry> controls_;
    std::map<const QWidget*, ControlId> widgetIds_;
    // Lists and fields named after a check box, radio or label with an id, by that control.
    std::vector<std::pair<const resources::ControlTemplate*, QWidget*>> namedByControl_;
    bool settingCheck_ = false;
};

}  // namespace corvane::ui::qt

#include "ui/qt/ControlSet.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/qt/BuddyLabels.h"
#include "ui/qt/DropDownAccessible.h"
#include "ui/qt/GroupFrame.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WidgetFactory.h"

namespace corvane::ui::qt {

using resources::ControlKind;
using resources::ControlTemplate;

ControlSet::ControlSet(const resources::DialogTemplate& dialogTemplate, const DialogUnits& units,
                       const QFont& font, QWidget* window) {
    for (const auto& layout : dialogTemplate.controls) {
        QWidget* widget = BuildWidget(layout, units, font, window);
        if (widget == nullptr) {
            continue;
        }
        built_.emplace_back(&layout, widget);
        widgetIds_[widget] = layout.id;
        if (layout.id != resources::kStaticId) {
            controls_[layout.id] = Entry{&layout, widget, layout.caption};
        }
        widget->setEnabled((layout.style & resources::kDisabled) == 0);
        if ((layout.style & resources::kHidden) != 0) {
            widget->hide();
        }
        if (layout.kind == ControlKind::GroupBox) {
            // A frame drawn around controls stays behind them.
            widget->lower();
        }
    }
    BuildRadioGroups(window);
    NameControls(dialogTemplate);
}

void ControlSet::BuildRadioGroups(QWidget* window) {
    // A group runs from a radio that starts one through the radios after it, until a control
    // that starts a new group.
    QButtonGroup* group = nullptr;
    for (const auto& [layout, widget] : built_) {
        const bool starts = (layout->style & resources::kFirstInGroup) != 0;
        if (layout->kind != ControlKind::RadioButton) {
            if (starts) {
                group = nullptr;
            }
            continue;
        }
        if (starts || group == nullptr) {
            group = new QButtonGroup(window);
            group->setExclusive(true);
        }
        group->addButton(static_cast<QRadioButton*>(widget), layout->id);
    }
}

void ControlSet::NameControls(const resources::DialogTemplate& dialogTemplate) {
    for (const auto& [layout, widget] : built_) {
        if (layout->kind == ControlKind::Picture) {
            continue;  // named after its picture when built
        }
        const std::string name = AccessibleNameFor(dialogTemplate, *layout);
        if (!name.empty()) {
            widget->setAccessibleName(ToQString(name));
        }
        if (!layout->caption.empty() || layout->kind == ControlKind::Label ||
            layout->kind == ControlKind::GroupBox) {
            continue;
        }
        // A label beside a list or field is its buddy, which screen readers announce with it;
        // a check box or radio there is a drop-down list's label for them as well.
        const ControlTemplate* buddy = FindBuddyLabel(dialogTemplate, *layout);
        if (buddy == nullptr) {
            continue;
        }
        const bool namedByBuddy =
            layout->kind != ControlKind::RadioButton && layout->kind != ControlKind::CheckBox;
        if (namedByBuddy && buddy->id != resources::kStaticId) {
            namedByControl_.emplace_back(buddy, widget);
        }
        for (const auto& [otherLayout, otherWidget] : built_) {
            if (otherLayout != buddy) {
                continue;
            }
            if (auto* label = qobject_cast<QLabel*>(otherWidget)) {
                label->setBuddy(widget);
            } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                DropDownAccessible::SetLabel(combo, otherWidget);
            }
        }
    }
}

const ControlSet::Entry* ControlSet::Find(ControlId id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

ControlSet::Entry* ControlSet::Find(ControlId id) {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

QWidget* ControlSet::Widget(ControlId id) const {
    const Entry* control = Find(id);
    return control == nullptr ? nullptr : control->widget;
}

const ControlTemplate* ControlSet::Layout(ControlId id) const {
    const Entry* control = Find(id);
    return control == nullptr ? nullptr : control->layout;
}

std::optional<ControlId> ControlSet::IdOf(const QWidget* widget) const {
    auto found = widgetIds_.find(widget);
    return found == widgetIds_.end() ? std::nullopt : std::optional<ControlId>(found->second);
}

void ControlSet::Enable(ControlId id, bool enable) {
    if (QWidget* widget = Widget(id)) {
        // A control that loses its focus by being disabled leaves the focus with the window, so
        // that Enter finds no other button to press in its place.
        if (!enable && widget->window()->focusWidget() == widget) {
            widget->window()->setFocus(Qt::OtherFocusReason);
        }
        widget->setEnabled(enable);
    }
}

bool ControlSet::IsEnabled(ControlId id) const {
    const QWidget* widget = Widget(id);
    return widget != nullptr && widget->isEnabled();
}

void ControlSet::Show(ControlId id, bool show) {
    if (QWidget* widget = Widget(id)) {
        widget->setVisible(show);
    }
}

bool ControlSet::IsVisible(ControlId id) const {
    const QWidget* widget = Widget(id);
    return widget != nullptr && !widget->isHidden();
}

void ControlSet::SetText(ControlId id, const std::string& text) {
    Entry* control = Find(id);
    if (control == nullptr) {
        return;
    }
    QWidget* widget = control->widget;
    switch (control->layout->kind) {
        case ControlKind::GroupBox:
            static_cast<GroupFrame*>(widget)->SetCaption(ToQString(text));
            break;
        case ControlKind::Label:
            static_cast<QLabel*>(widget)->setText(ToQString(text));
            break;
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
            static_cast<QAbstractButton*>(widget)->setText(LiteralCaption(text));
            break;
        case ControlKind::DropDownCombo:
            static_cast<QComboBox*>(widget)->setEditText(ToQString(text));
            break;
        case ControlKind::Edit:
            static_cast<QLineEdit*>(widget)->setText(ToQString(text));
            break;
        case ControlKind::DropDownList:
        case ControlKind::ListBox:
        case ControlKind::Picture:
        case ControlKind::ProgressBar:
            return;
    }
    control->text = text;
    // A field's name is its label's; a caption names its own control.
    const ControlKind kind = control->layout->kind;
    if (kind != ControlKind::Edit && kind != ControlKind::DropDownCombo) {
        widget->setAccessibleName(ToQString(text));
    }
    for (const auto& [namer, named] : namedByControl_) {
        if (namer == control->layout) {
            named->setAccessibleName(ToQString(text));
        }
    }
}

std::string ControlSet::Text(ControlId id) const {
    const Entry* control = Find(id);
    if (control == nullptr) {
        return {};
    }
    switch (control->layout->kind) {
        case ControlKind::DropDownList: {
            auto* combo = static_cast<QComboBox*>(control->widget);
            return combo->currentIndex() >= 0 ? ToStdString(combo->currentText()) : std::string();
        }
        case ControlKind::DropDownCombo:
            return ToStdString(static_cast<QComboBox*>(control->widget)->currentText());
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(control->widget);
            const QListWidgetItem* item = list->currentItem();
            return item != nullptr && item->isSelected() ? ToStdString(item->text())
                                                         : std::string();
        }
        case ControlKind::Edit:
            return ToStdString(static_cast<QLineEdit*>(control->widget)->text());
        case ControlKind::Picture:
        case ControlKind::ProgressBar:
            return {};
        default:
            return control->text;
    }
}

void ControlSet::SetCheck(ControlId id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Widget(id));
    if (button == nullptr || !button->isCheckable()) {
        return;
    }
    const QScopedValueRollback<bool> programmatic(settingCheck_, true);
    QButtonGroup* group = button->group();
    if (!checked && group != nullptr && group->exclusive()) {
        // An exclusive group refuses to leave no radio checked; a group may well start so.
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    button->setChecked(checked);
}

bool ControlSet::IsChecked(ControlId id) const {
    auto* button = qobject_cast<QAbstractButton*>(Widget(id));
    return button != nullptr && button->isChecked();
}

void ControlSet::ClearItems(ControlId id) {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->clear();
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        list->clear();
    }
}

void ControlSet::AddItem(ControlId id, const std::string& text) {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const int selection = combo->currentIndex();
        const QString editText = combo->currentText();
        combo->addItem(ToQString(text));
        // Adding to an empty list selects nothing, as the lists here start without a selection.
        if (selection < 0) {
            combo->setCurrentIndex(-1);
            if (combo->isEditable()) {
                combo->setEditText(editText);
            }
        }
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        list->addItem(ToQString(text));
    }
}

int ControlSet::ItemCount(ControlId id) const {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->count();
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        return list->count();
    }
    return 0;
}

std::string ControlSet::ItemText(ControlId id, int index) const {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return index >= 0 && index < combo->count() ? ToStdString(combo->itemText(index))
                                                    : std::string();
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        return index >= 0 && index < list->count() ? ToStdString(list->item(index)->text())
                                                   : std::string();
    }
    return {};
}

void ControlSet::SetSelection(ControlId id, int index) {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        if (index >= 0 && index < list->count()) {
            list->setCurrentRow(index);
        } else {
            list->clearSelection();
            list->setCurrentRow(-1);
        }
    }
}

int ControlSet::Selection(ControlId id) const {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (!combo->isEditable()) {
            return combo->currentIndex();
        }
        // An editable box has a selection only while its text is exactly one of its items.
        const QString text = combo->currentText();
        const int current = combo->currentIndex();
        if (current >= 0 && combo->itemText(current) == text) {
            return current;
        }
        return combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QListWidgetItem* item = list->currentItem();
        return item != nullptr && item->isSelected() ? list->currentRow() : -1;
    }
    return -1;
}

void ControlSet::SetProgressRange(ControlId id, int low, int high) {
    if (auto* bar = qobject_cast<QProgressBar*>(Widget(id))) {
        bar->setRange(low, std::max(low, high));
    }
}

void ControlSet::SetProgress(ControlId id, int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(Widget(id))) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
        // The window is frozen during an exchange, so the bar paints itself at once.
        if (bar->isVisible()) {
            bar->repaint();
        }
    }
}

int ControlSet::Progress(ControlId id) const {
    auto* bar = qobject_cast<QProgressBar*>(Widget(id));
    return bar == nullptr ? 0 : bar->value();
}

}  // namespace corvane::ui::qt

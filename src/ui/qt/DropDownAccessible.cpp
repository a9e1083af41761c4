#include "ui/qt/DropDownAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>

#include "ui/qt/TemplateWindow.h"

namespace corvane::ui::qt {

namespace {

// The combo box property that holds the control naming it when that control is no text label.
constexpr char kLabelProperty[] = "corvaneLabel";

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) {
        return nullptr;
    }
    auto* combo = qobject_cast<QComboBox*>(object);
    // Lists in other windows (a file dialog's) keep Qt's own interface.
    if (combo == nullptr || dynamic_cast<TemplateWindow*>(combo->parentWidget()) == nullptr) {
        return nullptr;
    }
    return new DropDownAccessible(combo);
}

}  // namespace

DropDownAccessible::DropDownAccessible(QComboBox* combo)
    : QAccessibleWidget(combo, QAccessible::ComboBox) {}

void DropDownAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void DropDownAccessible::SetLabel(QComboBox* combo, QWidget* label) {
    combo->setProperty(kLabelProperty, QVariant::fromValue(QPointer<QObject>(label)));
}

QComboBox* DropDownAccessible::Combo() const {
    return static_cast<QComboBox*>(widget());
}

QString DropDownAccessible::CurrentText() const {
    const QComboBox* combo = Combo();
    if (combo->isEditable()) {
        return combo->lineEdit()->text();
    }
    return combo->currentIndex() >= 0 ? combo->currentText() : QString();
}

int DropDownAccessible::childCount() const {
    // The list of items, and the field of an editable box.
    return Combo()->isEditable() ? 2 : 1;
}

QAccessibleInterface* DropDownAccessible::child(int index) const {
    QComboBox* combo = Combo();
    if (index == 0) {
        return QAccessible::queryAccessibleInterface(combo->view());
    }
    if (index == 1 && combo->isEditable()) {
        return QAccessible::queryAccessibleInterface(combo->lineEdit());
    }
    return nullptr;
}

int DropDownAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const QComboBox* combo = Combo();
    if (child == nullptr) {
        return -1;
    }
    if (child->object() == combo->view()) {
        return 0;
    }
    if (combo->isEditable() && child->object() == combo->lineEdit()) {
        return 1;
    }
    return -1;
}

QAccessibleInterface* DropDownAccessible::focusChild() const {
    // An editable box hands its focus to its field.
    return Combo()->isEditable() ? child(1) : nullptr;
}

QString DropDownAccessible::text(QAccessible::Text t) const {
    switch (t) {
        case QAccessible::Name: {
            const QString name = QAccessibleWidget::text(t);
            // A list nothing names is known by what it shows, as Qt's own would be.
            return name.isEmpty() ? CurrentText() : name;
        }
        case QAccessible::Value:
            return CurrentText();
        case QAccessible::Accelerator:
            return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
    }
}

QAccessible::State DropDownAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = Combo()->view()->isVisible();
    state.editable = Combo()->isEditable();
    return state;
}

QList<QPair<QAccessibleInterface*, QAccessible::Relation>> DropDownAccessible::relations(
    QAccessible::Relation match) const {
    auto found = QAccessibleWidget::relations(match);
    if ((match & QAccessible::Label) == 0) {
        return found;
    }
    const auto label = Combo()->property(kLabelProperty).value<QPointer<QObject>>();
    if (label == nullptr) {
        return found;
    }
    if (QAccessibleInterface* labelInterface = QAccessible::queryAccessibleInterface(label)) {
        found.append({labelInterface, QAccessible::Label});
    }
    return found;
}

void* DropDownAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(t);
}

QStringList DropDownAccessible::actionNames() const {
    return {showMenuAction(), pressAction()};
}

QString DropDownAccessible::localizedActionDescription(const QString& actionName) const {
    if (actionName == showMenuAction() || actionName == pressAction()) {
        return QComboBox::tr("Open the combo box selection popup");
    }
    return QAccessibleWidget::localizedActionDescription(actionName);
}

void DropDownAccessible::doAction(const QString& actionName) {
    QComboBox* combo = Combo();
    if (actionName != showMenuAction() && actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (!combo->isEnabled()) {
        return;
    }
    if (combo->view()->isVisible()) {
        combo->hidePopup();
    } else {
        combo->showPopup();
    }
}

QStringList DropDownAccessible::keyBindingsForAction(const QString&) const {
    return {};
}

void DropDownAccessible::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

int DropDownAccessible::selectionCount() const {
    return 0;
}

void DropDownAccessible::addSelection(int, int) {}

void DropDownAccessible::removeSelection(int) {}

void DropDownAccessible::setSelection(int, int, int) {}

int DropDownAccessible::cursorPosition() const {
    return 0;
}

void DropDownAccessible::setCursorPosition(int) {}

QString DropDownAccessible::text(int startOffset, int endOffset) const {
    const QString current = CurrentText();
    const auto size = static_cast<int>(current.size());
    const int start = std::clamp(startOffset, 0, size);
    const int end = endOffset < 0 ? size : std::clamp(endOffset, start, size);
    return current.mid(start, end - start);
}

int DropDownAccessible::characterCount() const {
    return static_cast<int>(CurrentText().size());
}

QRect DropDownAccessible::characterRect(int) const {
    return {};
}

int DropDownAccessible::offsetAtPoint(const QPoint&) const {
    return -1;
}

void DropDownAccessible::scrollToSubstring(int, int) {}

QString DropDownAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

}  // namespace corvane::ui::qt

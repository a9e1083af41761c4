#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace corvane::ui::qt {

// What screen readers and UI automation see of a drop-down list in a template window. Qt's own
// interface names a list after its current item on Linux and forgets the name the host gave it,
// so a list beside a check box would be announced by its item alone; here the list keeps its
// name, shows its current item as its value and text, and the control that names it is its label.
class DropDownAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DropDownAccessible(QComboBox* combo);

    // Serves the drop-down lists of every template window from now on; call before building one.
    static void Install();
    // Makes label, a check box or radio beside the list, the list's label for assistive tools.
    static void SetLabel(QComboBox* combo, QWidget* label);

    // QAccessibleInterface
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match = QAccessible::AllRelations) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleActionInterface
    QStringList actionNames() const override;
    QString localizedActionDescription(const QString& actionName) const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    // QAccessibleTextInterface: the current item, read-only.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QComboBox* Combo() const;
    QString CurrentText() const;
};

}  // namespace corvane::ui::qt

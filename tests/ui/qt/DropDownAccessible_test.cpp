#include "ui/qt/DropDownAccessible.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QTest>

#include "QtTestSupport.h"
#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt {
namespace {

using test::RecordingDialog;

QAccessibleInterface* AccessibleOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

TEST(DropDownAccessible, AListIsNamedAfterTheTextBesideItWhateverItemItShows) {
    const struct {
        int templateId;
        ControlId list;
        const char* name;
    } rows[] = {
        {143, 30, "Paper width"},  // a check box to its left
        {143, 36, "Near end switch Function"},
        {143, 17, "Red and Black Commands"},  // a check box just above it
        {160, 84, "Code Page Set"},
        {160, 85, "[CR] [LF] Command Set"},
        {102, 1024, "Baud Rate"},  // a label to its left
        {102, 1026, "Parity"},     // an editable box
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingDialog dialog(row.templateId);
        QtDialogHost host(dialog, nullptr);
        QAccessibleInterface* list = AccessibleOf(host.Control(row.list));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->role(), QAccessible::ComboBox);
        host.SetSelection(row.list, 1);
        const QString shown = QString::fromStdString(host.ControlText(row.list));
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(list->text(QAccessible::Name).toStdString(), row.name);
        EXPECT_EQ(list->text(QAccessible::Value), shown);
        // The item shown stays readable as the list's text.
        QAccessibleTextInterface* text = list->textInterface();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(0, -1), shown);
        EXPECT_EQ(text->characterCount(), shown.size());
        EXPECT_EQ(text->text(1, 3), shown.mid(1, 2));
    }
}

TEST(DropDownAccessible, ItsItemsAndFieldAreItsChildrenAndPressOpensAndClosesIt) {
    RecordingDialog dialog(102);
    QtDialogHost host(dialog, nullptr);
    host.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.Window()));
    auto* baud = qobject_cast<QComboBox*>(host.Control(1024));
    ASSERT_NE(baud, nullptr);
    QAccessibleInterface* list = AccessibleOf(baud);
    ASSERT_EQ(list->childCount(), 1);
    QAccessibleInterface* items = list->child(0);
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->object(), static_cast<QObject*>(baud->view()));
    EXPECT_EQ(list->indexOfChild(items), 0);
    EXPECT_EQ(items->parent(), list);

    QAccessibleInterface* parity = AccessibleOf(host.Control(1026));
    ASSERT_EQ(parity->childCount(), 2);
    EXPECT_EQ(parity->child(1)->role(), QAccessible::EditableText);
    EXPECT_TRUE(parity->state().editable);

    QAccessibleActionInterface* actions = list->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return baud->view()->isVisible(); }));
    EXPECT_TRUE(list->state().expanded);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !baud->view()->isVisible(); }));

    // A disabled list does not open.
    host.EnableControl(1024, false);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QCoreApplication::processEvents();
    EXPECT_FALSE(baud->view()->isVisible());
}

TEST(DropDownAccessible, ListsOutsideTemplateWindowsKeepQtsOwnInterface) {
    DropDownAccessible::Install();
    QDialog other;
    auto* combo = new QComboBox(&other);
    combo->addItems({QStringLiteral("Status Files (*.sts)"), QStringLiteral("All Files (*)")});
    combo->setAccessibleName(QStringLiteral("Files of type"));
    QAccessibleInterface* accessible = AccessibleOf(combo);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(dynamic_cast<DropDownAccessible*>(accessible), nullptr);
}

}  // namespace
}  // namespace corvane::ui::qt

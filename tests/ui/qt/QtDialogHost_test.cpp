#include "ui/qt/QtDialogHost.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "QtTestSupport.h"
#include "ShownWindow.h"
#include "resources/DialogTemplate.h"
#include "ui/DataExchange.h"
#include "ui/qt/ExchangeWait.h"
#include "ui/qt/GroupFrame.h"
#include "ui/qt/QtShell.h"

namespace corvane::ui::qt {
namespace {

using resources::ControlKind;
using test::ConnectionWindow;
using test::kConnectionTemplate;
using test::RecordingDialog;
using test::ToggleAccessibly;
using test::WhenModal;

TEST_F(ConnectionWindow, EveryControlSitsAtItsRectangleWithItsCaption) {
    const DialogUnits& units = host->Units();
    EXPECT_EQ(host->Window()->size(), units.ToPixels(layout.width, layout.height));
    EXPECT_EQ(host->WindowTitle(), layout.caption);
    EXPECT_EQ(host->Window()->font().pointSize(), 8);
    for (const auto& control : layout.controls) {
        if (control.id == resources::kStaticId) {
            continue;
        }
        SCOPED_TRACE("control " + std::to_string(control.id));
        QWidget* widget = host->Control(control.id);
        ASSERT_NE(widget, nullptr);
        const QRect expected = units.ToPixels(control.rect);
        const QRect actual = widget->geometry();
        EXPECT_EQ(actual.topLeft(), expected.topLeft());
        EXPECT_EQ(actual.width(), expected.width());
        if (control.kind == ControlKind::DropDownList ||
            control.kind == ControlKind::DropDownCombo) {
            // The template's height is the open list's; the closed box is one line high.
            EXPECT_LT(actual.height(), expected.height());
            EXPECT_GE(actual.height(), units.BaseY());
        } else {
            EXPECT_EQ(actual.height(), expected.height());
        }
        if (!control.caption.empty()) {
            EXPECT_EQ(host->ControlText(control.id), control.caption);
            auto* button = qobject_cast<QAbstractButton*>(widget);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text().toStdString(), control.caption);
        }
    }
}

TEST_F(ConnectionWindow, LabelsAndGroupBoxesShowTheirCaptionsAtTheirRectangles) {
    const DialogUnits& units = host->Units();
    for (const auto& control : layout.controls) {
        if (control.id != resources::kStaticId) {
            continue;
        }
        SCOPED_TRACE(control.caption);
        bool found = false;
        for (QWidget* child : host->Window()->findChildren<QWidget*>()) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(child)) {
                text = label->text();
            } else if (auto* frame = dynamic_cast<GroupFrame*>(child)) {
                text = frame->Caption();
            }
            if (text.toStdString() == control.caption &&
                child->geometry() == units.ToPixels(control.rect)) {
                found = true;
            }
        }
        EXPECT_TRUE(found);
    }
}

TEST_F(ConnectionWindow, InitialStateFollowsTheTemplate) {
    const struct {
        ControlId id;
        bool enabled;
        bool visible;
    } rows[] = {
        {1001, true, true},  {72, false, true},   {1023, false, true}, {1022, false, true},
        {1030, false, true}, {1031, false, true}, {1028, false, true}, {1021, true, true},
        {78, true, true},    {79, true, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(host->IsControlEnabled(row.id), row.enabled) << "control " << row.id;
        EXPECT_EQ(host->IsControlVisible(row.id), row.visible) << "control " << row.id;
    }
    EXPECT_TRUE(Widget<QPushButton>(1001)->isDefault());
    EXPECT_FALSE(Widget<QPushButton>(72)->isDefault());
    EXPECT_TRUE(Widget<QComboBox>(1026)->isEditable());
    EXPECT_FALSE(Widget<QComboBox>(1024)->isEditable());
}

TEST_F(ConnectionWindow, ListsKeepTheirItemOrderAndAppendAtTheEnd) {
    for (const auto& control : layout.controls) {
        if (control.kind != ControlKind::DropDownList &&
            control.kind != ControlKind::DropDownCombo) {
            continue;
        }
        ASSERT_EQ(host->ItemCount(control.id), static_cast<int>(control.items.size()));
        for (std::size_t i = 0; i < control.items.size(); ++i) {
            EXPECT_EQ(host->ItemText(control.id, static_cast<int>(i)), control.items[i]);
        }
        EXPECT_EQ(host->Selection(control.id), -1);
    }
    for (const char* port : {"COM9", "\\\\.\\COM10", "COM1"}) {
        host->AddItem(1021, port);
    }
    EXPECT_EQ(host->ItemCount(1021), 3);
    EXPECT_EQ(host->ItemText(1021, 0), "COM9");
    EXPECT_EQ(host->ItemText(1021, 1), "\\\\.\\COM10");
    EXPECT_EQ(host->ItemText(1021, 2), "COM1");
    EXPECT_EQ(host->Selection(1021), -1);
    host->SetSelection(1021, 1);
    EXPECT_EQ(host->ControlText(1021), "\\\\.\\COM10");
    host->ClearItems(1021);
    EXPECT_EQ(host->ItemCount(1021), 0);
    EXPECT_EQ(host->ControlText(1021), "");
}

TEST_F(ConnectionWindow, AClickReachesTheDialogLogic) {
    Click(1001);
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0].first, 1001);
    EXPECT_EQ(dialog.commands[0].second, Notification::Clicked);
}

TEST_F(ConnectionWindow, ADisabledOrHiddenControlIgnoresClicks) {
    Click(72);
    Click(1031);
    // A hidden default button cannot be reached with Enter either.
    host->ShowControl(1001, false);
    host->SetFocus(1024);
    QTest::keyClick(host->Control(1024), Qt::Key_Return);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(dialog.oks, 0);
    host->EnableControl(72, true);
    Click(72);
    EXPECT_TRUE(dialog.Heard(72, Notification::Clicked));
}

TEST_F(ConnectionWindow, RadioGroupsAreExclusiveWithinTheirOwnGroupOnly) {
    host->SetCheck(80, true);
    host->SetCheck(1018, true);
    host->SetCheck(15, true);
    Click(81);
    EXPECT_TRUE(host->IsChecked(81));
    EXPECT_FALSE(host->IsChecked(80));
    EXPECT_TRUE(host->IsChecked(1018));
    EXPECT_TRUE(host->IsChecked(15));
    Click(1020);
    EXPECT_TRUE(host->IsChecked(1020));
    EXPECT_FALSE(host->IsChecked(1018));
    EXPECT_FALSE(host->IsChecked(1019));
    EXPECT_TRUE(host->IsChecked(81));
    EXPECT_TRUE(dialog.Heard(81, Notification::Clicked));
    EXPECT_TRUE(dialog.Heard(1020, Notification::Clicked));
}

TEST_F(ConnectionWindow, ArrowKeysMoveTheCheckWithinARadioGroup) {
    host->SetCheck(1018, true);
    host->SetFocus(1018);
    QTest::keyClick(host->Control(1018), Qt::Key_Right);
    EXPECT_TRUE(host->IsChecked(1019));
    EXPECT_FALSE(host->IsChecked(1018));
    EXPECT_TRUE(dialog.Heard(1019, Notification::Clicked));
}

TEST_F(ConnectionWindow, ARadioGroupCanBeLeftWithNoneChecked) {
    host->SetCheck(15, true);
    host->SetCheck(15, false);
    EXPECT_FALSE(host->IsChecked(15));
    EXPECT_FALSE(host->IsChecked(16));
    // The exchange pushes an index and reads it back through the same group.
    int index = 1;
    DataExchange push(*host, layout, false);
    push.Radio(15, index);
    EXPECT_TRUE(host->IsChecked(16));
    index = -1;
    push.Radio(15, index);
    DataExchange read(*host, layout, true);
    index = 7;
    read.Radio(15, index);
    EXPECT_EQ(index, -1);
}

TEST_F(ConnectionWindow, OnlyTheUsersChoiceInAListIsASelectionChange) {
    host->SetSelection(1024, 3);
    EXPECT_EQ(host->Selection(1024), 3);
    EXPECT_EQ(host->ControlText(1024), "9600");
    EXPECT_TRUE(dialog.commands.empty());
    host->SetFocus(1024);
    QTest::keyClick(host->Control(1024), Qt::Key_Down);
    EXPECT_EQ(host->Selection(1024), 4);
    EXPECT_TRUE(dialog.Heard(1024, Notification::SelectionChanged));
}

TEST_F(ConnectionWindow, TypingInTheEditableBoxSelectsOnlyAnExactItem) {
    host->SetSelection(1026, 0);
    EXPECT_EQ(host->ControlText(1026), "None");
    EXPECT_TRUE(dialog.commands.empty());
    QLineEdit* field = Widget<QComboBox>(1026)->lineEdit();
    field->clear();
    QTest::keyClicks(field, "Even");
    EXPECT_EQ(host->ControlText(1026), "Even");
    EXPECT_EQ(host->Selection(1026), 2);
    EXPECT_TRUE(dialog.Heard(1026, Notification::TextChanged));
    QTest::keyClicks(field, "x");
    EXPECT_EQ(host->ControlText(1026), "Evenx");
    EXPECT_EQ(host->Selection(1026), -1);
    // Nothing was added to the list by typing.
    EXPECT_EQ(host->ItemCount(1026), 3);
    host->SetSelection(1026, -1);
    EXPECT_EQ(host->ControlText(1026), "");
}

TEST_F(ConnectionWindow, LeavingAListReportsFocusLost) {
    host->SetFocus(1024);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->Control(1024)->hasFocus(); }));
    QTest::keyClick(host->Window()->focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(dialog.Heard(1024, Notification::FocusLost));
    EXPECT_FALSE(dialog.Heard(1001, Notification::FocusLost));
}

TEST_F(ConnectionWindow, EnterPressesTheDefaultButtonUnlessAnotherButtonHasTheFocus) {
    host->SetFocus(1024);
    QTest::keyClick(host->Control(1024), Qt::Key_Return);
    EXPECT_TRUE(dialog.Heard(1001, Notification::Clicked));
    dialog.commands.clear();
    host->EnableControl(72, true);
    host->SetFocus(72);
    QTest::keyClick(host->Control(72), Qt::Key_Return);
    EXPECT_TRUE(dialog.Heard(72, Notification::Clicked));
    EXPECT_FALSE(dialog.Heard(1001, Notification::Clicked));
}

TEST_F(ConnectionWindow, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
    host->EnableControl(1001, false);
    host->SetFocus(1024);
    QTest::keyClick(host->Control(1024), Qt::Key_Return);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(dialog.oks, 0);
    EXPECT_FALSE(host->Ended());
}

TEST_F(ConnectionWindow, EscapeAndTheCloseBoxGoToTheDialogsCancel) {
    QTest::keyClick(host->Window(), Qt::Key_Escape);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_TRUE(host->Ended());
    EXPECT_FALSE(host->Window()->isVisible());

    RecordingDialog second(kConnectionTemplate);
    QtDialogHost secondHost(second, nullptr);
    secondHost.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(secondHost.Window()));
    secondHost.Window()->close();
    EXPECT_EQ(second.cancels, 1);
    EXPECT_TRUE(secondHost.Ended());
}

TEST_F(ConnectionWindow, AWindowWhoseCancelRefusesStaysOpen) {
    struct Refusing : RecordingDialog {
        using RecordingDialog::RecordingDialog;
        void OnCancel() override { ++cancels; }
    } refusing(kConnectionTemplate);
    QtDialogHost refusingHost(refusing, nullptr);
    refusingHost.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(refusingHost.Window()));
    refusingHost.Window()->close();
    QTest::keyClick(refusingHost.Window(), Qt::Key_Escape);
    EXPECT_EQ(refusing.cancels, 2);
    EXPECT_TRUE(refusingHost.Window()->isVisible());
    EXPECT_FALSE(refusingHost.Ended());
}

TEST_F(ConnectionWindow, ButtonCaptionsShowAmpersandsLiterally) {
    host->SetControlText(1001, "Save & Exit");
    EXPECT_EQ(host->ControlText(1001), "Save & Exit");
    EXPECT_EQ(Widget<QPushButton>(1001)->text(), QStringLiteral("Save && Exit"));
    EXPECT_EQ(Widget<QPushButton>(1001)->accessibleName(), QStringLiteral("Save & Exit"));
}

TEST_F(ConnectionWindow, TheTitleAndPicturesChangeOnRequest) {
    host->SetWindowTitle(resources::LoadString(102));
    EXPECT_EQ(host->Window()->windowTitle().toStdString(),
              "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)");
    host->ShowControl(78, false);
    host->ShowControl(79, true);
    EXPECT_FALSE(host->IsControlVisible(78));
    EXPECT_TRUE(host->IsControlVisible(79));
    auto* picture = Widget<QLabel>(79);
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_LE(picture->pixmap().width(), picture->width());
    EXPECT_LE(picture->pixmap().height(), picture->height());
}

TEST_F(ConnectionWindow, ListsAreNamedAfterTheLabelBesideThem) {
    const struct {
        ControlId id;
        const char* name;
    } rows[] = {{1028, "LPT Port"},  {1021, "COM Port"}, {1024, "Baud Rate"},
                {1025, "Data Bits"}, {1026, "Parity"},   {1027, "Stop Bits"}};
    for (const auto& row : rows) {
        EXPECT_EQ(host->Control(row.id)->accessibleName().toStdString(), row.name);
        bool hasBuddy = false;
        for (auto* label : host->Window()->findChildren<QLabel*>()) {
            if (label->buddy() == host->Control(row.id)) {
                hasBuddy = label->text().toStdString() == row.name;
            }
        }
        EXPECT_TRUE(hasBuddy) << row.name;
    }
}

TEST_F(ConnectionWindow, AMessageBoxShowsItsTextIconAndCaptionAndIsAnsweredWithOk) {
    const struct {
        Icon icon;
        QMessageBox::Icon shown;
    } rows[] = {{Icon::None, QMessageBox::NoIcon},
                {Icon::Exclamation, QMessageBox::Warning},
                {Icon::Information, QMessageBox::Information}};
    for (const auto& row : rows) {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::Critical;
        int buttons = 0;
        bool missed = false;
        WhenModal(
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                buttons = static_cast<int>(box->buttons().size());
                box->button(QMessageBox::Ok)->click();
            },
            &missed);
        host->MessageBox("Printer <b>is</b> connected.\r\n\r\nNext line", "Warnning", row.icon);
        EXPECT_FALSE(missed);
        EXPECT_EQ(text, QStringLiteral("Printer <b>is</b> connected.\n\nNext line"));
        EXPECT_EQ(title, QStringLiteral("Warnning"));
        EXPECT_EQ(icon, row.shown);
        EXPECT_EQ(buttons, 1);
    }
}

TEST_F(ConnectionWindow, TimersCallTheDialogUntilKilled) {
    host->SetTimer(18, std::chrono::milliseconds(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.timers.size() >= 2; }, 5000));
    EXPECT_EQ(dialog.timers[0], 18);
    host->KillTimer(18);
    const std::size_t fired = dialog.timers.size();
    QTest::qWait(20);
    EXPECT_EQ(dialog.timers.size(), fired);
}

TEST_F(ConnectionWindow, RepaintDuringAnExchangeRunsNoTimerOrClick) {
    host->SetTimer(18, std::chrono::milliseconds(0));
    QTest::mousePress(host->Control(1001), Qt::LeftButton);
    host->Repaint();
    EXPECT_TRUE(dialog.timers.empty());
    EXPECT_TRUE(dialog.commands.empty());
    host->KillTimer(18);
}

// Guards against anything reaching the logic while a handler waits for the printer (a click, a
// key, an assistive tool's press or toggle, a dialog timer), and against input queued then
// reaching the window once the handler opens its closing message box.
TEST_F(ConnectionWindow, NothingReachesTheLogicWhileAHandlerWaitsForThePrinter) {
    host->SetCheck(1018, true);
    bool boxShown = false;
    dialog.onCommand = [&](ControlId id, Notification) {
        if (id != 1001) {
            return;
        }
        host->SetTimer(18, std::chrono::milliseconds(0));
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(host->Control(72), Qt::LeftButton);
            QTest::keyClick(host->Window(), Qt::Key_Escape);
            ToggleAccessibly(host->Control(1019));
            QAccessible::queryAccessibleInterface(host->Control(1001))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        });
        for (int wait = 0; wait < 3; ++wait) {
            ExchangeWait::KeepWindowsAlive();
        }
        host->KillTimer(18);
        QCoreApplication::postEvent(
            host->Window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        WhenModal([&](QWidget* box) {
            boxShown = true;
            QTest::keyClick(box, Qt::Key_Return);
        });
        host->MessageBox("done", "", Icon::Information);
    };
    host->EnableControl(72, true);
    Click(1001);
    QTest::qWait(150);  // an assistive tool's press clicks a tenth of a second later

    EXPECT_EQ(dialog.commands, (decltype(dialog.commands){{1001, Notification::Clicked}}));
    EXPECT_TRUE(dialog.timers.empty());
    EXPECT_EQ(dialog.cancels, 0);
    EXPECT_FALSE(host->Ended());
    EXPECT_TRUE(host->IsChecked(1018));
    EXPECT_FALSE(host->IsChecked(1019));
    EXPECT_TRUE(boxShown);
}

}  // namespace
}  // namespace corvane::ui::qt

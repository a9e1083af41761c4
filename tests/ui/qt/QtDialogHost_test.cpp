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
#include "resources/DialogTemplate.h"
#include "ui/DataExchange.h"
#include "ui/qt/ExchangeWait.h"
#include "ui/qt/GroupFrame.h"
#include "ui/qt/QtShell.h"

namespace corvane::ui::qt {
namespace {

using resources::ControlKind;
using test::RecordingDialog;
using test::WhenModal;

constexpr int kConnectionTemplate = 102;
constexpr int kWaitTemplate = 101;
constexpr int kLineModeTemplate = 143;

// Lets the window run what it left to the event loop, as the running program would next.
void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Works a check box or radio through its accessibility action, as a screen reader or UI
// automation over AT-SPI does; Qt offers no other action for them.
void ToggleAccessibly(QWidget* widget) {
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(button, nullptr);
    QAccessibleActionInterface* actions = button->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
}

// A template's window, shown and active, over a dialog that records its notifications.
template <int TemplateId>
class ShownWindow : public testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<QtDialogHost>(dialog, nullptr);
        host->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host->Window()));
        host->Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host->Window()));
    }

    template <typename T>
    T* Widget(ControlId id) {
        auto* widget = qobject_cast<T*>(host->Control(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }

    // Clicks on the indicator of a radio or check box, or the middle of a button.
    void Click(ControlId id) {
        QWidget* widget = host->Control(id);
        ASSERT_NE(widget, nullptr);
        const bool indicator = qobject_cast<QRadioButton*>(widget) != nullptr ||
                               qobject_cast<QCheckBox*>(widget) != nullptr;
        const QPoint where = indicator ? QPoint(8, widget->height() / 2) : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
    }

    const resources::DialogTemplate& layout = *resources::FindTemplate(TemplateId);
    RecordingDialog dialog{TemplateId};
    std::unique_ptr<QtDialogHost> host;
};

using ConnectionWindow = ShownWindow<kConnectionTemplate>;

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

TEST_F(ConnectionWindow, AChildRunsModallyAndReturnsItsResult) {
    RecordingDialog child(kConnectionTemplate);
    bool missed = false;
    bool childWasModalOverParent = false;
    WhenModal(
        [&](QWidget* modal) {
            childWasModalOverParent = modal->parentWidget() == host->Window();
            QTest::keyClick(modal, Qt::Key_Escape);
        },
        &missed);
    EXPECT_EQ(host->RunModal(child), kIdCancel);
    EXPECT_FALSE(missed);
    EXPECT_TRUE(childWasModalOverParent);
    EXPECT_EQ(child.cancels, 1);
    EXPECT_EQ(child.destroyed, 1);
    EXPECT_FALSE(child.HasWindow());
}

TEST_F(ConnectionWindow, AChildThatEndsWhileStartingReturnsAtOnce) {
    RecordingDialog child(kConnectionTemplate);
    child.onInit = [&child] { child.Host().EndDialog(7); };
    EXPECT_EQ(host->RunModal(child), 7);
    EXPECT_EQ(child.destroyed, 1);
}

TEST_F(ConnectionWindow, AModelessWaitWindowIsCaptionlessAndStaysOnTopUntilClosed) {
    RecordingDialog wait(kWaitTemplate);
    wait.onInit = [&wait] {
        wait.Host().SetTopmost(true);
        wait.Host().CenterWindow();
    };
    host->ShowModeless(wait);
    QtDialogHost* waitHost = host->ModelessHost(wait);
    ASSERT_NE(waitHost, nullptr);
    QWidget* window = waitHost->Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(waitHost->Topmost());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->findChildren<QPushButton*>().isEmpty());
    const QRect owner = host->Window()->frameGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - owner.center().x()), 2);
    host->CloseModeless(wait);
    EXPECT_EQ(host->ModelessHost(wait), nullptr);
    EXPECT_EQ(wait.destroyed, 1);
    EXPECT_FALSE(wait.HasWindow());
}

TEST_F(ConnectionWindow, AWaitWindowOpenedWhileItsOwnerStartsIsCentredOverTheMainWindow) {
    host->Window()->move(5, 7);  // away from the middle of the screen
    RecordingDialog manager(kConnectionTemplate);
    RecordingDialog wait(kWaitTemplate);
    wait.onInit = [&wait] { wait.Host().CenterWindow(); };
    manager.onInit = [&manager, &wait] { manager.Host().ShowModeless(wait); };
    QPoint waitCentre;
    bool missed = false;
    WhenModal(
        [&](QWidget* modal) {
            waitCentre = wait.HasWindow()
                             ? static_cast<QtDialogHost&>(wait.Host()).Window()->geometry().center()
                             : QPoint();
            QTest::keyClick(modal, Qt::Key_Escape);
        },
        &missed);
    host->RunModal(manager);
    EXPECT_FALSE(missed);
    const QPoint mainCentre = host->Window()->frameGeometry().center();
    EXPECT_LE((waitCentre - mainCentre).manhattanLength(), 4);
    // Closing the window that opened it closes the wait window too.
    EXPECT_EQ(wait.destroyed, 1);
}

TEST_F(ConnectionWindow, AModelessWindowMayCloseItselfFromItsOwnHandler) {
    RecordingDialog child(kConnectionTemplate);
    child.onCommand = [this, &child](ControlId, Notification) { host->CloseModeless(child); };
    host->ShowModeless(child);
    QtDialogHost* childHost = host->ModelessHost(child);
    ASSERT_NE(childHost, nullptr);
    QTest::mouseClick(childHost->Control(1001), Qt::LeftButton);
    EXPECT_EQ(host->ModelessHost(child), nullptr);
    EXPECT_EQ(child.destroyed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ConnectionWindow, TheSaveDialogAddsTheDefaultExtensionAndOffersTheFilter) {
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    QStringList filters;
    bool missed = false;
    WhenModal(
        [&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(files, nullptr);
            filters = files->nameFilters();
            files->setDirectory(directory.path());
            files->selectFile(QStringLiteral("settings"));
            QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
        },
        &missed);
    const std::optional<std::string> path =
        host->SaveFileDialog({"", "", {"Status Files (*.sts)", "*.sts"}, "sts"});
    EXPECT_FALSE(missed);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, directory.filePath(QStringLiteral("settings.sts")).toStdString());
    EXPECT_EQ(filters, QStringList{QStringLiteral("Status Files (*.sts)")});
}

TEST_F(ConnectionWindow, TheOpenDialogReturnsNothingWhenCancelled) {
    bool missed = false;
    WhenModal(
        [](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(files, nullptr);
            EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
            files->reject();
        },
        &missed);
    EXPECT_FALSE(host->OpenFileDialog({"", "", {"Status Files", "*.sts"}, "sts"}).has_value());
    EXPECT_FALSE(missed);
}

TEST_F(ConnectionWindow, TheOwnerIsActiveWithItsFocusedControlAgainAfterAMessageBox) {
    // Guards against a window left without the keyboard once its message box is answered.
    host->SetFocus(1024);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->Control(1024)->hasFocus(); }));
    bool missed = false;
    bool boxWasActive = false;
    WhenModal(
        [&](QWidget* modal) {
            boxWasActive = QTest::qWaitForWindowActive(modal);
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        },
        &missed);
    host->MessageBox("Printer is connected.", "", Icon::Information);
    ASSERT_FALSE(missed);
    EXPECT_TRUE(boxWasActive);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == host->Window(); }));
    EXPECT_EQ(QApplication::focusWidget(), host->Control(1024));
}

TEST_F(ConnectionWindow, TheOwnerIsActiveWithItsFocusedControlAgainAfterAModalChild) {
    // Guards against a window left without the keyboard once the dialog it opened closed.
    host->SetFocus(1025);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->Control(1025)->hasFocus(); }));
    RecordingDialog child(kConnectionTemplate);
    bool missed = false;
    WhenModal(
        [&](QWidget* modal) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
            QTest::keyClick(modal, Qt::Key_Escape);
        },
        &missed);
    EXPECT_EQ(host->RunModal(child), kIdCancel);
    ASSERT_FALSE(missed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == host->Window(); }));
    EXPECT_EQ(QApplication::focusWidget(), host->Control(1025));
}

TEST_F(ConnectionWindow, AMessageBoxOverAWindowThatIsStillBlockedLeavesTheKeyboardToTheModalChild) {
    // Guards against the keyboard sent to a window that a modal child still blocks.
    RecordingDialog child(kConnectionTemplate);
    bool missed = false;
    bool childActiveAgain = false;
    WhenModal(
        [&](QWidget* modal) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
            WhenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }, &missed);
            host->MessageBox("Printer is not connected.", "", Icon::Exclamation);
            childActiveAgain =
                QTest::qWaitFor([&] { return QApplication::activeWindow() == modal; });
            QTest::keyClick(modal, Qt::Key_Escape);
        },
        &missed);
    EXPECT_EQ(host->RunModal(child), kIdCancel);
    EXPECT_FALSE(missed);
    EXPECT_TRUE(childActiveAgain);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == host->Window(); }));
}

using LineModeWindow = ShownWindow<kLineModeTemplate>;

TEST_F(LineModeWindow, AnAccessibleToggleReachesTheLogicAsOneClickOnTheControlThatChanged) {
    // Guards against a check changed by an assistive tool that the dialog logic never hears of.
    host->EnableControl(53, true);
    host->EnableControl(54, true);
    const struct {
        const char* what;
        ControlId checkedFirst;  // besides radio 53, which starts each row checked
        ControlId toggled;
        bool checkedAfter;
        int clicks;
        bool radio53After;
    } rows[] = {
        {"ticking a check box", 0, 29, true, 1, true},
        {"unticking a check box", 29, 29, false, 1, true},
        // Radio 53 loses its check to radio 54 without anyone choosing it.
        {"choosing an unchecked radio", 0, 54, true, 1, false},
        {"the checked radio of its group", 0, 53, true, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        host->SetCheck(29, false);
        host->SetCheck(53, true);
        host->SetCheck(54, false);
        if (row.checkedFirst != 0) {
            host->SetCheck(row.checkedFirst, true);
        }
        Settle();
        dialog.commands.clear();
        bool checkedWhenHeard = !row.checkedAfter;
        dialog.onCommand = [&](ControlId id, Notification) {
            checkedWhenHeard = host->IsChecked(id);
        };
        ToggleAccessibly(host->Control(row.toggled));
        Settle();
        EXPECT_EQ(host->IsChecked(row.toggled), row.checkedAfter);
        EXPECT_EQ(dialog.Times(row.toggled, Notification::Clicked), row.clicks);
        EXPECT_EQ(dialog.commands.size(), static_cast<std::size_t>(row.clicks));
        EXPECT_EQ(host->IsChecked(53), row.radio53After);
        if (row.clicks > 0) {
            EXPECT_EQ(checkedWhenHeard, row.checkedAfter);
        }
    }
}

TEST_F(LineModeWindow, AClickOrTheSpaceBarNotifiesOnceAndTheHostsOwnChecksNever) {
    host->EnableControl(53, true);
    host->EnableControl(54, true);
    host->SetCheck(29, true);
    host->SetCheck(29, false);
    host->SetCheck(54, true);
    host->SetCheck(53, true);
    host->SetCheck(53, false);
    DataExchange push(*host, layout, false);
    int index = 1;
    push.Radio(53, index);
    bool ticked = true;
    push.Check(29, ticked);
    Settle();
    EXPECT_TRUE(dialog.commands.empty());

    Click(29);
    Settle();
    EXPECT_FALSE(host->IsChecked(29));
    EXPECT_EQ(dialog.Times(29, Notification::Clicked), 1);
    host->SetFocus(29);
    QTest::keyClick(host->Control(29), Qt::Key_Space);
    Settle();
    EXPECT_TRUE(host->IsChecked(29));
    EXPECT_EQ(dialog.Times(29, Notification::Clicked), 2);
    Click(53);
    Settle();
    EXPECT_TRUE(host->IsChecked(53));
    EXPECT_EQ(dialog.Times(53, Notification::Clicked), 1);
    EXPECT_EQ(dialog.Times(54, Notification::Clicked), 0);
    EXPECT_EQ(dialog.commands.size(), 3u);
}

TEST_F(LineModeWindow, AToggleAndAClickBeforeTheWindowRunsAgainAreTwoClicks) {
    // Guards against a click that swallows the report of an earlier change it did not make.
    ToggleAccessibly(host->Control(29));
    Click(29);
    Settle();
    Settle();
    EXPECT_FALSE(host->IsChecked(29));
    EXPECT_EQ(dialog.Times(29, Notification::Clicked), 2);
}

TEST_F(LineModeWindow, AToggleThatClosesTheWindowEndsTheDelivery) {
    // Guards against a change still waiting to be reported reaching a window that has gone.
    dialog.onCommand = [this](ControlId, Notification) { host.reset(); };
    ToggleAccessibly(host->Control(29));
    ToggleAccessibly(host->Control(27));
    Settle();
    Settle();
    EXPECT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.destroyed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(LineModeWindow, AListKeepsTheNameOfTheCheckBoxBesideItWhenItsCaptionChanges) {
    host->SetControlText(29, "Paper size");
    EXPECT_EQ(host->Control(30)->accessibleName(), QStringLiteral("Paper size"));
}

TEST(MainDialog, RunsModallyAsAWindowOfItsOwnUntilTheDialogEnds) {
    RecordingDialog dialog(kConnectionTemplate);
    bool modalTopLevel = false;
    dialog.onInit = [&dialog] { dialog.Host().SetTimer(1, std::chrono::milliseconds(0)); };
    dialog.onTimer = [&](int) {
        QWidget* modal = QApplication::activeModalWidget();
        modalTopLevel = modal != nullptr && modal->parentWidget() == nullptr &&
                        modal->windowTitle().toStdString() == dialog.Template().caption;
        dialog.Host().KillTimer(1);
        dialog.Host().EndDialog(5);
    };
    // A main window that ends by itself ends the program with 0.
    EXPECT_EQ(RunMainDialog(dialog), 0);
    EXPECT_TRUE(modalTopLevel);
    EXPECT_EQ(dialog.destroyed, 1);
}

TEST(MainDialog, QuitProgramUnwindsEveryWindowAndReturnsItsCode) {
    // Guards against ending the program past the destructors that start stopped print queues.
    RecordingDialog main(kConnectionTemplate);
    RecordingDialog wait(kWaitTemplate);
    RecordingDialog child(kConnectionTemplate);
    RecordingDialog grandchild(kLineModeTemplate);
    RecordingDialog late(kWaitTemplate);
    struct Step {
        RecordingDialog* dialog;
        std::function<void(DialogHost&)> onTimer;
    };
    int childResult = -1;
    int lateResult = -1;
    bool mainRanOn = false;
    bool waitShown = true;
    const Step steps[] = {
        {&main,
         [&](DialogHost& host) {
             host.ShowModeless(wait);
             host.RunModal(child);
             mainRanOn = true;
         }},
        {&child,
         [&](DialogHost& host) {
             childResult = host.RunModal(grandchild);
             lateResult = host.RunModal(late);
             waitShown = static_cast<QtDialogHost&>(wait.Host()).Window()->isVisible();
         }},
        // Its timer keeps running and its check box is clicked after the quit: neither may
        // reach the logic any more.
        {&grandchild,
         [](DialogHost& host) {
             host.QuitProgram(0);
             qobject_cast<QAbstractButton*>(static_cast<QtDialogHost&>(host).Control(29))->click();
         }},
    };
    for (const Step& step : steps) {
        RecordingDialog& dialog = *step.dialog;
        dialog.onInit = [&dialog] { dialog.Host().SetTimer(1, std::chrono::milliseconds(0)); };
        dialog.onTimer = [&dialog, &step, &grandchild](int) {
            if (&dialog != &grandchild) {
                dialog.Host().KillTimer(1);
            }
            step.onTimer(dialog.Host());
        };
    }
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "a modal loop did not end";
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(window)) {
                dialog->done(kIdCancel);
            }
        }
    });
    watchdog.start(10000);

    EXPECT_EQ(RunMainDialog(main), 0);
    EXPECT_EQ(childResult, kIdCancel);
    EXPECT_EQ(lateResult, kIdCancel);
    EXPECT_TRUE(mainRanOn);
    EXPECT_FALSE(waitShown);
    EXPECT_EQ(grandchild.timers.size(), 1u);
    EXPECT_TRUE(grandchild.commands.empty());
    for (const RecordingDialog* dialog : {&main, &wait, &child, &grandchild}) {
        EXPECT_EQ(dialog->destroyed, 1) << dialog->TemplateId();
    }
    EXPECT_EQ(late.destroyed, 0);
    EXPECT_TRUE(main.commands.empty());
    EXPECT_EQ(main.cancels + child.cancels + grandchild.cancels, 0);
}

class EveryTemplateWindow : public testing::TestWithParam<int> {};

TEST_P(EveryTemplateWindow, EveryControlThatTakesInputIsKeyboardReachableAndNamed) {
    RecordingDialog dialog(GetParam());
    QtDialogHost host(dialog, nullptr);
    for (const auto& control : dialog.Template().controls) {
        if (control.id == resources::kStaticId || control.kind == ControlKind::Picture ||
            control.kind == ControlKind::Label || control.kind == ControlKind::GroupBox) {
            continue;
        }
        QWidget* widget = host.Control(control.id);
        ASSERT_NE(widget, nullptr) << "control " << control.id;
        if (control.kind != ControlKind::ProgressBar) {
            EXPECT_TRUE((widget->focusPolicy() & Qt::TabFocus) != 0) << "control " << control.id;
        }
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << "control " << control.id;
    }
}

TEST_P(EveryTemplateWindow, AssistiveToolsReadEachInputControlsNameAlsoWithAnItemChosen) {
    // Guards against a list announced by its current item alone, with no word of what it sets.
    RecordingDialog dialog(GetParam());
    QtDialogHost host(dialog, nullptr);
    for (const auto& control : dialog.Template().controls) {
        if (control.id == resources::kStaticId || control.kind == ControlKind::Picture ||
            control.kind == ControlKind::Label || control.kind == ControlKind::GroupBox ||
            control.kind == ControlKind::ProgressBar) {
            continue;
        }
        SCOPED_TRACE("control " + std::to_string(control.id));
        QWidget* widget = host.Control(control.id);
        ASSERT_NE(widget, nullptr);
        const bool dropDown =
            control.kind == ControlKind::DropDownList || control.kind == ControlKind::DropDownCombo;
        if (dropDown) {
            if (host.ItemCount(control.id) == 0) {
                host.AddItem(control.id, "COM1");
            }
            host.SetSelection(control.id, host.ItemCount(control.id) - 1);
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        const QString name = accessible->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty());
        EXPECT_EQ(name, widget->accessibleName());
        if (!control.caption.empty()) {
            EXPECT_EQ(name.toStdString(), control.caption);
        }
        if (!dropDown) {
            continue;
        }
        const std::string shown = host.ControlText(control.id);
        EXPECT_NE(name.toStdString(), shown);
        EXPECT_EQ(accessible->text(QAccessible::Value).toStdString(), shown);
        // A screen reader finds the text beside a list through its label relation.
        bool labelled = false;
        for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
            labelled = labelled || label->text(QAccessible::Name) == name;
        }
        EXPECT_TRUE(labelled);
    }
}

TEST_P(EveryTemplateWindow, NoCaptionIsCutOff) {
    RecordingDialog dialog(GetParam());
    QtDialogHost host(dialog, nullptr);
    for (auto* button : host.Window()->findChildren<QAbstractButton*>()) {
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.horizontalAdvance(button->text().replace("&&", "&")), button->width())
            << button->text().toStdString();
    }
}

TEST_P(EveryTemplateWindow, ProgressBarsKeepTheirPositionWithinTheirRange) {
    RecordingDialog dialog(GetParam());
    QtDialogHost host(dialog, nullptr);
    for (const auto& control : dialog.Template().controls) {
        if (control.kind != ControlKind::ProgressBar) {
            continue;
        }
        auto* bar = qobject_cast<QProgressBar*>(host.Control(control.id));
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(bar->isTextVisible());
        host.SetProgressRange(control.id, 0, 30);
        host.SetProgress(control.id, 12);
        EXPECT_EQ(host.Progress(control.id), 12);
        host.SetProgress(control.id, 45);
        EXPECT_EQ(host.Progress(control.id), 30);
        host.SetProgress(control.id, -2);
        EXPECT_EQ(host.Progress(control.id), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, EveryTemplateWindow, testing::ValuesIn(resources::TemplateIds()),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Template" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace corvane::ui::qt

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

using test::ConnectionWindow;
using test::kConnectionTemplate;
using test::kLineModeTemplate;
using test::kWaitTemplate;
using test::LineModeWindow;
using test::RecordingDialog;
using test::Settle;
using test::ToggleAccessibly;
using test::WhenModal;

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
}  // namespace
}  // namespace corvane::ui::qt

// Enter in the real main window while a printer is connected.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/ConnectionDialog.h"
#include "link/PrinterPort.h"
#include "manager/ManagerDialog.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"
#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt {
namespace {

// Answers every message box that comes up, keeping its text.
class BoxAnswerer {
public:
    BoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text().toStdString());
                box->accept();
            }
        });
        timer_.start(5);
    }

    std::vector<std::string> texts;

private:
    QTimer timer_;
};

// Guards against Enter closing the main window, or acting at all, while Connected, where its
// default button (Connect) is disabled.
TEST(MainWindowEnter, InTheConnectedStateNeitherClosesTheWindowNorDoesAnything) {
    platform::sim::SimPlatform platform;
    sim::VirtualPrinter printer(sim::Model::Krt310);
    platform.AttachSerial("COM1", printer);
    link::PrinterPort port(platform);
    app::ConnectionDialog dialog(port);
    QtDialogHost host(dialog, nullptr);
    host.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.Window()));
    host.Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.Window()));

    BoxAnswerer boxes;
    host.SetFocus(1021);  // the COM box
    QTest::keyClick(host.Control(1021), Qt::Key_Return);
    ASSERT_EQ(boxes.texts, std::vector<std::string>{"Printer is connected."});
    ASSERT_FALSE(host.IsControlEnabled(1001));
    ASSERT_TRUE(port.IsOpen());

    ASSERT_TRUE(QTest::qWaitForWindowActive(host.Window()));
    platform.ClearEvents();
    // Connect lost the focus when it was disabled; it must not have passed to Disconnect.
    QWidget* focus = QApplication::focusWidget();
    EXPECT_NE(focus, host.Control(72));
    QTest::keyClick(focus != nullptr ? focus : host.Window(), Qt::Key_Return);
    QTest::keyClick(focus != nullptr ? focus : host.Window(), Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::processEvents();
    // The model radio stays enabled while Connected and takes no Enter of its own.
    host.SetFocus(80);
    QTest::keyClick(host.Control(80), Qt::Key_Return);
    QCoreApplication::processEvents();

    EXPECT_FALSE(host.Ended());
    EXPECT_TRUE(host.Window()->isVisible());
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(platform.Events().empty());  // not a byte, not a pause
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(host.IsControlEnabled(72));  // still Connected: Disconnect is the way out
    EXPECT_FALSE(host.IsControlEnabled(1001));
}

// Guards against Enter closing the memory switch manager and throwing away the choices made in
// it: without a focused push button, Enter does nothing there.
TEST(ManagerEnter, AfterAChoiceFromAListKeepsTheManagerOpenAndTheChoice) {
    platform::sim::SimPlatform platform;
    sim::VirtualPrinter printer(sim::Model::Krt310II);
    platform.AttachSerial("COM1", printer);
    link::PrinterPort port(platform);
    app::ConnectionDialog dialog(port);
    QtDialogHost host(dialog, nullptr);
    host.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.Window()));
    BoxAnswerer boxes;
    host.SetFocus(1021);
    QTest::keyClick(host.Control(1021), Qt::Key_Return);
    ASSERT_TRUE(port.IsOpen());

    manager::ManagerDialog& managerDialog = dialog.Manager();
    managerDialog.PrepareForOpening(protocol::PrinterModel::Krt310Family);
    QtDialogHost manager(managerDialog, nullptr);
    manager.Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.IsControlEnabled(1002); }, 5000));
    manager.Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(manager.Window()));
    manager.SetFocus(1013);  // "Baund Rate :", at "No Change"
    QTest::keyClick(manager.Control(1013), Qt::Key_Down);
    QTest::keyClick(manager.Control(1013), Qt::Key_Down);
    QTest::keyClick(manager.Control(1013), Qt::Key_Return);
    QCoreApplication::processEvents();

    EXPECT_FALSE(manager.Ended());
    EXPECT_TRUE(manager.Window()->isVisible());
    EXPECT_EQ(manager.Selection(1013), 2);  // "2400"
    EXPECT_EQ(managerDialog.State().baudIndex, 2);
    QTest::mouseClick(manager.Control(1007), Qt::LeftButton);  // Exit still closes it
    EXPECT_TRUE(manager.Ended());
    EXPECT_EQ(managerDialog.State().baudIndex, 2);
}

}  // namespace
}  // namespace corvane::ui::qt

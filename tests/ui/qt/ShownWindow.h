#pragma once

// A template's window shown and active for the host's tests, with the moves a user or an
// assistive tool makes on it.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "QtTestSupport.h"
#include "resources/DialogTemplate.h"
#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt::test {

constexpr int kConnectionTemplate = 102;
constexpr int kWaitTemplate = 101;
constexpr int kLineModeTemplate = 143;

// Lets the window run what it left to the event loop, as the running program would next.
inline void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Works a check box or radio through its accessibility action, as a screen reader or UI
// automation over AT-SPI does; Qt offers no other action for them.
inline void ToggleAccessibly(QWidget* widget) {
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
using LineModeWindow = ShownWindow<kLineModeTemplate>;

}  // namespace corvane::ui::qt::test

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
using test::RecordingDialog;

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

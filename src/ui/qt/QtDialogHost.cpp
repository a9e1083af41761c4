#include "ui/qt/QtDialogHost.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/qt/BuddyLabels.h"
#include "ui/qt/DropDownAccessible.h"
#include "ui/qt/GroupFrame.h"
#include "ui/qt/TemplateWindow.h"

namespace corvane::ui::qt {

using resources::ControlKind;
using resources::ControlTemplate;

namespace {

// Texts are UTF-8; a printer's reply that is not is shown byte for byte as Latin-1.
QString ToQString(const std::string& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded =
        decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (decoder.hasError()) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    return decoded;
}

std::string ToStdString(const QString& text) {
    return text.toStdString();
}

// Button captions carry no mnemonics: an ampersand is shown as itself.
QString LiteralCaption(const std::string& caption) {
    return ToQString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

Qt::Alignment TextAlignment(std::uint32_t style) {
    if ((style & resources::kAlignRight) != 0) {
        return Qt::AlignRight;
    }
    if ((style & resources::kAlignCenter) != 0) {
        return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
}

bool IsList(ControlKind kind) {
    return kind == ControlKind::DropDownList || kind == ControlKind::DropDownCombo ||
           kind == ControlKind::ListBox;
}

// Controls whose losing the focus the dialog logic hears of.
bool ReportsFocusLoss(ControlKind kind) {
    return kind == ControlKind::Edit || IsList(kind);
}

QString FilterText(const FileFilter& filter) {
    QString pattern = ToQString(filter.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    QString description = ToQString(filter.description);
    if (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))) {
        return description;
    }
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

bool CaptionFits(QWidget* widget, ControlKind kind, const QString& text) {
    const QFontMetrics metrics(widget->font());
    switch (kind) {
        case ControlKind::RadioButton:
        case ControlKind::CheckBox: {
            // The indicator, its gap and the text; the focus frame's margin may be cut.
            const bool radio = kind == ControlKind::RadioButton;
            const QStyle* style = widget->style();
            const int indicator = style->pixelMetric(
                radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr,
                widget);
            const int spacing = style->pixelMetric(
                radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing,
                nullptr, widget);
            return indicator + spacing + metrics.horizontalAdvance(text) + 1 <= widget->width();
        }
        case ControlKind::PushButton:
            return metrics.horizontalAdvance(text) + 6 <= widget->width();
        case ControlKind::Label: {
            const auto* label = static_cast<QLabel*>(widget);
            int longestWord = 0;
            for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                longestWord = std::max(longestWord, metrics.horizontalAdvance(word));
            }
            return longestWord <= widget->width() &&
                   label->heightForWidth(widget->width()) <= widget->height() + 1;
        }
        default:
            return true;
    }
}

// The desktop font runs wider than the one the templates were laid out for; a caption that
// would be cut off gets a slightly smaller font instead.
void FitCaption(QWidget* widget, ControlKind kind, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    QFont font = widget->font();
    const qreal smallest = font.pointSizeF() * 0.8;
    while (!CaptionFits(widget, kind, text) && font.pointSizeF() - 0.5 >= smallest) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        widget->setFont(font);
    }
}

Qt::WindowFlags WindowFlags(std::uint32_t style) {
    Qt::WindowFlags flags = Qt::Dialog;
    if ((style & resources::kCaption) == 0) {
        return flags | Qt::FramelessWindowHint;
    }
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((style & resources::kSystemMenu) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if ((style & resources::kMinimizeBox) != 0) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    return flags;
}

}  // namespace

QtDialogHost::QtDialogHost(Dialog& dialog, QWidget* parent, const QtDialogHost* owner)
    : dialog_(dialog),
      template_(dialog.Template()),
      owner_(owner),
      font_(DialogUnits::DialogFont(template_)),
      units_(font_),
      window_(new TemplateWindow(parent)) {
    BuildWindow();
    dialog_.AttachHost(this);
    const bool focusFirst = dialog_.OnInitDialog();
    if (focusFirst && !Ended()) {
        // The first control that takes the keyboard focus, as the dialog manager would choose.
        for (const auto& [layout, widget] : built_) {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() &&
                !widget->isHidden()) {
                widget->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

QtDialogHost::~QtDialogHost() {
    *alive_ = false;
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnDestroy();
        dialog_.AttachHost(nullptr);
    }
    modeless_.clear();
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
    timers_.clear();
    toggleTimer_->stop();
    pendingToggles_.clear();
    for (auto& connection : connections_) {
        QObject::disconnect(connection);
    }
    window_->SetCancelHandler({});
    window_->SetEnterHandler({});
    window_->hide();
    // A window whose own handler is still running (a modeless window closed from its own
    // button) goes once that handler has returned.
    if (*depth_ > 0) {
        window_->deleteLater();
    } else {
        delete window_;
    }
}

void QtDialogHost::BuildWindow() {
    window_->setWindowFlags(WindowFlags(template_.style));
    window_->SetDrawBorder((template_.style & resources::kCaption) == 0 &&
                           (template_.style & (resources::kThinBorder | resources::kModalFrame)) !=
                               0);
    window_->setFont(font_);
    window_->setWindowTitle(ToQString(template_.caption));
    window_->setFixedSize(units_.ToPixels(template_.width, template_.height));
    window_->setSizeGripEnabled(false);
    DropDownAccessible::Install();

    auto depth = depth_;
    window_->SetCancelHandler([this, depth] {
        ++*depth;
        Cancel();
        --*depth;
    });
    window_->SetEnterHandler([this, depth] {
        ++*depth;
        PressEnter();
        --*depth;
    });

    toggleTimer_ = new QTimer(window_);
    toggleTimer_->setSingleShot(true);
    toggleTimer_->setInterval(0);
    connections_.push_back(
        QObject::connect(toggleTimer_, &QTimer::timeout, window_, [this] { DeliverToggle(); }));

    for (const auto& layout : template_.controls) {
        QWidget* widget = BuildControl(layout);
        if (widget == nullptr) {
            continue;
        }
        FitCaption(widget, layout.kind, ToQString(layout.caption));
        built_.emplace_back(&layout, widget);
        widgetIds_[widget] = layout.id;
        if (layout.id != resources::kStaticId) {
            controls_[layout.id] = ControlEntry{&layout, widget, layout.caption};
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
    BuildRadioGroups();
    NameControls();

    connections_.push_back(QObject::connect(
        qApp, &QApplication::focusChanged, window_, [this, depth](QWidget* old, QWidget* now) {
            // Focus moving to another window or into a control's own popup is no loss.
            if (old == nullptr || now == nullptr || now->window() != window_ || Ended()) {
                return;
            }
            for (QWidget* w = old; w != nullptr && w != window_; w = w->parentWidget()) {
                auto found = widgetIds_.find(w);
                if (found == widgetIds_.end()) {
                    continue;
                }
                const ControlEntry* control = Find(found->second);
                if (control == nullptr || !ReportsFocusLoss(control->layout->kind) ||
                    w->isAncestorOf(now)) {
                    return;
                }
                ++*depth;
                Notify(found->second, Notification::FocusLost);
                --*depth;
                return;
            }
        }));
}

QWidget* QtDialogHost::BuildControl(const ControlTemplate& layout) {
    const QRect rect = units_.ToPixels(layout.rect);
    const ControlId id = layout.id;
    auto depth = depth_;
    auto notifier = [this, depth, id](Notification notification) {
        return [this, depth, id, notification] {
            ++*depth;
            Notify(id, notification);
            --*depth;
        };
    };

    switch (layout.kind) {
        case ControlKind::GroupBox: {
            auto* box = new GroupFrame(ToQString(layout.caption), units_.BaseX() + 2, window_);
            box->setGeometry(rect);
            return box;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(window_);
            label->setTextFormat(Qt::PlainText);
            label->setText(ToQString(layout.caption));
            label->setAlignment(TextAlignment(layout.style) | Qt::AlignTop);
            label->setWordWrap(true);
            label->setGeometry(rect);
            return label;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(LiteralCaption(layout.caption), window_);
            radio->setGeometry(rect);
            WatchCheck(radio, id);
            return radio;
        }
        case ControlKind::CheckBox: {
            auto* check = new QCheckBox(LiteralCaption(layout.caption), window_);
            check->setGeometry(rect);
            WatchCheck(check, id);
            return check;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(LiteralCaption(layout.caption), window_);
            button->setAutoDefault(true);
            button->setDefault((layout.style & resources::kDefaultButton) != 0);
            button->setGeometry(rect);
            connections_.push_back(QObject::connect(button, &QAbstractButton::clicked, button,
                                                    notifier(Notification::Clicked)));
            return button;
        }
        case ControlKind::DropDownList:
        case ControlKind::DropDownCombo: {
            auto* combo = new QComboBox(window_);
            const bool editable = layout.kind == ControlKind::DropDownCombo;
            combo->setEditable(editable);
            combo->setInsertPolicy(QComboBox::NoInsert);
            for (const auto& item : layout.items) {
                combo->addItem(ToQString(item));
            }
            combo->setCurrentIndex(-1);
            if (editable) {
                // Typed text is taken as typed: no completion from the list.
                combo->setCompleter(nullptr);
                connections_.push_back(QObject::connect(combo->lineEdit(), &QLineEdit::textEdited,
                                                        combo,
                                                        notifier(Notification::TextChanged)));
            }
            // Only the user's choice is a selection change; the logic's own changes are not.
            connections_.push_back(QObject::connect(combo, &QComboBox::activated, combo,
                                                    notifier(Notification::SelectionChanged)));
            // The template's height is that of the open list; the closed box is one line.
            const int closedHeight = combo->sizeHint().height();
            const int itemHeight = std::max(1, QFontMetrics(font_).height());
            combo->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / itemHeight));
            combo->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            combo->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
            return combo;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(window_);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            for (const auto& item : layout.items) {
                list->addItem(ToQString(item));
            }
            list->setVerticalScrollBarPolicy((layout.style & resources::kVScroll) != 0
                                                 ? Qt::ScrollBarAlwaysOn
                                                 : Qt::ScrollBarAsNeeded);
            list->setGeometry(rect);
            // Programmatic changes block the list's signals, so this hears only the user.
            connections_.push_back(QObject::connect(list, &QListWidget::currentRowChanged, list,
                                                    notifier(Notification::SelectionChanged)));
            return list;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(window_);
            edit->setAlignment(TextAlignment(layout.style) | Qt::AlignVCenter);
            if ((layout.style & resources::kNumberOnly) != 0) {
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            }
            edit->setText(ToQString(layout.caption));
            edit->setGeometry(rect);
            connections_.push_back(QObject::connect(edit, &QLineEdit::textEdited, edit,
                                                    notifier(Notification::TextChanged)));
            return edit;
        }
        case ControlKind::Picture: {
            auto* label = new QLabel(window_);
            label->setAlignment(Qt::AlignCenter);
            if (const resources::Picture* picture = resources::FindPicture(layout.pictureId)) {
                const QImage image(picture->rgb.data(), picture->width, picture->height,
                                   picture->width * 3, QImage::Format_RGB888);
                label->setPixmap(QPixmap::fromImage(
                    image.scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
                label->setAccessibleName(ToQString(picture->description));
            }
            label->setGeometry(rect);
            return label;
        }
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(window_);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setGeometry(rect);
            return bar;
        }
    }
    return nullptr;
}

void QtDialogHost::BuildRadioGroups() {
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
            group = new QButtonGroup(window_);
            group->setExclusive(true);
            radioGroups_.push_back(group);
        }
        group->addButton(static_cast<QRadioButton*>(widget), layout->id);
    }
}

void QtDialogHost::NameControls() {
    for (const auto& [layout, widget] : built_) {
        if (layout->kind == ControlKind::Picture) {
            continue;  // named after its picture when built
        }
        const std::string name = AccessibleNameFor(template_, *layout);
        if (!name.empty()) {
            widget->setAccessibleName(ToQString(name));
        }
        if (!layout->caption.empty() || layout->kind == ControlKind::Label ||
            layout->kind == ControlKind::GroupBox) {
            continue;
        }
        // A label beside a list or field is its buddy, which screen readers announce with it;
        // a check box or radio there is a drop-down list's label for them as well.
        const ControlTemplate* buddy = FindBuddyLabel(template_, *layout);
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

void QtDialogHost::WatchCheck(QAbstractButton* button, ControlId id) {
    auto depth = depth_;
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    // An assistive tool's toggle action changes the check without a click; the logic hears of
    // it as a click all the same, unless the click that follows the change claims it.
    connections_.push_back(QObject::connect(
        button, &QAbstractButton::toggled, button, [this, id, radio](bool checked) {
            // A radio that lost its check to another is not what the user chose.
            if (settingCheck_ || (radio && !checked) || Ended()) {
                return;
            }
            pendingToggles_.push_back(id);
            toggleTimer_->start();
        }));
    connections_.push_back(
        QObject::connect(button, &QAbstractButton::clicked, button, [this, depth, id] {
            if (!pendingToggles_.empty() && pendingToggles_.back() == id) {
                pendingToggles_.pop_back();
            }
            ++*depth;
            Notify(id, Notification::Clicked);
            --*depth;
        }));
}

void QtDialogHost::DeliverToggle() {
    if (pendingToggles_.empty()) {
        return;
    }
    const ControlId id = pendingToggles_.front();
    pendingToggles_.erase(pendingToggles_.begin());
    const auto alive = alive_;
    auto depth = depth_;
    ++*depth;
    Notify(id, Notification::Clicked);
    --*depth;
    // The logic may have closed this window; the next change waits until its handler returned.
    if (*alive && !pendingToggles_.empty()) {
        toggleTimer_->start();
    }
}

void QtDialogHost::ReturnFocus(QWidget* focusBefore) {
    // A window manager gives the owner of a closed dialog the focus back; bare X leaves it
    // nowhere, and the keyboard would reach no window.
    if (Ended() || !window_->isVisible()) {
        return;
    }
    // While a modal window that this one opened is still up, input goes only to that window.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        bool blocked = true;
        for (const QWidget* w = window_; w != nullptr; w = w->parentWidget()) {
            blocked = blocked && w != modal;
        }
        if (blocked) {
            modal->raise();
            modal->activateWindow();
            return;
        }
    }
    window_->raise();
    window_->activateWindow();
    auto usable = [this](const QWidget* widget) {
        return widget != nullptr && widget->window() == window_ && widget->isEnabled() &&
               widget->isVisible();
    };
    QWidget* focus = window_->focusWidget();
    if (!usable(focus)) {
        focus = focusBefore;
    }
    if (usable(focus)) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void QtDialogHost::Notify(ControlId id, Notification notification) {
    if (Ended() || !dialog_.HasWindow() || &dialog_.Host() != this) {
        return;
    }
    // The handler may close this very window; nothing here runs after it.
    dialog_.OnCommand(id, notification);
}

void QtDialogHost::PressEnter() {
    if (Ended()) {
        return;
    }
    for (const auto& layout : template_.controls) {
        if ((layout.style & resources::kDefaultButton) == 0) {
            continue;
        }
        // A disabled or hidden default button ignores Enter, as it would a click.
        auto* button = qobject_cast<QPushButton*>(Control(layout.id));
        if (button != nullptr && button->isEnabled() && !button->isHidden()) {
            button->click();
        }
        return;
    }
    dialog_.OnOk();
}

void QtDialogHost::Cancel() {
    if (!Ended()) {
        dialog_.OnCancel();
    }
}

int QtDialogHost::Exec() {
    if (!Ended()) {
        running_ = true;
        window_->exec();
        running_ = false;
    }
    return result_.value_or(kIdCancel);
}

void QtDialogHost::Show() {
    if (Ended()) {
        return;
    }
    window_->show();
    window_->raise();
}

QWidget* QtDialogHost::Window() const {
    return window_;
}

QWidget* QtDialogHost::Control(ControlId id) const {
    const ControlEntry* control = Find(id);
    return control == nullptr ? nullptr : control->widget;
}

bool QtDialogHost::Topmost() const {
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

QtDialogHost* QtDialogHost::ModelessHost(const Dialog& child) const {
    auto found = modeless_.find(&child);
    return found == modeless_.end() ? nullptr : found->second.get();
}

const QtDialogHost::ControlEntry* QtDialogHost::Find(ControlId id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

QtDialogHost::ControlEntry* QtDialogHost::Find(ControlId id) {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void QtDialogHost::EnableControl(ControlId id, bool enable) {
    if (QWidget* widget = Control(id)) {
        widget->setEnabled(enable);
    }
}

bool QtDialogHost::IsControlEnabled(ControlId id) const {
    const QWidget* widget = Control(id);
    return widget != nullptr && widget->isEnabled();
}

void QtDialogHost::ShowControl(ControlId id, bool show) {
    if (QWidget* widget = Control(id)) {
        widget->setVisible(show);
    }
}

bool QtDialogHost::IsControlVisible(ControlId id) const {
    const QWidget* widget = Control(id);
    return widget != nullptr && !widget->isHidden();
}

void QtDialogHost::SetControlText(ControlId id, const std::string& text) {
    ControlEntry* control = Find(id);
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

std::string QtDialogHost::ControlText(ControlId id) const {
    const ControlEntry* control = Find(id);
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

void QtDialogHost::SetCheck(ControlId id, bool checked) {
    ControlEntry* control = Find(id);
    if (control == nullptr) {
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(control->widget);
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

bool QtDialogHost::IsChecked(ControlId id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button != nullptr && button->isChecked();
}

void QtDialogHost::ClearItems(ControlId id) {
    QWidget* widget = Control(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->clear();
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        list->clear();
    }
}

void QtDialogHost::AddItem(ControlId id, const std::string& text) {
    QWidget* widget = Control(id);
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

int QtDialogHost::ItemCount(ControlId id) const {
    QWidget* widget = Control(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->count();
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        return list->count();
    }
    return 0;
}

std::string QtDialogHost::ItemText(ControlId id, int index) const {
    QWidget* widget = Control(id);
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

void QtDialogHost::SetSelection(ControlId id, int index) {
    QWidget* widget = Control(id);
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

int QtDialogHost::Selection(ControlId id) const {
    QWidget* widget = Control(id);
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

void QtDialogHost::SetProgressRange(ControlId id, int low, int high) {
    if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) {
        bar->setRange(low, std::max(low, high));
    }
}

void QtDialogHost::SetProgress(ControlId id, int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
        // The window is frozen during an exchange, so the bar paints itself at once.
        if (bar->isVisible()) {
            bar->repaint();
        }
    }
}

int QtDialogHost::Progress(ControlId id) const {
    auto* bar = qobject_cast<QProgressBar*>(Control(id));
    return bar == nullptr ? 0 : bar->value();
}

void QtDialogHost::SetWindowTitle(const std::string& title) {
    window_->setWindowTitle(ToQString(title));
}

std::string QtDialogHost::WindowTitle() const {
    return ToStdString(window_->windowTitle());
}

void QtDialogHost::SetTopmost(bool topmost) {
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing a window's flags hides it.
    if (visible) {
        window_->show();
    }
}

void QtDialogHost::CenterWindow() {
    // Over the parent, else over the window that opened this one or that window's own parent
    // (a window still being built is not shown yet), else on the screen.
    QRect area;
    const QWidget* candidates[] = {
        window_->parentWidget() != nullptr ? window_->parentWidget()->window() : nullptr,
        owner_ != nullptr ? owner_->window_ : nullptr,
        owner_ != nullptr && owner_->window_->parentWidget() != nullptr
            ? owner_->window_->parentWidget()->window()
            : nullptr,
    };
    for (const QWidget* candidate : candidates) {
        if (candidate != nullptr && candidate->isVisible()) {
            area = candidate->frameGeometry();
            break;
        }
    }
    if (area.isNull()) {
        const QScreen* screen = window_->screen();
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        area = screen->availableGeometry();
    }
    const QSize size = window_->isVisible() ? window_->frameGeometry().size() : window_->size();
    window_->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

void QtDialogHost::SetFocus(ControlId id) {
    if (QWidget* widget = Control(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void QtDialogHost::EndDialog(int result) {
    result_ = result;
    window_->done(result);
}

void QtDialogHost::MessageBox(const std::string& text, const std::string& caption, Icon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation) {
        boxIcon = QMessageBox::Warning;
    } else if (icon == Icon::Information) {
        boxIcon = QMessageBox::Information;
    }
    const QString title =
        caption.empty() ? QGuiApplication::applicationDisplayName() : ToQString(caption);
    QString body = ToQString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QPointer<QWidget> focus = window_->focusWidget();
    const auto alive = alive_;
    {
        QMessageBox box(boxIcon, title, body, QMessageBox::Ok, window_);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    if (*alive) {
        ReturnFocus(focus);
    }
}

std::optional<std::string> QtDialogHost::FileDialog(bool save, const FileFilter& filter,
                                                    const std::string& defaultExtension) {
    QFileDialog dialog(window_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(FilterText(filter));
    QString suffix = ToQString(defaultExtension);
    while (suffix.startsWith(QLatin1Char('.'))) {
        suffix.remove(0, 1);
    }
    if (!suffix.isEmpty()) {
        dialog.setDefaultSuffix(suffix);
    }
    const QPointer<QWidget> focus = window_->focusWidget();
    const auto alive = alive_;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (*alive) {
        ReturnFocus(focus);
    }
    if (!accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtDialogHost::OpenFileDialog(const FileFilter& filter,
                                                        const std::string& defaultExtension) {
    return FileDialog(false, filter, defaultExtension);
}

std::optional<std::string> QtDialogHost::SaveFileDialog(const FileFilter& filter,
                                                        const std::string& defaultExtension) {
    return FileDialog(true, filter, defaultExtension);
}

void QtDialogHost::SetTimer(int timerId, std::chrono::milliseconds interval) {
    QTimer*& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer(window_);
        auto depth = depth_;
        connections_.push_back(
            QObject::connect(timer, &QTimer::timeout, window_, [this, depth, timerId] {
                if (Ended() || !dialog_.HasWindow()) {
                    return;
                }
                ++*depth;
                dialog_.OnTimer(timerId);
                --*depth;
            }));
    }
    timer->start(static_cast<int>(std::clamp<long long>(interval.count(), 0, INT32_MAX)));
}

void QtDialogHost::KillTimer(int timerId) {
    auto found = timers_.find(timerId);
    if (found != timers_.end()) {
        found->second->stop();
    }
}

int QtDialogHost::RunModal(Dialog& child) {
    const QPointer<QWidget> focus = window_->focusWidget();
    const auto alive = alive_;
    int result = kIdCancel;
    {
        QtDialogHost childHost(child, window_, this);
        result = childHost.Exec();
    }
    if (*alive) {
        ReturnFocus(focus);
    }
    return result;
}

void QtDialogHost::ShowModeless(Dialog& child) {
    modeless_.erase(&child);
    auto host = std::make_unique<QtDialogHost>(child, nullptr, this);
    host->Show();
    modeless_[&child] = std::move(host);
}

void QtDialogHost::CloseModeless(Dialog& child) {
    modeless_.erase(&child);
}

void QtDialogHost::Repaint() {
    // Paints now, without running the event loop: no timer or click may cut into an exchange.
    if (window_->isVisible()) {
        window_->repaint();
    }
}

void QtDialogHost::QuitProgram(int exitCode) {
    std::fflush(nullptr);
    std::exit(exitCode);
}

}  // namespace corvane::ui::qt

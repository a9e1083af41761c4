#include "ui/qt/WidgetFactory.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <algorithm>

#include "ui/qt/GroupFrame.h"
#include "ui/qt/QtText.h"

namespace corvane::ui::qt {

using resources::ControlKind;
using resources::ControlTemplate;

namespace {

Qt::Alignment TextAlignment(std::uint32_t style) {
    if ((style & resources::kAlignRight) != 0) {
        return Qt::AlignRight;
    }
    if ((style & resources::kAlignCenter) != 0) {
        return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
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

QWidget* BuildDropDown(const ControlTemplate& layout, const QRect& rect, const QFont& font,
                       QWidget* window) {
    auto* combo = new QComboBox(window);
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
    }
    // The template's height is that of the open list; the closed box is one line.
    const int closedHeight = combo->sizeHint().height();
    const int itemHeight = std::max(1, QFontMetrics(font).height());
    combo->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / itemHeight));
    combo->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    combo->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
    return combo;
}

QWidget* BuildPicture(const ControlTemplate& layout, const QRect& rect, QWidget* window) {
    auto* label = new QLabel(window);
    label->setAlignment(Qt::AlignCenter);
    if (const resources::Picture* picture = resources::FindPicture(layout.pictureId)) {
        const QImage image(picture->rgb.data(), picture->width, picture->height, picture->width * 3,
                           QImage::Format_RGB888);
        label->setPixmap(QPixmap::fromImage(
            image.scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        label->setAccessibleName(ToQString(picture->description));
    }
    label->setGeometry(rect);
    return label;
}

QWidget* BuildBareWidget(const ControlTemplate& layout, const DialogUnits& units, const QFont& font,
                         QWidget* window) {
    const QRect rect = units.ToPixels(layout.rect);
    switch (layout.kind) {
        case ControlKind::GroupBox: {
            auto* box = new GroupFrame(ToQString(layout.caption), units.BaseX() + 2, window);
            box->setGeometry(rect);
            return box;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(window);
            label->setTextFormat(Qt::PlainText);
            label->setText(ToQString(layout.caption));
            label->setAlignment(TextAlignment(layout.style) | Qt::AlignTop);
            label->setWordWrap(true);
            label->setGeometry(rect);
            return label;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(LiteralCaption(layout.caption), window);
            radio->setGeometry(rect);
            return radio;
        }
        case ControlKind::CheckBox: {
            auto* check = new QCheckBox(LiteralCaption(layout.caption), window);
            check->setGeometry(rect);
            return check;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(LiteralCaption(layout.caption), window);
            button->setAutoDefault(true);
            button->setDefault((layout.style & resources::kDefaultButton) != 0);
            button->setGeometry(rect);
            return button;
        }
        case ControlKind::DropDownList:
        case ControlKind::DropDownCombo:
            return BuildDropDown(layout, rect, font, window);
        case ControlKind::ListBox: {
            auto* list = new QListWidget(window);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            for (const auto& item : layout.items) {
                list->addItem(ToQString(item));
            }
            list->setVerticalScrollBarPolicy((layout.style & resources::kVScroll) != 0
                                                 ? Qt::ScrollBarAlwaysOn
                                                 : Qt::ScrollBarAsNeeded);
            list->setGeometry(rect);
            return list;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(window);
            edit->setAlignment(TextAlignment(layout.style) | Qt::AlignVCenter);
            if ((layout.style & resources::kNumberOnly) != 0) {
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            }
            edit->setText(ToQString(layout.caption));
            edit->setGeometry(rect);
            return edit;
        }
        case ControlKind::Picture:
            return BuildPicture(layout, rect, window);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(window);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setGeometry(rect);
            return bar;
        }
    }
    return nullptr;
}

}  // namespace

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

QWidget* BuildWidget(const ControlTemplate& layout, const DialogUnits& units, const QFont& font,
                     QWidget* window) {
    QWidget* widget = BuildBareWidget(layout, units, font, window);
    if (widget != nullptr) {
        FitCaption(widget, layout.kind, ToQString(layout.caption));
    }
    return widget;
}

}  // namespace corvane::ui::qt

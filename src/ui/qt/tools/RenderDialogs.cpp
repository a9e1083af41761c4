// Renders every dialog template, and every picture, to PNG files for review.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "resources/DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/qt/QtDialogHost.h"

namespace {

using corvane::resources::DialogTemplate;

// A dialog with no logic of its own; for the preview every list shows its first item and every
// radio group its first choice, so that their texts can be checked too.
class PreviewDialog final : public corvane::ui::Dialog {
public:
    explicit PreviewDialog(int templateId) : Dialog(templateId) {}

    bool OnInitDialog() override {
        using corvane::resources::ControlKind;
        for (const auto& control : Template().controls) {
            if (control.kind == ControlKind::DropDownList ||
                control.kind == ControlKind::DropDownCombo ||
                control.kind == ControlKind::ListBox) {
                Host().SetSelection(control.id, 0);
            } else if (control.kind == ControlKind::RadioButton &&
                       (control.style & corvane::resources::kFirstInGroup) != 0) {
                Host().SetCheck(control.id, true);
            } else if (control.kind == ControlKind::ProgressBar) {
                Host().SetProgress(control.id, 40);
            }
        }
        return true;
    }
};

// A plain title bar above the window's client area, since a grab holds no window frame.
QImage WithTitleBar(const QPixmap& client, const QString& title, const QFont& font) {
    if (title.isEmpty()) {
        return client.toImage();
    }
    const int barHeight = QFontMetrics(font).height() + 10;
    QImage image(client.width(), client.height() + barHeight, QImage::Format_RGB32);
    image.fill(QColor(52, 70, 100));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, client.width() - 30, barHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     title);
    painter.drawText(QRect(client.width() - 22, 0, 16, barHeight), Qt::AlignCenter,
                     QStringLiteral("x"));
    painter.drawPixmap(0, barHeight, client);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    if (!QDir().mkpath(outputDir)) {
        std::fprintf(stderr, "corvane-render: cannot create %s\n", qPrintable(outputDir));
        return 1;
    }
    int failures = 0;
    for (const int id : corvane::resources::TemplateIds()) {
        PreviewDialog dialog(id);
        corvane::ui::qt::QtDialogHost host(dialog, nullptr);
        QWidget* window = host.Window();
        window->show();
        QApplication::processEvents();
        const QImage image = WithTitleBar(window->grab(), window->windowTitle(), window->font());
        const QString path = QDir(outputDir).filePath(QStringLiteral("dialog-%1.png").arg(id));
        if (!image.save(path)) {
            std::fprintf(stderr, "corvane-render: cannot write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s  %dx%d px, base units %d x %d\n", qPrintable(path), window->width(),
                    window->height(), host.Units().BaseX(), host.Units().BaseY());
        window->hide();
    }
    for (const int id : {151, 157}) {
        const corvane::resources::Picture* picture = corvane::resources::FindPicture(id);
        if (picture == nullptr) {
            continue;
        }
        const QImage image(picture->rgb.data(), picture->width, picture->height, picture->width * 3,
                           QImage::Format_RGB888);
        const QString path = QDir(outputDir).filePath(QStringLiteral("picture-%1.png").arg(id));
        if (!image.save(path)) {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

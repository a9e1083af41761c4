// Draws the application icon from a printer picture, in the sizes desktops look up.

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <string>

#include "resources/DialogTemplate.h"

namespace {

// The KRT-310, as a dark printer with its receipt still reads at small sizes.
constexpr int kIconPictureId = 151;
// The printer and its shadow within the picture, without the caption below them.
constexpr int kCropLeft = 17;
constexpr int kCropTop = 30;
constexpr int kCropSize = 150;

QImage PictureImage(const corvane::resources::Picture& picture) {
    QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                 QImage::Format_RGB888);
    return image.copy();  // detaches from the picture's bytes
}

// A rounded tile holding the printer, with a faint rim so that it stands out on light panels.
QImage DrawIcon(const QImage& printer, int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    const double margin = size / 32.0;
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    const QImage scaled = printer.scaled(qRound(tile.width()), qRound(tile.height()),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(size >= 32 ? QPen(QColor(0, 0, 0, 48), 1.0) : Qt::NoPen);
    QBrush brush(scaled);
    brush.setTransform(QTransform::fromTranslate(tile.left(), tile.top()));
    painter.setBrush(brush);
    const double radius = size * 0.18;
    painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.end();
    return icon;
}

}  // namespace

// Usage: corvane-icons OUTDIR NAME SIZE...; writes OUTDIR/SIZExSIZE/apps/NAME.png for each size.
int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    const corvane::resources::Picture* picture = corvane::resources::FindPicture(kIconPictureId);
    if (picture == nullptr) {
        std::fprintf(stderr, "%s: no picture %d\n", argv[0], kIconPictureId);
        return 1;
    }
    const QImage printer = PictureImage(*picture).copy(kCropLeft, kCropTop, kCropSize, kCropSize);
    const std::filesystem::path outDir = argv[1];
    const std::string name = argv[2];
    for (int i = 3; i < argc; ++i) {
        const int size = std::stoi(argv[i]);
        const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path dir = outDir / dimension / "apps";
        std::filesystem::create_directories(dir);
        const std::filesystem::path file = dir / (name + ".png");
        if (!DrawIcon(printer, size).save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], file.c_str());
            return 1;
        }
    }
    return 0;
}

#include "ui/qt/QtText.h"

#include <QStringDecoder>

namespace corvane::ui::qt {

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

QString LiteralCaption(const std::string& caption) {
    return ToQString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace corvane::ui::qt

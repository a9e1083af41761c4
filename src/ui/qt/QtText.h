#pragma once

#include <QString>
#include <string>

namespace corvane::ui::qt {

// Texts are UTF-8; a printer's reply that is not is shown byte for byte as Latin-1.
QString ToQString(const std::string& text);
std::string ToStdString(const QString& text);
// Button captions carry no mnemonics: an ampersand is shown as itself.
QString LiteralCaption(const std::string& caption);

}  // namespace corvane::ui::qt

// The one crossing between the core's Windows-1252 bytes and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace examora {

QString ToQString(std::string_view cp1252);
std::string FromQString(const QString& text);

}  // namespace examora

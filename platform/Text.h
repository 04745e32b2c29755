// Text crosses between the book's Windows-1251 bytes and Qt's widgets only through these two helpers.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Windows-1251 bytes to text.
QString FromCp1251(std::string_view bytes);

// Text to Windows-1251 bytes; nullopt when some character has no Windows-1251 byte.
std::optional<std::string> ToCp1251(const QString& text);

// Windows-1251 bytes as UTF-8 bytes, without a QString between: what the file system of a POSIX system
// takes, asked of every path of a book by the book check.
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace platform

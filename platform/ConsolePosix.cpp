#include <QByteArray>
#include <QStringView>

#include <cstdio>

#include "platform/Console.h"

namespace platform {

void Print(ConsoleStream stream, std::u16string_view text) {
    const QByteArray bytes = QStringView(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    std::FILE* file = stream == ConsoleStream::Output ? stdout : stderr;
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file);
    std::fflush(file);
}

}  // namespace platform

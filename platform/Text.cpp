#include "Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

// Setting up a decoder costs ten times a short conversion and lists convert a row each, so one is kept
// per thread. A single-byte code page leaves no state between calls, so it needs no reset.
QString FromCp1251(std::string_view bytes) {
    thread_local QStringDecoder decoder("windows-1251");
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// A fresh encoder each time: its error flag must describe this text alone, and in Qt 6.4 resetting an
// ICU-backed converter does not clear it. Only typed or chosen text comes this way, never a whole list.
std::optional<std::string> ToCp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(text);
    // A character without a Windows-1251 byte would come out as a substitute; refuse rather than store it.
    if (encoder.hasError()) {
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace platform

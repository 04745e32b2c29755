#include "Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

QString FromCp1251(std::string_view bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

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

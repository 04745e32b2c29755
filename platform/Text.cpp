#include "platform/Text.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {

// The upper half of Windows-1251, as Windows maps it (0x98, unassigned, stands for U+0098). The lower half
// is ASCII. A table of our own rather than the toolkit's codecs: those come from ICU, which a static Windows
// build of Qt leaves out, and a lookup is the same on every system.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Every character of the upper half is below U+2200, so the way back is one array of bytes (0: none).
constexpr std::size_t kReverseSize = 0x2200;
constexpr std::array<std::uint8_t, kReverseSize> MakeReverse() {
    std::array<std::uint8_t, kReverseSize> reverse{};
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        reverse[kUpperHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
    }
    return reverse;
}
constexpr std::array<std::uint8_t, kReverseSize> kReverse = MakeReverse();

}  // namespace

QString FromCp1251(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte < 0x80 ? char16_t(byte) : kUpperHalf[byte - 0x80]);
    }
    return text;
}

std::string Cp1251ToUtf8(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
            continue;
        }
        const char16_t unit = kUpperHalf[byte - 0x80];
        if (unit < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (unit >> 6)));
        } else {
            utf8.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
        }
        utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
    return utf8;
}

std::optional<std::string> ToCp1251(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            bytes.push_back(static_cast<char>(unit));
        } else if (unit < kReverseSize && kReverse[unit] != 0) {
            bytes.push_back(static_cast<char>(kReverse[unit]));
        } else {
            // No Windows-1251 byte (surrogate halves included): refuse rather than store a substitute.
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace platform

// The console's text in a code page without the typographic marks of the messages: a Russian console's
// OEM code page holds Cyrillic letters but no "…", "—" or «».
#include <gtest/gtest.h>

#include <QString>

#include <string>

#include "platform/ConsoleText.h"
#include "platform/Text.h"

namespace {

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString Plain(const QString& text, const platform::HoldsCharacter& holds) {
    const std::u16string plain = platform::WithPlainMarks(U16(text), holds);
    return QString::fromUtf16(plain.data(), static_cast<qsizetype>(plain.size()));
}

// As a DOS Cyrillic code page (866) holds them: ASCII, the Russian letters with Ё and ё, and "№".
bool HoldsLikeDosCyrillic(char16_t c) {
    return c < 0x80 || (c >= u'\u0410' && c <= u'\u044F') || c == u'\u0401' || c == u'\u0451' ||
           c == u'\u2116';
}

bool HoldsLikeWindows1251(char16_t c) {
    return platform::ToCp1251(QString(QChar(c))).has_value();
}

TEST(ConsoleText, MarksTheCodePageLacksAreWrittenPlainlyAndEverythingElseStays) {
    const struct {
        QString text;
        QString dos;  // in a code page without the marks
    } cases[] = {
        {QStringLiteral("«Экспорт в CSV…» в меню «Файл»"),
         QStringLiteral("\"Экспорт в CSV...\" в меню \"Файл\"")},
        {QStringLiteral("F1 в окне — руководство"), QStringLiteral("F1 в окне - руководство")},
        {QStringLiteral("“цитата” ‘и’ „ещё“ 1–2"), QStringLiteral("\"цитата\" 'и' \"ещё\" 1-2")},
        {QStringLiteral("Ёлка № 5\u00A0шт."), QStringLiteral("Ёлка № 5 шт.")},
        // No plain form: left for the system, whatever the code page.
        {QStringLiteral("путь/中/a.qor"), QStringLiteral("путь/中/a.qor")},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(Plain(c.text, HoldsLikeDosCyrillic), c.dos);
        // Windows-1251 holds every one of these marks: nothing changes.
        EXPECT_EQ(Plain(c.text, HoldsLikeWindows1251), c.text);
    }
}

}  // namespace

// The filter conversion and default extension of the file dialogs.
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogFilter, SystemFormBecomesQtForm) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*"),
         QStringLiteral("Справочники (*.spr *.lib);;Все файлы (*.*)")},
        {QStringLiteral("Тесты (*.qor, *.wsk)|*.qor; *.wsk"),
         QStringLiteral("Тесты (*.qor, *.wsk) (*.qor *.wsk)")},
        {QStringLiteral("Префиксы|*.prf"), QStringLiteral("Префиксы (*.prf)")},
        {QStringLiteral("Без шаблона"), QStringLiteral("Без шаблона (*)")},
        {QString(), QString()},
    };
    for (const auto& [system, qt] : cases) {
        EXPECT_EQ(platform::ToQtFilter(system), qt) << system.toStdString();
    }
}

TEST(FileDialogFilter, DefaultExtensionOnlyForANameWithout) {
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book"), QStringLiteral("spr")),
              QStringLiteral("/b/book.spr"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book.txt"), QStringLiteral("spr")),
              QStringLiteral("/b/book.txt"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b.d/book"), QStringLiteral("spr")),
              QStringLiteral("/b.d/book.spr"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book"), QString()),
              QStringLiteral("/b/book"));
}

}  // namespace

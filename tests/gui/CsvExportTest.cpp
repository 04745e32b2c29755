// "Экспорт в CSV…" of the File menu: the same table as the command line writes, of the book as it stands in
// the window, with the save's question before a file is replaced and its box when the write fails.
#include <QDir>
#include <QFile>
#include <QMenu>

#include "tests/gui/MainWindowFixture.h"
#include "tests/support/EditorProcess.h"

namespace gui_test {
namespace {

class CsvExportTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
        book = MakeFile(QStringLiteral("book.spr"), Cp(" 0 <Tests>:/ТТЛ/ЛА3.qor\r\n"
                                                       "К155ЛА3|<Desc>:/la3.pdf\r\n"
                                                       "SN74;00 \"A\"|\r\n"
                                                       " 1 <Tests>:/empty.qor\r\n"));
        Start(book);
    }

    // Runs the command with the save dialog answered by `path` (nullopt: cancelled) and the box that
    // follows, if any, by `answer`; gives the dialog's call.
    DesktopCall Export(std::optional<QString> path, std::optional<MessageAnswer> answer = std::nullopt) {
        desktop->QueueSaveFile(std::move(path));
        if (answer) {
            desktop->QueueMessageBoxAnswer(*answer);
        }
        Action("acExportCsv")->trigger();
        return desktop->Take();
    }

    QString book;
};

TEST_F(CsvExportTest, TheFileMenuWritesWhatTheCommandLineWrites) {
    EXPECT_TRUE(Find<QMenu>("mnFile")->actions().contains(Action("acExportCsv")));
    const DesktopCall call = Export(PathOf(QStringLiteral("menu.csv")));
    EXPECT_EQ(call.kind, DesktopCall::Kind::SaveFile);
    EXPECT_EQ(call.options.Filter, QStringLiteral("Таблицы CSV|*.csv|Все файлы|*.*"));
    EXPECT_EQ(call.options.DefaultExtension, QStringLiteral("csv"));
    EXPECT_EQ(call.options.FileName, QStringLiteral("book.csv"));
    EXPECT_EQ(call.options.InitialDir, QDir::toNativeSeparators(folder.path()));

    const std::string expected =
        Cp("Тестовый файл;Микросхема;Файл описания\r\n"
           "<Tests>:/ТТЛ/ЛА3.qor;К155ЛА3;<Desc>:/la3.pdf\r\n"
           "<Tests>:/ТТЛ/ЛА3.qor;\"SN74;00 \"\"A\"\"\";\r\n"
           "<Tests>:/empty.qor;;\r\n");
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("menu.csv"))), expected);

    const test_support::EditorRun run =
        test_support::RunEditor({QStringLiteral("--export-csv"), book, PathOf(QStringLiteral("cli.csv"))},
                                folder.filePath(QStringLiteral("settings.ini")));
    ASSERT_TRUE(run.Finished && run.ExitCode == 0) << run.ErrorText().toStdString();
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("cli.csv"))), expected);
}

TEST_F(CsvExportTest, ExportsTheBookAsItIsInTheWindowAndLeavesItUnsaved) {
    const std::string bookBytes = ReadBytes(book);
    // The name shown first is К155ЛА3's, and a name added now takes its datasheet, as the window does.
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("КР1533ЛА3"));
    ASSERT_TRUE(window->Modified());

    Export(PathOf(QStringLiteral("out.csv")));
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("out.csv"))),
              Cp("Тестовый файл;Микросхема;Файл описания\r\n"
                 "<Tests>:/ТТЛ/ЛА3.qor;К155ЛА3;<Desc>:/la3.pdf\r\n"
                 "<Tests>:/ТТЛ/ЛА3.qor;\"SN74;00 \"\"A\"\"\";\r\n"
                 "<Tests>:/ТТЛ/ЛА3.qor;КР1533ЛА3;<Desc>:/la3.pdf\r\n"
                 "<Tests>:/empty.qor;;\r\n"));
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(ReadBytes(book), bookBytes);
}

TEST_F(CsvExportTest, AFileIsReplacedOnlyWhenTheUserSaysSoAndAFailureIsShown) {
    const QString existing = MakeFile(QStringLiteral("old.csv"), "old");
    Export(existing, MessageAnswer::No);
    desktop->TakeMessageBox(QStringLiteral("Заменить существующий файл?"),
                            QStringLiteral("Редактор Справочников"), MessageIcon::Question,
                            MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(existing), "old");

    Export(existing, MessageAnswer::Yes);
    desktop->Take();
    EXPECT_EQ(ReadBytes(existing).substr(0, 4), Cp("Тест"));

    const QString nowhere = PathOf(QStringLiteral("no/such/out.csv"));
    Export(nowhere, MessageAnswer::Ok);
    desktop->TakeMessageBox(
        QStringLiteral("Не удалось сохранить файл ") + nowhere + QStringLiteral("\nПапка не существует."),
        kCaption, MessageIcon::Warning, MessageButtons::Ok);

    Export(std::nullopt);  // cancelled: nothing written, nothing said
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.csv")}, QDir::Files),
              QStringList{QStringLiteral("old.csv")});
}

// Neither the book's own file nor another way to it may take the table: refused before the question to
// replace it, whatever the answer would be, as the command line refuses it.
TEST_F(CsvExportTest, TheBooksOwnFileIsRefusedHoweverItIsReached) {
    const std::string bookBytes = ReadBytes(book);
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    // Another spelling of the same file; on POSIX also a symbolic link to it (QFile::link makes a shortcut
    // file on Windows, which is a file of its own).
    QStringList targets = {book, PathOf(QStringLiteral("sub/../book.spr"))};
#ifndef _WIN32
    QFile::link(book, PathOf(QStringLiteral("link.spr")));
    targets.append(PathOf(QStringLiteral("link.spr")));
#endif
    for (const QString& target : targets) {
        Export(target);
        desktop->TakeInformation(QStringLiteral("Таблица не может заменить сам справочник: укажите другой файл."));
        EXPECT_EQ(ReadBytes(book), bookBytes) << target.toStdString();
    }
    const test_support::EditorRun run = test_support::RunEditor(
        {QStringLiteral("--export-csv"), book, targets.back()},
        folder.filePath(QStringLiteral("settings.ini")));
    EXPECT_TRUE(run.Finished && run.ExitCode == 2) << run.ErrorText().toStdString();
    EXPECT_TRUE(run.ErrorText().contains(QStringLiteral("Таблица не может заменить сам справочник")));
    EXPECT_EQ(ReadBytes(book), bookBytes);
}

}  // namespace
}  // namespace gui_test

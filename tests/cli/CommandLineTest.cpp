// The editor's command line, run as a process the way a user's script runs it: the book check and the
// export without a window, their exit codes and output, books that cannot be read, help and version, and
// command lines that are refused.
#include <gtest/gtest.h>

#include "platform/ConsoleText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Text.h"
#include "tests/support/EditorProcess.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using test_support::AsConsoleWrites;
using test_support::EditorRun;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

std::string Cp(const char* utf8) {
    return platform::ToCp1251(QString::fromUtf8(utf8)).value();
}

QByteArray Bytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FFolder.isValid());
        FSettings = FFolder.filePath(QStringLiteral("settings.ini"));
#ifdef _WIN32
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Sprav");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Main");
#endif
        qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(FSettings));
    }
    void TearDown() override {
        qunsetenv("QOR_SPRAV_SETTINGS");
    }

    QString PathOf(const QString& name) const {
        return QDir::toNativeSeparators(FFolder.filePath(name));
    }
    std::string Stored(const QString& name) const {
        return platform::ToStoredPath(PathOf(name)).value();
    }

    QString MakeFile(const QString& name, const std::string& bytes = {}) {
        const QString path = PathOf(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    QByteArray ReadFile(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    // The directories as the editor keeps them in its settings.
    void SetDirectories(const std::string& tests, const std::string& desc) {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Main", true));
        registry.WriteString("Dir_Tests", tests);
        registry.WriteString("Dir_PDF", desc);
        ASSERT_TRUE(registry.CloseKey());
    }

    bool SettingsExist() const {
#ifdef _WIN32
        platform::Registry registry;
        return registry.OpenKey("Software\\QOR_Sprav", false) ||
               registry.OpenKey("Software\\QOR_Main", false);
#else
        return QFile::exists(FSettings);
#endif
    }

    EditorRun Run(const QStringList& arguments) const {
        return test_support::RunEditor(arguments, FSettings, FFolder.path());
    }

    // A book with one trouble of each kind, its test files under T and its datasheets under D:
    //   0 <Tests>:/a.qor     К155ЛА3 (<Desc>:/la3.pdf), SN7400 (<Desc>:/gone.pdf), К155ЛА3 again, к155ла3
    //   1 <Tests>:/gone.qor  SN7400
    //   2 <Tests>:/a.qor     (listed again) an analog whose name was left empty
    QString TroubledBook() {
        MakeFile(QStringLiteral("T/a.qor"));
        MakeFile(QStringLiteral("D/la3.pdf"));
        return MakeFile(QStringLiteral("book.spr"), Cp(" 0 <Tests>:/a.qor\r\n"
                                                       "К155ЛА3|<Desc>:/la3.pdf\r\n"
                                                       "SN7400|<Desc>:/gone.pdf\r\n"
                                                       "К155ЛА3|\r\n"
                                                       "к155ла3|\r\n"
                                                       " 1 <Tests>:/gone.qor\r\n"
                                                       "SN7400|\r\n"
                                                       " 2 <Tests>:/a.qor\r\n"
                                                       "|\r\n"));
    }
    QString CleanBook() {
        MakeFile(QStringLiteral("T/a.qor"));
        MakeFile(QStringLiteral("D/la3.pdf"));
        return MakeFile(QStringLiteral("clean.spr"), Cp(" 0 <Tests>:/a.qor\r\n"
                                                        "К155ЛА3|<Desc>:/la3.pdf\r\n"
                                                        "SN7400|\r\n"));
    }

    QTemporaryDir FFolder;
    QString FSettings;
};

TEST_F(CommandLineTest, CheckPrintsAFindingALineAndExitsOneWhenThereAreAny) {
    SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
    const EditorRun run = Run({QStringLiteral("--check"), TroubledBook()});

    ASSERT_TRUE(run.Finished) << run.ErrorText().toStdString();
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.OutputText(),
              QStringLiteral("Файл описания не найден\t<Tests>:/a.qor\tSN7400\n"
                             "Название есть в нескольких тестовых файлах\t<Tests>:/a.qor\tSN7400\n"
                             "Название повторяется\t<Tests>:/a.qor\tК155ЛА3\n"
                             "Название отличается только регистром букв\t<Tests>:/a.qor\tк155ла3\n"
                             "Тестовый файл не найден\t<Tests>:/gone.qor\t\n"
                             "Тестовый файл уже есть в списке\t<Tests>:/a.qor\t\n"
                             "Пустое название аналога\t<Tests>:/a.qor\t\n"));
    EXPECT_EQ(run.ErrorText(), QStringLiteral("Ошибок: 6. Сведений: 1.\n"));
}

TEST_F(CommandLineTest, CheckOfACleanBookPrintsNothingAndLeavesTheSettingsAsTheyWere) {
    SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
    // A line of another program's, which a rewrite of the file would be likely to change.
    {
        QFile settings(FSettings);
        ASSERT_TRUE(settings.open(QIODevice::Append));
        settings.write("; kept by hand\n[Software\\Other]\nValue = 1\n");
    }
    const QByteArray settingsBefore = ReadFile(FSettings);

    const EditorRun run = Run({CleanBook(), QStringLiteral("--check")});
    ASSERT_TRUE(run.Finished) << run.ErrorText().toStdString();
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output, QByteArray());
    EXPECT_EQ(run.ErrorText(), QStringLiteral("Ошибок не найдено.\n"));
    EXPECT_EQ(ReadFile(FSettings), settingsBefore);
}

TEST_F(CommandLineTest, DirectoriesGivenOnTheCommandLineStandForTheSettings) {
    const QString book = CleanBook();
    // No settings at all: the tokens stay as written, every file is missing, and the user is told why. The
    // settings are not created either.
    const EditorRun bare = Run({QStringLiteral("--check"), book});
    ASSERT_TRUE(bare.Finished);
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(bare.ExitCode, 1);
    EXPECT_EQ(bare.OutputText(), QStringLiteral("Тестовый файл не найден\t<Tests>:/a.qor\t\n"
                                                "Файл описания не найден\t<Tests>:/a.qor\tК155ЛА3\n"));
    EXPECT_TRUE(bare.ErrorText().contains(QStringLiteral("Укажите её параметром --tests.")))
        << bare.ErrorText().toStdString();
    EXPECT_TRUE(bare.ErrorText().contains(QStringLiteral("Укажите её параметром --desc.")));

    const EditorRun given =
        Run({QStringLiteral("--check"), QStringLiteral("--tests"), PathOf(QStringLiteral("T")),
             QStringLiteral("--desc"), PathOf(QStringLiteral("D")), book});
    ASSERT_TRUE(given.Finished);
    EXPECT_EQ(given.ExitCode, 0) << given.OutputText().toStdString();

    // Given ones win over the settings, each on its own.
    SetDirectories(Stored(QStringLiteral("elsewhere")), Stored(QStringLiteral("D")));
    const QByteArray settingsBefore = ReadFile(FSettings);
    const EditorRun tests =
        Run({QStringLiteral("--check"), QStringLiteral("--tests"), PathOf(QStringLiteral("T")), book});
    ASSERT_TRUE(tests.Finished);
    EXPECT_EQ(tests.ExitCode, 0) << tests.OutputText().toStdString();
    EXPECT_EQ(ReadFile(FSettings), settingsBefore);
}

TEST_F(CommandLineTest, ABookThatCannotBeReadExitsTwoWithTheReason) {
    std::string garbage = "\x01";
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    }
    const struct {
        const char* what;
        QString book;
        QString reason;
    } cases[] = {
        {"random bytes", MakeFile(QStringLiteral("noise.spr"), garbage),
         QStringLiteral("Невозможно открыть файл.\n%1 не справочник: строка 1 содержит управляющие символы")
             .arg(PathOf(QStringLiteral("noise.spr")))},
        {"no file", PathOf(QStringLiteral("missing.spr")),
         QStringLiteral("Файл не найден: ") + PathOf(QStringLiteral("missing.spr"))},
        {"a folder", PathOf(QStringLiteral("T")),
         QStringLiteral("Невозможно открыть файл.\n%1: Это не обычный файл")
             .arg(PathOf(QStringLiteral("T")))},
        {"names before a test file", MakeFile(QStringLiteral("names.spr"), "K155LA3|\r\n 0 a.qor\r\n"),
         QStringLiteral("не справочник: строка 1 «K155LA3|» стоит раньше первого тестового файла")},
    };
    QDir().mkpath(PathOf(QStringLiteral("T")));
    for (const auto& c : cases) {
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--check"), c.book},
              QStringList{QStringLiteral("--export-csv"), c.book, QStringLiteral("out.csv")}}) {
            const EditorRun run = Run(arguments);
            ASSERT_TRUE(run.Finished) << c.what;
            EXPECT_EQ(run.ExitCode, 2) << c.what;
            EXPECT_EQ(run.Output, QByteArray()) << c.what;
            EXPECT_TRUE(run.ErrorText().contains(AsConsoleWrites(c.reason)))
                << c.what << ": " << run.ErrorText().toStdString();
            EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("out.csv")))) << c.what;
        }
    }
}

TEST_F(CommandLineTest, ExportWritesEveryAnalogAsWindows1251RowsForASpreadsheet) {
    SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
    const QString book = MakeFile(QStringLiteral("book.spr"), Cp(" 0 <Tests>:/ТТЛ/ЛА3.qor\r\n"
                                                                 "К155ЛА3|<Desc>:/la3.pdf\r\n"
                                                                 "SN74;00 \"A\"|\r\n"
                                                                 " 1 <Tests>:/empty.qor\r\n"
                                                                 " 2 /opt/x;y/7400.qor\r\n"
                                                                 "DM7400|/opt/d/7400.pdf\r\n"));
    const EditorRun run = Run({QStringLiteral("--export-csv"), book, QStringLiteral("книга.csv")});
    ASSERT_TRUE(run.Finished) << run.ErrorText().toStdString();
    EXPECT_EQ(run.ExitCode, 0) << run.ErrorText().toStdString();
    EXPECT_EQ(run.Output, QByteArray());
    EXPECT_EQ(ReadFile(PathOf(QStringLiteral("книга.csv"))),
              Bytes(Cp("Тестовый файл;Микросхема;Файл описания\r\n"
                       "<Tests>:/ТТЛ/ЛА3.qor;К155ЛА3;<Desc>:/la3.pdf\r\n"
                       "<Tests>:/ТТЛ/ЛА3.qor;\"SN74;00 \"\"A\"\"\";\r\n"
                       "<Tests>:/empty.qor;;\r\n"
                       "\"/opt/x;y/7400.qor\";DM7400;/opt/d/7400.pdf\r\n")));
    QStringList names = QDir(FFolder.path()).entryList(QDir::Files);
    names.removeAll(QStringLiteral("settings.ini"));
    EXPECT_EQ(names, QStringList({QStringLiteral("book.spr"), QStringLiteral("книга.csv")}))
        << "no temporary file stays behind";
}

TEST_F(CommandLineTest, AnExportThatCannotBeWrittenExitsTwoAndLeavesTheBook) {
    const QString book = CleanBook();
    const QByteArray bookBytes = ReadFile(book);
    const QString nowhere = PathOf(QStringLiteral("no/such/folder/out.csv"));
    const struct {
        QString target;
        QString reason;
    } cases[] = {
        {nowhere, QStringLiteral("Не удалось сохранить файл %1\nПапка не существует.\n").arg(nowhere)},
        {book, QStringLiteral("Таблица не может заменить сам справочник: укажите другой файл.\n")},
    };
    for (const auto& c : cases) {
        const EditorRun run = Run({QStringLiteral("--export-csv"), book, c.target});
        ASSERT_TRUE(run.Finished);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.ErrorText(), AsConsoleWrites(c.reason));
        EXPECT_EQ(ReadFile(book), bookBytes);
    }
}

TEST_F(CommandLineTest, HelpAndVersionSayWhatTheProgramIs) {
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("-?")}) {
        const EditorRun run = Run({option});
        ASSERT_TRUE(run.Finished) << option.toStdString();
        EXPECT_EQ(run.ExitCode, 0);
        const QString help = run.OutputText();
        EXPECT_TRUE(help.startsWith(QStringLiteral("Использование:\n"))) << help.toStdString();
        for (const char* named : {"--check", "--export-csv", "--tests <папка>", "--desc <папка>", "Ctrl+Z",
                                  "--help", "--version", "Код завершения"}) {
            EXPECT_TRUE(help.contains(QString::fromUtf8(named))) << named;
        }
        // As wide as a console can show it: one whose code page lacks "…" gets "..." in its place.
        for (const QString& line : help.split(QLatin1Char('\n'))) {
            const std::u16string widest =
                platform::WithPlainMarks(line.toStdU16String(), [](char16_t) { return false; });
            EXPECT_LE(widest.size(), 79u) << line.toStdString();
        }
    }
    const QString version = QString::fromUtf8(QOR_EXPECTED_DESCRIPTION) + QStringLiteral(", версия ") +
                            QString::fromUtf8(QOR_EXPECTED_VERSION) + QLatin1Char('\n');
    for (const QString& option : {QStringLiteral("--version"), QStringLiteral("-v")}) {
        const EditorRun run = Run({option});
        ASSERT_TRUE(run.Finished);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.OutputText(), version);
    }
}

TEST_F(CommandLineTest, AMistakenCommandLineIsRefusedInWordsAndExitsTwo) {
    const QString book = CleanBook();
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{QStringLiteral("--frobnicate"), book},
         QStringLiteral("Неизвестный параметр «--frobnicate». Список параметров: QorSprav --help.")},
        {{book, QStringLiteral("-x")}, QStringLiteral("Неизвестный параметр «-x».")},
        {{QStringLiteral("--check")}, QStringLiteral("Не указан справочник для проверки.")},
        {{QStringLiteral("--check"), book, book}, QStringLiteral("Лишние аргументы: ")},
        {{QStringLiteral("--export-csv"), book}, QStringLiteral("Укажите справочник и файл таблицы")},
        {{QStringLiteral("--check"), QStringLiteral("--export-csv"), book, QStringLiteral("out.csv")},
         QStringLiteral("Параметры --check и --export-csv нельзя указать вместе.")},
        {{QStringLiteral("--check"), book, QStringLiteral("--tests")},
         QStringLiteral("После параметра --tests не указана папка.")},
        {{QStringLiteral("--check=yes"), book}, QStringLiteral("Параметр --check не принимает значения.")},
        {{QStringLiteral("--desc"), PathOf(QStringLiteral("D")), book},
         QStringLiteral("Параметры --tests и --desc действуют только вместе с --check или --export-csv.")},
    };
    for (const auto& c : cases) {
        const EditorRun run = Run(c.arguments);
        const std::string shown = c.arguments.join(QLatin1Char(' ')).toStdString();
        ASSERT_TRUE(run.Finished) << shown;
        EXPECT_EQ(run.ExitCode, 2) << shown;
        EXPECT_EQ(run.Output, QByteArray()) << shown;
        EXPECT_TRUE(run.ErrorText().contains(AsConsoleWrites(c.message)))
            << shown << ": " << run.ErrorText().toStdString();
    }
    EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("out.csv"))));
}

#ifndef _WIN32
// Windows reports a platform that cannot start to the debugger, not on the standard error.
TEST_F(CommandLineTest, ABookAloneIsOpenedInTheWindow) {
    // No display is offered, so the window's start fails, and says so: a sign that it was the window that
    // was started, not a task without one.
    const EditorRun run = Run({CleanBook()});
    EXPECT_FALSE(run.Finished && run.ExitCode == 0);
    EXPECT_TRUE(run.ErrorText().contains(QStringLiteral("platform plugin"))) << run.ErrorText().toStdString();
}
#endif

}  // namespace

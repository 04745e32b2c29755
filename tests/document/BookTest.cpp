// The book's rules and operations on the document alone, without a window: what each operation refuses,
// what a name and a test file's path may hold, how many lines the book takes, when the book counts as
// unsaved, and the book's file.
#include <QSignalSpy>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "document/BookTexts.h"
#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

TEST_F(DocumentTest, EveryOperationMarksTheBookEvenWhenItRefuses) {
    struct Case {
        const char* what;
        std::function<TBookOutcome(TBook&)> run;
        QString refusal;  // empty: none
        bool attempted;
    };
    const std::vector<Case> cases = {
        {"an empty name", [](TBook& b) { return b.AddName({}, {}); },
         QStringLiteral("Введите название микросхемы (аналога)."), false},
        {"a name Windows-1251 cannot hold", [](TBook& b) { return b.AddName(QStringLiteral("中"), {}); },
         kUnstorableText, false},
        {"a name with a tab", [](TBook& b) { return b.AddName(QStringLiteral("K\t1"), {}); },
         kControlCharacters, false},
        {"a name too long for its line", [](TBook& b) { return b.AddName(QString(1000, QLatin1Char('K')), {}); },
         kNameLineTooLong, false},
        {"a name beginning with a blank", [](TBook& b) { return b.AddName(QStringLiteral(" K2"), {}); },
         kUnstorableName, true},
        {"a rename to a name with a bar", [](TBook& b) { return b.RenameName(0, QStringLiteral("K|2"), {}); },
         kUnstorableName, true},
        {"a deletion of no name", [](TBook& b) { return b.DeleteName(7); }, {}, true},
        {"a deletion of no test file", [](TBook& b) { return b.DeleteTestFile(-1); }, {}, true},
    };
    for (const Case& c : cases) {
        BookWith({"K1"});
        ASSERT_FALSE(book.Modified());
        const TBookOutcome outcome = c.run(book);
        EXPECT_TRUE(book.Modified()) << c.what;
        EXPECT_EQ(outcome.Attempted, c.attempted) << c.what;
        EXPECT_EQ(outcome.Added, 0) << c.what;
        EXPECT_EQ(outcome.Refusals, c.refusal.isEmpty() ? std::vector<QString>{} : std::vector<QString>{c.refusal})
            << c.what;
        EXPECT_EQ(Names(book), std::vector<std::string>{"K1"}) << c.what;
        EXPECT_FALSE(book.History().CanUndo()) << c.what << ": a step that changed nothing leaves no trace";
    }
}

// Without a test file to take it a name is refused by the model, which says why.
TEST_F(DocumentTest, WithoutATestFileANameIsRefusedByTheModel) {
    const std::vector<std::pair<const char*, QString>> cases = {
        {"an empty book", QStringLiteral("Список файлов пуст. Сначала необходимо добавить файл.")},
        {"no test file current", QStringLiteral("Выберите файл.")},
    };
    for (const auto& [what, refusal] : cases) {
        BookWith({});
        if (std::string(what) == "an empty book") {
            book.New();
        } else {
            book.SetCurrentFile(-1);
        }
        const TBookOutcome outcome = book.AddName(QStringLiteral("K1"), {});
        EXPECT_TRUE(outcome.Attempted) << what;
        EXPECT_EQ(outcome.Refusals, std::vector<QString>{refusal}) << what;
        EXPECT_EQ(outcome.Added, 0) << what;
        EXPECT_TRUE(book.Modified()) << what;
        for (const auto& file : book.Sprav().Files) {
            EXPECT_TRUE(file->Sinonims.empty()) << what;
        }
    }
}

// Besides the refusals above: a bar anywhere, a NUL (it would cut the name short wherever it becomes a path)
// or an escape (it breaks the book's lines for the other programs that read it), and a line one character
// past 999 are refused; blanks inside and at the end are fine. A refused name still marks the book.
TEST_F(DocumentTest, WhatATypedNameMayHold) {
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("A|B"), kUnstorableName},
        {QStringLiteral("K155") + QChar(0) + QStringLiteral("X"), kControlCharacters},
        {QStringLiteral("\x1b[K155"), kControlCharacters},
        {QString(999, QLatin1Char('N')), kNameLineTooLong},  // "N...N|" would be 1000 characters
        {QString(998, QLatin1Char('N')), {}},
        {QStringLiteral("K155 ЛА3 "), {}},
    };
    for (const auto& [typed, refusal] : cases) {
        SCOPED_TRACE(typed.left(12).toStdString());
        BookWith({});
        const TBookOutcome outcome = book.AddName(typed, {});
        EXPECT_EQ(outcome.Refusals, refusal.isEmpty() ? std::vector<QString>{} : std::vector<QString>{refusal});
        EXPECT_EQ(Names(book), refusal.isEmpty() ? std::vector<std::string>{platform::ToCp1251(typed).value()}
                                                 : std::vector<std::string>{});
        EXPECT_TRUE(book.Modified());
    }

    // A rename is held to the same line.
    BookWith({"K1"});
    EXPECT_EQ(book.RenameName(0, QString(999, QLatin1Char('R')), {}).Refusals, std::vector<QString>{kNameLineTooLong});
    EXPECT_EQ(Names(book), std::vector<std::string>{"K1"});
    EXPECT_EQ(book.RenameName(0, QString(998, QLatin1Char('R')), {}).Added, 1);
}

TEST_F(DocumentTest, TheChosenDatasheetGoesOnlyToTheAnalogWhoseNameIsTyped) {
    BookWith({"K1", "K2"});
    EXPECT_FALSE(book.ChooseDescription(0, QStringLiteral("K2"), "C:\\D\\x.pdf").Attempted);
    EXPECT_FALSE(book.ChooseDescription(0, QStringLiteral("NEW"), "C:\\D\\x.pdf").Attempted);
    EXPECT_FALSE(book.Modified());
    const TBookOutcome chosen = book.ChooseDescription(0, QStringLiteral("k1"), "C:\\D\\x.pdf");
    EXPECT_EQ(chosen.Added, 1);
    EXPECT_EQ(book.Sprav().Files[0]->Sinonims[0]->DescPath, "C:\\D\\x.pdf");
    EXPECT_EQ(book.Sprav().Files[0]->Sinonims[1]->DescPath, "");
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("выбор файла описания для «K1»"));
}

TEST_F(DocumentTest, TestFilesAreAddedOnceUnlessTheUserWantsThemAgain) {
    BookWith({});
    std::vector<std::string> asked;
    const auto declined = [&asked](const std::string& path) {
        asked.push_back(path);
        return false;
    };
    const TBookOutcome outcome = book.AddTestFiles(
        {QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor"), QStringLiteral("C:\\T\\中.qor"),
         QStringLiteral("C:\\T\\c\td.qor")},
        declined);
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\T\\a.qor"});
    EXPECT_EQ(outcome.Added, 1);
    EXPECT_EQ(outcome.Refusals, (std::vector<QString>{document::UnstorablePathText(QStringLiteral("C:\\T\\中.qor")),
                                                      document::ControlCharacterRefusal()}));
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("добавление тестового файла «C:\\T\\b.qor»"));
    EXPECT_EQ(book.AddTestFiles({QStringLiteral("C:\\T\\a.qor")}, yes).Added, 1);
    EXPECT_EQ(book.Sprav().Files.size(), 3u);

    EXPECT_EQ(book.DeleteTestFile(0).Refusals.size(), 0u);
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("удаление тестового файла «C:\\T\\a.qor»"));
    book.Undo();
    EXPECT_EQ(book.Sprav().Files[0]->Path, "C:\\T\\a.qor");
}

// A path that differs only in letter case is another file: nobody is asked about it. A listed one the user
// wants again is added again.
TEST_F(DocumentTest, ATestFileIsListedAgainOnlyByTheSamePath) {
    BookWith({});
    std::vector<std::string> asked;
    const auto again = [&asked](const std::string& path) {
        asked.push_back(path);
        return true;
    };
    const TBookOutcome outcome =
        book.AddTestFiles({QStringLiteral("C:\\T\\A.qor"), QStringLiteral("C:\\T\\a.qor")}, again);
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\T\\a.qor"});
    EXPECT_EQ(outcome.Added, 2);
    std::vector<std::string> paths;
    for (const auto& file : book.Sprav().Files) {
        paths.push_back(file->Path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\T\\a.qor", "C:\\T\\A.qor", "C:\\T\\a.qor"}));
}

// A path Windows-1251 cannot hold, or one whose line would pass 999 characters, is refused by name when it
// is chosen, and the files after it are still added; one character less is taken.
TEST_F(DocumentTest, TestFilePathsTheBookCannotHoldAreRefusedWhenChosen) {
    const QString unstorable = QStringLiteral("C:\\T\\тест-中.qor");
    // " 1 " and the path: 3 + 997 characters for the second test file.
    const QString tooLong = QStringLiteral("C:\\") + QString(994, QLatin1Char('p'));
    const std::vector<std::pair<QString, QString>> cases = {
        {unstorable, QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + unstorable},
        {tooLong, QStringLiteral("Путь к тестовому файлу длиннее 999 символов, справочник не сможет его сохранить: ") +
                      tooLong},
    };
    for (const auto& [path, refusal] : cases) {
        BookWith({});
        const TBookOutcome outcome = book.AddTestFiles({path, QStringLiteral("C:\\T\\good.qor")}, yes);
        EXPECT_EQ(outcome.Refusals, std::vector<QString>{refusal});
        EXPECT_EQ(outcome.Added, 1);
        ASSERT_EQ(book.Sprav().Files.size(), 2u);
        EXPECT_EQ(book.Sprav().Files[1]->Path, "C:\\T\\good.qor");
        EXPECT_TRUE(book.Modified());
    }
    BookWith({});
    EXPECT_EQ(book.AddTestFiles({tooLong.chopped(1)}, yes).Added, 1);
}

// The book file holds at most 99 998 lines: the line that would pass the limit is refused when it is added,
// once for a whole selection of test files, and a line freed makes room again. What was added is what the
// book file takes.
TEST_F(DocumentTest, LinesPastTheBookLimitAreRefusedWhenAdded) {
    const auto refusal = [](const QString& entry) {
        return QStringLiteral("В справочнике уже 99998 строк, больше он не сможет сохранить. Не добавлено: ") + entry;
    };
    BookOf(BookOfLines(99'997));
    EXPECT_EQ(book.AddName(QStringLiteral("LAST"), {}).Added, 1);  // line 99 998
    EXPECT_EQ(book.AddName(QStringLiteral("MORE"), {}).Refusals, std::vector<QString>{refusal(QStringLiteral("MORE"))});
    EXPECT_EQ(Names(book).size(), 99'997u);

    const QStringList chosen = {QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor")};
    TBookOutcome outcome = book.AddTestFiles(chosen, yes);
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{refusal(chosen[0])});
    EXPECT_EQ(outcome.Added, 0);

    book.DeleteName(0);
    outcome = book.AddTestFiles(chosen, yes);
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{refusal(chosen[1])});
    EXPECT_EQ(outcome.Added, 1);
    ASSERT_EQ(book.Sprav().Files.size(), 2u);
    EXPECT_EQ(book.Sprav().Files[1]->Path, "C:\\T\\a.qor");
    EXPECT_TRUE(book.Save(Path("saved.spr")).isEmpty());
}

// A file that is no book, or a book with a control byte in a path (its comment file would be cut short at a
// NUL, down to the book itself), is refused whole: no book in use, and the file as it was.
TEST_F(DocumentTest, AFileThatIsNoBookLeavesNoBookInUse) {
    const std::string nul = " 0 C:\\T\\book.spr" + std::string("\0.qor\r\nK155LA3|\r\n", 17);
    const std::vector<std::tuple<const char*, std::string, QString>> cases = {
        {"notes.txt", "first line\r\n 0 C:\\a.qor\r\n", QStringLiteral("Невозможно открыть файл.")},
        {"zero-byte.spr", nul,
         QStringLiteral("Невозможно открыть файл.\n") + QString::fromStdString(Path("zero-byte.spr")) +
             QStringLiteral(" не справочник: строка 1 содержит управляющие символы (нулевой байт, табуляцию и т. п.), "
                            "которых в путях и названиях быть не может.")},
    };
    for (const auto& [name, bytes, failure] : cases) {
        SCOPED_TRACE(name);
        BookWith({"K1"});
        WriteBytes(folder / name, bytes);
        const TBookLoad load = book.Load(Path(name));
        EXPECT_FALSE(load.Ok);
        EXPECT_TRUE(load.Failure.startsWith(failure)) << load.Failure.toStdString();
        EXPECT_TRUE(book.SpravFileName().empty());
        EXPECT_TRUE(book.Sprav().Files.empty());
        EXPECT_FALSE(book.Modified());
        EXPECT_FALSE(book.History().CanUndo());
        EXPECT_EQ(ReadBytes(folder / name), bytes);
    }
}

TEST_F(DocumentTest, NoTableReplacesTheBookFileHoweverItIsNamed) {
    BookWith({"K1"});
    const std::string before = ReadBytes(folder / "book.spr");
    const std::string otherSpelling = (folder / "." / "book.spr").string();
    EXPECT_TRUE(book.IsBookFile(otherSpelling));
    EXPECT_EQ(book.Export(otherSpelling), document::TableOverBookText());
    EXPECT_EQ(ReadBytes(folder / "book.spr"), before);
    EXPECT_TRUE(book.Export(Path("book.csv")).isEmpty());
    EXPECT_FALSE(book.IsBookFile(Path("book.csv")));

    // After New the book has no file of its own: the last one may take a table.
    book.New();
    EXPECT_FALSE(book.IsBookFile(Path("book.spr")));
    EXPECT_FALSE(book.Modified());
}

TEST_F(DocumentTest, ASaveAfterAnotherProgramWroteTheFileIsNoticed) {
    BookWith({"K1"});
    EXPECT_FALSE(book.ChangedByAnother(Path("book.spr")));
    WriteBytes(folder / "book.spr", " 0 C:\\T\\other.qor\r\n");
    QString when;
    EXPECT_TRUE(book.ChangedByAnother(Path("book.spr"), &when));
    EXPECT_FALSE(when.isEmpty());
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    EXPECT_FALSE(book.ChangedByAnother(Path("book.spr")));
}

TEST_F(DocumentTest, TheFileNameAndTheUnsavedStateAreAnnounced) {
    QSignalSpy names(&book, &TBook::SpravFileNameChanged);
    QSignalSpy modified(&book, &TBook::ModifiedChanged);
    BookWith({});
    book.AddName(QStringLiteral("K1"), {});
    book.AddName(QStringLiteral("K2"), {});
    ASSERT_TRUE(book.Save(Path("other.spr")).isEmpty());
    EXPECT_EQ(names.count(), 2);
    EXPECT_EQ(modified.count(), 2) << "once on, once off";
    EXPECT_FALSE(book.Save(Path("missing-folder/x.spr")).isEmpty());
    EXPECT_EQ(book.SpravFileName(), Path("other.spr")) << "a failed save changes nothing";
}

}  // namespace
}  // namespace document_test

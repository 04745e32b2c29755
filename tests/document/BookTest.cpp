// The book's rules and operations on the document alone, without a window: what each operation refuses,
// when the book counts as unsaved, what the history keeps and gives back, and the book's file.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <filesystem>
#include <string>
#include <vector>

#include "document/Book.h"
#include "document/BookTexts.h"
#include "platform/Text.h"
#include "tests/core/TempFolder.h"

namespace {

std::string Cp(const char* utf8) {
    return platform::ToCp1251(QString::fromUtf8(utf8)).value();
}

std::vector<std::string> Names(const TBook& book, std::size_t file = 0) {
    std::vector<std::string> names;
    for (const auto& name : book.Sprav().Files.at(file)->Sinonims) {
        names.push_back(name->Name);
    }
    return names;
}

// Every test fails on a change of the book that no operation made.
class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        TBookHistory::SetStrayChangeHandler([] { ADD_FAILURE() << "the book changed outside any operation"; });
    }

    // A book with one test file, current, holding `names`; nothing unsaved, nothing to undo.
    void BookWith(const std::vector<const char*>& names) {
        std::string bytes = " 0 C:\\T\\a.qor\r\n";
        for (const char* name : names) {
            bytes += Cp(name) + "|\r\n";
        }
        WriteBytes(folder / "book.spr", bytes);
        ASSERT_TRUE(book.Load(Path("book.spr")).Ok);
        book.SetCurrentFile(0);
    }
    std::string Path(const char* name) const { return (folder / name).string(); }

    TempFolder folder;
    TBook book;
    const std::function<bool(const std::string&)> yes = [](const std::string&) { return true; };
};

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
         document::UnstorableNameText(), false},
        {"a name with a tab", [](TBook& b) { return b.AddName(QStringLiteral("K\t1"), {}); },
         document::ControlCharacterRefusal(), false},
        {"a name too long for its line", [](TBook& b) { return b.AddName(QString(1000, QLatin1Char('K')), {}); },
         document::SinonimLineTooLongText(), false},
        {"a name beginning with a blank", [](TBook& b) { return b.AddName(QStringLiteral(" K2"), {}); },
         QString::fromUtf8(sprav_messages::kUnstorableName), true},
        {"a rename to a name with a bar", [](TBook& b) { return b.RenameName(0, QStringLiteral("K|2"), {}); },
         QString::fromUtf8(sprav_messages::kUnstorableName), true},
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

TEST_F(DocumentTest, WithoutATestFileANameIsRefusedByTheModel) {
    BookWith({});
    book.SetCurrentFile(-1);
    const TBookOutcome outcome = book.AddName(QStringLiteral("K1"), {});
    EXPECT_TRUE(outcome.Attempted);
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{QString::fromUtf8(sprav_messages::kNoCurrentFile)});
    EXPECT_TRUE(Names(book).empty());
}

TEST_F(DocumentTest, UndoAndRedoBackToTheSavedBookLeaveNothingUnsaved) {
    BookWith({"K1"});
    book.AddName(QStringLiteral("K2"), QStringLiteral("<Desc>:\\k2.pdf"));
    book.RenameName(0, QStringLiteral("K0"), {});
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("переименование «K1» в «K0»"));
    ASSERT_TRUE(book.Save(Path("saved.spr")).isEmpty());
    EXPECT_FALSE(book.Modified());
    EXPECT_EQ(book.SpravFileName(), Path("saved.spr"));

    book.Undo();
    EXPECT_TRUE(book.Modified());
    EXPECT_EQ(Names(book), (std::vector<std::string>{"K1", "K2"}));
    book.Redo();
    EXPECT_FALSE(book.Modified()) << "back as it was saved";
    book.Undo();
    book.Undo();
    EXPECT_EQ(Names(book), std::vector<std::string>{"K1"});
    EXPECT_EQ(book.History().RedoText(), QStringLiteral("добавление «K2»"));

    // A new step drops what was undone: the saved state is out of reach.
    book.DeleteName(0);
    EXPECT_FALSE(book.History().CanRedo());
    book.Undo();
    EXPECT_TRUE(book.Modified());
    EXPECT_EQ(Names(book), std::vector<std::string>{"K1"});
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
    const auto no = [&asked](const std::string& path) {
        asked.push_back(path);
        return false;
    };
    const TBookOutcome outcome = book.AddTestFiles(
        {QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor"), QStringLiteral("C:\\T\\中.qor"),
         QStringLiteral("C:\\T\\c\td.qor")},
        no);
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

// The prefix pass: marked entries add their names, unmarked ones take them away, and a refusal met for every
// entry is said once with the count.
TEST_F(DocumentTest, APrefixPassKeepsTheNamesInStepWithTheMarks) {
    BookWith({"155LA3", "SN155LA3"});
    const std::vector<TPrefixEntry> entries = {{"SN", QStringLiteral("SN")}, {"KR", QStringLiteral("KR")},
                                               {Cp("К"), QStringLiteral("К")}};
    EXPECT_EQ(book.ListedMarks(QStringLiteral("155la3"), entries), (std::vector<bool>{true, false, false}));

    std::vector<bool> marks = {true, true, true};
    TBookOutcome outcome = book.PrefixPass(QStringLiteral("отметка префикса «KR»"), QStringLiteral("155LA3"),
                                           entries, marks);
    EXPECT_EQ(outcome.Added, 2);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"155LA3", "SN155LA3", "KR155LA3", Cp("К155LA3")}));
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("отметка префикса «KR»"));

    outcome = book.UnmarkAllPrefixes(QStringLiteral("155LA3"), entries, marks);
    EXPECT_EQ(marks, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Names(book), std::vector<std::string>{"155LA3"});
    book.Undo();
    EXPECT_EQ(Names(book).size(), 4u) << "the whole deselection is one step";

    // No test file current: the model's refusal once for the three entries.
    book.SetCurrentFile(-1);
    outcome = book.MarkAllPrefixes(QStringLiteral("7400"), entries, marks);
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{QString::fromUtf8(sprav_messages::kNoCurrentFile) +
                                                     QStringLiteral("\n\nНе добавлено названий: 3.")});

    // With no name typed the marks go off and the book is not touched.
    book.SetCurrentFile(0);
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    marks = {true, true, true};
    outcome = book.PrefixPass(QStringLiteral("x"), {}, entries, marks);
    EXPECT_FALSE(outcome.Attempted);
    EXPECT_EQ(marks, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(book.Modified());
}

TEST_F(DocumentTest, AFileThatIsNoBookLeavesNoBookInUse) {
    BookWith({"K1"});
    WriteBytes(folder / "notes.txt", "first line\r\n 0 C:\\a.qor\r\n");
    const TBookLoad load = book.Load(Path("notes.txt"));
    EXPECT_FALSE(load.Ok);
    EXPECT_TRUE(load.Failure.startsWith(QStringLiteral("Невозможно открыть файл.")));
    EXPECT_TRUE(book.SpravFileName().empty());
    EXPECT_TRUE(book.Sprav().Files.empty());
    EXPECT_FALSE(book.Modified());
    EXPECT_FALSE(book.History().CanUndo());
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

// The history keeps what its steps hold up to its bound, dropping the oldest first; the newest is always
// kept, however large.
TEST_F(DocumentTest, TheHistoryIsBoundedByWhatItsStepsHold) {
    BookWith({});
    book.History().SetByteLimit(20'000);
    for (int i = 0; i < 400; ++i) {
        book.AddName(QStringLiteral("K%1").arg(i), {});
    }
    EXPECT_LE(book.History().HeldBytes(), 20'000u);
    EXPECT_GT(book.History().Count(), 10u);
    EXPECT_LT(book.History().Count(), 400u);
    while (book.History().CanUndo()) {
        book.Undo();
    }
    EXPECT_EQ(Names(book).size(), 400u - book.History().Count()) << "the oldest steps went first";
    EXPECT_TRUE(book.Modified()) << "the saved state is out of reach";

    std::vector<bool> marks;
    std::vector<TPrefixEntry> entries;
    for (int i = 0; i < 300; ++i) {
        entries.push_back({"P" + std::to_string(i), QStringLiteral("P%1").arg(i)});
    }
    const std::size_t before = Names(book).size();
    book.MarkAllPrefixes(QStringLiteral("155"), entries, marks);
    EXPECT_EQ(book.History().Count(), 1u);
    EXPECT_GT(book.History().HeldBytes(), 20'000u);
    book.Undo();
    EXPECT_EQ(Names(book).size(), before);
}

TEST(BookHistory, AChangeOutsideAnyStepIsAFaultThatEmptiesTheHistory) {
    int faults = 0;
    TBookHistory::SetStrayChangeHandler([&faults] { ++faults; });
    TSprav sprav;
    sprav.OnMessage = [](const std::string&) {};
    TBookHistory history(sprav);
    {
        const TBookStep step(history, QStringLiteral("добавление"));
        sprav.AddTestFile("C:\\a.qor");
    }
    EXPECT_TRUE(history.CanUndo());
    EXPECT_EQ(faults, 0);
    sprav.AddTestFile("C:\\b.qor");
    EXPECT_EQ(faults, 1);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.IsClean());
    history.Restart([&sprav] { sprav.ClearAll(); });
    EXPECT_EQ(faults, 1) << "a whole new book is no fault";
    EXPECT_TRUE(history.IsClean());
    TBookHistory::SetStrayChangeHandler({});
}

}  // namespace

// Undo and redo of the book's changes on the document: every kind of step taken back and made again whole,
// steps in turn, the unsaved state around the last save, steps that changed nothing, a whole new book, and
// the bound on what the history keeps.
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/PathTokens.h"
#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

class HistoryTest : public DocumentTest {
protected:
    // Two test files, paths in token form; the generated names of "155ЛА3" stand apart among the others,
    // with datasheets.
    static std::string TwoFileBook() {
        const auto test = [](const char* name) { return ToTestsToken(std::string("C:\\T\\") + name, "C:\\T"); };
        const auto desc = [](const char* name) { return ToDescToken(std::string("C:\\D\\") + name, "C:\\D"); };
        return " 0 " + test("a.qor") + "\r\n" +                  //
               Cp("К155ТМ2") + "|" + desc("tm2.pdf") + "\r\n" +  //
               Cp("КР155ЛА3") + "|" + desc("kr.pdf") + "\r\n" +  //
               "SN7400|\r\n" +                                   //
               Cp("SN155ЛА3") + "|" + desc("sn.pdf") + "\r\n" +  //
               Cp("К155ЛА4") + "|\r\n" +                         //
               " 1 " + test("b.qor") + "\r\n" +                  //
               Cp("К155ЛА7") + "|" + desc("la7.pdf") + "\r\n";
    }
    void LoadTwoFileBook() {
        book.SetDirectories("C:\\T", "C:\\D");
        BookOf(TwoFileBook());
        ASSERT_EQ(SavedBytes(book), TwoFileBook());
    }

    const std::vector<TPrefixEntry> prefixes = {{Cp("КР"), QStringLiteral("КР")},
                                                {"SN", QStringLiteral("SN")},
                                                {Cp("К"), QStringLiteral("К")},
                                                {Cp("КМ"), QStringLiteral("КМ")}};
    // The marks as the panel shows them for a typed name, with one of them toggled (-1: none).
    std::vector<bool> MarksToggled(const QString& typed, int toggled) const {
        std::vector<bool> marks = book.ListedMarks(typed, prefixes);
        if (toggled >= 0) {
            marks[static_cast<std::size_t>(toggled)] = !marks[static_cast<std::size_t>(toggled)];
        }
        return marks;
    }
};

// Each kind of change: undone, the book is again as read, byte for byte and with nothing unsaved; redone, it
// is again as the operation left it. Either way the step keeps its name.
TEST_F(HistoryTest, EveryKindOfStepIsUndoneAndRedoneWhole) {
    const QString la3 = QStringLiteral("155ЛА3");
    struct Case {
        const char* what;
        std::function<void(TBook&)> run;
        QString step;
    };
    const std::vector<Case> cases = {
        {"add an analog",
         [](TBook& b) {
             b.SetCurrentFile(1);
             b.AddName(QStringLiteral("К155ЛА8"), QStringLiteral("<Desc>:\\la7.pdf"));
         },
         QStringLiteral("добавление «К155ЛА8»")},
        {"rename an analog and give it another datasheet",
         [](TBook& b) { b.RenameName(3, QStringLiteral("SN74155"), QStringLiteral("<Desc>:\\other.pdf")); },
         QStringLiteral("переименование «SN155ЛА3» в «SN74155»")},
        {"delete an analog", [](TBook& b) { b.DeleteName(1); }, QStringLiteral("удаление «КР155ЛА3»")},
        {"add several test files at once",
         [this](TBook& b) { b.AddTestFiles({QStringLiteral("C:\\T\\c.qor"), QStringLiteral("C:\\T\\d.qor")}, yes); },
         QStringLiteral("добавление тестовых файлов")},
        {"add one test file", [this](TBook& b) { b.AddTestFiles({QStringLiteral("C:\\T\\c.qor")}, yes); },
         QStringLiteral("добавление тестового файла «<Tests>:\\c.qor»")},
        {"delete a test file with its analogs", [](TBook& b) { b.DeleteTestFile(0); },
         QStringLiteral("удаление тестового файла «<Tests>:\\a.qor»")},
        {"tick a prefix",
         [&](TBook& b) {
             std::vector<bool> marks = MarksToggled(la3, 2);
             b.PrefixPass(QStringLiteral("отметка префикса «К»"), la3, prefixes, marks);
         },
         QStringLiteral("отметка префикса «К»")},
        {"untick a prefix",
         [&](TBook& b) {
             std::vector<bool> marks = MarksToggled(la3, 0);
             b.PrefixPass(QStringLiteral("снятие отметки префикса «КР»"), la3, prefixes, marks);
         },
         QStringLiteral("снятие отметки префикса «КР»")},
        {"select all prefixes",
         [&](TBook& b) {
             std::vector<bool> marks;
             b.MarkAllPrefixes(la3, prefixes, marks);
         },
         QStringLiteral("отметка всех префиксов")},
        {"deselect all prefixes",
         [&](TBook& b) {
             std::vector<bool> marks = MarksToggled(la3, -1);
             b.UnmarkAllPrefixes(la3, prefixes, marks);
         },
         QStringLiteral("снятие отметки со всех префиксов")},
        {"choose a description file",
         [](TBook& b) { b.ChooseDescription(0, QStringLiteral("К155ТМ2"), "C:\\elsewhere\\other.pdf"); },
         QStringLiteral("выбор файла описания для «К155ТМ2»")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadTwoFileBook();
        const std::vector<std::string> loaded = Entries(book);

        c.run(book);
        const std::vector<std::string> changed = Entries(book);
        ASSERT_NE(changed, loaded);
        EXPECT_TRUE(book.Modified());
        EXPECT_EQ(book.History().Count(), 1u) << "one operation, one step";
        EXPECT_EQ(book.History().UndoText(), c.step);

        book.Undo();
        EXPECT_EQ(Entries(book), loaded);
        EXPECT_EQ(SavedBytes(book), TwoFileBook());
        EXPECT_FALSE(book.Modified());
        EXPECT_FALSE(book.History().CanUndo());
        EXPECT_EQ(book.History().RedoText(), c.step);

        book.Redo();
        EXPECT_EQ(Entries(book), changed);
        EXPECT_TRUE(book.Modified());
        EXPECT_FALSE(book.History().CanRedo());
        EXPECT_EQ(book.History().UndoText(), c.step);
    }
}

// Steps are taken back in the order they were made, each to the book it found, and made again the same way;
// a new step after an undo drops the steps that could have been made again.
TEST_F(HistoryTest, StepsAreUndoneAndRedoneInTurn) {
    LoadTwoFileBook();
    std::vector<std::vector<std::string>> books = {Entries(book)};
    book.DeleteName(1);
    books.push_back(Entries(book));
    book.AddName(QStringLiteral("К155ЛА9"), {});
    books.push_back(Entries(book));
    book.DeleteTestFile(0);
    books.push_back(Entries(book));
    ASSERT_EQ(book.History().Count(), 3u);

    for (int i = 2; i >= 0; --i) {
        book.Undo();
        EXPECT_EQ(Entries(book), books[static_cast<std::size_t>(i)]) << "undo to " << i;
    }
    EXPECT_FALSE(book.History().CanUndo());
    EXPECT_EQ(book.History().RedoText(), QStringLiteral("удаление «КР155ЛА3»"));
    for (int i = 1; i <= 3; ++i) {
        book.Redo();
        EXPECT_EQ(Entries(book), books[static_cast<std::size_t>(i)]) << "redo to " << i;
    }

    book.Undo();
    book.Undo();
    book.SetCurrentFile(0);
    book.AddName(QStringLiteral("AT&T7401"), {});
    EXPECT_FALSE(book.History().CanRedo());
    EXPECT_EQ(book.History().Count(), 2u);
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("добавление «AT&T7401»"));
    book.Undo();
    EXPECT_EQ(Entries(book), books[1]);
}

// The book counts as unsaved exactly when it differs from the state last saved: undoing or redoing back to
// it leaves nothing unsaved, away from it marks the book again; a save keeps the steps, and neither undo nor
// redo writes the file.
TEST_F(HistoryTest, BackToTheSavedStateNothingIsUnsaved) {
    BookWith({"K1"});
    book.AddName(QStringLiteral("K2"), QStringLiteral("<Desc>:\\k2.pdf"));
    book.RenameName(0, QStringLiteral("K0"), {});
    ASSERT_TRUE(book.Save(Path("saved.spr")).isEmpty());
    EXPECT_FALSE(book.Modified());
    EXPECT_EQ(book.SpravFileName(), Path("saved.spr"));
    EXPECT_EQ(book.History().Count(), 2u) << "a save keeps the steps";
    EXPECT_EQ(book.History().UndoText(), QStringLiteral("переименование «K1» в «K0»"));
    const std::vector<std::string> atSave = Entries(book);
    const std::string savedBytes = ReadBytes(folder / "saved.spr");
    const auto savedTime = std::filesystem::last_write_time(folder / "saved.spr");

    book.DeleteName(0);
    EXPECT_TRUE(book.Modified());
    const std::vector<std::pair<const char*, bool>> turns = {
        {"undo back to the save", false}, {"undo past it", true}, {"redo back to it", false},
        {"redo away from it", true},      {"undo back again", false},
    };
    for (const auto& [turn, unsaved] : turns) {
        if (std::string(turn).starts_with("undo")) {
            book.Undo();
        } else {
            book.Redo();
        }
        EXPECT_EQ(book.Modified(), unsaved) << turn;
        EXPECT_EQ(Entries(book) == atSave, !unsaved) << turn;
    }
    EXPECT_EQ(ReadBytes(folder / "saved.spr"), savedBytes);
    EXPECT_EQ(std::filesystem::last_write_time(folder / "saved.spr"), savedTime);

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

// New and a book read begin a book of their own: no step of the one before is left to undo or redo.
TEST_F(HistoryTest, ANewBookStartsTheHistoryAfresh) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"New", [this] { book.New(); }},
        {"a book read", [this] { ASSERT_TRUE(book.Load(Path("book.spr")).Ok); }},
    };
    for (const auto& [what, start] : cases) {
        LoadTwoFileBook();
        book.AddName(QStringLiteral("К155ЛА9"), {});
        book.AddName(QStringLiteral("К155ЛА10"), {});
        book.Undo();
        ASSERT_TRUE(book.History().CanUndo() && book.History().CanRedo());
        start();
        EXPECT_FALSE(book.History().CanUndo()) << what;
        EXPECT_FALSE(book.History().CanRedo()) << what;
        EXPECT_FALSE(book.Modified()) << what;
    }
}

// An operation that ends without changing the book leaves no step, whatever it refused on the way.
TEST_F(HistoryTest, OperationsThatChangeNothingLeaveNoStep) {
    struct Case {
        const char* what;
        std::function<void(TBook&)> run;
    };
    const std::vector<Case> cases = {
        {"a test file listed already, not wanted again",
         [this](TBook& b) { b.AddTestFiles({QStringLiteral("C:\\T\\a.qor")}, no); }},
        {"a name refused", [](TBook& b) { b.AddName(QStringLiteral("|К155"), {}); }},
        {"the same name and datasheet given again",
         [](TBook& b) {
             const TSpravSinonim& listed = *b.Sprav().Files[0]->Sinonims[1];
             b.RenameName(1, platform::FromCp1251(listed.Name), platform::FromCp1251(listed.DescPath));
         }},
        {"the same datasheet chosen again",
         [](TBook& b) {
             b.ChooseDescription(0, QStringLiteral("К155ТМ2"), b.Sprav().Files[0]->Sinonims[0]->DescPath);
         }},
        {"a prefix unticked whose name is listed in another case",
         [&](TBook& b) {
             std::vector<bool> marks = MarksToggled(QStringLiteral("155ла3"), 1);
             b.PrefixPass(QStringLiteral("снятие отметки префикса «SN»"), QStringLiteral("155ла3"), prefixes, marks);
         }},
        {"deselect all with no name listed",
         [&](TBook& b) {
             std::vector<bool> marks = MarksToggled(QStringLiteral("9999"), -1);
             b.UnmarkAllPrefixes(QStringLiteral("9999"), prefixes, marks);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadTwoFileBook();
        c.run(book);
        EXPECT_EQ(SavedBytes(book), TwoFileBook());
        EXPECT_FALSE(book.History().CanUndo());
        EXPECT_FALSE(book.History().CanRedo());
    }
}

// The history keeps what its steps hold up to its bound, dropping the oldest first; the newest is always
// kept, however large.
TEST_F(HistoryTest, TheHistoryIsBoundedByWhatItsStepsHold) {
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
}  // namespace document_test

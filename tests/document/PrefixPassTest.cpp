// The prefix pass on the document: which generated names a pass adds and takes away, how letter case and
// names listed twice count, what select-all and deselect-all leave, and each refusal said once per pass.
#include <QElapsedTimer>

#include <optional>
#include <string>
#include <vector>

#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

// Prefix entries of plain Latin text, as a prefix file lists them.
std::vector<TPrefixEntry> Prefixes(const std::vector<std::string>& texts) {
    std::vector<TPrefixEntry> entries;
    for (const std::string& text : texts) {
        entries.push_back({text, QString::fromLatin1(text)});
    }
    return entries;
}

QString Refused(const QString& text, int names) {
    return text + QStringLiteral("\n\nНе добавлено названий: %1.").arg(names);
}

using PrefixPassTest = DocumentTest;

// Marked entries add their names, unmarked ones take them away, and a refusal met for every entry is said
// once with the count.
TEST_F(PrefixPassTest, APrefixPassKeepsTheNamesInStepWithTheMarks) {
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
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{Refused(QStringLiteral("Выберите файл."), 3)});

    // With no name typed the marks go off and the book is not touched.
    book.SetCurrentFile(0);
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    marks = {true, true, true};
    outcome = book.PrefixPass(QStringLiteral("x"), {}, entries, marks);
    EXPECT_FALSE(outcome.Attempted);
    EXPECT_EQ(marks, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(book.Modified());
}

// The generated name is the prefix and the typed name as typed, a trailing blank included, with no
// datasheet; it becomes the current analog.
TEST_F(PrefixPassTest, TickingAddsTheGeneratedNameAndUntickingTakesItAway) {
    BookWith({"155ЛА3", "K1"});
    const std::vector<TPrefixEntry> entries = {{Cp("КР"), QStringLiteral("КР")}, {"SN", QStringLiteral("SN")}};
    const QString typed = QStringLiteral("155ЛА3 ");
    std::vector<bool> marks = {true, false};
    EXPECT_EQ(book.PrefixPass(QStringLiteral("отметка"), typed, entries, marks).Added, 1);
    EXPECT_EQ(Names(book), (std::vector<std::string>{Cp("155ЛА3"), "K1", Cp("КР155ЛА3 ")}));
    EXPECT_EQ(book.Sprav().Files[0]->Sinonims[2]->DescPath, "");
    EXPECT_EQ(book.CurrentNameIndex(), 2);
    EXPECT_EQ(marks, (std::vector<bool>{true, false}));
    EXPECT_TRUE(book.Modified());

    book.SetModified(false);
    marks[0] = false;
    book.PrefixPass(QStringLiteral("снятие"), typed, entries, marks);
    EXPECT_EQ(Names(book), (std::vector<std::string>{Cp("155ЛА3"), "K1"}));
    EXPECT_EQ(marks, (std::vector<bool>{false, false}));
    EXPECT_TRUE(book.Modified());
}

// An unticked entry takes away only a name that is its own byte for byte: one listed in another case stays,
// and the marks stay as given; of a name listed twice the first copy goes, and the marks are shown anew, on
// for the second copy.
TEST_F(PrefixPassTest, ANamePresentInAnotherCaseOrTwiceStays) {
    const auto entries = Prefixes({"KR", "SN"});
    const QString typed = QStringLiteral("155");
    struct Case {
        const char* what;
        std::size_t unticked;
        std::vector<std::string> names;
        std::vector<bool> marks;
        bool unsaved;
    };
    const std::vector<Case> cases = {
        {"listed in another case", 0, {"kr155", "SN155", "SN155"}, {false, true}, false},
        {"listed twice", 1, {"kr155", "SN155"}, {true, true}, true},
    };
    BookWith({"kr155", "SN155", "SN155"});
    std::vector<bool> marks = book.ListedMarks(typed, entries);
    ASSERT_EQ(marks, (std::vector<bool>{true, true}));
    for (const Case& c : cases) {
        marks[c.unticked] = false;
        book.PrefixPass(QStringLiteral("снятие"), typed, entries, marks);
        EXPECT_EQ(Names(book), c.names) << c.what;
        EXPECT_EQ(marks, c.marks) << c.what;
        EXPECT_EQ(book.Modified(), c.unsaved) << c.what;
    }
}

TEST_F(PrefixPassTest, SelectAllAndDeselectAll) {
    BookWith({"155", "X155"});
    const auto entries = Prefixes({"KR", "KR", "SN"});
    std::vector<bool> marks;

    // With an empty name: marks off, no name changes.
    EXPECT_FALSE(book.MarkAllPrefixes({}, entries, marks).Attempted);
    EXPECT_EQ(marks, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(book.Modified());

    // The same prefix twice in the list adds its name twice.
    EXPECT_EQ(book.MarkAllPrefixes(QStringLiteral("155"), entries, marks).Added, 3);
    const std::vector<std::string> all = {"155", "X155", "KR155", "KR155", "SN155"};
    EXPECT_EQ(Names(book), all);
    EXPECT_EQ(marks, (std::vector<bool>{true, true, true}));

    // One exact copy per entry goes; the base name and the others stay, and the lookup of the rest is right.
    book.SetModified(false);
    book.UnmarkAllPrefixes(QStringLiteral("155"), entries, marks);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"155", "X155"}));
    EXPECT_EQ(marks, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(book.Modified());
    EXPECT_EQ(book.NameList().FindName(QStringLiteral("x155")), 1);
    EXPECT_EQ(book.NameList().FindName(QStringLiteral("kr155")), -1);

    book.MarkAllPrefixes(QStringLiteral("155"), entries, marks);
    EXPECT_EQ(Names(book), all);
}

// Deselect-all ends as unticking every entry in turn would, whatever the marks were (marks left off by a
// load still take names away): one exact first match per entry, and a name first listed in another case
// stays.
TEST_F(PrefixPassTest, DeselectAllTakesAwayWhatUntickingEachEntryInTurnWould) {
    const std::vector<const char*> names = {"155", "hd155", "KR155", "SN155", "SN155", "kr155", "X"};
    const auto entries = Prefixes({"HD", "SN", "SN", "KR", "kr", "ZZ"});
    const QString typed = QStringLiteral("155");
    for (const bool recomputed : {false, true}) {
        SCOPED_TRACE(recomputed ? "marks showing the listed names" : "marks left off by a load");
        BookWith(names);
        TBook inTurn;
        ASSERT_TRUE(inTurn.Load(Path("book.spr")).Ok);
        inTurn.SetCurrentFile(0);
        std::vector<bool> marks = recomputed ? book.ListedMarks(typed, entries) : std::vector<bool>(6, false);
        std::vector<bool> marksInTurn = marks;

        book.UnmarkAllPrefixes(typed, entries, marks);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            marksInTurn[i] = false;
            inTurn.PrefixPass(QStringLiteral("снятие"), typed, entries, marksInTurn);
        }
        EXPECT_EQ(Names(book), Names(inTurn));
        EXPECT_EQ(Names(book), (std::vector<std::string>{"155", "hd155", "X"}));
        EXPECT_EQ(marks, (std::vector<bool>{true, false, false, false, false, false}));
        EXPECT_TRUE(book.Modified());
        EXPECT_GE(book.NameList().FindName(QStringLiteral("Hd155")), 0);
        EXPECT_EQ(book.NameList().FindName(QStringLiteral("kr155")), -1);

        // Again, with every mark showing its name: "hd155" is no exact match of "HD155" and stays.
        book.SetModified(false);
        book.UnmarkAllPrefixes(typed, entries, marks);
        EXPECT_EQ(Names(book), (std::vector<std::string>{"155", "hd155", "X"}));
        EXPECT_EQ(marks, (std::vector<bool>{true, false, false, false, false, false}));
        EXPECT_FALSE(book.Modified());
    }
}

// On a large list deselect-all takes time in proportion to the names, not to their square: 2 000 prefixes
// with their names take a fraction of a second (one pass per prefix took 17 s); the bound leaves room for
// sanitizer builds and Wine.
TEST_F(PrefixPassTest, DeselectAllOfALargeListIsQuick) {
    BookWith({"155", "hd155", "X"});
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i) {
        texts.push_back("P" + std::to_string(1000 + i));
    }
    const auto entries = Prefixes(texts);
    std::vector<bool> marks;
    book.MarkAllPrefixes(QStringLiteral("155"), entries, marks);
    ASSERT_EQ(Names(book).size(), 2003u);
    QElapsedTimer timer;
    timer.start();
    book.UnmarkAllPrefixes(QStringLiteral("155"), entries, marks);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"155", "hd155", "X"}));
    EXPECT_EQ(marks, std::vector<bool>(2000, false));
}

// However many names a pass refuses, each kind of refusal is said once, in the order first met, with the
// number of names it refused; a kind met once reads as it always does. The pass goes on past a refused name.
TEST_F(PrefixPassTest, EachKindOfRefusalIsSaidOncePerPass) {
    std::vector<std::string> many;
    for (int i = 0; i < 500; ++i) {
        many.push_back("P" + std::to_string(i));
    }
    enum class Book { Empty, NoneCurrent, Current, Full };
    struct Case {
        const char* what;
        Book state;
        std::vector<std::string> prefixes;
        QString typed;
        std::vector<QString> refusals;
        std::vector<std::string> names;  // the test file's names after the pass
        std::optional<bool> unsaved;
    };
    const std::vector<Case> cases = {
        {"no test file in the book", Book::Empty, many, QStringLiteral("155"),
         {Refused(QStringLiteral("Список файлов пуст. Сначала необходимо добавить файл."), 500)}, {}, true},
        {"no test file current", Book::NoneCurrent, {"KR", " ", "A|", "SN"}, QStringLiteral("155"),
         {Refused(QStringLiteral("Выберите файл."), 4)}, {}, true},
        {"names the book file cannot hold", Book::Current, {"KR", " ", "A|", "SN"}, QStringLiteral("155"),
         {Refused(kUnstorableName, 2)}, {"KR155", "SN155"}, true},
        // "K" and 996 fit a line of the book, "KKK" do not.
        {"two kinds in one pass", Book::Current, {" ", "KKK", "A|", "K", "KKK"}, QString(996, QLatin1Char('N')),
         {Refused(kUnstorableName, 2), Refused(kNameLineTooLong, 2)}, {"K" + std::string(996, 'N')}, {}},
        {"one kind met once", Book::Current, {"KR", " ", "SN"}, QStringLiteral("155"), {kUnstorableName},
         {"KR155", "SN155"}, {}},
        {"one name too long for its line", Book::Current, {"K", "KR"}, QString(997, QLatin1Char('N')),
         {kNameLineTooLong}, {"K" + std::string(997, 'N')}, true},
        {"a typed name Windows-1251 cannot hold", Book::Current, {"KR", " ", "SN"}, QStringLiteral("155✓"),
         {kUnstorableText}, {}, true},
        {"a control character in the typed name", Book::Current, {"KR", "SN", "K"}, QStringLiteral("1\t5"),
         {kControlCharacters}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.state == Book::Empty) {
            book.New();
        } else {
            BookWith({});
            if (c.state == Book::NoneCurrent) {
                book.SetCurrentFile(-1);
            }
        }
        std::vector<bool> marks;
        const TBookOutcome outcome = book.MarkAllPrefixes(c.typed, Prefixes(c.prefixes), marks);
        EXPECT_EQ(outcome.Refusals, c.refusals);
        EXPECT_EQ(outcome.Added, static_cast<int>(c.names.size()));
        if (!book.Sprav().Files.empty()) {
            EXPECT_EQ(Names(book), c.names);
        }
        if (c.unsaved) {
            EXPECT_EQ(book.Modified(), *c.unsaved);
        }
        if (!outcome.Attempted) {
            EXPECT_EQ(marks, std::vector<bool>(c.prefixes.size(), false)) << "no mark stays on for a name not added";
        }
    }
}

// With the book full, the first generated name past its last line is refused by name, once, and no later
// one is added.
TEST_F(PrefixPassTest, AFullBookTakesNoMoreGeneratedNames) {
    BookOf(BookOfLines(99'997));
    std::vector<bool> marks;
    const TBookOutcome outcome = book.MarkAllPrefixes(QStringLiteral("155"), Prefixes({"KR", "SN", "K"}), marks);
    EXPECT_EQ(outcome.Refusals, std::vector<QString>{QStringLiteral(
                                    "В справочнике уже 99998 строк, больше он не сможет сохранить. Не добавлено: SN155")});
    ASSERT_EQ(Names(book).size(), 99'997u);
    EXPECT_EQ(Names(book).back(), "KR155");
}

}  // namespace
}  // namespace document_test

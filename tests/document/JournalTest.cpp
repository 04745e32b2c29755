// The recovery journal: what it writes reads back whole, a journal cut off anywhere gives every record
// before the cut, a file that is no journal is told apart, and journals of editors still running are left
// to them.
#include <QDir>

#include "document/RecoveryJournal.h"
#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

std::string ReadAll(const QString& path) {
    return ReadBytes(std::filesystem::path(path.toStdString()));
}

class JournalTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        journals = QString::fromStdString((folder / "recovery").string());
        book.EnableRecovery(journals);
    }

    // The book read back from its journal, as the next start would restore it.
    std::string Restored(const recovery::TJournal& journal, bool exact = false) {
        TBook restored;
        if (!journal.BookPath.empty()) {
            EXPECT_TRUE(restored.Load(journal.BookPath).Ok);
        }
        restored.Replay(journal.Moves, exact);
        return SavedBytes(restored);
    }

    QString journals;
};

TEST(JournalFields, EveryByteAndEveryLetterComesBack) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    const std::string field = recovery::EscapeBytes(bytes);
    EXPECT_EQ(field.find('\t'), std::string::npos);
    EXPECT_EQ(field.find('\n'), std::string::npos);
    EXPECT_EQ(recovery::UnescapeBytes(field), bytes);
    EXPECT_EQ(recovery::EscapeBytes(Cp("К155ЛА3\\x")), "К155ЛА3\\\\x") << "a person reads the letters";

    const QString text = QStringLiteral("удаление «K\t1»\n\\");
    EXPECT_EQ(recovery::UnescapeText(recovery::EscapeText(text)), text);
    for (const char* broken : {"\\", "\\x4", "\\xZZ", "\\q", "\xD0"}) {
        EXPECT_FALSE(recovery::UnescapeBytes(broken).has_value()) << broken;
    }
}

TEST_F(JournalTest, StepsUndoneAndRedoneComeBackAsTheBookStands) {
    BookWith({"K1", "K2"});
    EXPECT_TRUE(book.Journal()->Path().isEmpty()) << "nothing is written before the first step";
    book.AddName(QStringLiteral("К155ЛА3"), QStringLiteral("<Desc>:\\x.pdf"));
    book.DeleteName(0);
    book.Undo();
    book.Undo();
    book.Redo();
    book.SetUnsavedComment(recovery::TComment{"C:\\T\\a.qor", 0, Cp("Проверен\r\nпри 5 В")});
    const QString path = book.Journal()->Path();
    ASSERT_FALSE(path.isEmpty());

    const std::optional<recovery::TJournal> journal = recovery::Parse(ReadAll(path));
    ASSERT_TRUE(journal.has_value());
    EXPECT_EQ(journal->BookPath, Path("book.spr"));
    EXPECT_EQ(journal->Moves.size(), 1u) << "the deletion and its undo cancel out";
    EXPECT_EQ(Restored(*journal), SavedBytes(book));
    ASSERT_TRUE(journal->Comment.has_value());
    EXPECT_EQ(journal->Comment->Text, Cp("Проверен\r\nпри 5 В"));

    // A save leaves nothing to restore.
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(JournalTest, ACutJournalGivesEveryWholeRecordBeforeTheCut) {
    BookWith({"K1"});
    std::vector<std::string> after;  // the book after each step
    for (const char* name : {"K2", "K3", "K4"}) {
        book.AddName(QString::fromUtf8(name), {});
        after.push_back(SavedBytes(book));
    }
    const std::string whole = ReadAll(book.Journal()->Path());
    const std::string before = ReadBytes(folder / "book.spr");
    std::size_t lastSteps = 0;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const std::optional<recovery::TJournal> journal = recovery::Parse(whole.substr(0, cut));
        ASSERT_TRUE(journal.has_value()) << "cut at " << cut;
        const std::size_t steps = journal->Moves.size();
        ASSERT_GE(steps, lastSteps) << "cut at " << cut;
        lastSteps = steps;
        if (!journal->BookPath.empty()) {
            EXPECT_EQ(Restored(*journal), steps == 0 ? before : after[steps - 1]) << "cut at " << cut;
        }
    }
    EXPECT_EQ(lastSteps, 3u);
}

// On the very book the journal began on, each step goes back where it was made: a name listed twice is
// put back as the second one, not taken for the first.
TEST_F(JournalTest, OnTheUnchangedBookEachStepGoesWhereItWasMade) {
    BookWith({"N", "A", "N"});
    book.DeleteName(2);
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    book.Undo();  // the second N back, below the save
    const std::optional<recovery::TJournal> journal = recovery::Parse(ReadAll(book.Journal()->Path()));
    ASSERT_TRUE(journal.has_value());
    EXPECT_EQ(Restored(*journal, true), SavedBytes(book));
}

TEST(JournalParse, AFileThatIsNoJournalIsToldApart) {
    for (const char* bytes : {"", "QorSprav"}) {
        EXPECT_TRUE(recovery::Parse(bytes).has_value()) << "the beginning of a journal: " << bytes;
    }
    for (const char* bytes : {" 0 C:\\a.qor\r\nK1|\r\n", "QorSprav recovery journal 2\n", "\x89PNG\r\n\x1a\n"}) {
        EXPECT_FALSE(recovery::Parse(bytes).has_value()) << bytes;
    }
    // A damaged line ends the journal there: what came before is kept.
    const std::optional<recovery::TJournal> damaged = recovery::Parse(
        "QorSprav recovery journal 1\nbook\tC:\\\\b.spr\nstamp\t1\t0\nstep\t1\tforward\tx\nchange\tnames+\t0\t0\t0\t"
        "C:\\\\a.qor\nname\tK1\t\nend\nstep\t2\tforward\ty\nchange\tnames+\tzero\t0\t0\tC:\\\\a.qor\nend\n");
    ASSERT_TRUE(damaged.has_value());
    EXPECT_EQ(damaged->BookPath, "C:\\b.spr");
    EXPECT_EQ(damaged->Moves.size(), 1u);
}

TEST_F(JournalTest, AJournalIsLeftBehindOnlyWhenItsEditorIsGone) {
    BookWith({"K1"});
    book.AddName(QStringLiteral("K2"), {});
    const QString path = book.Journal()->Path();
    EXPECT_TRUE(recovery::FindLeftBehind(journals).empty()) << "its editor holds it";

    {
        // Another editor's journal whose process ended: its lock goes with it.
        TBook other;
        other.EnableRecovery(journals);
        other.New();
        other.AddTestFiles({QStringLiteral("C:\\T\\z.qor")}, yes);
    }
    std::vector<recovery::TLeftBehind> left = recovery::FindLeftBehind(journals);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].Path, path);
    ASSERT_TRUE(left[0].Journal.has_value());
    EXPECT_TRUE(left[0].Journal->BookPath.empty()) << "a new book";
    EXPECT_EQ(left[0].Journal->Moves.size(), 1u);

    // A file that is no journal is put aside once and never found again.
    recovery::RemoveLeftBehind(left[0].Path);
    WriteBytes(std::filesystem::path(journals.toStdString()) / "journal-1-2-3.txt", "not a journal\n");
    left = recovery::FindLeftBehind(journals);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_FALSE(left[0].Journal.has_value());
    const QString aside = recovery::SetAside(left[0].Path);
    EXPECT_TRUE(QFile::exists(aside));
    EXPECT_TRUE(recovery::FindLeftBehind(journals).empty());
}

}  // namespace
}  // namespace document_test

// This editor's unsaved steps played onto the book as another program saved it: each finds its test file by
// path and its analog by name, a step already made by the other counts as made, one that no longer applies
// is skipped whole and said as its undo names it.
#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

class MergeTest : public DocumentTest {
protected:
    // As in the editor, the steps also go to a journal: the way back to the saved book when the history
    // no longer has it.
    void SetUp() override {
        DocumentTest::SetUp();
        book.EnableRecovery(QString::fromStdString((folder / "recovery").string()));
    }

    // The other program's save of the book.
    void OtherSaves(const std::string& bytes) { WriteBytes(folder / "book.spr", bytes); }

    TBookMerge Merge() {
        const auto moves = book.UnsavedMoves();
        EXPECT_TRUE(moves.has_value());
        return book.MergeWithFile(moves.value_or(std::vector<TBookHistory::Move>{}));
    }
};

// The test file a.qor with as many names as the book may hold lines.
std::string FullBook() {
    std::string bytes = " 0 C:\\T\\a.qor\r\n";
    for (int i = 1; i < 99'998; ++i) {
        bytes += "N" + std::to_string(i) + "|\r\n";
    }
    return bytes;
}

const std::string kTwoFiles = " 0 C:\\T\\a.qor\r\nK1|\r\nK2|\r\nK3|\r\n 1 C:\\T\\b.qor\r\nB1|\r\n";

TEST_F(MergeTest, BothEditsMeetAndTheRenameOfADeletedNameIsSkipped) {
    BookOf(kTwoFiles);
    book.DeleteName(1);                                   // K2
    book.RenameName(0, QStringLiteral("K1A"), {});        // K1, which the other deletes
    book.SetCurrentFile(1);
    book.AddName(QStringLiteral("B2"), {});
    OtherSaves(" 0 C:\\T\\a.qor\r\nK2|\r\nK3|\r\nK4|\r\n 1 C:\\T\\b.qor\r\nB1|\r\n");

    const TBookMerge merge = Merge();
    ASSERT_TRUE(merge.Ok);
    EXPECT_EQ(merge.Skipped, std::vector<QString>{QStringLiteral(
                                 "Переименование «K1» в «K1A»: этого аналога в справочнике уже нет")});
    EXPECT_EQ(SavedBytes(book), " 0 C:\\T\\a.qor\r\nK3|\r\nK4|\r\n 1 C:\\T\\b.qor\r\nB1|\r\nB2|\r\n");
    EXPECT_TRUE(book.Modified());

    // The other's book is the clean state; the played steps lie above it, one undo each.
    EXPECT_EQ(book.History().Count(), 2u);
    book.Undo();
    book.Undo();
    EXPECT_FALSE(book.Modified());
    EXPECT_EQ(SavedBytes(book), ReadBytes(folder / "book.spr"));
}

TEST_F(MergeTest, EachKindOfStepAppliesOrSaysWhyNot) {
    struct Case {
        const char* what;
        std::function<void(TBook&)> edit;
        std::string other;  // the book as the other program saved it
        std::string merged;
        std::vector<QString> skipped;
    };
    const std::vector<Case> cases = {
        {"the same name added by both is one name",
         [](TBook& b) { b.AddName(QStringLiteral("K4"), {}); },
         " 0 C:\\T\\a.qor\r\nK1|\r\nK2|\r\nK3|\r\nK4|\r\n 1 C:\\T\\b.qor\r\nB1|\r\n",
         " 0 C:\\T\\a.qor\r\nK1|\r\nK2|\r\nK3|\r\nK4|\r\n 1 C:\\T\\b.qor\r\nB1|\r\n", {}},
        {"a name for a test file the other removed",
         [](TBook& b) { b.SetCurrentFile(1); b.AddName(QStringLiteral("B2"), {}); },
         " 0 C:\\T\\a.qor\r\nK1|\r\n", " 0 C:\\T\\a.qor\r\nK1|\r\n",
         {QStringLiteral("Добавление «B2»: этого тестового файла в справочнике уже нет")}},
        {"a deletion of a name the other deleted too",
         [](TBook& b) { b.DeleteName(0); },
         " 0 C:\\T\\a.qor\r\nK2|\r\n", " 0 C:\\T\\a.qor\r\nK2|\r\n",
         {QStringLiteral("Удаление «K1»: этого аналога в справочнике уже нет")}},
        {"a test file the other gave names is not deleted with them",
         [](TBook& b) { b.DeleteTestFile(1); },
         kTwoFiles + "B9|\r\n", kTwoFiles + "B9|\r\n",
         {QStringLiteral("Удаление тестового файла «C:\\T\\b.qor»: в этот тестовый файл добавлены другие "
                         "названия")}},
        {"a test file found by its path wherever it moved",
         [](TBook& b) { b.DeleteTestFile(1); },
         " 0 C:\\T\\new.qor\r\n 1 C:\\T\\b.qor\r\nB1|\r\n 2 C:\\T\\a.qor\r\nK1|\r\n",
         " 0 C:\\T\\new.qor\r\n 1 C:\\T\\a.qor\r\nK1|\r\n", {}},
        {"a name renamed the same way by both",
         [](TBook& b) { b.RenameName(2, QStringLiteral("K3A"), {}); },
         " 0 C:\\T\\a.qor\r\nK3A|\r\n", " 0 C:\\T\\a.qor\r\nK3A|\r\n", {}},
        {"a datasheet chosen for a name the other moved",
         [](TBook& b) { b.ChooseDescription(2, QStringLiteral("K3"), "C:\\D\\k3.pdf"); },
         " 0 C:\\T\\a.qor\r\nK3|\r\nK1|\r\n", " 0 C:\\T\\a.qor\r\nK3|C:\\D\\k3.pdf\r\nK1|\r\n", {}},
        {"a prefix pass is one step, made whole",
         [](TBook& b) {
             std::vector<bool> marks;
             b.MarkAllPrefixes(QStringLiteral("7"), {{"SN", QStringLiteral("SN")}, {"KR", QStringLiteral("KR")}},
                               marks);
         },
         " 0 C:\\T\\a.qor\r\nK1|\r\n", " 0 C:\\T\\a.qor\r\nK1|\r\nSN7|\r\nKR7|\r\n", {}},
        {"a test file added a second time keeps its names apart from the first",
         [](TBook& b) {
             b.AddTestFiles({QStringLiteral("C:\\T\\a.qor")}, [](const std::string&) { return true; });
             b.SetCurrentFile(2);
             b.AddName(QStringLiteral("N2"), {});
         },
         kTwoFiles, kTwoFiles + " 2 C:\\T\\a.qor\r\nN2|\r\n", {}},
        {"a full book takes no more",
         [](TBook& b) { b.AddName(QStringLiteral("K4"), {}); },
         FullBook(), FullBook(),
         {QStringLiteral("Добавление «K4»: справочник не вместит больше 99998 строк")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BookOf(kTwoFiles);
        c.edit(book);
        OtherSaves(c.other);
        const TBookMerge merge = Merge();
        ASSERT_TRUE(merge.Ok);
        EXPECT_EQ(SavedBytes(book), c.merged);
        EXPECT_EQ(merge.Skipped, c.skipped);
    }
}

// Undone below the save, the steps are played backward; a step and its undo cancel out.
TEST_F(MergeTest, StepsUndoneSinceTheSaveArePlayedBackward) {
    BookOf(kTwoFiles);
    book.AddName(QStringLiteral("K4"), {});
    ASSERT_TRUE(book.Save(Path("book.spr")).isEmpty());
    book.Undo();  // K4 goes again, below the save
    book.AddName(QStringLiteral("K5"), {});
    book.Undo();
    OtherSaves(" 0 C:\\T\\a.qor\r\nK1|\r\nK4|\r\nK9|\r\n");
    const TBookMerge merge = Merge();
    ASSERT_TRUE(merge.Ok);
    EXPECT_EQ(SavedBytes(book), " 0 C:\\T\\a.qor\r\nK1|\r\nK9|\r\n");
}

// A book another program is still writing cannot be read: the editor's book stays as it is.
TEST_F(MergeTest, AnUnreadableFileLeavesTheBookAsItIs) {
    BookOf(kTwoFiles);
    book.AddName(QStringLiteral("K4"), {});
    const std::string before = SavedBytes(book);
    OtherSaves(std::string("K1|\r\n 0 C:\\T\\a.qor\r\n"));  // a name before any test file: no book
    const TBookMerge merge = Merge();
    EXPECT_FALSE(merge.Ok);
    EXPECT_FALSE(merge.Failure.isEmpty());
    EXPECT_EQ(SavedBytes(book), before);
    EXPECT_TRUE(book.Modified());
    EXPECT_TRUE(book.History().CanUndo());
}

}  // namespace
}  // namespace document_test

// No engineer's work is lost: two editors on one book merge their steps, an editor with nothing unsaved
// follows another's save by itself, and the work of an editor that ended without closing comes back at the
// next start.
#include <QDir>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>

#include "core/SpravFile.h"
#include "forms/CommentPanel.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kCrashQuestion = QStringLiteral(
    "Редактор был закрыт аварийно. Восстановить несохранённые изменения справочника «%1»?");

// The bytes a save of this window's book would write now.
std::string SavedBytes(const TfmMain& editor) {
    std::string bytes;
    EXPECT_TRUE(sprav_file::Format(editor.Book().Sprav(), editor.Book().Directories(), bytes).Ok());
    return bytes;
}

class MergeAndRecoveryTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("T")));
        book = MakeFile(QStringLiteral("book.spr"), " 0 <Tests>:/a.qor\r\nK1|\r\nK2|\r\nK3|\r\n");
    }

    std::unique_ptr<TfmMain> OpenEditor() {
        auto editor = std::make_unique<TfmMain>();
        editor->FormCreate(book);
        editor->show();
        return editor;
    }

    static void SelectName(TfmMain& editor, int row) {
        SetCurrentRow(editor.findChild<QListView*>(QStringLiteral("lbNames")), row);
    }
    static void Type(TfmMain& editor, const QString& name) {
        editor.findChild<QLineEdit*>(QStringLiteral("eName"))->setText(name);
    }
    static void Press(TfmMain& editor, const char* button) {
        editor.findChild<QPushButton*>(QLatin1String(button))->click();
    }
    void Delete(TfmMain& editor, int row) {
        SelectName(editor, row);
        desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
        Press(editor, "bbDelSinonim");
        desktop->Take();
    }
    // Saves over the book; `another`: the answer to the question about another program's changes.
    void SaveOver(TfmMain& editor, std::optional<MessageAnswer> another) {
        desktop->QueueSaveFile(book);
        desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
        if (another) {
            desktop->QueueMessageBoxAnswer(*another);
        }
        editor.FileSave1Execute();
        desktop->Take();
        desktop->Take();
        if (another) {
            desktop->TakeMessageBox(QStringLiteral("Справочник «%1» изменён другой программой, а в редакторе есть "
                                                   "несохранённые изменения.")
                                        .arg(book),
                                    kCaption, MessageIcon::Warning, MessageButtons::MergeReplaceCancel);
        }
    }

    QString book;
};

TEST_F(MergeAndRecoveryTest, TheSecondSaveMergesAndItsStepsUndoDownToTheFirstOnesBook) {
    std::unique_ptr<TfmMain> a = OpenEditor();
    std::unique_ptr<TfmMain> b = OpenEditor();
    Delete(*b, 1);  // K2
    SelectName(*b, 0);
    Type(*b, QStringLiteral("K1A"));
    Press(*b, "bbEditSinonim");  // the rename of K1, which A deletes

    Type(*a, QStringLiteral("K4"));
    Press(*a, "bbAddSinonim");
    Delete(*a, 0);  // K1
    SaveOver(*a, std::nullopt);
    const std::string firstOnes = ReadBytes(book);
    ASSERT_EQ(firstOnes, " 0 <Tests>:/a.qor\r\nK2|\r\nK3|\r\nK4|\r\n");

    SaveOver(*b, MessageAnswer::Yes);
    desktop->TakeInformation(
        QStringLiteral("Справочник объединён с изменениями другой программы. Не удалось повторить:\n"
                       "Переименование «K1» в «K1A»: этого аналога в справочнике уже нет"));
    EXPECT_EQ(ReadBytes(book), firstOnes) << "merged, not yet saved";
    EXPECT_EQ(SavedBytes(*b), " 0 <Tests>:/a.qor\r\nK3|\r\nK4|\r\n");
    EXPECT_TRUE(b->Modified());
    EXPECT_EQ(Rows(b->findChild<QListView*>(QStringLiteral("lbNames"))),
              (QStringList{QStringLiteral("K3"), QStringLiteral("K4")}));

    b->acUndoExecute();
    EXPECT_EQ(SavedBytes(*b), firstOnes);
    EXPECT_FALSE(b->Modified());
    EXPECT_FALSE(b->Book().History().CanUndo());

    // Saved now, the merged book is B's own: the next save asks nothing.
    b->acRedoExecute();
    SaveOver(*b, std::nullopt);
    EXPECT_EQ(ReadBytes(book), " 0 <Tests>:/a.qor\r\nK3|\r\nK4|\r\n");
    EXPECT_EQ(desktop->UntakenCount(), 0);
}

TEST_F(MergeAndRecoveryTest, WithNothingUnsavedAnotherSaveIsReadAtOnce) {
    std::unique_ptr<TfmMain> a = OpenEditor();
    std::unique_ptr<TfmMain> b = OpenEditor();
    SelectName(*b, 2);  // K3 shown
    Type(*a, QStringLiteral("K0"));
    Press(*a, "bbAddSinonim");
    Delete(*a, 0);
    SaveOver(*a, std::nullopt);

    auto* names = b->findChild<QListView*>(QStringLiteral("lbNames"));
    QTRY_COMPARE_WITH_TIMEOUT(Rows(names), (QStringList{QStringLiteral("K2"), QStringLiteral("K3"),
                                                         QStringLiteral("K0")}),
                              5000);
    EXPECT_EQ(SelectedRow(names), 1) << "K3 stays shown where it now stands";
    EXPECT_FALSE(b->Modified());
    EXPECT_EQ(b->statusBar()->currentMessage(),
              QStringLiteral("Справочник перечитан: его изменила другая программа."));
    EXPECT_EQ(desktop->UntakenCount(), 0) << "nothing asked";
}

TEST_F(MergeAndRecoveryTest, WithSomethingUnsavedTheChangeIsAskedAboutOnce) {
    std::unique_ptr<TfmMain> b = OpenEditor();
    Type(*b, QStringLiteral("K9"));
    Press(*b, "bbAddSinonim");
    WriteBytes(book, " 0 <Tests>:/a.qor\r\nK1|\r\n");

    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    b->BookChangedOnDisk();
    desktop->TakeMessageBox(QStringLiteral("Справочник «%1» изменён другой программой, а в редакторе есть "
                                           "несохранённые изменения.")
                                .arg(book),
                            kCaption, MessageIcon::Warning, MessageButtons::MergeReplaceCancel);
    b->BookChangedOnDisk();  // the window activated again: the same change is not asked about twice
    EXPECT_EQ(desktop->UntakenCount(), 0);
    EXPECT_EQ(SavedBytes(*b), " 0 <Tests>:/a.qor\r\nK1|\r\nK2|\r\nK3|\r\nK9|\r\n");

    // "Заменить" at the next change writes this editor's book over it.
    WriteBytes(book, " 0 <Tests>:/a.qor\r\nK1|\r\nK7|\r\n");
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    b->BookChangedOnDisk();
    desktop->Take();
    EXPECT_EQ(ReadBytes(book), " 0 <Tests>:/a.qor\r\nK1|\r\nK2|\r\nK3|\r\nK9|\r\n");
    EXPECT_FALSE(b->Modified());
}

TEST_F(MergeAndRecoveryTest, WorkLeftByAnEditorThatDidNotCloseComesBack) {
    Start(book);
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("К155ЛА3"));
    SelectName(*window, 0);
    Type(*window, QStringLiteral("K1A"));
    Press(*window, "bbEditSinonim");
    auto* comment = Find<QPlainTextEdit>("mmTestInfo");
    comment->setFocus();
    TypeText(comment, QStringLiteral("Проверен"));
    QTest::qWait(2300);  // the comment reaches the journal two seconds after the last keystroke
    const std::string expected = SavedBytes(*window);
    // Another program changes the book meanwhile: the restore merges.
    WriteBytes(book, " 0 <Tests>:/a.qor\r\nK1|\r\nK2|\r\nK3|\r\n 1 <Tests>:/b.qor\r\n");

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    StartAfterCrash();
    desktop->TakeMessageBox(kCrashQuestion.arg(book), kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(SavedBytes(*window), " 0 <Tests>:/a.qor\r\nK1A|\r\nK2|\r\nK3|\r\n" + Cp("К155ЛА3") +
                                       "|\r\n 1 <Tests>:/b.qor\r\n");
    EXPECT_NE(SavedBytes(*window), expected);
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(window->SpravFileName(), Stored(QStringLiteral("book.spr")));
    EXPECT_EQ(Find<QPlainTextEdit>("mmTestInfo")->toPlainText(), QStringLiteral("Проверен"));
    EXPECT_TRUE(window->CommentPanel().HasUnsavedText());
    EXPECT_TRUE(window->Book().History().CanUndo());

    // The restored work is journaled anew: a second crash brings it back again; No then drops it.
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    StartAfterCrash();
    desktop->TakeMessageBox(kCrashQuestion.arg(book), kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_FALSE(window->Modified());
    Stop();
    Start();
    EXPECT_EQ(desktop->UntakenCount(), 0) << "nothing left to restore";
}

TEST_F(MergeAndRecoveryTest, AJournalThatIsNoJournalIsSetAsideWithOneMessage) {
    const QString journal = MakeFile(QStringLiteral("recovery/journal-1-2-3.txt"), "\x89PNG\r\n");
    Start();
    const DesktopCall told = desktop->Take();
    EXPECT_EQ(told.kind, DesktopCall::Kind::Information);
    EXPECT_TRUE(told.text.startsWith(QStringLiteral("Файл восстановления ") + QDir::toNativeSeparators(journal)))
        << told.text.toStdString();
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_TRUE(QFile::exists(journal + QStringLiteral(".unreadable")));
    Start();
    EXPECT_EQ(desktop->UntakenCount(), 0);
}

}  // namespace
}  // namespace gui_test

namespace gui_test {
namespace {

// A journal folder that cannot be made (a file stands in its place): the editor works on and says, once,
// that the work is not protected.
TEST_F(MergeAndRecoveryTest, AJournalThatCannotBeWrittenIsSaidOnce) {
    MakeFile(QStringLiteral("recovery"), "a file, not a folder");
    Start(book);
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("K8"));
    AddName(QStringLiteral("K9"));
    QApplication::processEvents();
    const DesktopCall told = desktop->Take();
    EXPECT_EQ(told.kind, DesktopCall::Kind::Information);
    EXPECT_TRUE(told.text.startsWith(QStringLiteral("Не удаётся вести журнал восстановления в папке ")))
        << told.text.toStdString();
    AddName(QStringLiteral("K10"));
    QApplication::processEvents();
    EXPECT_EQ(desktop->UntakenCount(), 0);
    EXPECT_EQ(Rows(lbNames()).size(), 6);
}

}  // namespace
}  // namespace gui_test

namespace gui_test {
namespace {

// The comment typed outlives the save of the book: the journal of the saved book keeps it.
TEST_F(MergeAndRecoveryTest, ACommentStillBeingTypedOutlivesTheSaveOfTheBook) {
    Start(book);
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("K4"));
    TypeText(Find<QPlainTextEdit>("mmTestInfo"), QStringLiteral("Проверить"));
    QTest::qWait(2300);
    desktop->QueueSaveFile(book);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    desktop->Take();

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    StartAfterCrash();
    desktop->TakeMessageBox(kCrashQuestion.arg(book), kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_FALSE(window->Modified()) << "the book was saved";
    EXPECT_EQ(Find<QPlainTextEdit>("mmTestInfo")->toPlainText(), QStringLiteral("Проверить"));
    EXPECT_TRUE(window->CommentPanel().HasUnsavedText());
}

// A journal whose book cannot be read at the restart stays for the next start.
TEST_F(MergeAndRecoveryTest, AJournalWhoseBookCannotBeReadIsKept) {
    Start(book);
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("K4"));
    const std::string saved = ReadBytes(book);
    WriteBytes(book, "K1|\r\n 0 <Tests>:/a.qor\r\n");  // no book while another program writes it

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    StartAfterCrash();
    desktop->TakeMessageBox(kCrashQuestion.arg(book), kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::Information);  // the book cannot be opened
    desktop->TakeInformation(QStringLiteral("Справочник %1 сейчас не читается, и изменения не восстановлены. "
                                            "Редактор предложит восстановить их при следующем запуске.")
                                 .arg(book));

    WriteBytes(book, saved);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    StartAfterCrash();
    desktop->TakeMessageBox(kCrashQuestion.arg(book), kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(SavedBytes(*window), " 0 <Tests>:/a.qor\r\nK1|\r\nK2|\r\nK3|\r\nK4|\r\n");
}

}  // namespace
}  // namespace gui_test

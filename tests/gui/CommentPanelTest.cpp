// The comment panel under the test-file list and the description panel under the name entry, through the
// real widgets of the main window: comment files on disk byte for byte, the question before unsaved edits
// are dropped, and the datasheet chosen, shown and opened.
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <functional>
#include <vector>

#include "core/CommentFile.h"
#include "forms/CommentPanel.h"
#include "forms/PrefixPanel.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kSaveCommentQuestion = QStringLiteral("Сохранить комментарий к тесту?");

class CommentPanelTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("tests")), Stored(QStringLiteral("desc")));
        Start();
        window->resize(900, 600);
        window->FileNew1Execute();
    }

    QPlainTextEdit* mmTestInfo() const { return Find<QPlainTextEdit>("mmTestInfo"); }
    bool Indicator() const { return !Find<QLabel>("imIsEditInfo")->isHidden(); }
    // The editor's text as it holds it (toPlainText() would show a no-break space as a plain one).
    QString Comment() const {
        return mmTestInfo()->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    void SaveButton() const { Find<QToolButton>("bbSavePrim")->click(); }
    void Select(int row) const { SetCurrentRow(lbFiles(), row); }

    void ExpectQuestion(MessageButtons buttons) {
        desktop->TakeMessageBox(kSaveCommentQuestion, kCaption, MessageIcon::Question, buttons);
    }

    bool Exists(const QString& name) const { return QFileInfo::exists(PathOf(name)); }
};

// Typing a line break is the Enter key in the editor.
void TypeLines(QPlainTextEdit* editor, const QStringList& lines) {
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            QTest::keyClick(editor, Qt::Key_Return);
        }
        TypeText(editor, lines[i]);
    }
}

TEST_F(CommentPanelTest, CommentIsSavedBesideTheTestFileAndFollowsTheSelection) {
    const QString a = MakeFile(QStringLiteral("tests/K155LA3.qor"));
    // Another program's comment, with every kind of line end and a no-break space (0xA0).
    MakeFile(QStringLiteral("tests/sub.d/LA4.wsk"));
    MakeFile(QStringLiteral("tests/sub.d/LA4.txt"), Cp("Первая\r\nвторая\nтретья\r\xC2\xA0конец"));
    AddFiles({a, PathOf(QStringLiteral("tests/sub.d/LA4.wsk"))});
    window->Book().SetModified(false);
    EXPECT_EQ(Rows(lbFiles()), (QStringList{Native(QStringLiteral("<Tests>:/K155LA3.qor")),
                                            Native(QStringLiteral("<Tests>:/sub.d/LA4.wsk"))}));

    EXPECT_EQ(Comment(), QStringLiteral("Первая\nвторая\nтретья\n\u00A0конец"));
    EXPECT_FALSE(Indicator());

    Select(0);
    EXPECT_EQ(Comment(), QString());
    EXPECT_FALSE(Indicator());
    EXPECT_FALSE(Exists(QStringLiteral("tests/K155LA3.txt")));

    TypeLines(mmTestInfo(), {QStringLiteral("Проверено: ЁЖЯ ёжя"), QString(), QStringLiteral("ок")});
    EXPECT_TRUE(Indicator());
    SaveButton();
    EXPECT_FALSE(Indicator());
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("tests/K155LA3.txt"))),
              Cp("Проверено: ЁЖЯ ёжя") + "\r\n\r\n" + Cp("ок"));
    EXPECT_FALSE(window->Modified());  // the comment is no part of the book

    Select(1);
    EXPECT_EQ(Comment(), QStringLiteral("Первая\nвторая\nтретья\n\u00A0конец"));
    // Saved unchanged, the other program's file comes back with CR LF and its no-break space.
    SaveButton();
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("tests/sub.d/LA4.txt"))),
              Cp("Первая\r\nвторая\r\nтретья\r\n\xC2\xA0конец"));

    Select(0);
    EXPECT_EQ(Comment(), QStringLiteral("Проверено: ЁЖЯ ёжя\n\nок"));
    EXPECT_FALSE(Indicator());

    // An empty comment empties the file; the file stays.
    mmTestInfo()->selectAll();
    QTest::keyClick(mmTestInfo(), Qt::Key_Delete);
    SaveButton();
    ASSERT_TRUE(Exists(QStringLiteral("tests/K155LA3.txt")));
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("tests/K155LA3.txt"))), std::string());
}

TEST_F(CommentPanelTest, WithNoTestFileNothingIsSavedOrAsked) {
    TypeLines(mmTestInfo(), {QStringLiteral("черновик")});
    EXPECT_TRUE(Indicator());
    SaveButton();
    EXPECT_TRUE(Indicator());
    window->FileNew1Execute();  // no question: no test file is current
    EXPECT_EQ(Comment(), QStringLiteral("черновик"));

    // A comment loaded for a test file belongs to no file once the book is closed.
    const QString a = MakeFile(QStringLiteral("a.qor"));
    AddFiles({a});
    TypeLines(mmTestInfo(), {QStringLiteral("текст")});
    window->Book().SetModified(false);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    window->FileNew1Execute();
    ExpectQuestion(MessageButtons::YesNoCancel);
    SaveButton();
    window->FileNew1Execute();
    EXPECT_FALSE(Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(folder.path(), QFileInfo(a).absolutePath());
}

// Every command that drops unsaved edits asks first; Cancel stops the cancellable ones.
TEST_F(CommentPanelTest, UnsavedCommentIsAskedAboutBeforeItIsDropped) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    const QString b = MakeFile(QStringLiteral("b.qor"), "");
    MakeFile(QStringLiteral("b.txt"), Cp("комментарий b"));
    AddFiles({a, b});
    AddName(QStringLiteral("К155ЛА3"));
    window->Book().SetModified(false);

    struct Case {
        const char* what;
        std::function<void()> command;
        MessageButtons buttons;
        MessageAnswer answer;
        bool saved;
        bool goesOn;  // the command went on: another book or file is shown, or the window closed
    };
    const std::function<void()> selectA = [&] { Select(0); };
    const std::function<void()> sameAgain = [&] {
        // A cancelled add dialog shows the same row again; its answer is queued before the question's.
        Action("acAddFile")->trigger();
        EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::OpenFiles);
        window->Book().SetModified(false);
    };
    const std::function<void()> newBook = [&] { window->FileNew1Execute(); };
    const std::function<void()> openBook = [&] { window->FileOpen1Execute(); };
    const std::function<void()> find = [&] { window->ShowAnalog(0, 0); };
    const std::function<void()> close = [&] { CloseWindow(); };
    const Case cases[] = {
        {"another file, No", selectA, MessageButtons::YesNo, MessageAnswer::No, false, true},
        {"another file, Yes", selectA, MessageButtons::YesNo, MessageAnswer::Yes, true, true},
        {"same file again, No", sameAgain, MessageButtons::YesNo, MessageAnswer::No, false, true},
        {"find jumps, Yes", find, MessageButtons::YesNo, MessageAnswer::Yes, true, true},
        {"New, Cancel", newBook, MessageButtons::YesNoCancel, MessageAnswer::Cancel, false, false},
        {"Open, Cancel", openBook, MessageButtons::YesNoCancel, MessageAnswer::Cancel, false, false},
        {"close, Cancel", close, MessageButtons::YesNoCancel, MessageAnswer::Cancel, false, false},
        {"close, Yes", close, MessageButtons::YesNoCancel, MessageAnswer::Yes, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(PathOf(QStringLiteral("b.txt")), Cp("комментарий b"));
        Select(0);  // no edits: nothing is asked
        Select(1);
        TypeLines(mmTestInfo(), {QStringLiteral(" правка")});
        if (c.command.target_type() == sameAgain.target_type()) {
            desktop->QueueOpenFiles(std::nullopt);
        }
        desktop->QueueMessageBoxAnswer(c.answer);
        c.command();
        ExpectQuestion(c.buttons);
        EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("b.txt"))),
                  c.saved ? Cp("комментарий b правка") : Cp("комментарий b"));
        if (!c.goesOn) {
            EXPECT_EQ(Comment(), QStringLiteral("комментарий b правка"));
            EXPECT_TRUE(Indicator());
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(Rows(lbFiles()).size(), 2);
            EXPECT_EQ(SelectedRow(lbFiles()), 1);
            // The edits are still unsaved: the next command asks again; No lets this one go on.
            desktop->QueueMessageBoxAnswer(MessageAnswer::No);
            Select(0);
            ExpectQuestion(MessageButtons::YesNo);
        }
        EXPECT_EQ(desktop->UntakenCount(), 0);
    }
    EXPECT_FALSE(window->isVisible());
}

// Files added while a comment is edited become current before the list is refreshed; the comment still
// goes to the file it was loaded for.
TEST_F(CommentPanelTest, SaveWritesTheCommentOfTheFileItWasLoadedFor) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    AddFiles({a});
    TypeLines(mmTestInfo(), {QStringLiteral("о файле a")});
    AddFiles({MakeFile(QStringLiteral("c.qor"))}, {MessageAnswer::Yes});
    ExpectQuestion(MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("a.txt"))), Cp("о файле a"));
    EXPECT_FALSE(Exists(QStringLiteral("c.txt")));
    EXPECT_EQ(SelectedRow(lbFiles()), 1);
    EXPECT_EQ(Comment(), QString());
}

TEST_F(CommentPanelTest, FailedSaveIsReportedAndKeepsTextAndSelection) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    const QString b = MakeFile(QStringLiteral("b.qor"));
    QDir(folder.path()).mkdir(QStringLiteral("a.txt"));  // a folder where the comment file would be
    AddFiles({a, b});
    Select(0);
    AddName(QStringLiteral("К155ЛА3"));
    EXPECT_EQ(Comment(), QString());  // a folder is not read

    TypeLines(mmTestInfo(), {QStringLiteral("важно")});
    const QString report = QStringLiteral("Не удалось сохранить комментарий в файл ") + PathOf("a.txt") +
                           QStringLiteral("\nПо этому пути находится папка.");
    SaveButton();
    desktop->TakeErrorReport(report);
    EXPECT_TRUE(Indicator());

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Select(1);
    ExpectQuestion(MessageButtons::YesNo);
    desktop->TakeErrorReport(report);
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(window->Book().Sprav().CurrentFileIndex(), 0);
    EXPECT_EQ(Comment(), QStringLiteral("важно"));
    EXPECT_TRUE(Indicator());

    // Files added meanwhile: the new one is current and shown with its names, the unsaved text stays.
    const QString c = MakeFile(QStringLiteral("c.qor"));
    AddFiles({c}, {MessageAnswer::Yes});
    ExpectQuestion(MessageButtons::YesNo);
    desktop->TakeErrorReport(report);
    EXPECT_EQ(SelectedRow(lbFiles()), 2);
    EXPECT_EQ(window->Book().Sprav().CurrentFileIndex(), 2);
    EXPECT_TRUE(Rows(lbNames()).isEmpty());
    EXPECT_EQ(Comment(), QStringLiteral("важно"));
    EXPECT_TRUE(Indicator());
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Select(0);
    ExpectQuestion(MessageButtons::YesNo);
    EXPECT_FALSE(Exists(QStringLiteral("c.txt")));

    // A comment file where the test file's folder is missing: the system's reason.
    const QString lost = PathOf(QStringLiteral("gone/x.qor"));
    AddFiles({lost});  // the edits were given up: nothing to ask
    TypeLines(mmTestInfo(), {QStringLiteral("x")});
    SaveButton();
    desktop->TakeErrorReport(QStringLiteral("Не удалось сохранить комментарий в файл ") +
                             PathOf("gone/x.txt") + QStringLiteral("\nПапка не существует."));
}

// A .txt test file is its own comment file: it is never shown as a comment nor overwritten; the same for a
// comment file that is another test file of the book.
TEST_F(CommentPanelTest, TestFileIsNeverTakenForAComment) {
    const std::string original = Cp("тест 1\r\nстрока") + std::string("\x00\xFF", 2);
    const QString txt = MakeFile(QStringLiteral("notes.txt"), original);
    const QString qor = MakeFile(QStringLiteral("notes.qor"));
    AddFiles({txt, qor});
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        Select(row);
        EXPECT_EQ(Comment(), QString());
        EXPECT_FALSE(Indicator());
        TypeLines(mmTestInfo(), {QStringLiteral("затрёт?")});
        SaveButton();
        desktop->TakeInformation(QStringLiteral("Комментарий не сохранён: файл комментария совпадает с "
                                                "тестовым файлом ") +
                                 txt);
        EXPECT_TRUE(Indicator());
        EXPECT_EQ(ReadBytes(txt), original);
        desktop->QueueMessageBoxAnswer(MessageAnswer::No);
        Select(1 - row);
        ExpectQuestion(MessageButtons::YesNo);
    }
}

// The comment path may fall on the book file or the prefix file; they are never written as a comment.
TEST_F(CommentPanelTest, BookAndPrefixFilesAreNeverTakenForAComment) {
    const QString book = PathOf(QStringLiteral("K155.txt"));
    AddFiles({MakeFile(QStringLiteral("K155.qor"))});
    desktop->QueueSaveFile(book);
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    const std::string saved = ReadBytes(book);

    Select(0);
    EXPECT_EQ(Comment(), QString());  // the book's own lines are not shown as its comment
    TypeLines(mmTestInfo(), {QStringLiteral("затрёт справочник?")});
    SaveButton();
    desktop->TakeInformation(QStringLiteral("Комментарий не сохранён: файл комментария совпадает с файлом "
                                            "справочника или префиксов ") +
                             book);
    EXPECT_EQ(ReadBytes(book), saved);
    EXPECT_TRUE(Indicator());
}

// Opened before the tests directory is set, a "<Tests>:" path has no folder: its comment is neither read
// nor written anywhere else, such as the folder the program was started from.
TEST_F(CommentPanelTest, TokenPathWithTheTestsDirectoryUnsetHasNoCommentFile) {
    window->Book().SetDirectories("", window->Book().DirPDF());
    const QString book = MakeFile(QStringLiteral("tokens.spr"), " 0 <Tests>:a.qor\r\n");
    desktop->QueueOpenFile(book);
    window->FileOpen1Execute();
    desktop->Take();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(folder.path());
#ifndef _WIN32
    // A file of that very name where the program runs; Windows allows no such name.
    MakeFile(QStringLiteral("<Tests>:a.txt"), "not this one");
#endif
    Select(0);
    EXPECT_EQ(Comment(), QString());
    TypeLines(mmTestInfo(), {QStringLiteral("куда?")});
    SaveButton();
    desktop->TakeInformation(
        QStringLiteral("Комментарий не сохранён: не задан путь к файлам тестов, и неизвестно, "
                       "где лежит файл комментария <Tests>:a.txt"));
#ifndef _WIN32
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("<Tests>:a.txt"))), "not this one");
#endif
    QDir::setCurrent(cwd);
}

// No to the comment question followed by a cancelled command keeps the edits unsaved: they are asked about
// again before anything else drops them.
TEST_F(CommentPanelTest, EditsKeptByACancelledCommandAreAskedAboutAgain) {
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("b.qor"))});
    TypeLines(mmTestInfo(), {QStringLiteral("правка")});
    window->Book().SetModified();
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);      // the comment
    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);  // the book
    window->FileNew1Execute();
    ExpectQuestion(MessageButtons::YesNoCancel);
    desktop->Take();
    EXPECT_EQ(Count(lbFiles()), 2);

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Select(0);
    ExpectQuestion(MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("b.txt"))), Cp("правка"));
}

// Keyboard users are not caught in the comment: Tab moves on and types nothing.
TEST_F(CommentPanelTest, TabLeavesTheCommentEditor) {
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    QApplication::setActiveWindow(window.get());
    mmTestInfo()->setFocus();
    QTest::keyClick(mmTestInfo(), Qt::Key_Tab);
    EXPECT_FALSE(mmTestInfo()->hasFocus());
    EXPECT_EQ(Comment(), QString());
    EXPECT_FALSE(Indicator());
}

TEST_F(CommentPanelTest, TextWindows1251CannotHoldIsRefused) {
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    TypeLines(mmTestInfo(), {QStringLiteral("стрелка → 中")});
    SaveButton();
    desktop->TakeInformation(
        QStringLiteral("Комментарий содержит символы, которые нельзя сохранить в кодировке "
                       "Windows-1251. Комментарий не сохранён."));
    EXPECT_FALSE(Exists(QStringLiteral("a.txt")));
    EXPECT_TRUE(Indicator());
}

// A comment file the panel does not read in whole (over the size it shows, or a pipe) is shown as one
// read-only line that says so, and no save replaces it; a file right at that size is shown whole.
TEST_F(CommentPanelTest, CommentFileNotReadInWholeIsNeitherShownNorReplaced) {
    const std::string atCap(comment_file::kMaxSize, '\n');  // the dearest comment the panel lays out
    const std::string overCap = std::string(comment_file::kMaxSize, 'x') + "y";
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("big.qor")),
              MakeFile(QStringLiteral("pipe.qor"))});
    MakeFile(QStringLiteral("a.txt"), atCap);
    MakeFile(QStringLiteral("big.txt"), overCap);
#ifdef _WIN32
    GTEST_SKIP() << "a FIFO is POSIX: the Windows file system has no named pipes";
#else
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf(QStringLiteral("pipe.txt"))).constData(), 0600), 0);
#endif

    Select(0);
    EXPECT_EQ(Comment(), QString(static_cast<qsizetype>(comment_file::kMaxSize), QLatin1Char('\n')));
    EXPECT_FALSE(mmTestInfo()->isReadOnly());

    struct Case {
        int row;
        QString notice;
    } const cases[] = {
        {1, QStringLiteral("Файл комментария больше %1 КБ: он не показан и не будет перезаписан. ")
                    .arg(comment_file::kMaxSize / 1024) +
                PathOf(QStringLiteral("big.txt"))},
        {2, QStringLiteral("Файл комментария — не обычный файл (канал или устройство): он не прочитан и не "
                           "будет перезаписан. ") +
                PathOf(QStringLiteral("pipe.txt"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Select(c.row);
        EXPECT_EQ(Comment(), c.notice);
        EXPECT_TRUE(mmTestInfo()->isReadOnly());
        EXPECT_FALSE(Indicator());
        SaveButton();
        desktop->TakeInformation(QStringLiteral("Комментарий не сохранён: файл комментария не был прочитан "
                                                "целиком, и сохранение затёрло бы его ") +
                                 c.notice.section(QLatin1Char(' '), -1));
        Select(0);  // nothing typed, nothing asked
        EXPECT_FALSE(mmTestInfo()->isReadOnly());
    }
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("big.txt"))), overCap);
    EXPECT_TRUE(
        std::filesystem::is_fifo(QFile::encodeName(PathOf(QStringLiteral("pipe.txt"))).toStdString()));

    // Nor is a file written that the panel would not show again: the lone LFs read at the limit become
    // CR LF pairs, twice as long.
    SaveButton();
    desktop->TakeInformation(QStringLiteral("Комментарий не сохранён: в файле он занял бы больше %1 КБ, а "
                                            "такой файл комментария не показывается.")
                                 .arg(comment_file::kMaxSize / 1024));
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("a.txt"))), atCap);
    mmTestInfo()->setPlainText(QStringLiteral("x"));
    SaveButton();
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("a.txt"))), "x");

    // The line belongs to the closed book's file: New takes it away and the editor takes a draft again.
    Select(1);
    window->Book().SetModified(false);
    window->FileNew1Execute();
    EXPECT_EQ(Comment(), QString());
    EXPECT_FALSE(mmTestInfo()->isReadOnly());
    EXPECT_FALSE(Indicator());
}

// Two editors on one comment file: the one that saves second is asked before the other's text is replaced,
// as the book save asks about a book another program has changed.
TEST_F(CommentPanelTest, CommentChangedByAnotherEditorIsAskedAboutBeforeItIsReplaced) {
    const QString comment = MakeFile(QStringLiteral("a.txt"), Cp("исходный"));
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    const QString book = PathOf(QStringLiteral("two.spr"));
    desktop->QueueSaveFile(book);
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    TfmMain other;
    other.FormCreate(book);
    auto* otherEditor = other.findChild<QPlainTextEdit*>(QStringLiteral("mmTestInfo"));
    TypeLines(otherEditor, {QStringLiteral(" от Б")});
    other.findChild<QToolButton*>(QStringLiteral("bbSavePrim"))->click();  // as it read it: no question
    ASSERT_EQ(ReadBytes(comment), Cp("исходный от Б"));

    const auto saveAsked = [&](const QString& file, MessageAnswer answer) {
        desktop->QueueMessageBoxAnswer(answer);
        SaveButton();
        desktop->TakeMessageBox(
            QStringLiteral("Файл комментария «%1» изменён другой программой. Сохранить всё "
                           "равно?")
                .arg(file),
            kCaption, MessageIcon::Warning, MessageButtons::YesNoDefaultNo);
    };
    TypeLines(mmTestInfo(), {QStringLiteral(" от А")});
    saveAsked(comment, MessageAnswer::No);
    EXPECT_EQ(ReadBytes(comment), Cp("исходный от Б"));
    EXPECT_TRUE(Indicator());
    saveAsked(comment, MessageAnswer::Yes);
    EXPECT_EQ(ReadBytes(comment), Cp("исходный от А"));
    TypeLines(mmTestInfo(), {QStringLiteral("!")});
    SaveButton();  // its own file, and then one gone: no question
    QFile::remove(comment);
    SaveButton();
    EXPECT_EQ(ReadBytes(comment), Cp("исходный от А!"));

    // A comment file created by another program where there was none when the comment was loaded.
    AddFiles({MakeFile(QStringLiteral("b.qor"))});
    TypeLines(mmTestInfo(), {QStringLiteral("новый")});
    const QString created = MakeFile(QStringLiteral("b.txt"), Cp("чужой"));
    saveAsked(created, MessageAnswer::No);
    EXPECT_EQ(ReadBytes(created), Cp("чужой"));
}

// The file a comment save would replace is compared with the book, the prefix file and the test files as
// a file, not as a name: a link or another spelling of the folder does not get past the check.
TEST_F(CommentPanelTest, FilesReachedUnderAnotherNameAreNeverTakenForAComment) {
    QDir(folder.path()).mkdir(QStringLiteral("d"));
    const QString book = PathOf(QStringLiteral("d/K155.txt"));
    const QString prefix = MakeFile(QStringLiteral("d/pref.prf"), "K\r\n");
    const QString test = MakeFile(QStringLiteral("d/other.qor"), "test bytes");
    MakeFile(QStringLiteral("d/K155.qor"));
    AddFiles({test});
    desktop->QueueSaveFile(book);
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    window->SetPrefFileName(Stored(QStringLiteral("d/pref.prf")));

    const QString toBook = QStringLiteral(
        "Комментарий не сохранён: файл комментария совпадает с файлом справочника или префиксов ");
    struct Case {
        QString testFile;  // as added
        QString linkTo;    // the comment file is a symbolic link to this file; none: the book by its name
        QString refusal;
    };
    std::vector<Case> cases = {
        {PathOf(QStringLiteral("d//K155.qor")), {}, toBook},
        {PathOf(QStringLiteral("d/./K155.qor")), {}, toBook},
#ifdef _WIN32
        // Windows file names ignore letter case. (QFile::link makes a shortcut there, a file of its own,
        // so the cases of links are POSIX ones.)
        {PathOf(QStringLiteral("D/k155.QOR")), {}, toBook},
#else
        {PathOf(QStringLiteral("d/l1.qor")), book, toBook},
        {PathOf(QStringLiteral("d/l2.qor")), prefix, toBook},
        {PathOf(QStringLiteral("d/l3.qor")), test,
         QStringLiteral("Комментарий не сохранён: файл комментария совпадает с тестовым файлом ")},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.testFile.toStdString());
        const QString commentFile = c.testFile.chopped(3) + QStringLiteral("txt");
        const QString target = c.linkTo.isEmpty() ? book : c.linkTo;
        if (!c.linkTo.isEmpty()) {
            WriteBytes(c.testFile, {});
            ASSERT_TRUE(QFile::link(c.linkTo, commentFile));
        }
        const std::string before = ReadBytes(target);
        AddFiles({c.testFile});
        mmTestInfo()->setPlainText(QStringLiteral("затрёт?"));
        SaveButton();
        desktop->TakeInformation(c.refusal + commentFile);
        EXPECT_EQ(ReadBytes(target), before);
        EXPECT_TRUE(Indicator());
        window->CommentPanel().LoadTestComment();  // the edits given up, for the next file
    }
}

TEST_F(CommentPanelTest, TitleBarsCollapseTheBodiesAndTheListsTakeTheirHeight) {
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    // Fixed pitch as drawn, whatever face stands in for Courier New.
    const QFontMetrics metrics(mmTestInfo()->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiiiiiii")),
              metrics.horizontalAdvance(QStringLiteral("WWWWWWWW")));
    EXPECT_EQ(QFontInfo(mmTestInfo()->font()).pixelSize(), 13);
    EXPECT_EQ(mmTestInfo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(edFileInfo()->isReadOnly());

    struct Panel {
        const char* title;
        const char* body;
        const char* up;
        const char* down;
        QListView* list;
        int bodyHeight;
    } const panels[] = {
        {"pTitleTestInfo", "pBodyTestInfo", "imUpTestInfo", "imDownTestInfo", lbFiles(), 136},
        {"pTitleInfoFile", "pBodyInfoFile", "imUpInfoFile", "imDownInfoFile", lbNames(), 25},
    };
    auto settle = [] {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    };
    settle();
    for (const Panel& p : panels) {
        SCOPED_TRACE(p.title);
        const int open = p.list->height();
        QTest::mouseClick(Find<QWidget>(p.title), Qt::LeftButton);
        settle();
        EXPECT_TRUE(Find<QWidget>(p.body)->isHidden());
        EXPECT_FALSE(Find<QWidget>(p.up)->isHidden());
        EXPECT_TRUE(Find<QWidget>(p.down)->isHidden());
        EXPECT_EQ(p.list->height(), open + p.bodyHeight);

        QTest::mouseClick(Find<QWidget>(p.up), Qt::LeftButton);  // the image passes its click on
        settle();
        EXPECT_FALSE(Find<QWidget>(p.body)->isHidden());
        EXPECT_TRUE(Find<QWidget>(p.up)->isHidden());
        EXPECT_FALSE(Find<QWidget>(p.down)->isHidden());
        EXPECT_EQ(p.list->height(), open);
    }
    // The indicator keeps its place while hidden: the save button does not move when it shows.
    const int saveButtonX = Find<QToolButton>("bbSavePrim")->x();
    TypeLines(mmTestInfo(), {QStringLiteral("x")});
    settle();
    ASSERT_TRUE(Indicator());
    EXPECT_EQ(Find<QToolButton>("bbSavePrim")->x(), saveButtonX);
    SaveButton();  // saves, does not toggle
    EXPECT_FALSE(Find<QWidget>("pBodyTestInfo")->isHidden());
}

class DescriptionPanelTest : public CommentPanelTest {
protected:
    void SetUp() override {
        CommentPanelTest::SetUp();
        sheet = MakeFile(QStringLiteral("desc/ttl/К155ЛА3.pdf"));
        other = MakeFile(QStringLiteral("elsewhere/other.pdf"));
        AddFiles({MakeFile(QStringLiteral("tests/a.qor"))});
        AddName(QStringLiteral("К155ЛА3"));
        AddName(QStringLiteral("SN7400"));
        SetCurrentRow(lbNames(), 0);
        window->Book().SetModified(false);
    }

    // Presses "..." and answers the dialog; gives the dialog's options.
    platform::FileDialogOptions Choose(std::optional<QString> answer) {
        desktop->QueueOpenFile(std::move(answer));
        Button("bbLoadFileInfo")->click();
        const DesktopCall call = desktop->Take();
        EXPECT_EQ(call.kind, DesktopCall::Kind::OpenFile);
        return call.options;
    }

    const TSpravSinonim& Entry(int row) { return *window->Book().Sprav().CurrentFile->Sinonims[row]; }

    QString sheet, other;
};

TEST_F(DescriptionPanelTest, ChosenFileIsShownInDescFormStoredInFullAndOpened) {
    const platform::FileDialogOptions first = Choose(sheet);
    EXPECT_EQ(first.Title, QStringLiteral("Выберите файл описания для микросхемы"));
    EXPECT_EQ(first.Filter, QStringLiteral("Все файлы|*.*|Файлы PDF|*.pdf|Файлы DOC|*.doc|Файлы TXT|*.txt"));
    EXPECT_EQ(first.FilterIndex, 1);
    EXPECT_TRUE(first.DefaultExtension.isEmpty());
    EXPECT_FALSE(first.MustExist);
    EXPECT_EQ(first.InitialDir, PathOf(QStringLiteral("desc")));  // no datasheet shown: where they live

    EXPECT_EQ(edFileInfo()->text(), Native(QStringLiteral("<Desc>:/ttl/К155ЛА3.pdf")));
    EXPECT_EQ(Entry(0).DescPath, Stored(QStringLiteral("desc/ttl/К155ЛА3.pdf")));
    EXPECT_EQ(Entry(0).Name, Cp("К155ЛА3"));
    EXPECT_TRUE(window->Modified());

    Action("acSeeFileInfo")->trigger();
    const DesktopCall open = desktop->TakeShellExecute();
    EXPECT_EQ(open.verb, QStringLiteral("Open"));
    EXPECT_EQ(open.file, sheet);
    EXPECT_TRUE(open.parameters.isEmpty());
    EXPECT_TRUE(open.directory.isEmpty());
    EXPECT_EQ(open.showCommand, 10);
    EXPECT_EQ(open.owner, window.get());

    // The dialog opens where the shown file lies and remembers the last name; a path outside the
    // descriptions directory is shown whole.
    const platform::FileDialogOptions second = Choose(other);
    EXPECT_EQ(second.InitialDir, PathOf(QStringLiteral("desc/ttl")));
    EXPECT_EQ(second.FileName, QStringLiteral("К155ЛА3.pdf"));
    EXPECT_EQ(edFileInfo()->text(), other);

    // A chip without a datasheet starts in the descriptions directory again, proposing no name.
    SetCurrentRow(lbNames(), 1);
    ASSERT_EQ(edFileInfo()->text(), QString());
    const platform::FileDialogOptions third = Choose(std::nullopt);
    EXPECT_EQ(third.InitialDir, PathOf(QStringLiteral("desc")));
    EXPECT_TRUE(third.FileName.isEmpty());
}

TEST_F(DescriptionPanelTest, ChoosingNeverRenamesOrReassignsAnotherChip) {
    // The selected chip's name typed in other letter case: its path changes, its name stays.
    eName()->setText(QStringLiteral("к155ла3"));
    Choose(sheet);
    EXPECT_EQ(Entry(0).Name, Cp("К155ЛА3"));
    EXPECT_EQ(Entry(0).DescPath, Stored(QStringLiteral("desc/ttl/К155ЛА3.pdf")));

    // Another listed name, or a new one: only shown, for the add and rename commands to take.
    for (const QString& typed : {QStringLiteral("sn7400"), QStringLiteral("К155ЛА4")}) {
        SCOPED_TRACE(typed.toStdString());
        eName()->setText(typed);
        Choose(other);
        EXPECT_EQ(edFileInfo()->text(), other);
        EXPECT_EQ(Entry(0).Name, Cp("К155ЛА3"));
        EXPECT_EQ(Entry(0).DescPath, Stored(QStringLiteral("desc/ttl/К155ЛА3.pdf")));
        EXPECT_EQ(Entry(1).Name, "SN7400");
        EXPECT_EQ(Entry(1).DescPath, std::string());
        eName()->setText(QStringLiteral("К155ЛА3"));
        Choose(sheet);
    }
}

// A path the book line could not hold with the chip's name is refused before it reaches the chip.
TEST_F(DescriptionPanelTest, PathTooLongForTheBookIsRefused) {
    QString name = QStringLiteral("elsewhere");
    for (int i = 0; i < 5; ++i) {
        name += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    }
    const QString longSheet = MakeFile(name + QStringLiteral("/x.pdf"));
    Choose(longSheet);
    desktop->TakeInformation(
        QStringLiteral("Название микросхемы вместе с путём к файлу описания длиннее 999 "
                       "символов: такую строку справочник не сохранит."));
    EXPECT_EQ(Entry(0).DescPath, std::string());
    EXPECT_EQ(edFileInfo()->text(), QString());
}

TEST_F(DescriptionPanelTest, CancelMissingFileAndEmptyPath) {
    SetCurrentRow(lbNames(), 1);  // SN7400 has no description
    ASSERT_EQ(edFileInfo()->text(), QString());
    Action("acSeeFileInfo")->trigger();  // asks nothing of the shell
    EXPECT_EQ(desktop->UntakenCount(), 0);

    Choose(std::nullopt);
    EXPECT_TRUE(window->Modified());
    Choose(PathOf(QStringLiteral("desc/missing.pdf")));
    EXPECT_EQ(edFileInfo()->text(), QString());
    EXPECT_EQ(Entry(1).DescPath, std::string());

    // The cancelled choice still makes closing ask about the book.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(CloseWindow());
    desktop->TakeMessageBox(QStringLiteral("Сохранить изменение в файле?"), kCaption, MessageIcon::Question,
                            MessageButtons::YesNoCancel);
}

}  // namespace
}  // namespace gui_test

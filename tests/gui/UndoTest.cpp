// Undo and redo of the book's changes through the real window: the selection after every kind of step taken
// back and made again; the actions' names and states; the window's unsaved state around the last save; the
// keys, and the editors that keep theirs; and that taking a step back or forth writes no file.
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "core/PathTokens.h"
#include "core/SpravFile.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kSaveQuestion = QStringLiteral("Сохранить изменение в файле?");

// What the lists show after a step is taken back or made again: the selected test-file row, the selected
// analog (empty: none) with the description path beside it.
struct Shown {
    int file;
    QString name;
    QString desc;
};

class UndoTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("tests")), Stored(QStringLiteral("desc")));
        for (const char* name : {"tests/a.qor", "tests/b.qor", "tests/c.qor", "tests/d.qor"}) {
            MakeFile(QLatin1String(name));
        }
        book = MakeFile(QStringLiteral("book.spr"), BookBytes());
        MakeFile(QStringLiteral("list.prf"), Cp("КР\r\nSN\r\nК\r\nКМ\r\n"));
        SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("book.spr")));
        SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QStringLiteral("list.prf")));
        StartWithBook();
    }

    // Two test files; the generated names of "155ЛА3" stand apart among the others, with datasheets.
    std::string BookBytes() const {
        const auto test = [this](const char* name) {
            return ToTestsToken(Stored(QStringLiteral("tests/") + QLatin1String(name)), Stored("tests"));
        };
        const auto desc = [this](const char* name) {
            return ToDescToken(Stored(QStringLiteral("desc/") + QLatin1String(name)), Stored("desc"));
        };
        return " 0 " + test("a.qor") + "\r\n" +                  //
               Cp("К155ТМ2") + "|" + desc("tm2.pdf") + "\r\n" +  //
               Cp("КР155ЛА3") + "|" + desc("kr.pdf") + "\r\n" +  //
               "SN7400|\r\n" +                                   //
               Cp("SN155ЛА3") + "|" + desc("sn.pdf") + "\r\n" +  //
               Cp("К155ЛА4") + "|\r\n" +                         //
               " 1 " + test("b.qor") + "\r\n" +                  //
               Cp("К155ЛА7") + "|" + desc("la7.pdf") + "\r\n";
    }

    // The window started on the remembered book, with the prefix panel open and the first test file shown
    // (a loaded book shows its last one).
    void StartWithBook() {
        Stop();
        Start();
        window->resize(1000, 600);
        Find<QToolButton>("bbRight")->click();
        SetCurrentRow(lbFiles(), 0);
    }

    std::string Stored(const char* name) const { return MainWindowTest::Stored(QLatin1String(name)); }
    using MainWindowTest::Stored;

    static QString Desc(const QString& name) { return QStringLiteral("<Desc>:") + QDir::separator() + name; }

    // The book entry by entry, as the model holds it: paths exactly as stored.
    std::vector<std::string> Entries() {
        std::vector<std::string> entries;
        for (const auto& file : window->Book().Sprav().Files) {
            entries.push_back("file " + file->Path);
            for (const auto& sinonim : file->Sinonims) {
                entries.push_back("  " + sinonim->Name + "|" + sinonim->DescPath);
            }
        }
        return entries;
    }
    // The bytes a save would write now.
    std::string SavedBytes() {
        std::string bytes;
        EXPECT_TRUE(sprav_file::Format(window->Book().Sprav(), window->Book().Directories(), bytes).Ok());
        return bytes;
    }

    QAction* acUndo() const { return Action("acUndo"); }
    QAction* acRedo() const { return Action("acRedo"); }
    void Undo() { acUndo()->trigger(); }
    void Redo() { Find<QToolButton>("tbRedo")->click(); }

    // Each action enabled exactly when it has a step, its text (as a menu shows it, the mnemonic marks
    // taken out) and status tip naming that step.
    void ExpectSteps(const QString& undo, const QString& redo) {
        const auto expect = [](QAction* action, const QString& command, const QString& step,
                               const QString& idle) {
            EXPECT_EQ(action->isEnabled(), !step.isEmpty());
            const QString named = step.isEmpty() ? command : command + QStringLiteral(": ") + step;
            EXPECT_EQ(action->iconText(), named);
            EXPECT_EQ(action->statusTip(), step.isEmpty() ? idle : named);
        };
        expect(acUndo(), QStringLiteral("Отменить"), undo,
               QStringLiteral("Отменить последнее изменение справочника"));
        expect(acRedo(), QStringLiteral("Повторить"), redo,
               QStringLiteral("Повторить отменённое изменение справочника"));
    }

    void ExpectShown(const Shown& shown) {
        EXPECT_EQ(SelectedRow(lbFiles()), shown.file);
        const int row = SelectedRow(lbNames());
        EXPECT_EQ(row >= 0 ? Rows(lbNames()).at(row) : QString(), shown.name);
        EXPECT_EQ(eName()->text(), shown.name);
        EXPECT_EQ(edFileInfo()->text(), shown.desc);
    }

    QListWidget* clbPref() const { return Find<QListWidget>("clbPref"); }
    // The user toggles one prefix's mark, as a click on its box does.
    void Toggle(int row) {
        clbPref()->setCurrentRow(row);
        QTest::keyClick(clbPref(), Qt::Key_Space);
    }
    void SelectName(int file, int name) {
        SetCurrentRow(lbFiles(), file);
        SetCurrentRow(lbNames(), name);
    }
    void ChooseDescription(const QString& path) {
        desktop->QueueOpenFile(path);
        Button("bbLoadFileInfo")->click();
        EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::OpenFile);
    }
    void Answer(MessageAnswer answer, const char* action) {
        desktop->QueueMessageBoxAnswer(answer);
        Action(action)->trigger();
        EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::MessageBox);
    }

    // Every file below the temporary folder with its bytes and time of last change.
    std::map<QString, std::pair<std::string, QDateTime>> FilesOnDisk() const {
        std::map<QString, std::pair<std::string, QDateTime>> files;
        QDirIterator it(folder.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            // The recovery journal is the editor's own, written with every step by design.
            if (!path.contains(QStringLiteral("/recovery/"))) {
                files[path] = {ReadBytes(path), QFileInfo(path).lastModified()};
            }
        }
        return files;
    }

    QString book;
};

// Each kind of change, taken back and made again through the actions: the lists show the entry the step
// touched, and the actions name the step.
TEST_F(UndoTest, EveryKindOfStepShowsWhatItTouched) {
    const QString kr = Desc(QStringLiteral("kr.pdf"));
    const QString sn = Desc(QStringLiteral("sn.pdf"));
    const QString tm2 = Desc(QStringLiteral("tm2.pdf"));
    const QString la7 = Desc(QStringLiteral("la7.pdf"));
    const QString other = MakeFile(QStringLiteral("elsewhere/other.pdf"));
    const QString sep = QDir::separator();
    struct Case {
        const char* what;
        std::function<void()> command;
        QString step;
        Shown undone;
        Shown redone;
    };
    const std::vector<Case> cases = {
        {"add an analog",
         [&] {
             SetCurrentRow(lbFiles(), 1);
             AddName(QStringLiteral("К155ЛА8"));
         },
         QStringLiteral("добавление «К155ЛА8»"),
         {1, QStringLiteral("К155ЛА7"), la7},
         {1, QStringLiteral("К155ЛА8"), la7}},
        {"rename an analog",
         [&] {
             SelectName(0, 3);
             eName()->setText(QStringLiteral("SN74155"));
             Button("bbEditSinonim")->click();
         },
         QStringLiteral("переименование «SN155ЛА3» в «SN74155»"),
         {0, QStringLiteral("SN155ЛА3"), sn},
         {0, QStringLiteral("SN74155"), sn}},
        {"delete an analog",
         [&] {
             SelectName(0, 1);
             Answer(MessageAnswer::Yes, "acDeleteName");
         },
         QStringLiteral("удаление «КР155ЛА3»"),
         {0, QStringLiteral("КР155ЛА3"), kr},
         {0, QStringLiteral("SN7400"), QString()}},
        {"add several test files at once",
         [&] {
             AddFiles({PathOf(QStringLiteral("tests/c.qor")), PathOf(QStringLiteral("tests/d.qor"))});
         },
         QStringLiteral("добавление тестовых файлов"),
         {1, QStringLiteral("К155ЛА7"), la7},
         {3, QString(), QString()}},
        {"add one test file",
         [&] { AddFiles({PathOf(QStringLiteral("tests/c.qor"))}); },
         QStringLiteral("добавление тестового файла «<Tests>:%1c.qor»").arg(sep),
         {1, QStringLiteral("К155ЛА7"), la7},
         {2, QString(), QString()}},
        {"delete a test file with its analogs",
         [&] { Answer(MessageAnswer::Yes, "acDeleteFile"); },
         QStringLiteral("удаление тестового файла «<Tests>:%1a.qor»").arg(sep),
         {0, QStringLiteral("К155ТМ2"), tm2},
         {0, QStringLiteral("К155ЛА7"), la7}},
        {"tick a prefix",
         [&] {
             eName()->setText(QStringLiteral("155ЛА3"));
             Toggle(2);
         },
         QStringLiteral("отметка префикса «К»"),
         {0, QStringLiteral("К155ЛА4"), QString()},
         {0, QStringLiteral("К155ЛА3"), QString()}},
        {"untick a prefix",
         [&] {
             eName()->setText(QStringLiteral("155ЛА3"));
             Toggle(0);
         },
         QStringLiteral("снятие отметки префикса «КР»"),
         {0, QStringLiteral("КР155ЛА3"), kr},
         {0, QStringLiteral("SN7400"), QString()}},
        {"select all prefixes",
         [&] {
             eName()->setText(QStringLiteral("155ЛА3"));
             Find<QToolButton>("sbAddAll")->click();
         },
         QStringLiteral("отметка всех префиксов"),
         {0, QStringLiteral("К155ЛА4"), QString()},
         {0, QStringLiteral("К155ЛА3"), QString()}},
        {"deselect all prefixes",
         [&] {
             eName()->setText(QStringLiteral("155ЛА3"));
             Find<QToolButton>("sbDelAll")->click();
         },
         QStringLiteral("снятие отметки со всех префиксов"),
         {0, QStringLiteral("SN155ЛА3"), sn},
         {0, QStringLiteral("SN7400"), QString()}},
        {"choose a description file",
         [&] {
             SelectName(0, 0);
             ChooseDescription(other);
         },
         QStringLiteral("выбор файла описания для «К155ТМ2»"),
         {0, QStringLiteral("К155ТМ2"), tm2},
         {0, QStringLiteral("К155ТМ2"), other}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartWithBook();
        ExpectSteps({}, {});

        c.command();
        ExpectSteps(c.step, {});

        Undo();
        ExpectShown(c.undone);
        ExpectSteps({}, c.step);

        Redo();
        ExpectShown(c.redone);
        ExpectSteps(c.step, {});
        EXPECT_EQ(desktop->UntakenCount(), 0);
    }
}

// A chip name with "&" is named as typed, not taken for a menu's key mark.
TEST_F(UndoTest, AStepIsNamedAsTheNameWasTyped) {
    AddName(QStringLiteral("AT&T7401"));
    ExpectSteps(QStringLiteral("добавление «AT&T7401»"), {});
    Undo();
    ExpectSteps({}, QStringLiteral("добавление «AT&T7401»"));
}

// Undoing back to the state last saved leaves nothing to ask at close; undoing past it marks the window's
// book again. Neither undo nor redo writes a file: the book, the prefix list and a comment file stay as they
// are, to the byte and the time.
TEST_F(UndoTest, BackToTheSavedStateNothingIsAskedAndNoFileIsWritten) {
    MakeFile(QStringLiteral("tests/a.txt"), Cp("Проверен"));
    AddName(QStringLiteral("К155ЛА9"));
    desktop->QueueSaveFile(book);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);  // replace the book file
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    desktop->Take();
    EXPECT_FALSE(window->Modified());
    ExpectSteps(QStringLiteral("добавление «К155ЛА9»"), {});  // a save keeps the steps
    const auto saved = FilesOnDisk();
    const std::vector<std::string> atSave = Entries();

    SelectName(0, 0);
    Answer(MessageAnswer::Yes, "acDeleteName");
    EXPECT_TRUE(window->Modified());
    Undo();
    EXPECT_EQ(Entries(), atSave);
    EXPECT_FALSE(window->Modified());
    Undo();  // past the save
    EXPECT_TRUE(window->Modified());
    Redo();
    EXPECT_FALSE(window->Modified());
    EXPECT_EQ(FilesOnDisk(), saved);

    EXPECT_TRUE(CloseWindow());  // nothing asked
    EXPECT_EQ(desktop->UntakenCount(), 0);
}

// New and Open begin a book of their own: no step of the one before is left to undo or redo.
TEST_F(UndoTest, NewAndOpenEmptyTheHistory) {
    const std::vector<std::string> loaded = Entries();
    const auto twoSteps = [this] {
        AddName(QStringLiteral("К155ЛА9"));
        AddName(QStringLiteral("К155ЛА10"));
        Undo();
        ExpectSteps(QStringLiteral("добавление «К155ЛА9»"), QStringLiteral("добавление «К155ЛА10»"));
    };
    twoSteps();
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Action("FileNew1")->trigger();
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    ExpectSteps({}, {});

    AddFiles({PathOf(QStringLiteral("tests/c.qor"))});
    twoSteps();
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    desktop->QueueOpenFile(book);
    Action("FileOpen1")->trigger();
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::OpenFile);
    ExpectSteps({}, {});
    EXPECT_EQ(Entries(), loaded);
}

// A command the user cancels or answers No to leaves no step; nor does the description the window shows, given
// back with the same name.
TEST_F(UndoTest, CommandsThatChangeNothingLeaveNoStep) {
    struct Case {
        const char* what;
        std::function<void()> command;
    };
    const std::vector<Case> cases = {
        {"cancelled add dialog",
         [&] {
             desktop->QueueOpenFiles(std::nullopt);
             Action("acAddFile")->trigger();
             desktop->Take();
         }},
        {"analog kept",
         [&] {
             SelectName(0, 1);
             Answer(MessageAnswer::No, "acDeleteName");
         }},
        {"same name given again",
         [&] {
             SelectName(0, 1);
             Button("bbEditSinonim")->click();
         }},
        {"cancelled description dialog",
         [&] {
             desktop->QueueOpenFile(std::nullopt);
             Button("bbLoadFileInfo")->click();
             desktop->Take();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartWithBook();
        c.command();
        EXPECT_EQ(SavedBytes(), BookBytes());
        ExpectSteps({}, {});
        EXPECT_EQ(desktop->UntakenCount(), 0);
    }
}

// Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo, with the focus on either list. The name field and the
// comment editor with the focus take Ctrl+Z for their own text: the book's step stays.
TEST_F(UndoTest, KeysFromTheListsWhileTheEditorsKeepTheirOwnCtrlZ) {
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const std::vector<std::string> loaded = Entries();
    SelectName(0, 1);
    Answer(MessageAnswer::Yes, "acDeleteName");
    const std::vector<std::string> changed = Entries();

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const std::vector<std::tuple<QAbstractItemView*, Qt::Key, Qt::KeyboardModifiers, bool>> keys = {
        {lbNames(), Qt::Key_Z, ctrl, true},
        {lbFiles(), Qt::Key_Y, ctrl, false},
        {lbFiles(), Qt::Key_Z, ctrl, true},
        {lbNames(), Qt::Key_Z, ctrl | Qt::ShiftModifier, false},
    };
    for (const auto& [list, key, modifiers, undone] : keys) {
        SCOPED_TRACE(list->objectName().toStdString() + (undone ? " undo" : " redo"));
        list->setFocus();
        QTest::keyClick(list, key, modifiers);
        EXPECT_EQ(Entries(), undone ? loaded : changed);
    }

    // Also while the editor has nothing of its own to undo.
    eName()->setFocus();
    const QString shown = eName()->text();
    QTest::keyClick(eName(), Qt::Key_Z, ctrl);
    TypeText(eName(), QStringLiteral("А"));
    QTest::keyClick(eName(), Qt::Key_Z, ctrl);
    EXPECT_EQ(eName()->text(), shown);
    auto* comment = Find<QPlainTextEdit>("mmTestInfo");
    comment->setFocus();
    QTest::keyClick(comment, Qt::Key_Z, ctrl);
    TypeText(comment, QStringLiteral("Проверен"));
    QTest::keyClick(comment, Qt::Key_Z, ctrl);
    EXPECT_EQ(comment->toPlainText(), QString());
    EXPECT_EQ(Entries(), changed);
    ExpectSteps(QStringLiteral("удаление «КР155ЛА3»"), {});
}

// A comment being typed for the test file that the step changed is neither asked about nor dropped, and no
// comment file is written: undo and redo change the book, not the comment. A step of another test file
// shows that one, and the comment is asked about as for a click on its row.
TEST_F(UndoTest, UndoLeavesTheCommentBeingTypedAlone) {
    SelectName(0, 1);
    Answer(MessageAnswer::Yes, "acDeleteName");
    auto* comment = Find<QPlainTextEdit>("mmTestInfo");
    comment->setFocus();
    TypeText(comment, QStringLiteral("Проверен"));
    Undo();
    EXPECT_EQ(Rows(lbNames()).value(1), QStringLiteral("КР155ЛА3"));
    EXPECT_EQ(comment->toPlainText(), QStringLiteral("Проверен"));
    Redo();
    EXPECT_EQ(Rows(lbNames()).value(1), QStringLiteral("SN7400"));
    EXPECT_EQ(comment->toPlainText(), QStringLiteral("Проверен"));
    EXPECT_EQ(desktop->UntakenCount(), 0);

    const auto droppedOnAsking = [this](const std::function<void()>& command) {
        desktop->QueueMessageBoxAnswer(MessageAnswer::No);
        command();
        desktop->TakeMessageBox(QStringLiteral("Сохранить комментарий к тесту?"), kCaption,
                                MessageIcon::Question, MessageButtons::YesNo);
    };
    droppedOnAsking([this] { SetCurrentRow(lbFiles(), 1); });
    TypeText(comment, QStringLiteral("Проверен"));
    droppedOnAsking([this] { Undo(); });
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(comment->toPlainText(), QString());
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("tests/a.txt"))));
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("tests/b.txt"))));
}

}  // namespace
}  // namespace gui_test

// Start-up, the book commands, the close query and the settings, through the real main window.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <stdexcept>

#include "platform/Paths.h"
#include "platform/Settings.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kDirQuestion =
    QStringLiteral("Системный путь к файлам тестов не задан. Хотите задать его сейчас?");
const QString kDirsNotSet = QStringLiteral(
    "Пути не были заданы. Задание путей необходимо для работы стандартных файлов справочников.");
const QString kSaveQuestion = QStringLiteral("Сохранить изменение в файле?");
const QString kReplaceQuestion = QStringLiteral("Заменить существующий файл?");
const QString kCannotOpen = QStringLiteral("Невозможно открыть файл.");

// A small book: two test files, the first below the tests directory "/T".
std::string SmallBook() {
    return " 0 <Tests>:/dig/la3.qor\r\n" + Cp("К155ЛА3") +
           "|<Desc>:/la3.pdf\r\nSN7400|\r\n 1 /misc/x.wsk\r\n";
}

class LifecycleTest : public MainWindowTest {};

TEST_F(LifecycleTest, EveryStatusTextOfTheMenusIsRussian) {
    SetDirectories("/T");
    Start();
    // The status bar speaks the user's language: no hint of a menu or of its commands is left in English.
    const QRegularExpression latin(QStringLiteral("[A-Za-z]{3,}"));
    int hints = 0;
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        EXPECT_FALSE(menu->statusTip().contains(latin)) << menu->objectName().toStdString();
        for (const QAction* action : menu->actions()) {
            hints += action->statusTip().isEmpty() ? 0 : 1;
            EXPECT_FALSE(action->statusTip().contains(latin)) << action->statusTip().toStdString();
        }
    }
    EXPECT_GT(hints, 0);
}

TEST_F(LifecycleTest, FirstStartCreatesBothKeysAndAsksForTheTestsDirectory) {
    ASSERT_FALSE(SettingsHaveKey("Software\\QOR_Sprav"));
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    bool dialogSeen = false;
    WhenModal([&](QWidget* modal) {
        dialogSeen =
            modal->objectName() == QLatin1String("fmDir") || qobject_cast<QDialog*>(modal) != nullptr;
        modal->findChild<QPushButton*>(QStringLiteral("bbCancel"))->click();
    });
    Start();

    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    desktop->TakeInformation(kDirsNotSet);
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(window->Book().DirTests().empty());
    EXPECT_TRUE(pMain()->isHidden());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Создание справочников"));

    for (const char* name : {"FileName", "FilePreff", "FileSuff"}) {
        EXPECT_EQ(Setting("Software\\QOR_Sprav", name), "") << name;
    }
    for (const char* name : {"Dir_QOR", "Dir_Tests", "Dir_PDF"}) {
        EXPECT_EQ(Setting("Software\\QOR_Main", name), "") << name;
    }
#ifndef _WIN32
    const std::string ini = ReadBytes(folder.filePath(QStringLiteral("settings.ini")));
    EXPECT_NE(ini.find("[Software\\QOR_Sprav]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Software\\QOR_Main]"), std::string::npos) << ini;
#endif
}

TEST_F(LifecycleTest, DirectoriesAcceptedAtStartUpReachTheSettingsOnlyAtClose) {
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    WhenModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>(QStringLiteral("edTestDir"))->setText(QStringLiteral("/srv/tests"));
        modal->findChild<QLineEdit*>(QStringLiteral("edPDFDir"))->setText(QStringLiteral("/srv/desc/"));
        modal->findChild<QPushButton*>(QStringLiteral("bbOk"))->click();
    });
    Start();
    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(window->Book().DirTests(), "/srv/tests");
    EXPECT_EQ(window->Book().DirPDF(), "/srv/desc/");
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_Tests"), "");

    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_Tests"), "/srv/tests");
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_PDF"), "/srv/desc/");
}

TEST_F(LifecycleTest, TestFilesAddedWithNoBookShownStartOne) {
    SetDirectories("/T");
    Start();
    ASSERT_TRUE(pMain()->isHidden());
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    EXPECT_FALSE(pMain()->isHidden());
    EXPECT_EQ(Count(lbFiles()), 1);
}

TEST_F(LifecycleTest, NoToTheDirectoriesQuestionStartsWithoutTokens) {
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Start();
    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    window->FileNew1Execute();
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    EXPECT_EQ(Rows(lbFiles()), QStringList{PathOf(QStringLiteral("a.qor"))});
}

TEST_F(LifecycleTest, RememberedBookIsLoadedShownAndSelected) {
    const QString book = MakeFile(QStringLiteral("book.spr"), SmallBook());
    SetDirectories("/T", "/D");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("book.spr")));
    Start();

    EXPECT_FALSE(pMain()->isHidden());
    EXPECT_EQ(window->windowTitle(), BookCaption(book));
    EXPECT_EQ(Rows(lbFiles()),
              (QStringList{QStringLiteral("<Tests>:/dig/la3.qor"), QStringLiteral("/misc/x.wsk")}));
    ASSERT_EQ(window->Book().Sprav().Files.size(), 2u);
    EXPECT_EQ(window->Book().Sprav().Files[0]->Path, "/T/dig/la3.qor");
    // The last test file is current and selected; it has no names.
    EXPECT_EQ(SelectedRow(lbFiles()), 1);
    EXPECT_TRUE(Rows(lbNames()).isEmpty());

    SetCurrentRow(lbFiles(), 0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("К155ЛА3"), QStringLiteral("SN7400")}));
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    EXPECT_EQ(eName()->text(), QStringLiteral("К155ЛА3"));
    EXPECT_EQ(edFileInfo()->text(), QStringLiteral("<Desc>:/la3.pdf"));
    EXPECT_FALSE(window->Modified());
}

TEST_F(LifecycleTest, MissingRememberedBookIsSkippedSilently) {
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("gone.spr")));
    Start();
    EXPECT_TRUE(pMain()->isHidden());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Создание справочников"));
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileName"), Stored(QStringLiteral("gone.spr")));
}

TEST_F(LifecycleTest, UnreadableRememberedBookIsReportedAndForgotten) {
    const QString book =
        MakeFile(QStringLiteral("long.spr"), " 0 /a.qor\r\n" + std::string(1000, 'x') + "\r\n");
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("long.spr")));
    Start();

    // The box names the file and the line, as for any file that is no book.
    desktop->TakeInformation(kCannotOpen + QLatin1Char('\n') + QDir::toNativeSeparators(book) +
                             QStringLiteral(" не справочник: строка 2 длиннее 999 символов."));
    EXPECT_FALSE(pMain()->isHidden());
    EXPECT_EQ(window->windowTitle(), BookCaption(book));
    EXPECT_EQ(Count(lbFiles()), 0);
    EXPECT_TRUE(window->Book().Sprav().Files.empty());
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileName"), "");
}

// A file whose lines start with chip names cannot be a book: it fails as a whole with one box that says
// where, instead of one box per line at every start; the next start does not try it again.
TEST_F(LifecycleTest, FileThatIsNotABookFailsAsAWhole) {
    const QString notes =
        MakeFile(QStringLiteral("notes.spr"), "\r\nhello\r\nworld\r\n 0 /a.qor\r\nSN7400|\r\n");
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("notes.spr")));
    Start();

    desktop->TakeInformation(
        kCannotOpen + QLatin1Char('\n') + notes +
        QStringLiteral(" не справочник: строка 2 «hello» стоит раньше первого тестового файла."));
    EXPECT_TRUE(window->Book().Sprav().Files.empty());
    EXPECT_EQ(Count(lbFiles()), 0);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileName"), "");
}

// A book another program wrote may load yet hold an entry no save could write back; the user is told at
// once, by name, and the book stays open to be corrected.
TEST_F(LifecycleTest, BookThatCannotBeSavedAsItStandsIsReportedAtLoad) {
    const std::string longName(999, 'N');  // no "|": the name is its own description, 1999 characters saved
    MakeFile(QStringLiteral("wide.spr"), " 0 /a.qor\r\n" + longName + "\r\n");
    SetDirectories("/T");
    Start();
    desktop->QueueOpenFile(PathOf(QStringLiteral("wide.spr")));
    window->FileOpen1Execute();
    desktop->Take();
    desktop->TakeInformation(
        QStringLiteral("Справочник открыт, но сохранить его в таком виде нельзя. Строка справочника для «") +
        QString::fromStdString(longName) +
        QStringLiteral("» длиннее 999 символов. Исправьте или удалите эту запись перед сохранением."));
    EXPECT_EQ(Count(lbNames()), 1);
}

// Opened before the directories are set, a book keeps its tokens: shown as stored and saved back unchanged.
TEST_F(LifecycleTest, TokensSurviveUnsetDirectories) {
    const std::string bytes = " 0 <Tests>:\\dig\\la3.qor\r\n" + Cp("К155ЛА3") + "|<Desc>:\\la3.pdf\r\n";
    const QString book = MakeFile(QStringLiteral("tokens.spr"), bytes);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);  // no tests directory for now
    Start(book);
    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Rows(lbFiles()), QStringList{QStringLiteral("<Tests>:\\dig\\la3.qor")});
    EXPECT_EQ(edFileInfo()->text(), QStringLiteral("<Desc>:\\la3.pdf"));

    desktop->QueueSaveFile(book);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);  // replace the existing file
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    desktop->Take();
    EXPECT_EQ(ReadBytes(book), bytes);
}

TEST_F(LifecycleTest, RememberedPrefixFileFillsThePrefixListAtStartUp) {
    MakeFile(QStringLiteral("pref.prf"), Cp("КР") + "\r\nSN\n\r\nHD");
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QStringLiteral("pref.prf")));
    Start();
    auto* clbPref = Find<QListWidget>("clbPref");
    EXPECT_EQ(Rows(clbPref),
              (QStringList{QStringLiteral("КР"), QStringLiteral("SN"), QString(), QStringLiteral("HD")}));
    for (int i = 0; i < clbPref->count(); ++i) {
        EXPECT_EQ(clbPref->item(i)->checkState(), Qt::Unchecked);
    }
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FilePreff"), Stored(QStringLiteral("pref.prf")));
}

TEST_F(LifecycleTest, MissingPrefixFileLeavesTheListEmptySilently) {
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QStringLiteral("gone.prf")));
    Start();
    EXPECT_EQ(Find<QListWidget>("clbPref")->count(), 0);
}

TEST_F(LifecycleTest, OtherProgramsValuesAreKeptThroughARun) {
    SetDirectories("/T");
    SetSetting("Software\\QOR_Main", "Dir_QOR", Cp("C:\\QOR\\Программа"));
    SetSetting("Software\\QOR_Sprav", "FileSuff", "C:\\suff.suf");
    Start();
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_QOR"), Cp("C:\\QOR\\Программа"));
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileSuff"), "C:\\suff.suf");
}

// A settings file the store will not read (here: far larger than settings ever are) is said once at
// start-up; the editor runs with empty settings and leaves the file as it was at close, without a box.
TEST_F(LifecycleTest, UnreadableSettingsFileIsSaidOnceAndLeftAlone) {
#ifdef _WIN32
    GTEST_SKIP() << "the settings store is the registry on Windows: no file stands in for it there";
#endif
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    std::string content = "[Software\\QOR_Main]\nDir_Tests=/T\n;";
    content.resize(platform::kMaxSettingsFileBytes + 1, ';');
    WriteBytes(path, content);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Start();
    desktop->TakeInformation(
        QStringLiteral("Не удалось прочитать файл настроек %1: Файл слишком велик.\n"
                       "Программа запущена с пустыми настройками; при выходе этот файл не будет изменён.")
            .arg(QDir::toNativeSeparators(path)));
    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_TRUE(window->Book().DirTests().empty());

    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    desktop->QueueSaveFile(PathOf(QStringLiteral("new.spr")));
    window->FileSave1Execute();
    desktop->Take();
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(ReadBytes(path), content);
}

// After New nothing may offer to save the empty book over the previous one: the caption names no file and
// the save dialog proposes no name (it still opens in the previous book's folder). The previous book is
// still the one the next start reopens.
TEST_F(LifecycleTest, NewShowsAnEmptyBookAndTheNextStartReopensThePreviousOne) {
    MakeFile(QStringLiteral("book.spr"), SmallBook());
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("book.spr")));
    Start();

    window->FileNew1Execute();
    EXPECT_EQ(Count(lbFiles()), 0);
    EXPECT_EQ(Count(lbNames()), 0);
    EXPECT_TRUE(window->Book().Sprav().Files.empty());
    EXPECT_FALSE(pMain()->isHidden());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(QOR_EXPECTED_DESCRIPTION));
    EXPECT_FALSE(window->Modified());

    desktop->QueueSaveFile(std::nullopt);
    window->FileSave1Execute();
    const DesktopCall call = desktop->Take();
    EXPECT_EQ(call.options.FileName, QString());
    EXPECT_EQ(call.options.InitialDir, QDir::toNativeSeparators(folder.path()));
    Action("FileExit1")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileName"), Stored(QStringLiteral("book.spr")));

    Stop();
    Start();
    EXPECT_EQ(Count(lbFiles()), 2);
    EXPECT_EQ(window->windowTitle(), BookCaption(PathOf(QStringLiteral("book.spr"))));
}

TEST_F(LifecycleTest, OpenLoadsTheChosenBookWithTheBookFilter) {
    SetDirectories("/T");
    Start();
    const QString book = MakeFile(QStringLiteral("open.spr"), SmallBook());
    desktop->QueueOpenFile(book);
    Action("FileOpen1")->trigger();

    const DesktopCall call = desktop->Take();
    EXPECT_EQ(call.kind, DesktopCall::Kind::OpenFile);
    EXPECT_EQ(call.options.Filter, QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*"));
    EXPECT_EQ(call.options.DefaultExtension, QStringLiteral("spr"));
    EXPECT_EQ(window->SpravFileName(), Stored(QStringLiteral("open.spr")));
    EXPECT_EQ(window->windowTitle(), BookCaption(book));
    EXPECT_EQ(Count(lbFiles()), 2);
    EXPECT_FALSE(pMain()->isHidden());
}

// Books are kept together: Open starts in the folder of the book in the window, after New in the last
// book's, and after a book that could not be read in the folder of the one opened before it.
TEST_F(LifecycleTest, OpenStartsInTheFolderOfTheCurrentOrLastBook) {
    SetDirectories("/T");
    Start();
    desktop->QueueOpenFile(std::nullopt);
    window->FileOpen1Execute();
    EXPECT_TRUE(desktop->Take().options.InitialDir.isEmpty());  // no book yet: the platform's choice

    const QString first = MakeFile(QStringLiteral("books/first.spr"), SmallBook());
    desktop->QueueOpenFile(first);
    window->FileOpen1Execute();
    desktop->Take();
    window->FileNew1Execute();
    desktop->QueueOpenFile(MakeFile(QStringLiteral("other/broken.spr"), "SN7400|\r\n"));
    window->FileOpen1Execute();
    EXPECT_EQ(desktop->Take().options.InitialDir, PathOf(QStringLiteral("books")));
    const DesktopCall refusal = desktop->Take();
    EXPECT_EQ(refusal.kind, DesktopCall::Kind::Information);
    ASSERT_TRUE(window->SpravFileName().empty());

    desktop->QueueOpenFile(std::nullopt);
    window->FileOpen1Execute();
    EXPECT_EQ(desktop->Take().options.InitialDir, PathOf(QStringLiteral("books")));
}

TEST_F(LifecycleTest, OpenIgnoresCancelAndMissingFiles) {
    SetDirectories("/T");
    Start();
    desktop->QueueOpenFile(std::nullopt);
    window->FileOpen1Execute();
    desktop->Take();
    desktop->QueueOpenFile(PathOf(QStringLiteral("missing.spr")));
    window->FileOpen1Execute();
    desktop->Take();
    EXPECT_TRUE(pMain()->isHidden());
    EXPECT_TRUE(window->SpravFileName().empty());
}

TEST_F(LifecycleTest, SaveWritesTheBookInTokenFormAndSetsTheCaption) {
    // A test file is chosen as the system writes its path; the datasheet's path is taken as it is shown.
    SetDirectories(Native(std::string("/T")), "/D");
    Start();
    window->FileNew1Execute();
    AddTestFile("/T/dig/la3.qor");
    window->RefreshFileList();
    window->Book().AddName(QStringLiteral("К155ЛА3"), QStringLiteral("/D/la3.pdf"));
    window->Book().SetModified();

    desktop->QueueSaveFile(PathOf(QStringLiteral("saved.spr")));
    ASSERT_TRUE(window->FileSave1Execute());
    const DesktopCall call = desktop->Take();
    EXPECT_EQ(call.kind, DesktopCall::Kind::SaveFile);
    EXPECT_EQ(call.options.Filter, QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*"));
    EXPECT_EQ(call.options.DefaultExtension, QStringLiteral("spr"));
    EXPECT_FALSE(call.options.OverwritePrompt);

    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("saved.spr"))),
              Native(std::string(" 0 <Tests>:/dig/la3.qor\r\n")) + Cp("К155ЛА3") + "|<Desc>:/la3.pdf\r\n");
    EXPECT_EQ(window->windowTitle(), BookCaption(PathOf(QStringLiteral("saved.spr"))));
    EXPECT_FALSE(window->Modified());
    EXPECT_EQ(window->SpravFileName(), Stored(QStringLiteral("saved.spr")));

    // The next save dialog opens in the book's folder and proposes its name.
    desktop->QueueSaveFile(std::nullopt);
    window->FileSave1Execute();
    const DesktopCall again = desktop->Take();
    EXPECT_EQ(QDir(again.options.InitialDir), QDir(folder.path()));
    EXPECT_EQ(again.options.FileName, QStringLiteral("saved.spr"));
}

TEST_F(LifecycleTest, SaveOverAnExistingFileAsksFirst) {
    SetDirectories("/T");
    Start();
    window->FileNew1Execute();
    AddTestFile("/a.qor");
    window->Book().SetModified();
    const QString target = MakeFile(QStringLiteral("old.spr"), "old");

    desktop->QueueSaveFile(target);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    EXPECT_FALSE(window->FileSave1Execute());
    desktop->Take();
    desktop->TakeMessageBox(kReplaceQuestion, QStringLiteral("Редактор Справочников"), MessageIcon::Question,
                            MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_TRUE(window->Modified());

    desktop->QueueSaveFile(target);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window->FileSave1Execute());
    desktop->Take();
    desktop->TakeMessageBox(kReplaceQuestion, QStringLiteral("Редактор Справочников"), MessageIcon::Question,
                            MessageButtons::YesNo);
    EXPECT_EQ(ReadBytes(target), Native(std::string(" 0 /a.qor\r\n")));
}

TEST_F(LifecycleTest, SaveWithNoBookOpenWritesAnEmptyFile) {
    SetDirectories("/T");
    Start();
    ASSERT_TRUE(pMain()->isHidden());
    desktop->QueueSaveFile(PathOf(QStringLiteral("empty.spr")));
    Action("FileSave1")->trigger();
    desktop->Take();
    EXPECT_EQ(QFileInfo(PathOf(QStringLiteral("empty.spr"))).size(), 0);
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("empty.spr"))));
    EXPECT_EQ(window->windowTitle(), BookCaption(PathOf(QStringLiteral("empty.spr"))));
}

TEST_F(LifecycleTest, FailedSaveSaysSoAndChangesNothing) {
    SetDirectories("/T");
    Start();
    window->FileNew1Execute();
    AddTestFile("/a.qor");
    window->Book().SetModified();
    const QString caption = window->windowTitle();

    const QString target = PathOf(QStringLiteral("no-such-folder/book.spr"));
    desktop->QueueSaveFile(target);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Ok);
    EXPECT_FALSE(window->FileSave1Execute());
    desktop->Take();
    const DesktopCall box = desktop->Take();
    EXPECT_EQ(box.kind, DesktopCall::Kind::MessageBox);
    EXPECT_TRUE(
        box.text.startsWith(QStringLiteral("Не удалось сохранить файл ") + target + QLatin1Char('\n')))
        << box.text.toStdString();
    EXPECT_GT(box.text.size(),
              (QStringLiteral("Не удалось сохранить файл ") + target + QLatin1Char('\n')).size());
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, MessageIcon::Warning);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_TRUE(window->SpravFileName().empty());
}

TEST_F(LifecycleTest, SaveRefusesABookItCouldNotReadBack) {
    // A path that fits its line only in token form: once the tests directory changes, the book can no
    // longer write it.
    SetDirectories("/" + std::string(200, 'd'));
    Start();
    WriteBytes(PathOf(QStringLiteral("short.spr")), " 0 <Tests>:/" + std::string(900, 'a') + ".qor\r\n");
    window->LoadSprav(Stored(QStringLiteral("short.spr")));
    ASSERT_EQ(window->Book().Sprav().Files.size(), 1u);
    window->Book().SetDirectories("/elsewhere", {});
    desktop->QueueSaveFile(PathOf(QStringLiteral("long.spr")));
    desktop->QueueMessageBoxAnswer(MessageAnswer::Ok);
    EXPECT_FALSE(window->FileSave1Execute());
    desktop->Take();
    const DesktopCall box = desktop->Take();
    EXPECT_TRUE(box.text.contains(QStringLiteral("999"))) << box.text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("long.spr"))));
}

TEST_F(LifecycleTest, CloseQueryAnswers) {
    SetDirectories("/T");
    Start();
    window->FileNew1Execute();
    window->Book().SetModified();

    // Cancel: the window stays and nothing is written.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(CloseWindow());
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_Tests"), "/T");
    window->Book().SetDirectories("/changed", window->Book().DirPDF());

    // Yes, then the save dialog cancelled: the window stays, nothing is written.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    desktop->QueueSaveFile(std::nullopt);
    EXPECT_FALSE(CloseWindow());
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    desktop->Take();
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_Tests"), "/T");

    // Yes and a completed save: the book is written, the window closes, the settings are written.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    desktop->QueueSaveFile(PathOf(QStringLiteral("closing.spr")));
    EXPECT_TRUE(CloseWindow());
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    desktop->Take();
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("closing.spr"))));
    EXPECT_EQ(Setting("Software\\QOR_Main", "Dir_Tests"), "/changed");
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FileName"), Stored(QStringLiteral("closing.spr")));
}

TEST_F(LifecycleTest, CloseQueryNoClosesWithoutSaving) {
    SetDirectories("/T");
    Start();
    window->FileNew1Execute();
    window->Book().SetModified();
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    EXPECT_TRUE(CloseWindow());
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
}

TEST_F(LifecycleTest, UnchangedBookClosesWithoutAQuestion) {
    SetDirectories("/T");
    Start();
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(desktop->UntakenCount(), 0);
}

// A handler of the test's own that throws, as a fault in a real one would, run from the event loop as a
// queued call. (Not from a mouse event: Qt's event delivery is built without exceptions, and a throw
// through it skips the release of the event's copies, which the leak checker then reports.)
template <typename Fault>
void RunThrowingHandler(QObject* receiver, Fault fault) {
    QMetaObject::invokeMethod(
        receiver, [fault] { throw fault; }, Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall);
}

TEST_F(LifecycleTest, AnExceptionInAHandlerIsReportedAndTheEditorGoesOnWithItsBook) {
    MakeFile(QStringLiteral("book.spr"), SmallBook());
    SetDirectories("/T", "/D");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("book.spr")));
    Start();
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("K1"));  // work not yet saved
    const QStringList names = Rows(lbNames());
    ASSERT_EQ(names.size(), 3);

    const QPoint secondRow = RowRect(lbFiles(), 1).center();
    const QString goesOn = QStringLiteral(
        "\nКоманда не выполнена. Справочник остаётся открытым, несохранённые изменения можно сохранить.");
    RunThrowingHandler(lbFiles(), std::runtime_error("Сбой обработчика"));
    desktop->TakeErrorReport(QStringLiteral("Сбой обработчика") + goesOn);
    RunThrowingHandler(lbFiles(), 42);  // not a standard exception
    desktop->TakeErrorReport(QStringLiteral("Неизвестная ошибка.") + goesOn);

    // The window and the book as they were, the change still unsaved.
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(Rows(lbNames()), names);
    EXPECT_EQ(window->Book().Sprav().Files[0]->Sinonims.size(), 3u);
    EXPECT_TRUE(window->Modified());

    // The editor goes on: clicks work again, a dialog runs its own loop, and closing asks to save.
    QTest::mouseClick(lbFiles()->viewport(), Qt::LeftButton, Qt::NoModifier, secondRow);
    EXPECT_EQ(SelectedRow(lbFiles()), 1);
    bool dialogRan = false;
    WhenModal([&dialogRan](QWidget* modal) {
        dialogRan = true;
        static_cast<QDialog*>(modal)->reject();
    });
    Action("acFindSin")->trigger();
    EXPECT_TRUE(dialogRan);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(CloseWindow());
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(LifecycleTest, NewAndOpenAskBeforeDroppingChanges) {
    SetDirectories("/T");
    Start();
    window->FileNew1Execute();
    AddTestFile("/a.qor");
    window->RefreshFileList();
    window->Book().SetModified();

    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    window->FileNew1Execute();
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(Count(lbFiles()), 1);
    EXPECT_TRUE(window->Modified());

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    desktop->QueueSaveFile(std::nullopt);
    window->FileOpen1Execute();  // the save did not complete: Open stops before its dialog
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::SaveFile);
    EXPECT_EQ(Count(lbFiles()), 1);

    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    window->FileNew1Execute();
    desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(Count(lbFiles()), 0);
    EXPECT_FALSE(window->Modified());
}

TEST_F(LifecycleTest, PathsWindows1251CannotHoldAreRefused) {
    SetDirectories("/T");
    Start();
    const QString strange = MakeFile(QStringLiteral("книга-中.spr"), SmallBook());
    desktop->QueueOpenFile(strange);
    window->FileOpen1Execute();
    desktop->Take();
    desktop->TakeInformation(
        QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + strange);
    EXPECT_TRUE(window->SpravFileName().empty());
    EXPECT_TRUE(pMain()->isHidden());
}

TEST_F(LifecycleTest, BookOnTheCommandLineOpensInPlaceOfTheRememberedOne) {
    MakeFile(QStringLiteral("remembered.spr"), " 0 /r.qor\r\n");
    const QString given = MakeFile(QStringLiteral("given.spr"), SmallBook());
    SetDirectories("/T");
    SetSetting("Software\\QOR_Sprav", "FileName", Stored(QStringLiteral("remembered.spr")));
    Start(given);
    EXPECT_EQ(window->SpravFileName(), Stored(QStringLiteral("given.spr")));
    EXPECT_EQ(Count(lbFiles()), 2);
    EXPECT_EQ(window->windowTitle(), BookCaption(given));
}

TEST_F(LifecycleTest, MissingBookOnTheCommandLineIsReported) {
    SetDirectories("/T");
    Start(PathOf(QStringLiteral("nowhere.spr")));
    desktop->TakeInformation(QStringLiteral("Файл не найден: ") + PathOf(QStringLiteral("nowhere.spr")));
    EXPECT_TRUE(pMain()->isHidden());
}

// A folder given as the book exists but is none: it is not reported as missing.
TEST_F(LifecycleTest, FolderOnTheCommandLineIsNotABook) {
    SetDirectories("/T");
    QDir(folder.path()).mkdir(QStringLiteral("shelf.spr"));
    Start(PathOf(QStringLiteral("shelf.spr")));
    desktop->TakeInformation(QStringLiteral("Невозможно открыть файл.\n") +
                             PathOf(QStringLiteral("shelf.spr")) +
                             QStringLiteral(": Это не обычный файл: папка, канал или устройство."));
    EXPECT_TRUE(pMain()->isHidden());
}

TEST_F(LifecycleTest, ServiceDirectoriesCommandWarnsFirst) {
    SetDirectories("/T", "/D");
    Start();
    const QString warning = QStringLiteral(
        "Изменение данных дирректорий может повлечь нарушение связей с некоторыми файлами тестов и файлами "
        "описания. Вы действительно хотите изменить Директории?");
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Find<QAction>("N19")->trigger();
    desktop->TakeMessageBox(warning, kCaption, MessageIcon::Warning, MessageButtons::YesNo);

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    WhenModal([](QWidget* modal) {
        EXPECT_EQ(modal->findChild<QLineEdit*>(QStringLiteral("edTestDir"))->text(), QStringLiteral("/T"));
        modal->findChild<QLineEdit*>(QStringLiteral("edTestDir"))->setText(QStringLiteral("/New"));
        modal->findChild<QPushButton*>(QStringLiteral("bbOk"))->click();
    });
    Find<QAction>("N19")->trigger();
    desktop->TakeMessageBox(warning, kCaption, MessageIcon::Warning, MessageButtons::YesNo);
    EXPECT_EQ(window->Book().DirTests(), "/New");
    EXPECT_EQ(window->Book().DirPDF(), "/D");
    EXPECT_FALSE(window->Modified());
}

// A book opened while the tests directory was unset keeps its "<Tests>:" paths. Once the directory is set
// in "Сервис", they name the files below it everywhere: in the book check, in the question about a file
// added again, and in the guard that keeps a comment off a test file.
TEST_F(LifecycleTest, TokenPathsOfABookOpenedWithoutDirectoriesFollowTheDirectoriesSetLater) {
    const QString la3 = MakeFile(QStringLiteral("T/TTL/LA3.qor"));
    const QString notes = MakeFile(QStringLiteral("T/TTL/notes.txt"), "test bytes");
    const QString book = MakeFile(QStringLiteral("demo.spr"), Native(Cp(" 0 <Tests>:/TTL/LA3.qor\r\n"
                                                                        "К155ЛА3|\r\n"
                                                                        " 1 <Tests>:/TTL/gone.qor\r\n"
                                                                        " 2 <Tests>:/TTL/notes.txt\r\n")));
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Start();
    desktop->TakeMessageBox(kDirQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    desktop->QueueOpenFile(book);
    Action("FileOpen1")->trigger();
    desktop->Take();

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    WhenModal([this](QWidget* modal) {
        modal->findChild<QLineEdit*>(QStringLiteral("edTestDir"))->setText(PathOf(QStringLiteral("T")));
        modal->findChild<QPushButton*>(QStringLiteral("bbOk"))->click();
    });
    Action("N19")->trigger();
    desktop->Take();
    EXPECT_EQ(Rows(lbFiles()).front(), Native(QStringLiteral("<Tests>:/TTL/LA3.qor")));

    Action("acCheckSprav")->trigger();
    const auto* report = window->findChild<QTreeWidget*>(QStringLiteral("lvFindings"));
    ASSERT_NE(report, nullptr);
    QStringList found;
    for (int i = 0; i < report->topLevelItemCount(); ++i) {
        found.append(report->topLevelItem(i)->text(0));
    }
    EXPECT_EQ(found, QStringList{QStringLiteral("Тестовый файл не найден: ") +
                                 PathOf(QStringLiteral("T/TTL/gone.qor"))});

    AddFiles({la3}, {MessageAnswer::No});
    desktop->TakeMessageBox(QStringLiteral("Файл'") + la3 +
                                QStringLiteral("' уже существует. Вы хотите добавить этот же файл еще раз?"),
                            QStringLiteral("Справочник"), MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Count(lbFiles()), 3);

    SetCurrentRow(lbFiles(), 2);
    auto* comment = Find<QPlainTextEdit>("mmTestInfo");
    comment->setPlainText(QStringLiteral("затрёт?"));
    Find<QToolButton>("bbSavePrim")->click();
    desktop->TakeInformation(
        QStringLiteral("Комментарий не сохранён: файл комментария совпадает с тестовым файлом ") + notes);
    EXPECT_EQ(ReadBytes(notes), "test bytes");
    // Nothing of this changed what the book holds: it is saved as it was read.
    EXPECT_EQ(window->Book().Sprav().Files[0]->Path, Native(std::string("<Tests>:/TTL/LA3.qor")));
}

// Help files beside this test program, made for one test and removed after it whatever happens.
class FilesBesideProgram {
public:
    ~FilesBesideProgram() {
        for (const QString& path : FPaths) {
            QFile::remove(path);
        }
    }
    QString Make(const QString& extension) {
        const QFileInfo exe(QCoreApplication::applicationFilePath());
        const QString path = exe.absoluteDir().filePath(exe.completeBaseName() + extension);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        FPaths.append(path);
        return path;
    }
    void Remove(const QString& path) { QFile::remove(path); }

private:
    QStringList FPaths;
};

TEST_F(LifecycleTest, F1OpensHelpFromWhereverTheFocusIs) {
    SetDirectories("/T");
    Start();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (QWidget* focus : {static_cast<QWidget*>(eName()), static_cast<QWidget*>(lbFiles())}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
        // No help beside the test program: the lookup says where it looked, which shows it ran.
        const DesktopCall call = desktop->Take();
        EXPECT_EQ(call.kind, DesktopCall::Kind::Information) << focus->objectName().toStdString();
        EXPECT_TRUE(call.text.startsWith(QStringLiteral("Справка не найдена.")));
    }
}

TEST_F(LifecycleTest, HelpOpensTheChmBesideTheExecutableElseTheGuideElseSaysWhereItLooked) {
    SetDirectories("/T");
    Start();
    const QFileInfo exe(QCoreApplication::applicationFilePath());

    // Neither: the places looked at are named.
    Find<QAction>("acHelp")->trigger();
    const DesktopCall none = desktop->Take();
    EXPECT_EQ(none.kind, DesktopCall::Kind::Information);
    EXPECT_TRUE(none.text.startsWith(QStringLiteral("Справка не найдена. Её искали здесь:\n")));
    EXPECT_TRUE(none.text.contains(
        Native(exe.absoluteDir().filePath(exe.completeBaseName() + QStringLiteral(".chm")))));
    EXPECT_TRUE(none.text.contains(
        Native(exe.absoluteDir().filePath(exe.completeBaseName() + QStringLiteral(".html")))));

    FilesBesideProgram beside;
    const QString guide = beside.Make(QStringLiteral(".html"));
    const QString chm = beside.Make(QStringLiteral(".chm"));
    for (const QString& expected : {chm, guide}) {
        Find<QAction>("acHelp")->trigger();
        const DesktopCall call = desktop->Take();
        EXPECT_EQ(call.kind, DesktopCall::Kind::ShellExecute);
        EXPECT_EQ(call.verb, QStringLiteral("open"));
        EXPECT_EQ(QFileInfo(call.file), QFileInfo(expected));
        EXPECT_EQ(QDir(call.directory), exe.absoluteDir());
        EXPECT_TRUE(call.directory.endsWith(QDir::separator()));
        EXPECT_EQ(call.showCommand, 3);
        beside.Remove(chm);  // the guide is opened once the help file is gone
    }
}

}  // namespace
}  // namespace gui_test

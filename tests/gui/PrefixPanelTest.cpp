// The prefix panel: the list and its files, the add-prefix dialog, and the names that ticked prefixes
// generate under the current test file, through the real widgets of the main window.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <random>

#include "core/PrefixFile.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"
#include "document/BookTexts.h"
#include "forms/NamePanel.h"
#include "forms/PrefixPanel.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kEmptyBook = QStringLiteral("Список файлов пуст. Сначала необходимо добавить файл.");
const QString kUnstorableName = QStringLiteral(
    "Название микросхемы не может начинаться с пробела, содержать символ «|» или управляющие символы "
    "(перевод строки, табуляцию и т. п.).");

class PrefixPanelTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories("/T");
        Start();
        window->FileNew1Execute();
    }

    QListWidget* clbPref() const { return Find<QListWidget>("clbPref"); }
    QToolButton* Tool(const char* name) const { return Find<QToolButton>(name); }

    // Loads a prefix file with these bytes through the load command.
    void LoadPrefixes(const std::string& bytes, const QString& name = QStringLiteral("list.prf")) {
        desktop->QueueOpenFile(MakeFile(name, bytes));
        Tool("bbLoadPreff")->click();
        EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::OpenFile);
    }

    // A test file with these names (duplicates too, through the menu item), the name field empty and the
    // book unmodified.
    void BookWithNames(const QStringList& names) {
        AddFiles({MakeFile(QStringLiteral("t1.qor"))});
        for (const QString& name : names) {
            eName()->setText(name);
            Action("acAddName")->trigger();
        }
        eName()->clear();
        window->Book().SetModified(false);
    }

    // The marks as a string, "1" for on: easy to read in a failure.
    std::string Marks() const {
        std::string marks;
        for (int i = 0; i < clbPref()->count(); ++i) {
            marks += clbPref()->item(i)->checkState() == Qt::Checked ? '1' : '0';
        }
        return marks;
    }

    // The user toggles one mark with the keyboard, as a click on its box does.
    void Toggle(int row) {
        clbPref()->setCurrentRow(row);
        QTest::keyClick(clbPref(), Qt::Key_Space);
    }

    void Type(const QString& text) {
        eName()->clear();
        TypeText(eName(), text);
    }
};

TEST_F(PrefixPanelTest, TickingAddsTheGeneratedNameAndUntickingTakesItAway) {
    LoadPrefixes(Cp("КР") + "\r\nSN\r\n");
    BookWithNames({QStringLiteral("155ЛА3"), QStringLiteral("K1")});
    Type(QStringLiteral("155ЛА3 "));  // a trailing space stays part of the generated names
    EXPECT_EQ(Marks(), "00");

    Toggle(0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155ЛА3", "K1", "КР155ЛА3 "}));
    EXPECT_EQ(Marks(), "10");
    EXPECT_EQ(SelectedRow(lbNames()), -1);  // the pass's refresh selects nothing
    EXPECT_EQ(eName()->text(), QStringLiteral("155ЛА3 "));

    Toggle(0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155ЛА3", "K1"}));
    EXPECT_EQ(Marks(), "00");

    // Marks the program sets never run the pass: typing a name whose prefixed form is listed adds nothing.
    AddName(QStringLiteral("SN7400"));
    window->Book().SetModified(false);
    Type(QStringLiteral("7400"));
    EXPECT_EQ(Marks(), "01");
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155ЛА3", "K1", "SN7400"}));
    EXPECT_FALSE(window->Modified());
}

// New empties the lists before the name field: no mark stays for a name the empty book does not hold, also
// when the field was empty already (a prefix alone is a listed name then).
TEST_F(PrefixPanelTest, NoMarkOutlivesTheBookAfterNew) {
    LoadPrefixes("SN\r\nKR\r\n");
    for (const QString& typed : {QString(), QStringLiteral("155")}) {
        BookWithNames({QStringLiteral("SN"), QStringLiteral("KR155")});
        Type(typed);
        ASSERT_EQ(Marks(), typed.isEmpty() ? "10" : "01");
        window->FileNew1Execute();
        EXPECT_EQ(Marks(), "00") << typed.toStdString();
        EXPECT_TRUE(eName()->text().isEmpty());
    }
}

// A box the user unticks shows its mark again while the name is still listed: in another case, or a second
// copy.
TEST_F(PrefixPanelTest, AnUntickedMarkComesBackWhileItsNameIsStillListed) {
    LoadPrefixes("KR\r\nSN\r\n");
    BookWithNames({QStringLiteral("kr155"), QStringLiteral("SN155"), QStringLiteral("SN155")});
    Type(QStringLiteral("155"));
    EXPECT_EQ(Marks(), "11");
    Toggle(0);
    EXPECT_EQ(Marks(), "11");
    Toggle(1);
    EXPECT_EQ(Rows(lbNames()), (QStringList{"kr155", "SN155"}));
    EXPECT_EQ(Marks(), "11");
}

TEST_F(PrefixPanelTest, SelectAllAndDeselectAll) {
    LoadPrefixes("KR\r\nKR\r\nSN\r\n");
    BookWithNames({QStringLiteral("155"), QStringLiteral("X155")});
    Type(QStringLiteral("155"));
    Tool("sbAddAll")->click();
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155", "X155", "KR155", "KR155", "SN155"}));
    EXPECT_EQ(Marks(), "111");
    EXPECT_EQ(SelectedRow(lbNames()), -1);

    // With the typed name listed the list is disabled, but both buttons still work from that name.
    SetCurrentRow(lbNames(), 0);
    EXPECT_EQ(eName()->text(), QStringLiteral("155"));
    EXPECT_FALSE(clbPref()->isEnabled());
    Tool("sbDelAll")->click();
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155", "X155"}));
    EXPECT_EQ(Marks(), "000");
    // The add button follows the names that are left.
    Type(QStringLiteral("x155"));
    EXPECT_FALSE(Button("bbAddSinonim")->isEnabled());
    Type(QStringLiteral("kr155"));
    EXPECT_TRUE(Button("bbAddSinonim")->isEnabled());
}

// A prefix list loaded leaves the marks off until the next recomputation, and deselect-all takes away from
// the marks shown; on a large list the whole click is quick.
TEST_F(PrefixPanelTest, DeselectAllAfterALoadOfThePrefixList) {
    BookWithNames({QStringLiteral("155"), QStringLiteral("hd155"), QStringLiteral("KR155"),
                   QStringLiteral("SN155"), QStringLiteral("SN155"), QStringLiteral("kr155"),
                   QStringLiteral("X")});
    Type(QStringLiteral("155"));
    LoadPrefixes("HD\r\nSN\r\nSN\r\nKR\r\nkr\r\nZZ\r\n");
    EXPECT_EQ(Marks(), "000000");
    Tool("sbDelAll")->click();
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155", "hd155", "X"}));
    EXPECT_EQ(Marks(), "100000");
    EXPECT_EQ(SelectedRow(lbNames()), -1);
    // The add button follows the names that are left.
    Type(QStringLiteral("Hd155"));
    EXPECT_FALSE(Button("bbAddSinonim")->isEnabled());
    Type(QStringLiteral("kr155"));
    EXPECT_TRUE(Button("bbAddSinonim")->isEnabled());

    // 2 000 prefixes with their names: the click, the list shown anew with it, takes a fraction of a
    // second; the bound leaves room for sanitizer builds and Wine.
    std::string many;
    for (int i = 0; i < 2000; ++i) {
        many += "P" + std::to_string(1000 + i) + "\r\n";
    }
    LoadPrefixes(many);
    Type(QStringLiteral("155"));
    Tool("sbAddAll")->click();
    ASSERT_EQ(window->Book().Sprav().CurrentFile->Sinonims.size(), 2003u);
    QElapsedTimer timer;
    timer.start();
    Tool("sbDelAll")->click();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155", "hd155", "X"}));
    EXPECT_EQ(Marks(), std::string(2000, '0'));
}

// Each refusal the pass gives back is a box of its own, in the order given; the marks then show what is
// listed.
TEST_F(PrefixPanelTest, EachRefusalOfAPassIsABox) {
    const auto refused = [](const QString& text, int names) {
        return text + QStringLiteral("\n\nНе добавлено названий: %1.").arg(names);
    };
    LoadPrefixes("P0\r\nP1\r\nP2\r\n");
    Type(QStringLiteral("155"));
    Tool("sbAddAll")->click();  // no test file in the book
    desktop->TakeInformation(refused(kEmptyBook, 3));
    EXPECT_EQ(desktop->UntakenCount(), 0);
    EXPECT_EQ(Marks(), "000");

    AddFiles({MakeFile(QStringLiteral("t1.qor"))});
    LoadPrefixes(" \r\n" + std::string(3, 'K') + "\r\nA|\r\nK\r\n" + std::string(3, 'K') + "\r\n");
    eName()->setText(QString(996, QLatin1Char('N')));  // "K" and 996 fit a line of the book, "KKK" do not
    Tool("sbAddAll")->click();
    desktop->TakeInformation(refused(kUnstorableName, 2));
    desktop->TakeInformation(refused(
        QStringLiteral("Название микросхемы вместе с путём к файлу описания длиннее 999 символов: такую "
                       "строку справочник не сохранит."),
        2));
    EXPECT_EQ(desktop->UntakenCount(), 0);
    EXPECT_EQ(Marks(), "00010");
}

TEST_F(PrefixPanelTest, SaveAndLoadKeepTheEntriesExactlyAndNeverTouchTheBook) {
    AddFiles({MakeFile(QStringLiteral("t1.qor"))});
    window->Book().SetModified(false);
    LoadPrefixes(Cp("КР") + "\nSN\r\r\n HD \r\n" + Cp("КР") + "\r\n\x98Z");
    EXPECT_EQ(Rows(clbPref()).mid(0, 5), (QStringList{"КР", "SN", "", " HD ", "КР"}));
    EXPECT_EQ(window->PrefixPanel().Entries(),
              (std::vector<std::string>{Cp("КР"), "SN", "", " HD ", Cp("КР"), "\x98Z"}));
    EXPECT_EQ(Marks(), "000000");

    const QString saved = PathOf(QStringLiteral("saved"));
    desktop->QueueSaveFile(saved + QStringLiteral(".prf"));
    Tool("bbSavePreff")->click();
    const DesktopCall dialog = desktop->Take();
    EXPECT_EQ(dialog.kind, DesktopCall::Kind::SaveFile);
    EXPECT_EQ(dialog.options.Filter, QStringLiteral("Преффиксы|*.prf"));
    EXPECT_EQ(dialog.options.DefaultExtension, QStringLiteral("prf"));
    EXPECT_FALSE(dialog.options.OverwritePrompt);
    EXPECT_TRUE(dialog.options.InitialDir.isEmpty());
    EXPECT_TRUE(dialog.options.FileName.isEmpty());
    EXPECT_EQ(ReadBytes(saved + QStringLiteral(".prf")),
              Cp("КР") + "\r\nSN\r\n\r\n HD \r\n" + Cp("КР") + "\r\n\x98Z\r\n");
    EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("saved.prf")));

    Tool("bbClearPref")->click();
    EXPECT_EQ(clbPref()->count(), 0);
    EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("saved.prf")));

    desktop->QueueOpenFile(saved + QStringLiteral(".prf"));
    Tool("bbLoadPreff")->click();
    const DesktopCall load = desktop->Take();
    EXPECT_EQ(load.options.Filter, QStringLiteral("Префиксы|*.prf"));
    EXPECT_TRUE(load.options.DefaultExtension.isEmpty());
    EXPECT_FALSE(load.options.MustExist);
    EXPECT_EQ(load.options.InitialDir, QDir::toNativeSeparators(folder.path()));  // after Clear too
    EXPECT_EQ(window->PrefixPanel().Entries(),
              (std::vector<std::string>{Cp("КР"), "SN", "", " HD ", Cp("КР"), "\x98Z"}));

    // An empty list is an empty file, and loading it empties the list.
    Tool("bbClearPref")->click();
    desktop->QueueSaveFile(PathOf(QStringLiteral("empty.prf")));
    Find<QMenu>("pmPref")->findChild<QAction*>("N6")->trigger();
    desktop->Take();
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("empty.prf"))), "");
    LoadPrefixes("KR");
    EXPECT_EQ(Rows(clbPref()), QStringList{"KR"});
    desktop->QueueOpenFile(PathOf(QStringLiteral("empty.prf")));
    Find<QMenu>("pmPref")->findChild<QAction*>("N8")->trigger();
    desktop->Take();
    EXPECT_EQ(clbPref()->count(), 0);

    // Cancelled dialogs change nothing.
    LoadPrefixes("KR\r\n", QStringLiteral("kr.prf"));
    desktop->QueueSaveFile(std::nullopt);
    Tool("bbSavePreff")->click();
    desktop->QueueOpenFile(std::nullopt);
    Tool("bbLoadPreff")->click();
    desktop->Take();
    desktop->Take();
    EXPECT_EQ(Rows(clbPref()), QStringList{"KR"});
    EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("kr.prf")));

    // None of it marks the book modified: closing asks nothing, and the prefix file is remembered.
    EXPECT_FALSE(window->Modified());
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FilePreff"), Stored(QStringLiteral("kr.prf")));
    Stop();
    Start();
    EXPECT_EQ(Rows(clbPref()), QStringList{"KR"});
}

TEST_F(PrefixPanelTest, FilesThatCannotBeListsAreRefusedBeforeTheyAreOpened) {
    LoadPrefixes("KR\r\n", QStringLiteral("kr.prf"));
    QDir(folder.path()).mkdir(QStringLiteral("dir.prf"));
#ifdef _WIN32
    GTEST_SKIP() << "a FIFO is POSIX: the Windows file system has no named pipes";
#else
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf(QStringLiteral("pipe.prf"))).constData(), 0600), 0);
#endif
    MakeFile(QStringLiteral("big.prf"));
    std::filesystem::resize_file(QFile::encodeName(PathOf(QStringLiteral("big.prf"))).toStdString(),
                                 16 * 1024 * 1024 + 1);
    const struct {
        const char* name;
        QString reason;
    } cases[] = {
        {"dir.prf", QStringLiteral("Это не обычный файл, а папка, канал или устройство.")},
        {"pipe.prf", QStringLiteral("Это не обычный файл, а папка, канал или устройство.")},
        {"big.prf", QStringLiteral("Файл больше 16 МБ: это не список префиксов.")},
        {"gone.prf", QStringLiteral("Файл не найден.")},
    };
    for (const auto& c : cases) {
        const QString path = PathOf(QLatin1String(c.name));
        desktop->QueueOpenFile(path);
        Tool("bbLoadPreff")->click();
        desktop->Take();
        desktop->TakeErrorReport(QStringLiteral("Невозможно открыть файл ") + path + QLatin1Char('\n') +
                                 c.reason);
        EXPECT_EQ(Rows(clbPref()), QStringList{"KR"}) << c.name;
    }
    // The dialog was confirmed: a missing file still becomes the list in use, what is no list never does.
    EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("gone.prf")));
    LoadPrefixes("KR\r\n", QStringLiteral("kr.prf"));
    for (const char* name : {"dir.prf", "pipe.prf", "big.prf"}) {
        desktop->QueueOpenFile(PathOf(QLatin1String(name)));
        Tool("bbLoadPreff")->click();
        desktop->Take();
        desktop->Take();
        EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("kr.prf"))) << name;
    }

    // Saving over a folder or into a missing one: the reason is named, nothing is written.
    const struct {
        QString path;
        QString reason;
    } failures[] = {
        {PathOf(QStringLiteral("dir.prf")), QStringLiteral("По этому пути находится папка.")},
        {PathOf(QStringLiteral("none/x.prf")), QStringLiteral("Папка не существует.")},
    };
    for (const auto& f : failures) {
        desktop->QueueSaveFile(f.path);
        Tool("bbSavePreff")->click();
        desktop->Take();
        desktop->TakeErrorReport(QStringLiteral("Не удалось сохранить файл ") + f.path + QLatin1Char('\n') +
                                 f.reason);
    }
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("dir.prf"))).isDir());

    // At start-up such a remembered file is skipped silently, and a pipe does not hold the window up.
    for (const char* name : {"pipe.prf", "big.prf", "dir.prf"}) {
        SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QLatin1String(name)));
        Stop();
        Start();
        EXPECT_EQ(clbPref()->count(), 0) << name;
    }
}

// Random bytes, a text of long lines, a file of many lines: one box that says why, the list as it was, and
// the list in use still the last real one, so that the next start loads that.
TEST_F(PrefixPanelTest, FilesThatAreNoPrefixListsAreRefusedWholeAndNotRemembered) {
    std::mt19937 random(7);
    std::string noise(3 * 1024, '\0');
    for (char& byte : noise) {
        byte = static_cast<char>(random() & 0xFF);
    }
    std::string manyLines;
    for (int i = 0; i < 5001; ++i) {
        manyLines += "KR\r\n";
    }
    const struct {
        const char* name;
        std::string content;
        QString reason;
    } cases[] = {
        {"noise.prf", noise, QStringLiteral("В файле есть управляющие символы: это не список префиксов.")},
        {"tab.prf", "KR\r\nK\tR\r\n",
         QStringLiteral("В файле есть управляющие символы: это не список префиксов.")},
        {"long.prf", "KR\r\n" + std::string(1000, 'K'),
         QStringLiteral("В файле есть строка длиннее 999 символов: это не список префиксов.")},
        {"many.prf", manyLines, QStringLiteral("В файле больше 5000 строк: это не список префиксов.")},
        {"feeds.prf", std::string(5001, '\n'),
         QStringLiteral("В файле больше 5000 строк: это не список префиксов.")},
    };
    LoadPrefixes("KR\r\nSN\r\n", QStringLiteral("kr.prf"));
    for (const auto& c : cases) {
        const QString path = MakeFile(QLatin1String(c.name), c.content);
        desktop->QueueOpenFile(path);
        Tool("bbLoadPreff")->click();
        desktop->Take();
        desktop->TakeErrorReport(QStringLiteral("Невозможно открыть файл ") + path + QLatin1Char('\n') +
                                 c.reason);
        EXPECT_EQ(desktop->UntakenCount(), 0) << c.name;
        EXPECT_EQ(Rows(clbPref()), (QStringList{"KR", "SN"})) << c.name;
        EXPECT_EQ(window->PrefFileName(), Stored(QStringLiteral("kr.prf"))) << c.name;
    }
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(Setting("Software\\QOR_Sprav", "FilePreff"), Stored(QStringLiteral("kr.prf")));

    // Remembered from before: skipped silently at start-up, as a missing file is.
    for (const char* name : {"noise.prf", "long.prf", "feeds.prf"}) {
        SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QLatin1String(name)));
        Stop();
        Start();
        EXPECT_EQ(clbPref()->count(), 0) << name;
        EXPECT_EQ(window->PrefFileName(), Stored(QLatin1String(name)));
    }
}

TEST_F(PrefixPanelTest, TheAddDialogAppendsTheTextAsTyped) {
    LoadPrefixes("KR\r\n");
    // OK with a text of blanks around the prefix: appended as typed, after the others, mark off.
    WhenModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Добавление преффикса"));
        EXPECT_FALSE(modal->findChild<QWidget*>("pRusLat")->isVisible());
        EXPECT_EQ(modal->findChild<QLabel*>("Label1")->text(), QStringLiteral("Название преффикса"));
        auto* edit = modal->findChild<QLineEdit*>("edNamePreff");
        EXPECT_EQ(modal->focusWidget(), edit);
        TypeText(edit, QStringLiteral(" КР "));
        QTest::keyClick(edit, Qt::Key_Return);  // OK is the default button
    });
    Find<QMenu>("pmPref")->findChild<QAction*>("N3")->trigger();
    EXPECT_EQ(window->PrefixPanel().Entries(), (std::vector<std::string>{"KR", Cp(" КР ")}));
    EXPECT_EQ(Marks(), "00");

    // Leaving the field empty is answered at once and the focus comes back; leaving it for Cancel is not.
    WhenModal([this](QWidget* modal) {
        modal->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        auto* edit = modal->findChild<QLineEdit*>("edNamePreff");
        QTest::keyClick(edit, Qt::Key_Tab);
        desktop->TakeInformation(QStringLiteral("Введите название Префикса"));
        EXPECT_TRUE(edit->hasFocus());
        QTest::mouseClick(modal->findChild<QPushButton*>("bbCancel"), Qt::LeftButton);
        EXPECT_EQ(desktop->UntakenCount(), 0);
    });
    Find<QMenu>("pmPref")->findChild<QAction*>("N3")->trigger();
    EXPECT_EQ(clbPref()->count(), 2);

    // A character Windows-1251 has no byte for is refused and the dialog stays open; Esc then ends it.
    WhenModal([this](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>("edNamePreff");
        TypeText(edit, QStringLiteral("K✓"));
        modal->findChild<QPushButton*>("bbOk")->click();
        desktop->TakeInformation(QStringLiteral(
            "Название префикса содержит символы, которые нельзя сохранить в файле префиксов."));
        EXPECT_TRUE(modal->isVisible());
        QTest::keyClick(edit, Qt::Key_Escape);
        EXPECT_FALSE(modal->isVisible());
    });
    Find<QMenu>("pmPref")->findChild<QAction*>("N3")->trigger();
    EXPECT_EQ(clbPref()->count(), 2);
    EXPECT_FALSE(window->Modified());

    // What the prefix reader would refuse is refused here: a tab, a prefix over 999 characters.
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("K\tR"), document::ControlCharacterRefusal()},
        {QString(1000, QLatin1Char('K')),
         QStringLiteral("Префикс длиннее 999 символов: файл префиксов с ним не загрузится.")},
    };
    for (const auto& [text, refusal] : refused) {
        WhenModal([this, text, refusal](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>("edNamePreff");
            edit->setText(text);
            modal->findChild<QPushButton*>("bbOk")->click();
            desktop->TakeInformation(refusal);
            EXPECT_TRUE(modal->isVisible());
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        Find<QMenu>("pmPref")->findChild<QAction*>("N3")->trigger();
        EXPECT_EQ(clbPref()->count(), 2);
    }

    // A full list takes no more: its file would not load again.
    std::string full;
    for (std::size_t i = 0; i < prefix_file::kMaxEntries; ++i) {
        full += "P" + std::to_string(i) + "\r\n";
    }
    LoadPrefixes(full);
    Find<QMenu>("pmPref")->findChild<QAction*>("N3")->trigger();
    desktop->TakeInformation(
        QStringLiteral("В списке уже 5000 префиксов: с ещё одним файл префиксов не загрузится."));
    EXPECT_EQ(static_cast<std::size_t>(clbPref()->count()), prefix_file::kMaxEntries);
}

TEST_F(PrefixPanelTest, ThePanelOpensWithTheCurrentAnalogAndClosesToTheNamesWidth) {
    LoadPrefixes("KR\r\nSN\r\n");
    BookWithNames({QStringLiteral("155"), QStringLiteral("KR155")});
    window->resize(1000, 600);
    QApplication::processEvents();
    auto* paPref = Find<QWidget>("paPref");
    auto* bbRight = Tool("bbRight");
    EXPECT_FALSE(paPref->isVisible());

    window->Book().SetCurrentName(0);
    Type(QStringLiteral("zzz"));
    bbRight->click();
    EXPECT_TRUE(paPref->isVisible());
    EXPECT_FALSE(bbRight->isVisible());
    EXPECT_EQ(eName()->text(), QStringLiteral("155"));  // the current analog is selected again
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    EXPECT_EQ(Marks(), "10");
    EXPECT_FALSE(clbPref()->isEnabled());  // the name is listed
    // The popup, the only way to add a prefix, still opens on the disabled list.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 clbPref()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(clbPref()->viewport(), &rightClick);
    EXPECT_TRUE(Find<QMenu>("pmPref")->isVisible());
    Find<QMenu>("pmPref")->close();
    QApplication::processEvents();
    EXPECT_GE(paPref->width(), 150);
    EXPECT_GE(Find<QWidget>("Panel5")->width(), 250);

    const auto hideBy = [&](const std::function<void()>& command) {
        bbRight->click();
        command();
        QApplication::processEvents();
        EXPECT_FALSE(paPref->isVisible());
        EXPECT_TRUE(bbRight->isVisible());
        EXPECT_EQ(Find<QSplitter>("Splitter2")->sizes().value(1), 250);
    };
    hideBy([&] { Tool("bbLeft")->click(); });
    hideBy([&] { Tool("bbLeft2")->click(); });
    hideBy([&] { Find<QMenu>("pmPref")->findChild<QAction*>("N7")->trigger(); });

    QStringList menu;
    for (const QAction* item : Find<QMenu>("pmPref")->actions()) {
        menu.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    EXPECT_EQ(menu, (QStringList{"Скрыть панель", "-", "Добавить преффикс", "-", "Сохранить", "Загрузить",
                                 "Очистить список"}));
    Find<QAction>("acAddGrup")->trigger();  // does nothing
    EXPECT_EQ(Rows(lbNames()), (QStringList{"155", "KR155"}));
    EXPECT_FALSE(window->Modified());
}

TEST_F(PrefixPanelTest, ThePopupOpensFromTheKeyboardAndItsHintsReachTheStatusBar) {
    LoadPrefixes("KR\r\nSN\r\n");
    BookWithNames({QStringLiteral("155")});
    window->resize(780, 560);
    Tool("bbRight")->click();
    Type(QStringLiteral("7400"));  // not listed: the list takes marks and the focus
    QApplication::processEvents();
    auto* pmPref = Find<QMenu>("pmPref");
    QStatusBar* status = window->statusBar();

    // The menu key opens it below the current prefix, its first item active and hinted in the status bar.
    clbPref()->setFocus();
    clbPref()->setCurrentRow(1);
    QTest::keyClick(clbPref(), Qt::Key_Menu);
    ASSERT_TRUE(pmPref->isVisible());
    const QRect current = clbPref()->visualItemRect(clbPref()->item(1));
    // Just below the row, moved left as far as the screen's edge asks.
    const QPoint below = clbPref()->viewport()->mapToGlobal(current.bottomLeft());
    EXPECT_EQ(pmPref->y(), below.y());
    EXPECT_LE(pmPref->x(), below.x());
    EXPECT_GE(pmPref->geometry().right(), below.x());
    EXPECT_EQ(pmPref->activeAction(), pmPref->findChild<QAction*>("N7"));
    EXPECT_EQ(status->currentMessage(), QStringLiteral("Скрыть панель"));
    // The arrows walk the items past the separators; each long hint shows in the window's status bar.
    QTest::keyClick(pmPref, Qt::Key_Down);
    QTest::keyClick(pmPref, Qt::Key_Down);
    EXPECT_EQ(pmPref->activeAction(), pmPref->findChild<QAction*>("N6"));
    EXPECT_EQ(status->currentMessage(), QStringLiteral("Сохранить список преффиксов"));
    QTest::keyClick(pmPref, Qt::Key_Escape);
    EXPECT_FALSE(pmPref->isVisible());
    EXPECT_TRUE(status->currentMessage().isEmpty());

    // Shift+F10 opens it too, and Enter on an item runs it: a prefix is added without the mouse.
    WhenModal([](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>("edNamePreff");
        TypeText(edit, QStringLiteral("ZN"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::keyClick(clbPref(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(pmPref->isVisible());
    QTest::keyClick(pmPref, Qt::Key_Down);
    QTest::keyClick(pmPref, Qt::Key_Return);
    EXPECT_EQ(window->PrefixPanel().Entries(), (std::vector<std::string>{"KR", "SN", "ZN"}));

    // While a listed name is typed the list takes no focus; the keys work from the panel's buttons then.
    Type(QStringLiteral("155"));
    ASSERT_FALSE(clbPref()->isEnabled());
    Tool("bbLoadPreff")->setFocus();
    QTest::keyClick(Tool("bbLoadPreff"), Qt::Key_Menu);
    EXPECT_TRUE(pmPref->isVisible());
    QTest::keyClick(pmPref, Qt::Key_Escape);
    EXPECT_FALSE(window->Modified());
}

}  // namespace
}  // namespace gui_test

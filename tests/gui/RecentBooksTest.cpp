// The "Файл" menu's list of books opened or saved last, through the real main window and its settings.
#include <QDir>
#include <QFile>
#include <QMenu>

#include <algorithm>

#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const char* const kSpravKey = "Software\\QOR_Sprav";
const QString kSaveQuestion = QStringLiteral("Сохранить изменение в файле?");
const QString kDropped = QStringLiteral("\nСправочник убран из списка последних.");

class RecentBooksTest : public MainWindowTest {
protected:
    // The list's items in the menu, top down.
    QList<QAction*> Items() const {
        QList<QAction*> items;
        for (QAction* action : Find<QMenu>("mnFile")->actions()) {
            if (action->objectName().startsWith(QLatin1String("acRecent")) && action->isVisible()) {
                items.append(action);
            }
        }
        return items;
    }
    QStringList Texts() const {
        QStringList texts;
        for (const QAction* item : Items()) {
            texts.append(item->text());
        }
        return texts;
    }
    // The texts a list of these books shows, newest first.
    static QStringList Listed(const QStringList& books) {
        QStringList texts;
        for (const QString& book : books) {
            texts.append(QStringLiteral("&%1 %2").arg(texts.size() + 1).arg(book));
        }
        return texts;
    }
    QString Book(const QString& name) { return MakeFile(name, " 0 /" + name.toStdString() + ".qor\r\n"); }
    void Open(const QString& path) {
        desktop->QueueOpenFile(path);
        window->FileOpen1Execute();
        desktop->Take();
    }
    // A new window on the same settings, as the next run of the editor.
    void Restart(const QString& commandLineBook = {}) {
        ASSERT_TRUE(CloseWindow());
        Stop();
        Start(commandLineBook);
    }
};

TEST_F(RecentBooksTest, ListIsKeptBetweenRunsNewestFirst) {
    SetDirectories("/T");
    Start();
    const auto separators = [this] {
        const QList<QAction*> actions = Find<QMenu>("mnFile")->actions();
        return std::count_if(actions.begin(), actions.end(),
                             [](const QAction* a) { return a->isSeparator() && a->isVisible(); });
    };
    const auto empty = separators();  // the list's part of the menu is hidden while it is empty
    const QString a = Book(QStringLiteral("a.spr"));
    const QString b = Book(QStringLiteral("b.spr"));
    Open(a);
    Open(b);
    EXPECT_EQ(separators(), empty + 1);

    Restart();
    EXPECT_EQ(Setting(kSpravKey, "Recent1"), Stored(QStringLiteral("b.spr")));
    EXPECT_EQ(Setting(kSpravKey, "Recent2"), Stored(QStringLiteral("a.spr")));
    EXPECT_EQ(Texts(), Listed({b, a}));
    const QString c = Book(QStringLiteral("c.spr"));
    Restart(c);  // a book given on the command line is opened too
    EXPECT_EQ(Texts(), Listed({c, b, a}));
}

// The remembered book counts as opened, also when the list lacks it; a hand-edited list loses gaps and
// repeats.
TEST_F(RecentBooksTest, StoredListIsReadWithoutGapsOrRepeatsUnderTheRememberedBook) {
    const QString a = Book(QStringLiteral("a.spr"));
    const QString r = Book(QStringLiteral("r.spr"));
    SetDirectories("/T");
    SetSetting(kSpravKey, "FileName", Stored(QStringLiteral("r.spr")));
    SetSetting(kSpravKey, "Recent1", Stored(QStringLiteral("a.spr")));
    SetSetting(kSpravKey, "Recent3", Stored(QStringLiteral("a.spr")));
    Start();
    EXPECT_EQ(Texts(), Listed({r, a}));
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(Setting(kSpravKey, "Recent3"), "");
}

TEST_F(RecentBooksTest, OpenedAndSavedBooksMoveToTheTopOfEightAtMost) {
    SetDirectories("/T");
    Start();
    QStringList books;  // newest first
    for (int i = 1; i <= 9; ++i) {
        books.prepend(Book(QStringLiteral("b%1.spr").arg(i)));
        Open(books.front());
    }
    EXPECT_EQ(Texts(), Listed(books.mid(0, 8)));
    Open(books[4]);
    books.move(4, 0);
    desktop->QueueSaveFile(PathOf(QStringLiteral("c.spr")));
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    books.prepend(PathOf(QStringLiteral("c.spr")));
    EXPECT_EQ(Texts(), Listed(books.mid(0, 8)));

    // A book that cannot be read joins no list; one gone leaves it, and no book that fell off comes back.
    Open(MakeFile(QStringLiteral("notes.spr"), "hello\r\n"));
    desktop->Take();  // "Невозможно открыть файл."
    ASSERT_TRUE(QFile::remove(books[1]));
    Items()[1]->trigger();
    desktop->Take();
    books.removeAt(1);
    EXPECT_EQ(Texts(), Listed(books.mid(0, 7)));
}

TEST_F(RecentBooksTest, ChoosingABookAsksAboutUnsavedChangesAsOpenDoes) {
    SetDirectories("/T");
    Start();
    const QString a = Book(QStringLiteral("a.spr"));
    Open(a);
    Open(Book(QStringLiteral("b.spr")));
    AddName(QStringLiteral("K1"));

    desktop->QueueMessageBoxAnswer(MessageAnswer::Cancel);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    for (const char* expected : {"b.spr", "a.spr"}) {
        Items()[1]->trigger();
        desktop->TakeMessageBox(kSaveQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNoCancel);
        EXPECT_EQ(window->SpravFileName(), Stored(QString::fromLatin1(expected)));
    }
    EXPECT_EQ(Rows(lbFiles()), QStringList{QStringLiteral("/a.spr.qor")});
    EXPECT_EQ(window->windowTitle(), BookCaption(a));
    EXPECT_FALSE(window->Modified());
    EXPECT_EQ(Texts().front(), QStringLiteral("&1 ") + a);
}

// A book that is gone is said with no question about the open one, which stays; the list loses it at once
// and the settings, which held it, at close.
TEST_F(RecentBooksTest, BookThatIsGoneIsSaidAndDropped) {
    SetDirectories("/T");
    Start();
    const QString a = Book(QStringLiteral("a.spr"));
    const QString b = Book(QStringLiteral("b.spr"));
    const QString c = Book(QStringLiteral("c.spr"));
    for (const QString& book : {a, b, c}) {
        Open(book);
    }
    Restart();
    AddName(QStringLiteral("K1"));

    ASSERT_TRUE(QFile::remove(b));
    Items()[1]->trigger();
    desktop->TakeInformation(QStringLiteral("Файл не найден: ") + b + kDropped);
    ASSERT_TRUE(QFile::remove(a) && QDir().mkdir(a));  // there, but no book
    Items()[1]->trigger();
    desktop->TakeInformation(QStringLiteral("Невозможно открыть файл.\n") + a +
                             QStringLiteral(": Это не обычный файл: папка, канал или устройство.") +
                             kDropped);
    EXPECT_EQ(Texts(), Listed({c}));
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K1")});

    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    ASSERT_TRUE(CloseWindow());
    desktop->Take();
    EXPECT_EQ(Setting(kSpravKey, "Recent1"), Stored(QStringLiteral("c.spr")));
    EXPECT_EQ(Setting(kSpravKey, "Recent2") + Setting(kSpravKey, "Recent3"), "");
}

TEST_F(RecentBooksTest, AmpersandInAPathShowsAsItselfAndOpensThatBook) {
    SetDirectories("/T");
    Start();
    const QString book = Book(QStringLiteral("R&D.spr"));
    Open(book);
    Open(Book(QStringLiteral("other.spr")));
    QAction* item = Items()[1];
    EXPECT_EQ(item->iconText(), QStringLiteral("2 ") + book);  // as the menu shows it, the accelerator taken
    item->trigger();
    EXPECT_EQ(window->SpravFileName(), Stored(QStringLiteral("R&D.spr")));
}

}  // namespace
}  // namespace gui_test

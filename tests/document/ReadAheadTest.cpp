// The book read while the window is built: taken by the first load of that very file against the very
// directories it was read with, and by nothing else.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "document/BookReadAhead.h"
#include "platform/Settings.h"
#include "tests/document/DocumentFixture.h"

namespace document_test {
namespace {

TEST_F(DocumentTest, AReadAheadIsTakenOnlyForItsFileAndDirectories) {
    WriteBytes(folder / "book.spr", " 0 <Tests>:\\a.qor\r\nK1|\r\n");
    const ServiceDirectories dirs{"/T", "/D"};
    const std::vector<std::pair<std::string, ServiceDirectories>> others = {
        {Path("other.spr"), dirs}, {Path("book.spr"), {"/X", "/D"}}, {Path("book.spr"), {"/T", "/X"}}};
    for (const auto& [path, asked] : others) {
        TBookReadAhead ahead(Path("book.spr"), dirs);
        EXPECT_FALSE(ahead.Take(path, asked)) << path << " " << asked.Tests << " " << asked.Desc;
        EXPECT_FALSE(ahead.Take(Path("book.spr"), dirs)) << "what was read is dropped";
    }
    TBookReadAhead ahead(Path("book.spr"), dirs);
    const std::optional<TBookRead> read = ahead.Take(Path("book.spr"), dirs);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->Result.Ok());
    EXPECT_EQ(read->Bytes, " 0 <Tests>:\\a.qor\r\nK1|\r\n");
    ASSERT_EQ(read->Book->Files.size(), 1u);
    EXPECT_EQ(read->Book->Files[0]->Path.rfind("/T", 0), 0u) << "read against the tests directory";
    EXPECT_FALSE(ahead.Take(Path("book.spr"), dirs)) << "a read is taken once";
    EXPECT_FALSE(TBookReadAhead().Take(Path("book.spr"), dirs));
}

// The book loaded from what was read ahead is the book a load reads itself: the same entries, the same
// stamp for the check before a save, the same word about an entry no save could write back, the same
// failure for a file that is no book.
TEST_F(DocumentTest, ABookLoadedFromAReadAheadIsTheBookALoadReads) {
    const std::string longName(999, 'N');
    const std::vector<std::string> files = {" 0 C:\\T\\a.qor\r\nK1|\r\nK2|C:\\D\\k2.pdf\r\n",
                                            " 0 /a.qor\r\n" + longName + "\r\n", "first line\r\n"};
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 20));
        WriteBytes(folder / "book.spr", bytes);
        book.SetDirectories("C:\\T", "C:\\D");
        const TBookLoad direct = book.Load(Path("book.spr"));
        const std::vector<std::string> entries = Entries(book);

        book.New();
        book.OfferRead(TBookReadAhead(Path("book.spr"), book.Directories()));
        const TBookLoad ahead = book.Load(Path("book.spr"));
        EXPECT_EQ(ahead.Ok, direct.Ok);
        EXPECT_EQ(ahead.Failure, direct.Failure);
        EXPECT_EQ(ahead.Notice, direct.Notice);
        EXPECT_EQ(Entries(book), entries);
        EXPECT_FALSE(book.Modified());
        EXPECT_FALSE(book.ChangedByAnother(Path("book.spr")));
    }
}

// What was read is not taken once the file changed since (another program saved it while a question of the
// start waited, say), nor by any load after the first: a book opened later is read as it is then.
TEST_F(DocumentTest, AReadAheadOfAFileChangedSinceOrForAnotherLoadIsNotTaken) {
    WriteBytes(folder / "book.spr", " 0 C:\\T\\a.qor\r\nK1|\r\n");
    book.OfferRead(TBookReadAhead(Path("book.spr"), book.Directories()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // most likely read by now; either way
    WriteBytes(folder / "book.spr", " 0 C:\\T\\a.qor\r\nK1|\r\nK2|\r\n");
    ASSERT_TRUE(book.Load(Path("book.spr")).Ok);
    EXPECT_EQ(Entries(book), (std::vector<std::string>{"file C:\\T\\a.qor", "  K1|", "  K2|"}));
    EXPECT_FALSE(book.ChangedByAnother(Path("book.spr")));

    WriteBytes(folder / "other.spr", " 0 C:\\T\\b.qor\r\n");
    book.OfferRead(TBookReadAhead(Path("book.spr"), book.Directories()));
    ASSERT_TRUE(book.Load(Path("other.spr")).Ok);
    WriteBytes(folder / "book.spr", " 0 C:\\T\\a.qor\r\nK3|\r\n");
    ASSERT_TRUE(book.Load(Path("book.spr")).Ok);
    EXPECT_EQ(Entries(book), (std::vector<std::string>{"file C:\\T\\a.qor", "  K3|"}));
}

// At a start the book is the one named on the command line, else the one the settings remember, read
// against the directories of the settings; the settings are only read.
TEST_F(DocumentTest, AStartReadsAheadTheBookTheWindowWillOpen) {
#ifdef _WIN32
    // The store is the registry of the test prefix: the test starts with none of the editor's keys.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Sprav");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Main");
#endif
    qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(QString::fromStdString(Path("settings.ini"))));
    const auto set = [](const char* key, const char* name, const std::string& value) {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey(key, true));
        registry.WriteString(name, value);
        ASSERT_TRUE(registry.CloseKey());
    };
    const auto hasKey = [](const char* key) { return platform::Registry().OpenKey(key, false); };
    TBookReadAhead::ForStart(QString());  // no book remembered
    EXPECT_FALSE(hasKey("Software\\QOR_Sprav")) << "no key is created";
    EXPECT_FALSE(hasKey("Software\\QOR_Main"));

    WriteBytes(folder / "book.spr", " 0 C:\\T\\a.qor\r\n");
    WriteBytes(folder / "named.spr", " 0 C:\\T\\b.qor\r\n");
    set("Software\\QOR_Sprav", "FileName", Path("book.spr"));
    set("Software\\QOR_Main", "Dir_Tests", "C:\\T");
    set("Software\\QOR_Main", "Dir_PDF", "C:\\D");
    const ServiceDirectories dirs{"C:\\T", "C:\\D"};
    EXPECT_TRUE(TBookReadAhead::ForStart(QString()).Take(Path("book.spr"), dirs));
    const QString named = QString::fromStdString(Path("named.spr"));
    EXPECT_TRUE(TBookReadAhead::ForStart(named).Take(Path("named.spr"), dirs));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.Path().string()));
    EXPECT_TRUE(TBookReadAhead::ForStart(QStringLiteral("named.spr")).Take(Path("named.spr"), dirs))
        << "a name on the command line is taken from the current folder";
    QDir::setCurrent(cwd);
    EXPECT_FALSE(TBookReadAhead::ForStart(QString::fromStdString(Path("missing.spr")))
                     .Take(Path("missing.spr"), dirs));
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Sprav");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Main");
#endif
    qunsetenv("QOR_SPRAV_SETTINGS");
}

}  // namespace
}  // namespace document_test

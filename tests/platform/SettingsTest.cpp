// The INI store standing in for the registry: a real file in a temporary folder, as the program uses it.
#include "platform/Settings.h"

#include "files/AtomicFile.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        FPath = FDir.filePath(QStringLiteral("sub/HKEY_CURRENT_USER.ini"));
        qputenv("QOR_SPRAV_SETTINGS", FPath.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("QOR_SPRAV_SETTINGS"); }

    QByteArray FileBytes() const {
        QFile file(FPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString FileText() const {
        QFile file(FPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void WriteFile(const QByteArray& content) const {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(FPath).absolutePath()));
        QFile file(FPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static std::string Cp(const char* utf8) { return *platform::ToCp1251(QString::fromUtf8(utf8)); }

    QTemporaryDir FDir;
    QString FPath;
};

TEST_F(SettingsTest, MissingKeyIsNotOpenedWithoutCreateAndReadsEmpty) {
    platform::Registry registry;
    EXPECT_FALSE(registry.OpenKey("Software\\QOR_Sprav", false));
    EXPECT_EQ(registry.ReadString("FileName"), "");
    registry.WriteString("FileName", "x");  // no key open: nothing may reach the file
    registry.CloseKey();
    EXPECT_FALSE(QFile::exists(FPath));
}

TEST_F(SettingsTest, CreatedKeyAppearsAsSectionAndMissingValueReadsEmpty) {
    {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Main", true));
        EXPECT_EQ(registry.ReadString("Dir_Tests"), "");
    }  // the destructor closes the key
    EXPECT_EQ(FileText(), QStringLiteral("[Software\\QOR_Main]\n"));
    platform::Registry again;
    EXPECT_TRUE(again.OpenKey("Software\\QOR_Main", false));
    EXPECT_TRUE(again.OpenKey("software\\qor_main", false)) << "key names ignore case, as in the registry";
}

TEST_F(SettingsTest, ValuesSurviveExactlyThroughTheFile) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"FileName", Cp("C:\\Справочники\\мой.spr")},
        {"Blanks", "  lead and trail  "},
        {"Specials", "a=b;c#d[e]\\f\\\\g"},
        {"Quoted", "\"starts with a quote\""},
        {"Empty", ""},
        {"Tab", "\tx\t"},
        {"Lines", "one\r\ntwo\\x41"},
        {"HighBytes", "\x98\xA0\x88\xFF"},
    };
    {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", true));
        for (const auto& [name, value] : values) {
            registry.WriteString(name, value);
        }
        registry.CloseKey();
    }
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", false));
    for (const auto& [name, value] : values) {
        EXPECT_EQ(registry.ReadString(name), value) << name;
    }
    // A person can read the file: paths as they stand, Cyrillic as UTF-8.
    EXPECT_TRUE(
        FileText().contains(QStringLiteral("[Software\\QOR_Sprav]\nFileName=C:\\Справочники\\мой.spr\n")))
        << FileText().toStdString();
    EXPECT_TRUE(FileText().contains(QStringLiteral("\nSpecials=a=b;c#d[e]\\f\\\\g\n")));
}

TEST_F(SettingsTest, WritingKeepsWhatOthersWroteAndReplacesOnlyOurValue) {
    WriteFile(
        "; written by the main program\n"
        "[Software\\QOR_Main]\n"
        "Dir_QOR=D:\\QOR\n"
        "Dir_Tests=D:\\Old\n"
        "Unknown=kept\n"
        "\n"
        "[Other\\Key]\n"
        "X=1\n");
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\QOR_Main", false));
    EXPECT_EQ(registry.ReadString("Dir_QOR"), "D:\\QOR");
    EXPECT_EQ(registry.ReadString("dir_qor"), "D:\\QOR") << "value names ignore case, as in the registry";
    registry.WriteString("Dir_Tests", "E:\\New");
    registry.WriteString("Dir_PDF", "E:\\Pdf");
    // Another program writes between our open and our close; its change must survive ours.
    WriteFile(
        "; written by the main program\n"
        "[Software\\QOR_Main]\n"
        "Dir_QOR=D:\\QOR2\n"
        "Dir_Tests=D:\\Old\n"
        "Unknown=kept\n"
        "\n"
        "[Other\\Key]\n"
        "X=1\n");
    registry.CloseKey();
    EXPECT_EQ(FileText(), QStringLiteral("; written by the main program\n"
                                         "[Software\\QOR_Main]\n"
                                         "Dir_QOR=D:\\QOR2\n"
                                         "Dir_Tests=E:\\New\n"
                                         "Unknown=kept\n"
                                         "Dir_PDF=E:\\Pdf\n"
                                         "\n"
                                         "[Other\\Key]\n"
                                         "X=1\n"));
}

TEST_F(SettingsTest, ReadingOnlyNeverRewritesTheFile) {
    const QByteArray original = "[Software\\QOR_Sprav]\r\nFileName = spaced\r\n";
    WriteFile(original);
    {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", true));
        EXPECT_EQ(registry.ReadString("FileName "), " spaced") << "nothing is trimmed";
    }
    QFile file(FPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
}

TEST_F(SettingsTest, ParentKeyOfAnExistingKeyExists) {
    WriteFile("[Software\\QOR_Sprav\\Recent]\nA=1\n");
    platform::Registry registry;
    EXPECT_TRUE(registry.OpenKey("Software\\QOR_Sprav", false));
    EXPECT_FALSE(registry.OpenKey("Software\\QOR", false));
}

// A line that ends in a CR of its own (a file edited on Windows and then elsewhere) keeps it, and the file
// does not change with each save of the same values.
TEST_F(SettingsTest, RepeatedSavesOfTheSameValuesGiveTheSameFile) {
    WriteFile("; note\r\r\n[Other\\Key]\r\nX=1\r\r\r\n");
    QByteArray after[2];
    for (QByteArray& text : after) {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", true));
        registry.WriteString("FileName", "C:\\a.spr");
        ASSERT_TRUE(registry.CloseKey());
        QFile file(FPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        text = file.readAll();
    }
    EXPECT_EQ(after[0], after[1]);
    EXPECT_EQ(after[0],
              "; note\r\r\n[Other\\Key]\r\nX=1\r\r\r\n\r\n[Software\\QOR_Sprav]\r\nFileName=C:\\a.spr\r\n");
}

// A settings save that fails at any step keeps the old file whole, leaves no temporary file, and
// CloseKey tells the caller, which reports it: a full disk must not cut off the sections of others.
TEST_F(SettingsTest, FailedSaveKeepsTheOldFileAndIsReported) {
    using atomic_file::FaultStep;
    const auto noSpace = std::make_error_code(std::errc::no_space_on_device);
    const auto io = std::make_error_code(std::errc::io_error);
    const struct {
        const char* what;
        atomic_file::Fault fault;
    } cases[] = {
        {"disk full half way through", {FaultStep::Write, noSpace, 30}},
        {"I/O error on write", {FaultStep::Write, io, 0}},
        {"I/O error on fsync", {FaultStep::Sync, io, 0}},
        {"rename refused", {FaultStep::Rename, io, 0}},
    };
    QByteArray original = "[Other\\Key]\n";
    for (int i = 0; i < 200; ++i) {
        original += "Value" + QByteArray::number(i) + "=kept\n";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(original);
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", true));
        registry.WriteString("FileName", "C:\\a.spr");
        atomic_file::ArmFault(c.fault);
        EXPECT_FALSE(registry.CloseKey());
        atomic_file::ArmFault(std::nullopt);
        QFile file(FPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), original);
        EXPECT_EQ(QDir(QFileInfo(FPath).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("HKEY_CURRENT_USER.ini")});
    }
}

// The same with a real short write: the process may not grow a file past a few bytes.
TEST_F(SettingsTest, ShortWriteKeepsTheOldFile) {
    QByteArray original = "[Other\\Key]\n";
    for (int i = 0; i < 2000; ++i) {
        original += "Value" + QByteArray::number(i) + "=kept\n";
    }
    WriteFile(original);
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", true));
    registry.WriteString("FileName", "C:\\a.spr");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool stored = registry.CloseKey();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(stored);
    QFile file(FPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    EXPECT_EQ(QDir(QFileInfo(FPath).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("HKEY_CURRENT_USER.ini")});
}

// What the main window does with the store: reads the six values at start, writes them all back at close,
// `fileName` for the book it had open last.
void StartAndClose(const std::string& fileName) {
    const struct {
        const char* key;
        std::vector<const char*> names;
    } keys[] = {{"Software\\QOR_Sprav", {"FileName", "FilePreff", "FileSuff"}},
                {"Software\\QOR_Main", {"Dir_QOR", "Dir_Tests", "Dir_PDF"}}};
    std::vector<std::string> read;
    platform::Registry registry;
    for (const auto& key : keys) {
        ASSERT_TRUE(registry.OpenKey(key.key, false));
        for (const char* name : key.names) {
            read.push_back(registry.ReadString(name));
        }
        registry.CloseKey();
    }
    read[0] = fileName;
    auto value = read.begin();
    for (const auto& key : keys) {
        ASSERT_TRUE(registry.OpenKey(key.key, true));
        for (const char* name : key.names) {
            registry.WriteString(name, *value++);
        }
        ASSERT_TRUE(registry.CloseKey());
    }
}

// The file is shared with the other programs of the family: only the value the editor changed is written
// anew; every other line comes back byte for byte, whatever its bytes, line break or quoting.
TEST_F(SettingsTest, LinesTheEditorDoesNotChangeComeBackByteForByte) {
    const QByteArray others =
        "; shared by the QOR programs\r\n"
        "[Other\\Program]\r\n"
        "Label=Caf\xE9\r\n"
        "Raw=\xFF\xFE\x80 tail \r\r\n"
        "  indented = value  \r\n"
        "\r\n"
        "# a comment\n"
        "[Software\\QOR_Main]\r\n"
        "Dir_QOR=\"\\x-1\"\r\n"
        "Dir_Tests=\"/srv/\\x41\"\r\n"
        "Dir_PDF=\"\\x4\"\r\n"
        "Unknown=\"odd \\q escape\"\r\n"
        "\r\n";
    const QByteArray before = others +
                              "[Software\\QOR_Sprav]\r\n"
                              "FileName=/books/old.spr\r\n"
                              "FilePreff=\xD0\xBF\xD1\x80\xD0\xB5\xD1\x84.prf\r\n"
                              "FileSuff=Caf\xE9\r\n"
                              "Tail=no line break at the end";
    WriteFile(before);
    {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Main", false));
        // Quoted forms the editor never writes are read as they stand; a known one is decoded.
        EXPECT_EQ(registry.ReadString("Dir_QOR"), "\"\\x-1\"");
        EXPECT_EQ(registry.ReadString("Dir_Tests"), "/srv/A");
        EXPECT_EQ(registry.ReadString("Dir_PDF"), "\"\\x4\"");
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", false));
        EXPECT_EQ(registry.ReadString("FilePreff"), Cp("преф.prf"));
        EXPECT_EQ(registry.ReadString("FileSuff"), "") << "not UTF-8: read as missing, never half-converted";
    }
    StartAndClose("/books/new.spr");
    QByteArray expected = before;
    expected.replace("FileName=/books/old.spr", "FileName=/books/new.spr");
    EXPECT_EQ(FileBytes(), expected);

    // Nothing changed: nothing is written at all.
    StartAndClose("/books/new.spr");
    EXPECT_EQ(FileBytes(), expected);
}

// Values the editor adds go with the file's own line breaks; a last line without one gets one first.
TEST_F(SettingsTest, AddedValuesFollowTheFilesLineBreaks) {
    WriteFile("[Software\\QOR_Sprav]\r\nFileName=/a.spr");
    {
        platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", false));
        registry.WriteString("FilePreff", "/p.prf");
        ASSERT_TRUE(registry.OpenKey("Software\\QOR_Main", true));
        registry.WriteString("Dir_Tests", "/t");
    }
    EXPECT_EQ(FileBytes(),
              "[Software\\QOR_Sprav]\r\nFileName=/a.spr\r\nFilePreff=/p.prf\r\n\r\n"
              "[Software\\QOR_Main]\r\nDir_Tests=/t\r\n");
}

struct FileIdentity {
    dev_t device;
    ino_t inode;
    mode_t mode;
    off_t size;
    timespec modified;
};

FileIdentity IdentityOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return {info.st_dev, info.st_ino, info.st_mode, info.st_size, info.st_mtim};
}

void ExpectSame(const FileIdentity& a, const FileIdentity& b) {
    EXPECT_EQ(a.device, b.device);
    EXPECT_EQ(a.inode, b.inode);
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(a.modified.tv_sec, b.modified.tv_sec);
    EXPECT_EQ(a.modified.tv_nsec, b.modified.tv_nsec);
}

// OpenKey, released after a few seconds should it wait on a pipe: a reader that blocks fails the test
// rather than hanging it.
bool OpenWithin(platform::Registry& registry, const char* key, const QString& fifo) {
    auto opened = std::async(std::launch::async, [&] { return registry.OpenKey(key, true); });
    if (opened.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ADD_FAILURE() << "opening the store waits on the pipe";
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
    }
    return opened.get();
}

// A pipe, a device, a folder or a file too large to be settings at the store's path: opening does not
// wait or read without end, says why, and nothing is written over it at close.
TEST_F(SettingsTest, StoreThatIsNoRegularFileOrTooLargeIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(FPath).absolutePath()));
    const QString tooLarge = FDir.filePath(QStringLiteral("large.ini"));
    {
        QFile file(tooLarge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Software\\QOR_Sprav]\nFileName=/a.spr\n");
        ASSERT_TRUE(file.resize(static_cast<qint64>(platform::kMaxSettingsFileBytes) + 1));
    }
    const QString folder = FDir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = FDir.filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        std::errc error;
    } cases[] = {
        {tooLarge, std::errc::file_too_large},
        {folder, std::errc::is_a_directory},
        {fifo, std::errc::invalid_argument},
        {QStringLiteral("/dev/zero"), std::errc::invalid_argument},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(c.path));
        const FileIdentity before = IdentityOf(c.path);
        {
            platform::Registry registry;
            EXPECT_FALSE(OpenWithin(registry, "Software\\QOR_Sprav", fifo));
            EXPECT_EQ(registry.StoreError(), std::make_error_code(c.error));
            EXPECT_EQ(registry.ReadString("FileName"), "");
            registry.WriteString("FileName", "/b.spr");
            registry.CloseKey();
            EXPECT_FALSE(registry.OpenKey("Software\\QOR_Main", false));
        }
        ExpectSame(IdentityOf(c.path), before);
    }
    EXPECT_EQ(
        QDir(FDir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
        (QStringList{QStringLiteral("fifo.ini"), QStringLiteral("folder.ini"), QStringLiteral("large.ini"),
                     QStringLiteral("sub")}));

    // The largest file that is read: exactly at the limit.
    ASSERT_TRUE(QFile(tooLarge).resize(static_cast<qint64>(platform::kMaxSettingsFileBytes)));
    qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(tooLarge));
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\QOR_Sprav", false));
    EXPECT_FALSE(registry.StoreError());
    EXPECT_EQ(registry.ReadString("FileName"), "/a.spr");
}

}  // namespace

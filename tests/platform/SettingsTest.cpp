// The INI store standing in for the registry: a real file in a temporary folder, as the program uses it.
#include "Settings.h"

#include "AtomicFile.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        FPath = FDir.filePath(QStringLiteral("sub/HKEY_CURRENT_USER.ini"));
        qputenv("QOR_SPRAV_SETTINGS", FPath.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("QOR_SPRAV_SETTINGS"); }

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

// A line that ends in a CR of its own (a file edited on Windows and then elsewhere) is written back the
// same at every save: the file does not change with each save of the same values.
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
    EXPECT_EQ(after[0], "; note\n[Other\\Key]\nX=1\n\n[Software\\QOR_Sprav]\nFileName=C:\\a.spr\n");
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

}  // namespace

#include "platform/Paths.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Text, EveryWindows1251ByteSurvivesTheRoundTrip) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string bytes(1, static_cast<char>(byte));
        const QString text = platform::FromCp1251(bytes);
        ASSERT_EQ(text.size(), 1) << byte;
        const auto back = platform::ToCp1251(text);
        ASSERT_TRUE(back.has_value()) << byte;
        EXPECT_EQ(*back, bytes) << byte;
        // The file system's bytes, made without a QString between, are those Qt would make.
        EXPECT_EQ(platform::Cp1251ToUtf8(bytes), text.toUtf8().toStdString()) << byte;
    }
    EXPECT_EQ(platform::FromCp1251("\xC0\xFF\xA8\xB9"), QStringLiteral("АяЁ№"));
    // Windows' own mapping at the edges of the table: the first byte, the unassigned 0x98, the euro sign.
    EXPECT_EQ(platform::FromCp1251("\x80\x98\x88\x7F"), QString::fromUtf16(u"\u0402\u0098\u20AC\u007F"));
}

TEST(Text, CharacterWithoutAByteIsReported) {
    for (const QString& text :
         {QStringLiteral("中"), QStringLiteral("abc€ü"), QStringLiteral("Путь\U0001F600")}) {
        EXPECT_FALSE(platform::ToCp1251(text).has_value()) << text.toStdString();
    }
    EXPECT_EQ(platform::ToCp1251(QString()), std::string());
}

struct PartsCase {
    const char* path;
    const char* filePath;
    const char* fileDir;
    const char* ext;
    const char* changed;  // ChangeFileExt(path, ".chm")
};

TEST(PathParts, DelimitersOfEveryPlatform) {
    const PartsCase cases[] = {
        {"C:\\Tests\\a.b.qor", "C:\\Tests\\", "C:\\Tests", ".qor", "C:\\Tests\\a.b.chm"},
        {"C:\\v1.2\\name", "C:\\v1.2\\", "C:\\v1.2", "", "C:\\v1.2\\name.chm"},
        {"/home/u/dir.d/file", "/home/u/dir.d/", "/home/u/dir.d", "", "/home/u/dir.d/file.chm"},
        {"C:/mixed\\sep/x.pdf", "C:/mixed\\sep/", "C:/mixed\\sep", ".pdf", "C:/mixed\\sep/x.chm"},
        {"C:\\a.qor", "C:\\", "C:\\", ".qor", "C:\\a.chm"},
        {"C:a.qor", "C:", "C:", ".qor", "C:a.chm"},
        {"/a.qor", "/", "/", ".qor", "/a.chm"},
        {"noext", "", "", "", "noext.chm"},
        {"trailing.", "", "", ".", "trailing.chm"},
        {"<Tests>:\\dig\\la3.qor", "<Tests>:\\dig\\", "<Tests>:\\dig", ".qor", "<Tests>:\\dig\\la3.chm"},
        {"", "", "", "", ".chm"},
    };
    for (const PartsCase& c : cases) {
        EXPECT_EQ(platform::ExtractFilePath(c.path), c.filePath) << c.path;
        EXPECT_EQ(platform::ExtractFileDir(c.path), c.fileDir) << c.path;
        EXPECT_EQ(platform::ExtractFileExt(c.path), c.ext) << c.path;
        EXPECT_EQ(platform::ChangeFileExt(c.path, ".chm"), c.changed) << c.path;
    }
}

TEST(Paths, StoredWindowsPathOpensOnPosixAndExistenceMeansARegularFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("Тесты"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/la3.qor"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    // The stored form: Windows-1251 bytes with "\" as a Windows user's book would hold it.
    const std::string stored =
        *platform::ToCp1251(QString(folder).replace('/', '\\') + QStringLiteral("\\la3.qor"));
    EXPECT_TRUE(platform::FileExists(stored));
#ifdef _WIN32
    const std::filesystem::path expected(QDir::toNativeSeparators(file.fileName()).toStdWString());
#else
    const std::filesystem::path expected(QFile::encodeName(file.fileName()).toStdString());
#endif
    EXPECT_EQ(platform::ToOsPath(stored), expected);
    EXPECT_FALSE(platform::FileExists(*platform::ToCp1251(folder)));  // a folder is not a file
    EXPECT_FALSE(platform::FileExists(stored + "x"));
    EXPECT_FALSE(platform::FileExists(""));
}

// A stored path with a control byte is passed on whole, so that it names no file, never the file its part
// before a NUL names.
TEST(Paths, PathWithAControlByteIsNeverCutShort) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("book.spr")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const std::string book = *platform::ToCp1251(file.fileName());
    ASSERT_TRUE(platform::FileExists(book));
    for (const std::string& tail : {std::string(1, '\0'), std::string(1, '\0') + ".txt", std::string("\n")}) {
        const std::string stored = book + tail;
        const auto whole = static_cast<std::size_t>(QFile::encodeName(file.fileName()).size()) + tail.size();
        EXPECT_EQ(platform::ToOsPath(stored).native().size(), whole);
        EXPECT_FALSE(platform::FileExists(stored)) << tail.size();
    }
}

TEST(Paths, ChosenPathIsStoredWithNativeSeparatorsOrRefused) {
    EXPECT_EQ(platform::ToStoredPath(QStringLiteral("/tmp/Папка/a.qor")),
              *platform::ToCp1251(QDir::toNativeSeparators(QStringLiteral("/tmp/Папка/a.qor"))));
    EXPECT_FALSE(platform::ToStoredPath(QStringLiteral("/tmp/中/a.qor")).has_value());
    EXPECT_EQ(platform::ToDisplayPath("C:\\\xCF\xE0\xEF\xEA\xE0"), QStringLiteral("C:\\Папка"));
}

TEST(Paths, ExePathIsThisTestProgram) {
    const std::string exe = platform::ExePath();
    EXPECT_TRUE(platform::FileExists(exe)) << exe;
    EXPECT_EQ(platform::ExtractFileDir(exe).empty(), false);
    EXPECT_NE(exe.find("platform_tests"), std::string::npos) << exe;
}

}  // namespace

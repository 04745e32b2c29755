// The comment file beside a test file: its name, its line ends both ways, and what is refused when read.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>

#include "core/CommentFile.h"
#include "core/PathTokens.h"
#include "tests/core/TempFolder.h"

namespace {

using comment_file::ReadStatus;

TEST(CommentFileName, ReplacesOrAppendsTheExtension) {
    struct Case {
        const char* what;
        std::string path, dirTests, expected;
    } const cases[] = {
        {"extension replaced", "D:\\Tests\\K155LA3.qor", "D:\\Tests", "D:\\Tests\\K155LA3.txt"},
        {"<Tests>: expanded", "<Tests>:\\sub\\x.wsk", "D:\\Tests", "D:\\Tests\\sub\\x.txt"},
        {"no extension", "D:\\Tests\\LA3", "", "D:\\Tests\\LA3.txt"},
        {"dot only in a folder name", "D:\\Data.old\\LA3", "", "D:\\Data.old\\LA3.txt"},
        {"dot in a POSIX folder name", "/home/u/data.old/LA3", "", "/home/u/data.old/LA3.txt"},
        {"two dots", "a.b.qor", "", "a.b.txt"},
        {"dot right after a drive", "C:.qor", "", "C:.txt"},
        {"a .txt test file names itself", "D:\\T\\a.txt", "", "D:\\T\\a.txt"},
        {"token in lower case is a plain path", "<tests>:\\a.qor", "D:\\Tests", "<tests>:\\a.txt"},
        {"Cyrillic name", "D:\\\xD2\xE5\xF1\xF2\\\xCB\xC0\x33.qor", "",
         "D:\\\xD2\xE5\xF1\xF2\\\xCB\xC0\x33.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CommentFileName(c.path, c.dirTests), c.expected);
    }
}

TEST(CommentFileText, LineEndsBothWays) {
    struct Case {
        const char* what;
        std::string file, held;
    } const readCases[] = {
        {"CR LF", "a\r\nb", "a\nb"},
        {"lone LF", "a\nb\n", "a\nb\n"},
        {"lone CR", "a\rb\r", "a\nb\n"},
        {"mixed, CR before CR LF", "a\r\r\nb\n\rc", "a\n\nb\n\nc"},
        {"empty", "", ""},
        {"8-bit text and NUL kept", std::string("\xCA\xEE\xEC\x00\xA0", 5),
         std::string("\xCA\xEE\xEC\x00\xA0", 5)},
    };
    for (const Case& c : readCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(comment_file::Parse(c.file), c.held);
    }
    const Case writeCases[] = {
        {"lines joined by CR LF", "a\r\nb", "a\nb"},
        {"last line end kept, none added", "a\r\n\r\n", "a\n\n"},
        {"a stray CR or CR LF in the text", "a\r\nb\r\nc", "a\rb\r\nc"},
        {"empty", "", ""},
    };
    for (const Case& c : writeCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(comment_file::Format(c.held), c.file);
        EXPECT_EQ(comment_file::Format(comment_file::Parse(c.file)), c.file);
    }
}

TEST(CommentFileText, SamePathAsWindowsComparesIt) {
    EXPECT_TRUE(comment_file::SamePath("D:\\T\\A.TXT", "d:/t/a.txt"));
    EXPECT_TRUE(comment_file::SamePath("\xD2\xE5\xF1\xF2\\\xA8.txt", "\xF2\xE5\xF1\xF2/\xB8.TXT"));
    EXPECT_FALSE(comment_file::SamePath("D:\\T\\a.txt", "D:\\T\\a.txt "));
    EXPECT_FALSE(comment_file::SamePath("D:\\T\\a.txt", "D:\\T\\b.txt"));
    // Paths that differ only in their first or their last byte.
    EXPECT_FALSE(comment_file::SamePath("C:\\T\\a.txt", "D:\\T\\a.txt"));
    EXPECT_FALSE(comment_file::SamePath("D:\\T\\a.txt", "D:\\T\\a.txu"));

    // A path in its two pieces: the tests directory and the rest.
    const TExpandedPath pieces = ExpandToken("<Tests>:\\a.txt", "D:\\T", kTestsToken);
    EXPECT_TRUE(comment_file::SamePath(pieces, "d:/t/A.TXT"));
    EXPECT_FALSE(comment_file::SamePath(pieces, "D:\\U\\a.txt"));
    EXPECT_FALSE(comment_file::SamePath(pieces, "D:\\T\\b.txt"));
    EXPECT_FALSE(comment_file::SamePath(pieces, "D:\\T\\a.txt "));
    EXPECT_FALSE(comment_file::SamePath(pieces, "\\a.txtD:\\T"));  // the pieces in their order
    EXPECT_TRUE(comment_file::SamePath(ExpandToken("D:\\T\\a.txt", "D:\\T", kTestsToken), "D:/T/a.txt"));
}

TEST(CommentFileIo, WritesCrLfAndReadsBack) {
    TempFolder folder;
    const auto path = folder / "K155LA3.txt";
    ASSERT_FALSE(comment_file::Write(path, "\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5\n2"));
    EXPECT_EQ(ReadBytes(path), "\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5\r\n2");
    const comment_file::ReadResult read = comment_file::Read(path);
    EXPECT_EQ(read.Status, ReadStatus::Ok);
    EXPECT_EQ(read.Text, "\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5\n2");

    // An empty comment empties the file; the file stays.
    ASSERT_FALSE(comment_file::Write(path, ""));
    ASSERT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    // Nothing that Read would refuse: at the limit in lone LFs is over it in CR LF.
    EXPECT_EQ(comment_file::Write(path, std::string(comment_file::kMaxSize / 2, '\n')), std::error_code());
    EXPECT_EQ(comment_file::Read(path).Status, ReadStatus::Ok);
    EXPECT_EQ(comment_file::Write(path, std::string(comment_file::kMaxSize / 2 + 1, '\n')),
              std::errc::file_too_large);
    EXPECT_EQ(std::filesystem::file_size(path), comment_file::kMaxSize);

    const std::error_code missingFolder = comment_file::Write(folder / "no" / "a.txt", "x");
    EXPECT_TRUE(missingFolder);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"K155LA3.txt"}));
}

TEST(CommentFileIo, WhatIsNotAComment) {
    TempFolder folder;
    EXPECT_EQ(comment_file::Read(folder / "none.txt").Status, ReadStatus::Missing);
    EXPECT_EQ(comment_file::Read(folder / "none" / "a.txt").Status, ReadStatus::Missing);

    std::filesystem::create_directory(folder / "dir.txt");
    EXPECT_EQ(comment_file::Read(folder / "dir.txt").Status, ReadStatus::Folder);

#ifndef _WIN32
    // A pipe with no writer would block an ordinary open for ever; a device would never end.
    ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);
    EXPECT_EQ(comment_file::Read(folder / "fifo.txt").Status, ReadStatus::NotRegular);
    EXPECT_EQ(comment_file::Read("/dev/zero").Status, ReadStatus::NotRegular);
#endif

    const auto big = folder / "big.txt";
    WriteBytes(big, "x");
    std::filesystem::resize_file(big, comment_file::kMaxSize + 1);
    EXPECT_EQ(comment_file::Read(big).Status, ReadStatus::TooLarge);
    EXPECT_TRUE(comment_file::Read(big).Text.empty());
    std::filesystem::resize_file(big, comment_file::kMaxSize);
    const comment_file::ReadResult atLimit = comment_file::Read(big);
    EXPECT_EQ(atLimit.Status, ReadStatus::Ok);
    EXPECT_EQ(atLimit.Text.size(), comment_file::kMaxSize);
}

// What a save may replace, from what the editor saw when it read the file: a file gone since holds nobody's
// work; one that was not read in whole stays untouchable while anything is there, whatever it becomes.
TEST(CommentFileIo, SaveChecksWhatIsOnDiskAgainstWhatWasRead) {
    using comment_file::SaveCheck;
    TempFolder folder;
    const auto path = folder / "a.txt";
    WriteBytes(path, "abc");
    const comment_file::ReadResult read = comment_file::Read(path);
    WriteBytes(path, "xyz");  // same size, other bytes
    EXPECT_EQ(comment_file::CheckBeforeSave(read, path), SaveCheck::ChangedOnDisk);
    std::filesystem::resize_file(path, comment_file::kMaxSize + 1);
    const comment_file::ReadResult tooLarge = comment_file::Read(path);
    WriteBytes(path, "small now");
    EXPECT_EQ(comment_file::CheckBeforeSave(tooLarge, path), SaveCheck::NotReadInWhole);
    std::filesystem::remove(path);
    EXPECT_EQ(comment_file::CheckBeforeSave(read, path), SaveCheck::Go);
    EXPECT_EQ(comment_file::CheckBeforeSave(tooLarge, path), SaveCheck::Go);
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/FileIdentity.h"
#include "core/FileStamp.h"
#include "tests/core/TempFolder.h"

namespace {

TEST(FileStamp, TellsAnotherProgramsChangeFromNoChange) {
    TempFolder folder;
    const auto book = folder / "book.spr";
    WriteBytes(book, "abcdefgh12345\r\n");
    const FileStamp loaded = ReadStamp(book);
    ASSERT_TRUE(loaded.Known);
    EXPECT_EQ(loaded.Size, 15u);
    EXPECT_FALSE(ChangedSince(loaded, book));

    // Same bytes written again (a new time): not a change. Same size, other bytes: a change.
    WriteBytes(book, "abcdefgh12345\r\n");
    EXPECT_FALSE(ChangedSince(loaded, book));
    WriteBytes(book, "abcdefgh12346\r\n");
    EXPECT_TRUE(ChangedSince(loaded, book));
    WriteBytes(book, "abcdefgh12345\r\n\r\n");
    EXPECT_TRUE(ChangedSince(loaded, book));
    std::filesystem::remove(book);
    EXPECT_TRUE(ChangedSince(loaded, book));

    // What the editor itself wrote is known without reading it back.
    WriteBytes(book, "xyz");
    const FileStamp saved = WrittenStamp(book, "xyz");
    EXPECT_TRUE(saved.Known);
    EXPECT_FALSE(ChangedSince(saved, book));
    EXPECT_FALSE(ChangedSince(FileStamp{}, book));
    EXPECT_FALSE(ReadStamp(folder / "missing.spr").Known);
}

TEST(FileStamp, HashSeesEveryByteAndTheLength) {
    const std::string base(37, 'q');
    for (std::size_t i = 0; i < base.size(); ++i) {
        std::string other = base;
        other[i] = 'r';
        EXPECT_NE(HashBytes(base), HashBytes(other)) << i;
    }
    EXPECT_NE(HashBytes(std::string(8, '\0')), HashBytes(std::string(9, '\0')));
    EXPECT_NE(HashBytes(""), HashBytes(std::string(1, '\0')));
}

// One file under several names is one identity; another file with the same bytes is another. Run on
// Windows too, where the identity comes from the volume serial number and the file index.
TEST(FileIdentity, TellsTheFileNotTheSpelling) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "d");
    const auto file = folder / "d" / "book.txt";
    WriteBytes(file, "x");
    WriteBytes(folder / "d" / "copy.txt", "x");
    std::filesystem::create_hard_link(file, folder / "hard.txt");
    const std::optional<FileIdentity> identity = IdentityOf(file);
    ASSERT_TRUE(identity);
    const std::string d = (folder / "d").string();
    std::vector<std::filesystem::path> aliases = {d + "//book.txt", d + "/./book.txt", folder / "hard.txt"};
#ifdef _WIN32
    aliases.push_back(d + "\\BOOK.TXT");
#else
    std::filesystem::create_symlink(file, folder / "link.txt");
    aliases.push_back(folder / "link.txt");
#endif
    for (const std::filesystem::path& alias : aliases) {
        SCOPED_TRACE(alias.string());
        EXPECT_EQ(IdentityOf(alias), identity);
    }
    EXPECT_NE(IdentityOf(folder / "d" / "copy.txt"), identity);
    EXPECT_FALSE(IdentityOf(folder / "d" / "missing.txt"));
}

}  // namespace

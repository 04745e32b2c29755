#include <gtest/gtest.h>

#include <string>

#include "FileStamp.h"
#include "TempFolder.h"

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

}  // namespace

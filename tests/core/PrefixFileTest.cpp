#include <gtest/gtest.h>

#include <set>
#include <system_error>

#include "core/PrefixFile.h"
#include "core/PrefixNames.h"
#include "files/AtomicFile.h"
#include "tests/core/TempFolder.h"

namespace {

using Entries = std::vector<std::string>;

TEST(PrefixFile, LinesEndAtCrLfLfOrCr) {
    const struct {
        const char* content;
        Entries entries;
    } cases[] = {
        {"", {}},
        {"KR\r\nSN\r\n", {"KR", "SN"}},
        {"KR\nSN\n", {"KR", "SN"}},
        {"KR\rSN\r", {"KR", "SN"}},
        {"KR\r\nSN", {"KR", "SN"}},              // the last line counts without a line end
        {"KR\r\n\r\nSN\r\n", {"KR", "", "SN"}},  // a blank line is an empty entry
        {"\n", {""}},
        {" K \r\nK\r\nK\r\n", {" K ", "K", "K"}},  // blanks and duplicates kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(prefix_file::SplitEntries(c.content), c.entries) << c.content;
    }
}

TEST(PrefixFile, EachEntryIsFollowedByCrLf) {
    EXPECT_EQ(prefix_file::Format({}), "");
    EXPECT_EQ(prefix_file::Format({"\xCA\xD0", "SN"}), "\xCA\xD0\r\nSN\r\n");
    EXPECT_EQ(prefix_file::Format({"", " A"}), "\r\n A\r\n");
    const Entries entries{"KR", "", " SN ", "KR"};
    EXPECT_EQ(prefix_file::SplitEntries(prefix_file::Format(entries)), entries);
}

// Folders, pipes, missing files and the texts shown for them are covered through the window's load command.
TEST(PrefixFile, SixteenMegabytesAreStillReadAndOneByteMoreIsRefusedUnread) {
    TempFolder folder;
    WriteBytes(folder / "limit.prf", "KR\r\n");
    std::filesystem::resize_file(folder / "limit.prf", prefix_file::kMaxFileBytes);
    Entries entries{"old"};
    // Read, and then found to hold zero bytes, which no prefix list has.
    EXPECT_EQ(prefix_file::Read(folder / "limit.prf", entries).Failure,
              prefix_file::ReadFailure::ControlByte);

    std::filesystem::resize_file(folder / "limit.prf", prefix_file::kMaxFileBytes + 1);
    EXPECT_EQ(prefix_file::Read(folder / "limit.prf", entries).Failure, prefix_file::ReadFailure::TooLarge);
    EXPECT_EQ(entries, Entries{"old"});  // left as it was
}

// Binary data, a text of long lines and a file of many lines are no prefix lists: nothing of them is taken.
// Up to each limit a list still loads whole.
TEST(PrefixFile, OnlyWhatAPersonKeepsAsAListIsTaken) {
    using prefix_file::ReadFailure;
    const std::string longest(prefix_file::kMaxEntryLength, 'K');
    std::string manyLines;
    for (std::size_t i = 0; i < prefix_file::kMaxEntries; ++i) {
        manyLines += "KR\r\n";
    }
    const struct {
        const char* name;
        std::string content;
        ReadFailure failure;
        std::size_t entries;
    } cases[] = {
        {"tab", "KR\r\nK\tR\r\n", ReadFailure::ControlByte, 0},
        {"nul", std::string("KR\0", 3), ReadFailure::ControlByte, 0},
        {"escape last", "KR\r\nSN\x1B", ReadFailure::ControlByte, 0},
        {"unit separator", "\x1F\n", ReadFailure::ControlByte, 0},
        {"high bytes and DEL", "\x7F\x98\xFF\r\n", ReadFailure::None, 1},
        {"longest line", "KR\r\n" + longest + "\r\n", ReadFailure::None, 2},
        {"longest last line", longest, ReadFailure::None, 1},
        {"line too long", "KR\r\n" + longest + "K\r\n", ReadFailure::LineTooLong, 0},
        {"last line too long", longest + "K", ReadFailure::LineTooLong, 0},
        {"most lines", manyLines, ReadFailure::None, prefix_file::kMaxEntries},
        {"one line more", manyLines + "SN", ReadFailure::TooManyEntries, 0},
        {"one line end more", manyLines + "\r", ReadFailure::TooManyEntries, 0},
        {"line feeds", std::string(prefix_file::kMaxEntries + 1, '\n'), ReadFailure::TooManyEntries, 0},
        {"CR LF counts once", manyLines.substr(2), ReadFailure::None, prefix_file::kMaxEntries},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        WriteBytes(folder / "list.prf", c.content);
        Entries entries{"old"};
        const prefix_file::ReadResult result = prefix_file::Read(folder / "list.prf", entries);
        EXPECT_EQ(result.Failure, c.failure) << c.name;
        EXPECT_EQ(prefix_file::IsNotAPrefixList(result.Failure), c.failure != ReadFailure::None) << c.name;
        if (c.failure == ReadFailure::None) {
            EXPECT_EQ(entries, prefix_file::SplitEntries(c.content)) << c.name;
            EXPECT_EQ(entries.size(), c.entries) << c.name;
        } else {
            EXPECT_EQ(entries, Entries{"old"}) << c.name;
        }
    }
}

TEST(PrefixFile, AFailedWriteLeavesTheOldFile) {
    TempFolder folder;
    WriteBytes(folder / "list.prf", "KR\r\n");
    for (const auto step :
         {atomic_file::FaultStep::Create, atomic_file::FaultStep::Write, atomic_file::FaultStep::Rename}) {
        atomic_file::ArmFault(
            atomic_file::Fault{step, std::make_error_code(std::errc::no_space_on_device), 1});
        const std::error_code error = prefix_file::Write(folder / "list.prf", {"SN"});
        EXPECT_EQ(error, std::make_error_code(std::errc::no_space_on_device)) << static_cast<int>(step);
        EXPECT_EQ(ReadBytes(folder / "list.prf"), "KR\r\n");
        EXPECT_EQ(folder.Names(), std::set<std::string>{"list.prf"});
    }
}

// The prefix list users keep: Windows-1251 prefixes, CR LF line ends; it reads and writes back unchanged.
TEST(PrefixFile, DemoListReadsAndWritesBackByteForByte) {
    const std::filesystem::path sample = std::filesystem::path(QOR_TEST_DATA) / "demo.prf";
    ASSERT_TRUE(std::filesystem::is_regular_file(sample)) << sample.string();
    Entries entries;
    ASSERT_TRUE(prefix_file::Read(sample, entries).Ok());
    EXPECT_EQ(entries, (Entries{"\xCA", "\xCA\xD0", "\xCA\xCC", "SN", "SN74LS", "DM", "HD"}));  // К, КР, КМ
    TempFolder folder;
    ASSERT_FALSE(prefix_file::Write(folder / "copy.prf", entries));
    EXPECT_EQ(ReadBytes(folder / "copy.prf"), ReadBytes(sample));
}

}  // namespace

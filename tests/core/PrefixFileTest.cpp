#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "PrefixFile.h"
#include "PrefixNames.h"
#include "TempFolder.h"

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

TEST(PrefixFile, ReadTakesEveryLineEndAndWriteGivesCrLf) {
    TempFolder folder;
    const struct {
        const char* content;
        Entries entries;
    } cases[] = {
        {"\xCA\xD0\r\nSN\r\n", {"\xCA\xD0", "SN"}},
        {"KR\nSN", {"KR", "SN"}},
        {"KR\r\rSN\r", {"KR", "", "SN"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        WriteBytes(folder / "in.prf", c.content);
        Entries entries{"old"};
        ASSERT_TRUE(prefix_file::Read(folder / "in.prf", entries).Ok()) << c.content;
        EXPECT_EQ(entries, c.entries) << c.content;
    }

    // The example list КР, SN is the eight bytes CA D0 0D 0A 53 4E 0D 0A; a rewrite replaces the whole file.
    WriteBytes(folder / "out.prf", std::string(100, 'x'));
    ASSERT_FALSE(prefix_file::Write(folder / "out.prf", {"\xCA\xD0", "SN"}));
    EXPECT_EQ(ReadBytes(folder / "out.prf"), "\xCA\xD0\r\nSN\r\n");
    ASSERT_FALSE(prefix_file::Write(folder / "out.prf", {}));
    EXPECT_EQ(ReadBytes(folder / "out.prf"), "");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"in.prf", "out.prf"}));  // no temporary left
}

TEST(PrefixFile, WhatCannotBeReadIsRefusedAndTheEntriesStay) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.prf");
    ASSERT_EQ(::mkfifo((folder / "pipe.prf").c_str(), 0600), 0);
    { std::ofstream big(folder / "big.prf", std::ios::binary); }
    std::filesystem::resize_file(folder / "big.prf", prefix_file::kMaxFileBytes + 1);
    WriteBytes(folder / "limit.prf", "");
    std::filesystem::resize_file(folder / "limit.prf", prefix_file::kMaxFileBytes);

    using prefix_file::ReadFailure;
    const struct {
        const char* name;
        ReadFailure failure;
    } cases[] = {
        {"dir.prf", ReadFailure::NotRegularFile},
        {"pipe.prf", ReadFailure::NotRegularFile},
        {"big.prf", ReadFailure::TooLarge},
        {"gone.prf", ReadFailure::CannotRead},
    };
    for (const auto& c : cases) {
        Entries entries{"KR"};
        EXPECT_EQ(prefix_file::Read(folder / c.name, entries).Failure, c.failure) << c.name;
        EXPECT_EQ(entries, Entries{"KR"}) << c.name;
    }
    Entries entries;
    EXPECT_TRUE(prefix_file::Read(folder / "limit.prf", entries).Ok());  // 16 MB exactly still loads
    EXPECT_EQ(entries.size(), 1u);
}

TEST(PrefixFile, AFailedWriteIsReportedAndLeavesTheOldFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.prf");
    EXPECT_TRUE(prefix_file::Write(folder / "dir.prf", {"SN"}));
    EXPECT_TRUE(prefix_file::Write(folder / "no such folder" / "list.prf", {"SN"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.prf"));

    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    WriteBytes(folder / "list.prf", "KR\r\n");
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const std::error_code error = prefix_file::Write(folder / "list.prf", {"SN"});
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_TRUE(error);
    EXPECT_EQ(ReadBytes(folder / "list.prf"), "KR\r\n");
}

TEST(PrefixNames, GeneratedNamesAndWhatThePassDoes) {
    EXPECT_EQ(prefix_names::GeneratedName("KR", "155LA3"), "KR155LA3");
    EXPECT_EQ(prefix_names::GeneratedName(" K", "155 "), " K155 ");  // nothing trimmed
    EXPECT_EQ(prefix_names::GeneratedName("", ""), "");

    using prefix_names::Step;
    const struct {
        bool marked;
        int position;
        const char* listed;
        Step step;
    } cases[] = {
        {true, -1, "", Step::Add},          // ticked, absent: added
        {true, 0, "kr155", Step::Keep},     // ticked, present in another case: nothing
        {false, 3, "KR155", Step::Remove},  // unticked, present exactly: removed
        {false, 0, "kr155", Step::Keep},    // unticked, first present in another case: kept
        {false, -1, "", Step::Keep},        // unticked, absent
    };
    for (const auto& c : cases) {
        EXPECT_EQ(prefix_names::PassStep(c.marked, "KR155", c.position, c.listed), c.step)
            << c.marked << ' ' << c.position << ' ' << c.listed;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <set>
#include <system_error>

#include "AtomicFile.h"
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

// Folders, pipes, missing files and the texts shown for them are covered through the window's load command.
TEST(PrefixFile, SixteenMegabytesStillLoadAndOneByteMoreIsRefusedUnread) {
    TempFolder folder;
    WriteBytes(folder / "limit.prf", "KR\r\n");
    std::filesystem::resize_file(folder / "limit.prf", prefix_file::kMaxFileBytes);
    Entries entries;
    EXPECT_TRUE(prefix_file::Read(folder / "limit.prf", entries).Ok());
    EXPECT_EQ(entries.size(), 2u);  // "KR" and the rest of the file, zero bytes without a line end
    EXPECT_EQ(entries.front(), "KR");

    std::filesystem::resize_file(folder / "limit.prf", prefix_file::kMaxFileBytes + 1);
    EXPECT_EQ(prefix_file::Read(folder / "limit.prf", entries).Failure, prefix_file::ReadFailure::TooLarge);
    EXPECT_EQ(entries.size(), 2u);  // left as it was
}

TEST(PrefixFile, AFailedWriteLeavesTheOldFile) {
    TempFolder folder;
    WriteBytes(folder / "list.prf", "KR\r\n");
    for (const auto step : {atomic_file::FaultStep::Create, atomic_file::FaultStep::Write,
                            atomic_file::FaultStep::Rename}) {
        atomic_file::ArmFault(atomic_file::Fault{step, std::make_error_code(std::errc::no_space_on_device), 1});
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

#include <gtest/gtest.h>

#include "PrefixFile.h"

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

}  // namespace

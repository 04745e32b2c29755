// The list of books opened or saved last, as the settings keep it.
#include <gtest/gtest.h>

#include "document/RecentBookList.h"

namespace {

TEST(RecentBookList, ReadingKeepsEachBookOnceAndNoneWithAControlByte) {
    TRecentBookList list;
    list.SetSlots({"C:\\a.spr", "", "C:\\b.spr", "C:\\a.spr", std::string("C:\\c\x01.spr"), "c:\\A.SPR", "", ""});
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\a.spr", "C:\\b.spr", "c:\\A.SPR"}))
        << "paths compare byte for byte";
    const TRecentBookList::RecentSlots stored = list.GetSlots();
    EXPECT_EQ(stored[2], "c:\\A.SPR");
    EXPECT_EQ(stored[3], "");
}

TEST(RecentBookList, TheBookUsedLastGoesOnTopAndTheOldestFallsOff) {
    TRecentBookList list;
    for (int i = 0; i < 9; ++i) {
        list.Add("C:\\" + std::to_string(i) + ".spr");
    }
    ASSERT_EQ(list.Paths().size(), kRecentBookCount);
    EXPECT_EQ(list.Paths().front(), "C:\\8.spr");
    EXPECT_EQ(list.Paths().back(), "C:\\1.spr");
    list.Add(list.Paths()[3]);  // one of the list's own strings
    EXPECT_EQ(list.Paths().front(), "C:\\5.spr");
    EXPECT_EQ(list.Paths().size(), kRecentBookCount);
    list.Remove(list.Paths().front());
    EXPECT_EQ(list.Paths().front(), "C:\\8.spr");
    EXPECT_EQ(list.Paths().size(), kRecentBookCount - 1);
}

}  // namespace

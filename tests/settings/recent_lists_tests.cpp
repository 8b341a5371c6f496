#include <gtest/gtest.h>

#include "recent_lists.h"

namespace {

RecentList Numbered(const std::string& prefix)
{
    RecentList list;
    for (int slot = 0; slot < RECENT_SLOT_COUNT; ++slot) list[slot] = prefix + std::to_string(slot);
    return list;
}

TEST(MoveToFront, NewTextPushesTheLastSlotOut)
{
    RecentList list = Numbered("f");
    MoveToFront(list, "new");
    RecentList expected = {"new", "f0", "f1", "f2", "f3", "f4", "f5", "f6"};
    EXPECT_EQ(list, expected);
}

TEST(MoveToFront, MatchInSlotThreeMovesToTheFront)
{
    RecentList list = Numbered("f");
    MoveToFront(list, "f3");
    RecentList expected = {"f3", "f0", "f1", "f2", "f4", "f5", "f6", "f7"};
    EXPECT_EQ(list, expected);
}

TEST(MoveToFront, MatchIgnoresLetterCaseAndTakesTheNewCase)
{
    RecentList list = {"x", "y", "c:\\data\\big.iso", "", "", "", "", ""};
    MoveToFront(list, "C:\\Data\\Big.iso");
    RecentList expected = {"C:\\Data\\Big.iso", "x", "y", "", "", "", "", ""};
    EXPECT_EQ(list, expected);
}

TEST(MoveToFront, EmptyListFillsFromTheFront)
{
    RecentList list;
    MoveToFront(list, "a");
    MoveToFront(list, "b");
    RecentList expected = {"b", "a", "", "", "", "", "", ""};
    EXPECT_EQ(list, expected);
}

TEST(MoveToFront, MatchInSlotZeroOnlyTakesTheNewCase)
{
    RecentList list = {"ABC", "d", "", "", "", "", "", ""};
    MoveToFront(list, "abc");
    RecentList expected = {"abc", "d", "", "", "", "", "", ""};
    EXPECT_EQ(list, expected);
}

TEST(SameRecentEntry, OnlyAsciiLettersFoldAndNothingIsTrimmed)
{
    EXPECT_TRUE(SameRecentEntry("D:\\Pieces", "d:\\pieces"));
    EXPECT_FALSE(SameRecentEntry("D:\\Pieces", "D:\\Pieces\\"));
    EXPECT_FALSE(SameRecentEntry("D:\\Pieces", "D:/Pieces"));
    EXPECT_FALSE(SameRecentEntry("a", " a"));
    EXPECT_FALSE(SameRecentEntry("\xC4", "\xE4"));  // not an ASCII letter
    EXPECT_TRUE(SameRecentEntry("", ""));
}

TEST(SettingsValueNames, EighteenValues)
{
    EXPECT_EQ(RecentFileValueName(0), "RecentFile0");
    EXPECT_EQ(RecentFileValueName(7), "RecentFile7");
    EXPECT_EQ(RecentFolderValueName(0), "RecentFolder0");
    EXPECT_EQ(RecentFolderValueName(7), "RecentFolder7");
    EXPECT_STREQ(SETTINGS_KEY, "Software\\Velloran\\Brindle");
    EXPECT_STREQ(POSITION_LEFT_VALUE, "posx");
    EXPECT_STREQ(POSITION_TOP_VALUE, "posy");
}

}  // namespace

#include "base/TStrings.h"

#include <gtest/gtest.h>

TEST(TStringList, TextSplitsOnEveryBreakAndUpdatesReportOnce) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Text(), "a\nb\nc\nd\n");
    l.SetText("x\r\n\r\ny");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "");
    EXPECT_THROW(l.Get(3), EStringListError);

    // Changes inside an update bracket are reported once, at its end.
    int changes = 0;
    l.OnChange = [&] { ++changes; };
    l.BeginUpdate();
    l.Add("three");
    l.Delete(0);
    EXPECT_EQ(changes, 0);
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(l.Text(), "\ny\nthree\n");
}

TEST(TStringList, SortedListIgnoresCaseAndHandlesDuplicates) {
    TStringList l;
    l.SetSorted(true);
    for (const char* s : {"delta", "Alpha", "charlie", "BRAVO"}) l.Add(s);
    EXPECT_EQ(l.Text(), "Alpha\nBRAVO\ncharlie\ndelta\n");
    int i = -1;
    EXPECT_TRUE(l.Find("bravo", i));
    EXPECT_EQ(i, 1);
    EXPECT_FALSE(l.Find("bz", i));
    EXPECT_EQ(i, 2);               // where it would go
    EXPECT_EQ(l.Add("ALPHA"), 0);  // ignored duplicate answers the existing index
    l.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(l.Add("Delta"), EStringListError);
    EXPECT_THROW(l.Insert(0, "zz"), EStringListError);  // a sorted list keeps its order
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf("alpha"), -1);
}

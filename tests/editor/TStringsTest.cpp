#include "base/TStrings.h"

#include <gtest/gtest.h>

TEST(TStringList, TextJoinsWithLfAndSplitsOnEveryBreak) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[2], "c");
    EXPECT_EQ(l[3], "d");
    EXPECT_EQ(l.Text(), "a\nb\nc\nd\n");
    l.SetText("x\r\n\r\ny");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "");
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
}

TEST(TStringList, SortedListIgnoresCaseAndHandlesDuplicates) {
    TStringList l;
    l.SetSorted(true);
    l.Add("delta");
    l.Add("Alpha");
    l.Add("charlie");
    l.Add("BRAVO");
    EXPECT_EQ(l.Text(), "Alpha\nBRAVO\ncharlie\ndelta\n");
    int i = -1;
    EXPECT_TRUE(l.Find("bravo", i));
    EXPECT_EQ(i, 1);
    EXPECT_FALSE(l.Find("bz", i));
    EXPECT_EQ(i, 2);  // where it would go
    EXPECT_EQ(l.Add("ALPHA"), 0);  // ignored duplicate answers the existing index
    EXPECT_EQ(l.Count(), 4);
    l.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(l.Add("Delta"), EStringListError);
    l.SetDuplicates(TDuplicates::dupAccept);
    l.Add("Delta");
    EXPECT_EQ(l.Count(), 5);
    EXPECT_THROW(l.Insert(0, "zz"), EStringListError);
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf("alpha"), -1);
    EXPECT_GE(l.IndexOf("Alpha"), 0);
}

TEST(TStringList, IndexesObjectsAndChangeEvents) {
    TStringList l;
    int changes = 0;
    l.OnChange = [&] { ++changes; };
    int x = 0;
    l.AddObject("one", &x);
    l.Add("two");
    EXPECT_EQ(l.Objects(0), &x);
    EXPECT_EQ(l.IndexOfObject(&x), 0);
    EXPECT_EQ(l.IndexOf("TWO"), 1);
    EXPECT_THROW(l.Get(2), EStringListError);
    EXPECT_THROW(l.Delete(-1), EStringListError);
    const int before = changes;
    l.BeginUpdate();
    l.Add("three");
    l.Delete(0);
    EXPECT_EQ(changes, before);
    l.EndUpdate();
    EXPECT_EQ(changes, before + 1);  // one report for the bracket

    TStringList copy;
    copy.Add("old");
    copy.Assign(l);
    EXPECT_EQ(copy.Text(), "two\nthree\n");
    copy.AddStrings(l);
    EXPECT_EQ(copy.Count(), 4);
    copy.Put(0, "2");
    EXPECT_EQ(copy[0], "2");
}

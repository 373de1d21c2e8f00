#include <gtest/gtest.h>

#include "ConsoleTestBase.h"
#include "base/SettingsStore.h"
#include "console/StackStr.h"

TEST(StackStr, ARingOfRunTextsWalkedBothWays) {
    StackStr h(3);
    EXPECT_EQ(h.Current(), "");
    EXPECT_EQ(h.Previous(), "");
    for (const char* s : {"a", "b", "c", "d"}) h.Push(s);
    EXPECT_EQ(h.Count(), 3);
    EXPECT_EQ(h[0], "d");
    EXPECT_EQ(h[1], "b");
    EXPECT_EQ(h[2], "c");
    EXPECT_EQ(h.WriteIndex(), 1);
    EXPECT_EQ(h.NextEntry(), "");  // right after a push nothing is newer
    EXPECT_EQ(h.Previous(), "c");
    EXPECT_EQ(h.Previous(), "b");
    EXPECT_EQ(h.Previous(), "");  // the oldest was reached
    EXPECT_EQ(h.NextEntry(), "c");
    EXPECT_EQ(h.NextEntry(), "d");
    EXPECT_EQ(h.NextEntry(), "");

    // A recalled text run unchanged is not pushed again; nor is an empty one.
    h.Previous();
    const int before = h.WriteIndex();
    h.Offer(h.Current());
    h.Offer("");
    EXPECT_EQ(h.WriteIndex(), before);
    h.Offer("e");
    EXPECT_EQ(h.Current(), "e");
}

using NamedSlotMenu = ConsoleTest;

TEST_F(NamedSlotMenu, NeverNamedSlotsShowTheirDigitAndTwoBlanks) {
    WriteString("HKCU\\Software\\QorTabulon\\BuffName3", "report");
    EXPECT_EQ(NamedSlots::MenuText("BuffName"), "0  ^1  ^2  ^3 report^4  ^5  ^6  ^7  ^8  ^9  ^");
}

// The console's variables: a list of named values kept in name order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/AnsiString.h"
#include "console/TListVar.h"

TEST(TListVarTest, NamesIgnoreCaseAndListUpperCase) {
    TListVar vars;
    vars.Set("total", Variant(int32_t{0}));
    vars.Set("TOTAL", Variant("text"));  // declared again with another type
    vars.Set("имя", Variant(int32_t{1}));  // Cyrillic lower case
    vars.Set("ИМЯ", Variant(int32_t{2}));  // the same name in upper case
    vars.Set("élan", Variant(int32_t{3}));
    vars.Set("ÉLAN", Variant(int32_t{4}));
    ASSERT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.NameAt(0), "TOTAL");
    EXPECT_EQ(vars.NameAt(1), "ÉLAN");
    EXPECT_EQ(vars.NameAt(2), "ИМЯ");
    EXPECT_EQ(vars.Get("Total").Type(), VarType::String);
    EXPECT_EQ(vars.Get("toTAL").ToString(), "text");
    EXPECT_EQ(vars.ValueAt(2).ToInt32(), 2);
    EXPECT_EQ(vars.Get("Élan").ToInt32(), 4);
    EXPECT_EQ(vars.Item(0)->Name(), "total");  // the first spelling is kept
}

TEST(TListVarTest, SortedWhateverTheOrderOfDeclaration) {
    TListVar vars;
    for (const char* name : {"m", "B", "z", "a", "Y", "c"}) vars.Set(name, Variant(name));
    std::string order;
    for (int i = 0; i < vars.Count(); ++i) order += vars.NameAt(i);
    EXPECT_EQ(order, "ABCMYZ");

    int index = -1;
    EXPECT_TRUE(vars.Find("M", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(vars.Find("0", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(vars.Find("zz", index));
    EXPECT_EQ(index, vars.Count());
    EXPECT_FALSE(vars.Find("d", index));
    EXPECT_EQ(index, 3);

    // A larger random set stays sorted and findable.
    std::mt19937 rng(7);
    TListVar many;
    for (int i = 0; i < 500; ++i) many.Set("v" + std::to_string(rng() % 300), Variant(int32_t{i}));
    for (int i = 1; i < many.Count(); ++i) EXPECT_LT(AnsiCompareText(many.NameAt(i - 1), many.NameAt(i)), 0);
    for (int i = 0; i < many.Count(); ++i) {
        ASSERT_TRUE(many.Find(AnsiLowerCase(many.NameAt(i)), index));
        EXPECT_EQ(index, i);
    }
}

TEST(TListVarTest, MissingNamesAndIndexesOutOfRange) {
    TListVar vars;
    EXPECT_TRUE(vars.Get("x").IsEmpty());
    vars.Set("a", Variant(int32_t{1}));
    vars.Set("b", Variant(int32_t{2}));
    EXPECT_TRUE(vars.Get("c").IsEmpty());
    for (int bad : {-1, 2, 100}) {
        EXPECT_TRUE(vars.ValueAt(bad).IsEmpty());
        EXPECT_EQ(vars.NameAt(bad), "");
        EXPECT_EQ(vars.Item(bad), nullptr);
        vars.DeleteAt(bad);
    }
    EXPECT_EQ(vars.Count(), 2);

    vars.DeleteAt(0);
    ASSERT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.NameAt(0), "B");
    EXPECT_TRUE(vars.Get("a").IsEmpty());
    vars.Set("a", Variant(int32_t{3}));  // assigning after removal creates it again
    EXPECT_EQ(vars.NameAt(0), "A");
    vars.Clear();
    EXPECT_EQ(vars.Count(), 0);
}

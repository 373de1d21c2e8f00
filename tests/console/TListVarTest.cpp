// The console's variables: a list of named values kept in name order.
#include <gtest/gtest.h>

#include "console/TListVar.h"

TEST(TListVarTest, NamesIgnoreCaseAndListUpperCase) {
    TListVar vars;
    vars.Set("total", Variant(int32_t{0}));
    vars.Set("TOTAL", Variant("text"));    // declared again with another type
    vars.Set("имя", Variant(int32_t{1}));  // Cyrillic lower case
    vars.Set("ИМЯ", Variant(int32_t{2}));  // the same name in upper case
    vars.Set("élan", Variant(int32_t{3}));
    vars.Set("ÉLAN", Variant(int32_t{4}));
    ASSERT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.NameAt(0), "TOTAL");
    EXPECT_EQ(vars.NameAt(1), "ÉLAN");
    EXPECT_EQ(vars.NameAt(2), "ИМЯ");
    EXPECT_EQ(vars.Get("toTAL").ToString(), "text");
    EXPECT_EQ(vars.ValueAt(2).ToInt32(), 2);
    EXPECT_EQ(vars.Get("Élan").ToInt32(), 4);
    EXPECT_EQ(vars.Item(0)->Name(), "total");  // the first spelling is kept

    // Names set in any order are kept sorted.
    vars.Clear();
    for (const char* name : {"m", "B", "z", "a", "Y", "c"}) vars.Set(name, Variant(name));
    int index = -1;
    // Found, or the place where the name would go: first, middle and last.
    for (const auto& [name, found, at] :
         {std::tuple{"M", true, 3}, {"0", false, 0}, {"d", false, 3}, {"zz", false, 6}}) {
        EXPECT_EQ(vars.Find(name, index), found) << name;
        EXPECT_EQ(index, at) << name;
    }
    for (int bad : {-1, 6}) {
        EXPECT_TRUE(vars.ValueAt(bad).IsEmpty());
        EXPECT_EQ(vars.NameAt(bad), "");
        EXPECT_EQ(vars.Item(bad), nullptr);
        vars.DeleteAt(bad);
    }
    vars.DeleteAt(0);
    EXPECT_EQ(vars.NameAt(0), "B");
    EXPECT_TRUE(vars.Get("a").IsEmpty());
}


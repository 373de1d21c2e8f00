#include <gtest/gtest.h>

#include <cmath>

#include "base/Currency.h"
#include "base/Exception.h"
#include "base/Variant.h"

TEST(Currency, RoundsHalfAwayFromZeroAndPrintsShortest) {
    const std::pair<double, int64_t> rows[] = {
        {1.00005, 10001},  // as the decimal text reads
        {-1.00005, -10001},
        {0.00004, 0},
        {0.00005, 1},
        {0.1 + 0.2, 3000},
        {922337203685477.0, 9223372036854770000},
    };
    for (const auto& [v, scaled] : rows) EXPECT_EQ(Currency::FromDouble(v).scaled, scaled) << v;
    EXPECT_THROW(Currency::FromDouble(1e15), EConvertError);
    EXPECT_THROW(Currency::FromDouble(NAN), EConvertError);
    EXPECT_EQ(Currency::FromScaled(125000).ToString(), "12.5");
    EXPECT_EQ(Currency::FromScaled(-1).ToString(), "-0.0001");
    EXPECT_EQ(Currency::FromScaled(INT64_MIN).ToString(), "-922337203685477.5808");
}

TEST(Variant, KindsTextAndConversions) {
    EXPECT_FALSE(Variant("2.5").IsNumeric());
    EXPECT_EQ(Variant(1.0 / 3).ToString(), "0.333333333333333");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 1, 2)).ToString(), "02.01.2024");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 1, 2) + 0.5).ToString(), "02.01.2024 12:00:00");

    EXPECT_EQ(Variant("$10").ToInt64(), 16);
    EXPECT_EQ(Variant("2.5").ToInt32(), 2);  // half to even
    EXPECT_EQ(Variant(3.5).ToInt32(), 4);
    EXPECT_EQ(Variant(Currency::FromScaled(-35001)).ToInt32(), -4);
    EXPECT_EQ(Variant(true).ToInt32(), -1);  // the classic True
    EXPECT_EQ(Variant("0.12345").ToCurrency().scaled, 1235);
    EXPECT_FALSE(Variant(int64_t{0}).ToBool());
    EXPECT_EQ(Variant("2024-01-02").ToDateTime(), EncodeDate(2024, 1, 2));

    EXPECT_THROW(Variant("abc").ToDouble(), EConvertError);
    EXPECT_THROW(Variant("3000000000").ToInt32(), EConvertError);
    EXPECT_THROW(Variant(INT64_MAX).ToCurrency(), EConvertError);
    EXPECT_THROW(Variant::Null().ToDateTime(), EConvertError);
    try {
        Variant::Null().ToInt32();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (Null) into type (Integer)");
    }
}

TEST(Variant, Comparisons) {
    EXPECT_FALSE(Variant::Null() == Variant(""));
    EXPECT_FALSE(Variant::Null() == Variant());
    // Numbers compare by value whatever their kind, without losing precision.
    EXPECT_TRUE(Variant(2.5) == Variant(Currency::FromScaled(25000)));
    EXPECT_FALSE(Variant(int64_t{9007199254740993}) == Variant(9007199254740992.0));
    EXPECT_TRUE(Variant::FromDate(2) == Variant(int32_t{2}));
    // A string and a number compare as numbers when the string converts,
    // else as strings; two strings stay strings, case-sensitive.
    EXPECT_LT(Variant::Compare(Variant("9"), Variant(int32_t{10})), 0);
    EXPECT_GT(Variant::Compare(Variant("abc"), Variant(int32_t{10})), 0);
    EXPECT_LT(Variant::Compare(Variant("10"), Variant("9")), 0);
    EXPECT_FALSE(Variant("abc") == Variant("ABC"));
    // Ordering: Empty < Null < everything else.
    EXPECT_LT(Variant::Compare(Variant(), Variant::Null()), 0);
    EXPECT_LT(Variant::Compare(Variant::Null(), Variant("")), 0);
    EXPECT_EQ(Variant::Compare(Variant::FromDate(EncodeDate(2024, 1, 2)), Variant("02.01.2024")), 0);
}

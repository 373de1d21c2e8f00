#include <gtest/gtest.h>

#include <cmath>

#include "base/Currency.h"
#include "base/Exception.h"
#include "base/Variant.h"

TEST(Currency, RoundsHalfAwayFromZeroAndPrintsShortest) {
    EXPECT_EQ(Currency::FromDouble(12.5).scaled, 125000);
    EXPECT_EQ(Currency::FromDouble(1.00005).scaled, 10001);  // as the decimal text reads
    EXPECT_EQ(Currency::FromDouble(-1.00005).scaled, -10001);
    EXPECT_EQ(Currency::FromDouble(0.00004).scaled, 0);
    EXPECT_EQ(Currency::FromDouble(0.00005).scaled, 1);
    EXPECT_EQ(Currency::FromDouble(-0.00005).scaled, -1);
    EXPECT_EQ(Currency::FromDouble(1e-300).scaled, 0);
    EXPECT_EQ(Currency::FromDouble(0.1 + 0.2).scaled, 3000);
    EXPECT_EQ(Currency::FromDouble(922337203685477.0).scaled, 9223372036854770000);
    EXPECT_THROW(Currency::FromDouble(1e15), EConvertError);
    EXPECT_THROW(Currency::FromDouble(-1e300), EConvertError);
    EXPECT_THROW(Currency::FromDouble(NAN), EConvertError);
    EXPECT_EQ(Currency::FromScaled(125000).ToString(), "12.5");
    EXPECT_EQ(Currency::FromScaled(-1).ToString(), "-0.0001");
    EXPECT_EQ(Currency::FromScaled(30000).ToString(), "3");
    EXPECT_EQ(Currency::FromScaled(0).ToString(), "0");
    EXPECT_EQ(Currency::FromScaled(INT64_MIN).ToString(), "-922337203685477.5808");
    EXPECT_DOUBLE_EQ(Currency::FromScaled(-25000).ToDouble(), -2.5);
    EXPECT_LT(Currency::FromScaled(1), Currency::FromScaled(2));
}

TEST(Variant, KindsAndText) {
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_EQ(Variant(int32_t{5}).Type(), VarType::Integer);
    EXPECT_EQ(Variant(int64_t{5}).Type(), VarType::Int64);
    EXPECT_EQ(Variant(2.5).Type(), VarType::Double);
    EXPECT_EQ(Variant(Currency::FromScaled(1)).Type(), VarType::Currency);
    EXPECT_EQ(Variant(true).Type(), VarType::Boolean);
    EXPECT_EQ(Variant("x").Type(), VarType::String);
    EXPECT_EQ(Variant(std::string_view("x")).Type(), VarType::String);
    EXPECT_EQ(Variant::FromDate(1).Type(), VarType::Date);
    EXPECT_TRUE(Variant(2.5).IsNumeric());
    EXPECT_FALSE(Variant("2.5").IsNumeric());
    EXPECT_FALSE(Variant::FromDate(1).IsNumeric());

    EXPECT_EQ(Variant().ToString(), "");
    EXPECT_EQ(Variant::Null().ToString(), "");
    EXPECT_EQ(Variant(int64_t{-7}).ToString(), "-7");
    EXPECT_EQ(Variant(1.0 / 3).ToString(), "0.333333333333333");
    EXPECT_EQ(Variant(1e20).ToString(), "1E20");
    EXPECT_EQ(Variant(Currency::FromScaled(125000)).ToString(), "12.5");
    EXPECT_EQ(Variant(true).ToString(), "True");
    EXPECT_EQ(Variant(false).ToString(), "False");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 1, 2)).ToString(), "02.01.2024");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 1, 2) + 0.5).ToString(), "02.01.2024 12:00:00");
}

TEST(Variant, Conversions) {
    EXPECT_EQ(Variant().ToInt32(), 0);
    EXPECT_EQ(Variant().ToDouble(), 0);
    EXPECT_FALSE(Variant().ToBool());
    EXPECT_EQ(Variant(" 42 ").ToInt32(), 42);
    EXPECT_EQ(Variant("$10").ToInt64(), 16);
    EXPECT_EQ(Variant("9000000000").ToInt64(), 9000000000LL);
    EXPECT_EQ(Variant("2.5").ToInt32(), 2);  // half to even
    EXPECT_EQ(Variant(2.5).ToInt32(), 2);
    EXPECT_EQ(Variant(3.5).ToInt32(), 4);
    EXPECT_EQ(Variant(-2.5).ToInt64(), -2);
    EXPECT_EQ(Variant(Currency::FromScaled(25000)).ToInt32(), 2);
    EXPECT_EQ(Variant(Currency::FromScaled(35000)).ToInt32(), 4);
    EXPECT_EQ(Variant(Currency::FromScaled(-35001)).ToInt32(), -4);
    EXPECT_EQ(Variant(true).ToInt32(), -1);  // the classic True
    EXPECT_DOUBLE_EQ(Variant("1.5e2").ToDouble(), 150);
    EXPECT_EQ(Variant(int32_t{3}).ToCurrency().scaled, 30000);
    EXPECT_EQ(Variant("0.12345").ToCurrency().scaled, 1235);
    EXPECT_TRUE(Variant("TRUE").ToBool());
    EXPECT_FALSE(Variant("false").ToBool());
    EXPECT_TRUE(Variant("2").ToBool());
    EXPECT_TRUE(Variant(0.1).ToBool());
    EXPECT_FALSE(Variant(int64_t{0}).ToBool());
    EXPECT_EQ(Variant("2024-01-02").ToDateTime(), EncodeDate(2024, 1, 2));
    EXPECT_EQ(Variant("45000.5").ToDateTime(), 45000.5);
    EXPECT_EQ(Variant(int32_t{3}).ToDateTime(), 3);

    EXPECT_THROW(Variant("abc").ToInt32(), EConvertError);
    EXPECT_THROW(Variant("abc").ToDouble(), EConvertError);
    EXPECT_THROW(Variant("abc").ToBool(), EConvertError);
    EXPECT_THROW(Variant("abc").ToDateTime(), EConvertError);
    EXPECT_THROW(Variant(int64_t{1} << 40).ToInt32(), EConvertError);
    EXPECT_THROW(Variant("3000000000").ToInt32(), EConvertError);
    EXPECT_THROW(Variant(1e30).ToInt64(), EConvertError);
    EXPECT_THROW(Variant(1e30).ToCurrency(), EConvertError);
    EXPECT_THROW(Variant(INT64_MAX).ToCurrency(), EConvertError);
    try {
        Variant::Null().ToInt32();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (Null) into type (Integer)");
    }
    EXPECT_THROW(Variant::Null().ToDouble(), EConvertError);
    EXPECT_THROW(Variant::Null().ToBool(), EConvertError);
    EXPECT_THROW(Variant::Null().ToCurrency(), EConvertError);
    EXPECT_THROW(Variant::Null().ToDateTime(), EConvertError);
    EXPECT_THROW(Variant::Null().ToInt64(), EConvertError);
}

TEST(Variant, Comparisons) {
    EXPECT_TRUE(Variant::Null() == Variant::Null());
    EXPECT_FALSE(Variant::Null() == Variant(int32_t{0}));
    EXPECT_FALSE(Variant::Null() == Variant(""));
    EXPECT_FALSE(Variant::Null() == Variant());
    EXPECT_TRUE(Variant() == Variant());
    // Numbers compare by value whatever their kind.
    EXPECT_TRUE(Variant(int32_t{2}) == Variant(2.0));
    EXPECT_TRUE(Variant(int64_t{2}) == Variant(Currency::FromScaled(20000)));
    EXPECT_TRUE(Variant(2.5) == Variant(Currency::FromScaled(25000)));
    EXPECT_FALSE(Variant(int64_t{9007199254740993}) == Variant(9007199254740992.0));  // no precision lost
    EXPECT_TRUE(Variant::FromDate(2) == Variant(int32_t{2}));
    // A string and a number compare as numbers when the string converts.
    EXPECT_TRUE(Variant("10") == Variant(int32_t{10}));
    EXPECT_TRUE(Variant(10.0) == Variant(" 1e1 "));
    EXPECT_LT(Variant::Compare(Variant("9"), Variant(int32_t{10})), 0);
    EXPECT_GT(Variant::Compare(Variant("abc"), Variant(int32_t{10})), 0);  // else as strings: "abc" > "10"
    EXPECT_TRUE(Variant("True") == Variant(true));
    // Strings compare case-sensitively.
    EXPECT_FALSE(Variant("abc") == Variant("ABC"));
    EXPECT_TRUE(Variant("abc") == Variant(std::string("abc")));
    EXPECT_LT(Variant::Compare(Variant("10"), Variant("9")), 0);  // two strings stay strings
    // Ordering: Empty < Null < everything else.
    EXPECT_LT(Variant::Compare(Variant(), Variant::Null()), 0);
    EXPECT_LT(Variant::Compare(Variant::Null(), Variant(int32_t{-100})), 0);
    EXPECT_LT(Variant::Compare(Variant::Null(), Variant("")), 0);
    EXPECT_GT(Variant::Compare(Variant(""), Variant()), 0);
    EXPECT_EQ(Variant::Compare(Variant(1.5), Variant(1.5)), 0);
    EXPECT_LT(Variant::Compare(Variant(Currency::FromScaled(1)), Variant(0.001)), 0);
    EXPECT_LT(Variant::Compare(Variant(NAN), Variant(-1e300)), 0);
    EXPECT_EQ(Variant::Compare(Variant::FromDate(EncodeDate(2024, 1, 2)), Variant("02.01.2024")), 0);
}

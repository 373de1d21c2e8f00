#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"

namespace {
// Restores the process decimal separator whatever a test did to it.
struct SeparatorGuard {
    char saved = FormatSettings().DecimalSeparator;
    ~SeparatorGuard() { FormatSettings().DecimalSeparator = saved; }
};
}  // namespace

TEST(FloatToStr, ClassicGeneralFormat) {
    // Fifteen significant digits, rounded; exponents past 15 digits or below 1E-5.
    const std::pair<double, const char*> table[] = {
        {-0.0, "0"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E16"},
        {1e15, "1E15"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {1e-5, "1E-5"},
        {-1.5e-7, "-1.5E-7"},
        {5e-324, "4.94065645841247E-324"},
        {0.9999999999999999, "1"},
        {3.14159265358979323, "3.14159265358979"},
    };
    for (const auto& [v, text] : table) EXPECT_EQ(FloatToStr(v), text) << text;
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatToStr, UsesTheProcessDecimalSeparator) {
    SeparatorGuard guard;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStrF(2.0, 2), "2,00");
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    double d;
    EXPECT_FALSE(TryStrToFloat("2.5", d));
}

TEST(FloatToStr, FixedDecimals) {
    EXPECT_EQ(FloatToStrF(2.675, 2), "2.67");  // the binary value is below the half
    EXPECT_EQ(FloatToStrF(0.125, 2), "0.13");  // exactly half: away from zero
    EXPECT_EQ(FloatToStrF(-1.5, 0), "-2");
    EXPECT_EQ(FloatToStrF(0.1, 20), "0.100000000000000000");  // capped at 18, zeros past 15 digits
    EXPECT_EQ(FloatToStrF(1e20, 2), "1E20");
}

TEST(StrToFloat, AcceptsClassicNumbers) {
    EXPECT_DOUBLE_EQ(StrToFloat("  -1.5e3 "), -1500);
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);
    EXPECT_EQ(StrToFloat(FloatToStr(1.0 / 3)), 0.333333333333333);
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "1e+", "--1", "1 2", ".", "-", "0x10", "1,5", "1e400",
                            "inf", "nan"}) {
        double d;
        EXPECT_FALSE(TryStrToFloat(bad, d)) << bad;
    }
    try {
        StrToFloat("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x1' is not a valid floating point value");
    }
}

TEST(StrToInt, DecimalHexAndRange) {
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // hexadecimal spans the unsigned width
    EXPECT_EQ(StrToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    for (const char* bad :
         {"", "2147483648", "-2147483649", "$100000000", " 1", "1 ", "1.0", "$", "0x", "-", "12a", "$G", "99999999999"}) {
        int32_t v = 123;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(StrToIntDef(bad, -5), -5) << bad;
    }
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("0x7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 1), 1);
    EXPECT_EQ(StrToInt64Def("$10000000000000000", 2), 2);
}

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
std::string ErrorOf(void (*f)()) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "no error";
}
}  // namespace

TEST(FloatToStr, ClassicGeneralFormat) {
    const struct {
        double v;
        const char* text;
    } table[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {-100, "-100"},
        {1.5, "1.5"},
        {-2.25, "-2.25"},
        {0.1 + 0.2, "0.3"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {-123456789012345.0, "-123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E16"},
        {1e20, "1E20"},
        {-2.5e25, "-2.5E25"},
        {1e300, "1E300"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {1e-5, "1E-5"},
        {1e-6, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {-1.5e-7, "-1.5E-7"},
        {5e-324, "4.94065645841247E-324"},
        {0.999999999999999999, "1"},
        {0.9999999999999999, "1"},
        {99.99999999999999, "100"},
        {3.14159265358979323, "3.14159265358979"},
        {12345.678, "12345.678"},
        {2147483647.0, "2147483647"},
    };
    for (const auto& row : table) EXPECT_EQ(FloatToStr(row.v), row.text) << row.text;
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatToStr, UsesTheProcessDecimalSeparator) {
    SeparatorGuard guard;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
    EXPECT_EQ(FloatToStrF(2.0, 2), "2,00");
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    double d;
    EXPECT_FALSE(TryStrToFloat("2.5", d));
}

TEST(FloatToStr, FixedDecimals) {
    EXPECT_EQ(FloatToStrF(1.0, 2), "1.00");
    EXPECT_EQ(FloatToStrF(2.675, 2), "2.67");  // the binary value is below the half
    EXPECT_EQ(FloatToStrF(0.125, 2), "0.13");
    EXPECT_EQ(FloatToStrF(-0.001, 2), "0.00");
    EXPECT_EQ(FloatToStrF(-1.5, 0), "-2");
    EXPECT_EQ(FloatToStrF(1234567.891, 3), "1234567.891");
    EXPECT_EQ(FloatToStrF(0.1, 20), "0.100000000000000000");  // capped at 18, zeros past 15 digits
    EXPECT_EQ(FloatToStrF(1e20, 2), "1E20");
    EXPECT_EQ(FloatToStrF(0, 3), "0.000");
}

TEST(StrToFloat, AcceptsClassicNumbers) {
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat("  -1.5e3 "), -1500);
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
    EXPECT_DOUBLE_EQ(StrToFloat("1E+2"), 100);
    EXPECT_DOUBLE_EQ(StrToFloat("0.1"), 0.1);
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);
    EXPECT_EQ(StrToFloat(FloatToStr(1.0 / 3)), 0.333333333333333);
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "1e+", "--1", "1 2", ".", "-", "0x10", "1,5", "1e400",
                            "inf", "nan"}) {
        double d;
        EXPECT_FALSE(TryStrToFloat(bad, d)) << bad;
    }
    EXPECT_EQ(ErrorOf([] { StrToFloat("x1"); }), "'x1' is not a valid floating point value");
}

TEST(StrToInt, DecimalHexAndRange) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("+17"), 17);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("$ff"), 255);
    EXPECT_EQ(StrToInt("0x1A"), 26);
    EXPECT_EQ(StrToInt("0X1a"), 26);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // hexadecimal spans the unsigned width
    EXPECT_EQ(StrToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("007"), 7);
    for (const char* bad :
         {"", "2147483648", "-2147483649", "$100000000", " 1", "1 ", "1.0", "$", "0x", "-", "12a", "$G", "99999999999"}) {
        int32_t v = 123;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(StrToIntDef(bad, -5), -5) << bad;
    }
    EXPECT_EQ(ErrorOf([] { StrToInt("2147483648"); }), "'2147483648' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { StrToInt64("abc"); }), "'abc' is not a valid integer value");

    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("0x7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 1), 1);
    EXPECT_EQ(StrToInt64Def("$10000000000000000", 2), 2);
}

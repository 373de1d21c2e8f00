#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"

namespace {
std::string Ymd(TDateTime dt) {
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d);
}
std::string Hmsz(TDateTime dt) {
    int h, n, s, z;
    DecodeTime(dt, h, n, s, z);
    return std::to_string(h) + ":" + std::to_string(n) + ":" + std::to_string(s) + "." + std::to_string(z);
}
// Keeps the process formats as they were.
struct FormatGuard {
    TFormatSettings saved = FormatSettings();
    ~FormatGuard() { FormatSettings() = saved; }
};
}  // namespace

TEST(DateTime, EncodeKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61);  // 1900 is no leap year
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    // Each limit, and one past it.
    const std::tuple<int, int, int, bool> dates[] = {
        {2024, 2, 29, true},  {2023, 2, 29, false},  // leap years: every fourth,
        {2000, 2, 29, true},  {1900, 2, 29, false},  // but of the centuries only every fourth
        {2020, 4, 30, true},  {2020, 4, 31, false},
        {1, 1, 1, true},      {0, 1, 1, false},
        {9999, 12, 31, true}, {10000, 1, 1, false},
        {2020, 12, 1, true},  {2020, 13, 1, false},
        {2020, 1, 1, true},   {2020, 1, 0, false},
    };
    TDateTime out = 99;
    for (const auto& [y, m, d, valid] : dates)
        EXPECT_EQ(TryEncodeDate(y, m, d, out), valid) << y << "-" << m << "-" << d;
    const std::tuple<int, int, int, int, bool> times[] = {
        {23, 59, 59, 999, true}, {24, 0, 0, 0, false},
        {0, 59, 0, 0, true},     {0, 60, 0, 0, false},
        {0, 0, 59, 0, true},     {0, 0, 60, 0, false},
        {0, 0, 0, 999, true},    {0, 0, 0, 1000, false},
        {0, 0, 0, 0, true},      {-1, 0, 0, 0, false},
    };
    for (const auto& [h, n, sec, ms, valid] : times)
        EXPECT_EQ(TryEncodeTime(h, n, sec, ms, out), valid) << h << ":" << n << ":" << sec << "." << ms;
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

TEST(DateTime, DecodeRoundTripsEveryDayOfAWideRange) {
    // Every day from year 1 to 9999 decodes to the date it was encoded from,
    // and consecutive days are consecutive numbers.
    TDateTime expect = EncodeDate(1, 1, 1);
    for (int y = 1; y <= 9999; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const TDateTime dt = EncodeDate(y, m, d);
                ASSERT_EQ(dt, expect) << y << "-" << m << "-" << d;
                int yy, mm, dd;
                DecodeDate(dt, yy, mm, dd);
                ASSERT_TRUE(yy == y && mm == m && dd == d) << y << "-" << m << "-" << d;
                expect += 1;
            }
}

TEST(DateTime, NegativeValuesAndTimeOfDay) {
    // Before 1899-12-30 the day is the integer part and the fraction's magnitude the time.
    EXPECT_EQ(Ymd(-1.5), "1899-12-29");
    EXPECT_EQ(Hmsz(-1.5), "12:0:0.0");
    // Rounding to the millisecond: a value a hair below midnight rounds into
    // the next day.
    EXPECT_EQ(Hmsz(1.0 - 1e-10), "0:0:0.0");
    EXPECT_EQ(Ymd(1.0 - 1e-10), "1899-12-31");
    // Every millisecond value of a few hours survives encode and decode.
    for (int ms = 0; ms < 3 * 3600000; ms += 7) {
        const TDateTime t = EncodeDate(2024, 2, 29) + EncodeTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
        int h, n, s, z;
        DecodeTime(t, h, n, s, z);
        ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, ms);
    }
    EXPECT_EQ(DayOfWeek(-1.5), 6);  // 1899-12-29 was a Friday
    // Values that are no date decode as zeros instead of failing.
    EXPECT_EQ(Ymd(NAN), "0-0-0");
}

TEST(DateTime, FormatDateTimeSpecifiers) {
    FormatGuard guard;
    const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", dt), "2024-03-05 14:07:09.045");
    EXPECT_EQ(FormatDateTime("h \"h\" mm", dt), "14 h 07");  // m after h is minutes, quoted text is no token
    EXPECT_EQ(FormatDateTime("h AM/PM", EncodeTime(0, 30, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("'at' hh \"o'clock\"", dt), "at 14 o'clock");
    FormatSettings().DateSeparator = '/';
    FormatSettings().TimeSeparator = '-';
    EXPECT_EQ(FormatDateTime("dd/mm hh:nn", dt), "05/03 14-07");
    // A format that names itself cannot recurse for ever.
    FormatSettings().ShortDateFormat = "ddddd";
    EXPECT_EQ(FormatDateTime("c", 0), "");
}

TEST(DateTime, TextAndBackLeavingOutMidnight) {
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31)), "31.12.2024");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31) + EncodeTime(0, 0, 1, 0)), "31.12.2024 00:00:01");
    EXPECT_EQ(DateTimeToStr(-1.75), "29.12.1899 18:00:00");
    EXPECT_EQ(StrToDate("2024-03-05"), EncodeDate(2024, 3, 5));  // SQL's order
    EXPECT_EQ(StrToTime("2:07 PM"), EncodeTime(14, 7, 0, 0));
    EXPECT_EQ(StrToDateTime("29.12.1899 18:00"), -1.75);
    TDateTime out;
    for (const char* bad : {"", "31.02.2024", "2024", "12", "1.2.3.4", "25:00", "10:61", "13 PM", "05.03.2024x",
                            "05.03.2024 xx", "1.5e3"})
        EXPECT_FALSE(TryStrToDateTime(bad, out)) << bad;
    EXPECT_THROW(StrToDate("zz"), EConvertError);
}

TEST(DateTime, NowIsLocalTimeWithMilliseconds) {
    const TDateTime a = Now();
    const time_t t = time(nullptr);
    tm lt{};
    localtime_r(&t, &lt);
    // The test may straddle midnight; allow the neighbouring day.
    EXPECT_LE(std::fabs(Date() - EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday)), 1);
    EXPECT_LT((Now() - a) * MSecsPerDay, 1000);
}

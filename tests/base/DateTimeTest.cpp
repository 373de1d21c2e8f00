#include <gtest/gtest.h>

#include <cmath>

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
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61);  // 1900 is no leap year
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    TDateTime out = 99;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, out));
    EXPECT_FALSE(TryEncodeDate(2020, 13, 1, out));
    EXPECT_FALSE(TryEncodeDate(2020, 4, 31, out));
    EXPECT_FALSE(TryEncodeDate(2020, 1, 0, out));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, out));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, out));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, out));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, out));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, out));
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(2400));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
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
    EXPECT_EQ(Ymd(-0.25), "1899-12-30");
    EXPECT_EQ(Hmsz(-0.25), "6:0:0.0");
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(ComposeDateTime(2, 0.25), 2.25);
    EXPECT_EQ(Hmsz(ComposeDateTime(EncodeDate(1800, 5, 6), EncodeTime(13, 14, 15, 16))), "13:14:15.16");
    EXPECT_EQ(Ymd(ComposeDateTime(EncodeDate(1800, 5, 6), EncodeTime(23, 59, 59, 999))), "1800-5-6");
    // Rounding to the millisecond: half a day is exactly noon, and a value a
    // hair below midnight rounds into the next day.
    EXPECT_EQ(Hmsz(0.5), "12:0:0.0");
    EXPECT_EQ(Hmsz(EncodeTime(23, 59, 59, 999)), "23:59:59.999");
    EXPECT_EQ(Hmsz(1.0 - 1e-10), "0:0:0.0");
    EXPECT_EQ(Ymd(1.0 - 1e-10), "1899-12-31");
    // Every millisecond value of a few hours survives encode and decode.
    for (int ms = 0; ms < 3 * 3600000; ms += 7) {
        const TDateTime t = EncodeDate(2024, 2, 29) + EncodeTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
        int h, n, s, z;
        DecodeTime(t, h, n, s, z);
        ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, ms);
    }
    EXPECT_EQ(DayOfWeek(0), 7);                       // 1899-12-30 was a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(-1.5), 6);
    // Values that are no date decode as zeros instead of failing.
    EXPECT_EQ(Ymd(-700000), "0-0-0");
    EXPECT_EQ(Ymd(NAN), "0-0-0");
}

TEST(DateTime, FormatDateTimeSpecifiers) {
    FormatGuard guard;
    const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", dt), "2024-03-05 14:07:09.045");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s z", dt), "5.3.24 14:7:9 45");
    EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", dt), "Tue Tuesday Mar March");
    EXPECT_EQ(FormatDateTime("hh:mm", dt), "14:07");          // m after h is minutes
    EXPECT_EQ(FormatDateTime("h \"h\" mm", dt), "14 h 07");   // still after h: quoted text is no token
    EXPECT_EQ(FormatDateTime("mm/dd", dt), "03.05");
    EXPECT_EQ(FormatDateTime("hh:nn am/pm", dt), "02:07 pm");
    EXPECT_EQ(FormatDateTime("h AM/PM", EncodeTime(0, 30, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("h a/p", dt), "2 p");
    EXPECT_EQ(FormatDateTime("h ampm", dt), "2 PM");
    EXPECT_EQ(FormatDateTime("'at' hh \"o'clock\"", dt), "at 14 o'clock");
    EXPECT_EQ(FormatDateTime("ddddd", dt), "05.03.2024");
    EXPECT_EQ(FormatDateTime("t", dt), "14:07");
    EXPECT_EQ(FormatDateTime("tt", dt), "14:07:09");
    EXPECT_EQ(FormatDateTime("c", dt), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("", dt), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(33, 1, 1)), "0033");
    EXPECT_EQ(FormatDateTime("xy!", dt), "x24!");  // y alone is the two-digit year
    FormatSettings().DateSeparator = '/';
    FormatSettings().TimeSeparator = '-';
    EXPECT_EQ(FormatDateTime("dd/mm hh:nn", dt), "05/03 14-07");
    // A format that names itself cannot recurse for ever.
    FormatSettings().ShortDateFormat = "ddddd";
    EXPECT_EQ(FormatDateTime("c", 0), "");
}

TEST(DateTime, DateTimeToStrLeavesOutMidnight) {
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31)), "31.12.2024");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31) + EncodeTime(0, 0, 1, 0)), "31.12.2024 00:00:01");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31) + 0.5), "31.12.2024 12:00:00");
    EXPECT_EQ(DateTimeToStr(0), "30.12.1899");
    EXPECT_EQ(DateTimeToStr(-1.75), "29.12.1899 18:00:00");
    EXPECT_EQ(DateToStr(EncodeDate(2001, 2, 3) + 0.9), "03.02.2001");
    EXPECT_EQ(TimeToStr(EncodeDate(2001, 2, 3) + 0.75), "18:00:00");
}

TEST(DateTime, TextToDate) {
    EXPECT_EQ(StrToDate("05.03.2024"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate(" 5.3.2024 "), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate("2024-03-05"), EncodeDate(2024, 3, 5));  // SQL's order
    EXPECT_EQ(StrToTime("14:07"), EncodeTime(14, 7, 0, 0));
    EXPECT_EQ(StrToTime("14:07:09.5"), EncodeTime(14, 7, 9, 500));
    EXPECT_EQ(StrToTime("2:07 PM"), EncodeTime(14, 7, 0, 0));
    EXPECT_EQ(StrToTime("12 am"), 0);
    EXPECT_EQ(StrToDateTime("2024-03-05 14:07:09"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0));
    EXPECT_EQ(StrToDateTime("2024-03-05T14:07"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0));
    EXPECT_EQ(StrToDateTime("05.03.2024"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDateTime("10:30"), EncodeTime(10, 30, 0, 0));
    EXPECT_EQ(StrToDateTime("29.12.1899 18:00"), -1.75);
    int y, m, d;
    DecodeDate(StrToDate("1.2.30"), y, m, d);
    EXPECT_TRUE(y % 100 == 30 && m == 2 && d == 1);
    TDateTime out;
    for (const char* bad : {"", "31.02.2024", "2024", "12", "1.2.3.4", "25:00", "10:61", "13 PM", "05.03.2024x",
                            "05.03.2024 xx", "1.5e3"})
        EXPECT_FALSE(TryStrToDateTime(bad, out)) << bad;
    try {
        StrToDate("zz");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'zz' is not a valid date");
    }
}

TEST(DateTime, NowIsLocalTimeWithMilliseconds) {
    const TDateTime a = Now();
    time_t t = time(nullptr);
    tm lt{};
    localtime_r(&t, &lt);
    int y, m, d;
    DecodeDate(a, y, m, d);
    // The test may straddle midnight; allow the neighbouring day.
    const TDateTime today = EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
    EXPECT_LE(std::fabs(EncodeDate(y, m, d) - today), 1);
    EXPECT_EQ(Date(), std::floor(Date()));
    EXPECT_LE(std::fabs(Date() - std::floor(Now())), 1);
    // Two readings some milliseconds apart differ by less than a second.
    const TDateTime b = Now();
    EXPECT_GE(b, a);
    EXPECT_LT((b - a) * MSecsPerDay, 1000);
}

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

constexpr int MSecsPerDay = 86400000;

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// Throw EConvertError for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
// Before 1899-12-30 the time of day is subtracted: the fraction's magnitude
// is the time (ComposeDateTime(-1, 0.25) is 1899-12-29 06:00, value -1.25).
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

TDateTime Now();   // local date and time
TDateTime Date();  // local date, time 0

// The classic FormatDateTime: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn
// s ss z zzz am/pm a/p, c (short date, then long time unless midnight),
// ddddd (short date), t (short time), tt (long time), / and : (separators),
// quoted text in "..." or '...'. "m" right after an "h" means minutes.
std::string FormatDateTime(std::string_view format, TDateTime dt);
// Short date, a blank and the long time; the time is left out at midnight.
std::string DateTimeToStr(TDateTime dt);
std::string DateToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt);

// Text to date and time, as the classic runtime reads them: the date's
// numbers in the order of ShortDateFormat (a first number of 3 or more digits
// means year-month-day), separated by DateSeparator, '-' or '/'; two numbers
// are day and month of the current year; a two-digit year falls within 50
// years of the current one. The time is h:n[:s[.z]] with TimeSeparator or
// ':', optionally followed by AM/PM. A date and a time are separated by
// blanks (or 'T'). Surrounding blanks are allowed. The throwing forms raise
// EConvertError ("'x' is not a valid date" / "... time" / "... date and time").
bool TryStrToDate(std::string_view s, TDateTime& out);
bool TryStrToTime(std::string_view s, TDateTime& out);
bool TryStrToDateTime(std::string_view s, TDateTime& out);
TDateTime StrToDate(std::string_view s);
TDateTime StrToTime(std::string_view s);
TDateTime StrToDateTime(std::string_view s);

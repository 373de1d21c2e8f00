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

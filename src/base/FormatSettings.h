#pragma once
#include <array>
#include <string>

// The process-wide number and date formats of the classic runtime.
struct TFormatSettings {
    std::string ShortDateFormat = "dd.mm.yyyy";
    std::string LongDateFormat = "dd.mm.yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '.';
    char TimeSeparator = ':';
    std::string CurrencyString;
    // Names for FormatDateTime's mmm, mmmm, ddd, dddd (Sunday first) and ampm.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};

// The one instance the whole process formats with.
TFormatSettings& FormatSettings();

#pragma once
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
};

// The one instance the whole process formats with.
TFormatSettings& FormatSettings();

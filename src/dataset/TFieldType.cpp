#include "TFieldType.h"

#include <cmath>

const char* FieldTypeName(TFieldType type) {
    switch (type) {
        case ftUnknown: return "Unknown";
        case ftString: return "String";
        case ftSmallint: return "SmallInt";
        case ftInteger: return "Integer";
        case ftWord: return "Word";
        case ftBoolean: return "Boolean";
        case ftFloat: return "Float";
        case ftCurrency: return "Currency";
        case ftBCD: return "BCD";
        case ftDate: return "Date";
        case ftTime: return "Time";
        case ftDateTime: return "DateTime";
        case ftBlob: return "Blob";
        case ftMemo: return "Memo";
        case ftGraphic: return "Graphic";
        case ftFmtMemo: return "FmtMemo";
        case ftWideString: return "WideString";
        case ftLargeint: return "Largeint";
    }
    return "Unknown";
}

bool IsBlobType(TFieldType type) {
    return type == ftBlob || type == ftMemo || type == ftGraphic || type == ftFmtMemo;
}

bool IsStringType(TFieldType type) { return type == ftString || type == ftWideString; }

namespace {

// Whole days and milliseconds of the day. Before 1899-12-30 the fraction of
// a TDateTime counts the time forward from the start of the day even though
// the value is negative, so the time is its magnitude.
void Split(TDateTime dt, int64_t& days, int64_t& msecs) {
    double whole = std::trunc(dt);
    msecs = std::llround(std::fabs(dt - whole) * MSecsPerDay);
    days = static_cast<int64_t>(whole);
    if (msecs >= MSecsPerDay) {  // rounding reached the next day
        msecs -= MSecsPerDay;
        days += dt < 0 ? -1 : 1;
    }
}

}  // namespace

int32_t DateTimeToNativeDate(TDateTime dt) {
    int64_t days, msecs;
    Split(dt, days, msecs);
    return static_cast<int32_t>(days + DateDelta);
}

int32_t DateTimeToNativeTime(TDateTime dt) {
    int64_t days, msecs;
    Split(dt, days, msecs);
    return static_cast<int32_t>(msecs);
}

double DateTimeToNativeDateTime(TDateTime dt) {
    int64_t days, msecs;
    Split(dt, days, msecs);
    return static_cast<double>(days + DateDelta) * MSecsPerDay + static_cast<double>(msecs);
}

TDateTime NativeDateToDateTime(int32_t days) { return static_cast<double>(days) - DateDelta; }

TDateTime NativeTimeToDateTime(int32_t msecs) {
    return static_cast<double>(msecs) / MSecsPerDay;
}

TDateTime NativeDateTimeToDateTime(double stamp) {
    double days = std::floor(stamp / MSecsPerDay);
    double msecs = stamp - days * MSecsPerDay;
    double date = days - DateDelta;
    double time = msecs / MSecsPerDay;
    return date >= 0 ? date + time : date - time;
}

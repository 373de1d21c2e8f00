#pragma once
#include <cstdint>

#include "base/DateTime.h"

// Kinds of field and parameter values.
//
// What GetFieldData hands over and SetFieldData receives, per kind (the
// "native" value; every data set and every field class agrees on it):
//   ftString, ftWideString   char[Size + 1], zero-terminated text
//   ftSmallint, ftInteger, ftWord   int32_t
//   ftLargeint               int64_t
//   ftBoolean                int16_t, 0 false, any other value true
//   ftFloat, ftCurrency, ftBCD      double
//   ftDate                   int32_t days, day 1 = 0001-01-01
//   ftTime                   int32_t milliseconds since midnight
//   ftDateTime               double: days (as for ftDate) * 86400000 + ms
//   ftBlob, ftMemo, ftGraphic, ftFmtMemo   no native value; read and write
//                            them through TDataSet::CreateBlobStream
enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftWideString,
    ftLargeint,
};

// Classic type names ("String", "Integer", ...), used in messages.
const char* FieldTypeName(TFieldType type);
bool IsBlobType(TFieldType type);
bool IsStringType(TFieldType type);

// 1899-12-30 (TDateTime 0) as a native day number.
constexpr int32_t DateDelta = 693594;

// Conversions between TDateTime and the native date and time values.
int32_t DateTimeToNativeDate(TDateTime dt);
int32_t DateTimeToNativeTime(TDateTime dt);
double DateTimeToNativeDateTime(TDateTime dt);
TDateTime NativeDateToDateTime(int32_t days);
TDateTime NativeTimeToDateTime(int32_t msecs);
TDateTime NativeDateTimeToDateTime(double stamp);

#pragma once
#include <cstdint>
#include <string_view>

#include "dataset/TFieldType.h"

struct TDeclaredType {
    TFieldType kind = ftString;
    int32_t size = 255;
    int32_t precision = 0;
};

// Field kind, size and precision for a column's declared type text. A column
// without a declared type is mapped from "string". A size that is not a
// number (varchar(max)) raises EConvertError.
TDeclaredType MapDeclaredType(std::string_view declared);

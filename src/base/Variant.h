#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "Currency.h"
#include "DateTime.h"

enum class VarType { Empty, Null, Integer, Int64, Double, Currency, Boolean, String, Date };

// A value of one of the kinds the data sets, parameters and variables carry.
class Variant {
public:
    Variant() = default;  // Empty
    static Variant Null();
    Variant(int32_t v);
    Variant(int64_t v);
    Variant(double v);
    Variant(Currency v);
    Variant(bool v);
    Variant(std::string v);
    Variant(std::string_view v);
    Variant(const char* v);
    static Variant FromDate(TDateTime v);

    VarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }
    bool IsNull() const { return type_ == VarType::Null; }
    bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
    bool IsNumeric() const;  // Integer, Int64, Double, Currency

    // Conversions. Empty converts to 0, "" and false; Null throws
    // EConvertError ("Could not convert variant of type (Null) into type ...")
    // except for ToString, which gives "". Strings are parsed with
    // StrToInt64/StrToFloat and "True"/"False" (any case) for booleans;
    // doubles convert to integers by rounding half to even. As in the
    // classic runtime a Boolean True converts to the number -1 (False to 0);
    // a value that does not fit the target throws EConvertError ("Overflow
    // while converting variant of type (Double) into type (Integer)").
    std::string ToString() const;   // FloatToStr, DateTimeToStr, "True"/"False"
    int32_t ToInt32() const;
    int64_t ToInt64() const;
    double ToDouble() const;
    Currency ToCurrency() const;
    bool ToBool() const;
    TDateTime ToDateTime() const;

    // Equality as the classic variant comparison: Null equals only Null,
    // numbers compare by value whatever their kind, a string and a number
    // compare as numbers when the string converts, else as strings; strings
    // compare case-sensitively.
    friend bool operator==(const Variant& a, const Variant& b);
    // Empty equals only Empty. A Boolean and a string compare as booleans
    // when the string is "True"/"False", a date and a string as dates when
    // the string reads as one.
    // Ordering for sorting: Empty < Null < everything else; then as above
    // (NaN sorts before every other number).
    static int Compare(const Variant& a, const Variant& b);

private:
    VarType type_ = VarType::Empty;
    std::variant<std::monostate, int64_t, double, Currency, bool, std::string> v_;
};

#include "Variant.h"

#include <cmath>

#include "AnsiString.h"
#include "Exception.h"
#include "NumberText.h"

namespace {

const char* TypeName(VarType t) {
    switch (t) {
        case VarType::Empty: return "Empty";
        case VarType::Null: return "Null";
        case VarType::Integer: return "Integer";
        case VarType::Int64: return "Int64";
        case VarType::Double: return "Double";
        case VarType::Currency: return "Currency";
        case VarType::Boolean: return "Boolean";
        case VarType::String: return "String";
        case VarType::Date: return "Date";
    }
    return "Unknown";
}

[[noreturn]] void ThrowConvert(VarType from, VarType to) {
    throw EConvertError(std::string("Could not convert variant of type (") + TypeName(from) + ") into type (" +
                        TypeName(to) + ")");
}
[[noreturn]] void ThrowOverflow(VarType from, VarType to) {
    throw EConvertError(std::string("Overflow while converting variant of type (") + TypeName(from) +
                        ") into type (" + TypeName(to) + ")");
}

// Doubles become integers by rounding half to even, as the classic runtime's
// variant conversions do.
bool RoundToInt64(double d, int64_t& out) {
    if (!std::isfinite(d)) return false;
    const double r = std::nearbyint(d);
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    out = static_cast<int64_t>(r);
    return true;
}

bool ParseBoolText(std::string_view s, bool& out) {
    if (SameText(s, "True")) {
        out = true;
        return true;
    }
    if (SameText(s, "False")) {
        out = false;
        return true;
    }
    return false;
}

// A number in one of three exact forms, for comparing across kinds.
struct Num {
    enum Kind { Int, Cur, Dbl } kind;
    int64_t i;  // Int: the value; Cur: the scaled value
    double d;
};

int Sign(long double x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }

int CompareNum(const Num& a, const Num& b) {
    if (a.kind == Num::Dbl || b.kind == Num::Dbl) {
        const bool an = a.kind == Num::Dbl && std::isnan(a.d);
        const bool bn = b.kind == Num::Dbl && std::isnan(b.d);
        if (an || bn) return an && bn ? 0 : (an ? -1 : 1);  // NaN sorts first
        // long double holds every int64 exactly, so no precision is lost.
        auto val = [](const Num& n) -> long double {
            if (n.kind == Num::Dbl) return n.d;
            if (n.kind == Num::Cur) return static_cast<long double>(n.i) / 10000.0L;
            return static_cast<long double>(n.i);
        };
        if (a.kind == Num::Cur || b.kind == Num::Cur) {
            auto scaled = [](const Num& n) -> long double {
                if (n.kind == Num::Cur) return static_cast<long double>(n.i);
                return static_cast<long double>(n.kind == Num::Dbl ? n.d : n.i) * 10000.0L;
            };
            return Sign(scaled(a) - scaled(b));
        }
        return Sign(val(a) - val(b));
    }
    __int128 x = a.i, y = b.i;
    if (a.kind != b.kind) {
        if (a.kind == Num::Int) x *= 10000;
        if (b.kind == Num::Int) y *= 10000;
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

Variant Variant::Null() {
    Variant v;
    v.type_ = VarType::Null;
    return v;
}
Variant::Variant(int32_t v) : type_(VarType::Integer), v_(static_cast<int64_t>(v)) {}
Variant::Variant(int64_t v) : type_(VarType::Int64), v_(v) {}
Variant::Variant(double v) : type_(VarType::Double), v_(v) {}
Variant::Variant(Currency v) : type_(VarType::Currency), v_(v) {}
Variant::Variant(bool v) : type_(VarType::Boolean), v_(v) {}
Variant::Variant(std::string v) : type_(VarType::String), v_(std::move(v)) {}
Variant::Variant(std::string_view v) : type_(VarType::String), v_(std::string(v)) {}
Variant::Variant(const char* v) : type_(VarType::String), v_(std::string(v ? v : "")) {}
Variant Variant::FromDate(TDateTime v) {
    Variant r(v);
    r.type_ = VarType::Date;
    return r;
}

bool Variant::IsNumeric() const {
    return type_ == VarType::Integer || type_ == VarType::Int64 || type_ == VarType::Double ||
           type_ == VarType::Currency;
}

std::string Variant::ToString() const {
    switch (type_) {
        case VarType::Empty:
        case VarType::Null: return std::string();
        case VarType::Integer:
        case VarType::Int64: return IntToStr(std::get<int64_t>(v_));
        case VarType::Double: return FloatToStr(std::get<double>(v_));
        case VarType::Date: return DateTimeToStr(std::get<double>(v_));
        case VarType::Currency: return std::get<Currency>(v_).ToString();
        case VarType::Boolean: return std::get<bool>(v_) ? "True" : "False";
        case VarType::String: return std::get<std::string>(v_);
    }
    return std::string();
}

int64_t Variant::ToInt64() const {
    int64_t r = 0;
    switch (type_) {
        case VarType::Empty: return 0;
        case VarType::Null: ThrowConvert(type_, VarType::Int64);
        case VarType::Integer:
        case VarType::Int64: return std::get<int64_t>(v_);
        case VarType::Double:
        case VarType::Date:
            if (!RoundToInt64(std::get<double>(v_), r)) ThrowOverflow(type_, VarType::Int64);
            return r;
        case VarType::Currency: {
            const int64_t s = std::get<Currency>(v_).scaled;
            int64_t q = s / 10000, rem = s % 10000;
            if (rem > 5000 || (rem == 5000 && (q & 1))) ++q;
            if (rem < -5000 || (rem == -5000 && (q & 1))) --q;
            return q;
        }
        case VarType::Boolean: return std::get<bool>(v_) ? -1 : 0;  // the classic True is -1
        case VarType::String: {
            const std::string t = Trim(std::get<std::string>(v_));
            if (TryStrToInt64(t, r)) return r;
            double d;
            if (TryStrToFloat(t, d)) {
                if (!RoundToInt64(d, r)) ThrowOverflow(type_, VarType::Int64);
                return r;
            }
            ThrowConvert(type_, VarType::Int64);
        }
    }
    return 0;
}

int32_t Variant::ToInt32() const {
    if (type_ == VarType::Null) ThrowConvert(type_, VarType::Integer);
    if (type_ == VarType::String) {
        const std::string t = Trim(std::get<std::string>(v_));
        int64_t r;
        double d;
        if (!TryStrToInt64(t, r) && !(TryStrToFloat(t, d) && RoundToInt64(d, r))) {
            if (TryStrToFloat(t, d)) ThrowOverflow(type_, VarType::Integer);
            ThrowConvert(type_, VarType::Integer);
        }
        if (r < INT32_MIN || r > INT32_MAX) ThrowOverflow(type_, VarType::Integer);
        return static_cast<int32_t>(r);
    }
    int64_t r;
    try {
        r = ToInt64();
    } catch (const EConvertError&) {
        ThrowOverflow(type_, VarType::Integer);
    }
    if (r < INT32_MIN || r > INT32_MAX) ThrowOverflow(type_, VarType::Integer);
    return static_cast<int32_t>(r);
}

double Variant::ToDouble() const {
    switch (type_) {
        case VarType::Empty: return 0;
        case VarType::Null: ThrowConvert(type_, VarType::Double);
        case VarType::Integer:
        case VarType::Int64: return static_cast<double>(std::get<int64_t>(v_));
        case VarType::Double:
        case VarType::Date: return std::get<double>(v_);
        case VarType::Currency: return std::get<Currency>(v_).ToDouble();
        case VarType::Boolean: return std::get<bool>(v_) ? -1.0 : 0.0;
        case VarType::String: {
            double d;
            if (TryStrToFloat(std::get<std::string>(v_), d)) return d;
            ThrowConvert(type_, VarType::Double);
        }
    }
    return 0;
}

Currency Variant::ToCurrency() const {
    switch (type_) {
        case VarType::Empty: return Currency{};
        case VarType::Null: ThrowConvert(type_, VarType::Currency);
        case VarType::Integer:
        case VarType::Int64: {
            const int64_t v = std::get<int64_t>(v_);
            if (v > INT64_MAX / 10000 || v < INT64_MIN / 10000) ThrowOverflow(type_, VarType::Currency);
            return Currency::FromScaled(v * 10000);
        }
        case VarType::Currency: return std::get<Currency>(v_);
        case VarType::Boolean: return Currency::FromScaled(std::get<bool>(v_) ? -10000 : 0);
        case VarType::Double:
        case VarType::Date:
        case VarType::String: {
            const double d = ToDouble();
            try {
                return Currency::FromDouble(d);
            } catch (const EConvertError&) {
                ThrowOverflow(type_, VarType::Currency);
            }
        }
    }
    return Currency{};
}

bool Variant::ToBool() const {
    switch (type_) {
        case VarType::Empty: return false;
        case VarType::Null: ThrowConvert(type_, VarType::Boolean);
        case VarType::Boolean: return std::get<bool>(v_);
        case VarType::Integer:
        case VarType::Int64: return std::get<int64_t>(v_) != 0;
        case VarType::Double:
        case VarType::Date: return std::get<double>(v_) != 0;
        case VarType::Currency: return std::get<Currency>(v_).scaled != 0;
        case VarType::String: {
            const std::string t = Trim(std::get<std::string>(v_));
            bool b;
            if (ParseBoolText(t, b)) return b;
            double d;
            if (TryStrToFloat(t, d)) return d != 0;
            ThrowConvert(type_, VarType::Boolean);
        }
    }
    return false;
}

TDateTime Variant::ToDateTime() const {
    switch (type_) {
        case VarType::Null: ThrowConvert(type_, VarType::Date);
        case VarType::String: {
            const std::string& s = std::get<std::string>(v_);
            TDateTime dt;
            if (TryStrToDateTime(s, dt)) return dt;
            double d;
            if (TryStrToFloat(s, d)) return d;
            ThrowConvert(type_, VarType::Date);
        }
        default: return ToDouble();
    }
}

namespace {

bool AsNum(const Variant& v, Num& n) {
    switch (v.Type()) {
        case VarType::Integer:
        case VarType::Int64:
        case VarType::Boolean: n = Num{Num::Int, v.ToInt64(), 0}; return true;
        case VarType::Currency: n = Num{Num::Cur, v.ToCurrency().scaled, 0}; return true;
        case VarType::Double:
        case VarType::Date: n = Num{Num::Dbl, 0, v.ToDouble()}; return true;
        default: return false;
    }
}

// A string that reads as a number of the other side's kind, or not.
bool StringAsNum(const std::string& s, VarType other, Num& n) {
    const std::string t = Trim(s);
    if (other == VarType::Boolean) {
        bool b;
        if (!ParseBoolText(t, b)) return false;
        n = Num{Num::Int, b ? -1 : 0, 0};
        return true;
    }
    if (other == VarType::Date) {
        TDateTime dt;
        if (TryStrToDateTime(t, dt)) {
            n = Num{Num::Dbl, 0, dt};
            return true;
        }
    }
    int64_t i;
    if (TryStrToInt64(t, i)) {
        n = Num{Num::Int, i, 0};
        return true;
    }
    double d;
    if (TryStrToFloat(t, d)) {
        n = Num{Num::Dbl, 0, d};
        return true;
    }
    return false;
}

int Rank(VarType t) { return t == VarType::Empty ? 0 : (t == VarType::Null ? 1 : 2); }

}  // namespace

int Variant::Compare(const Variant& a, const Variant& b) {
    const int ra = Rank(a.type_), rb = Rank(b.type_);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra < 2) return 0;
    const bool as = a.type_ == VarType::String, bs = b.type_ == VarType::String;
    if (as && bs) return AnsiCompareStr(std::get<std::string>(a.v_), std::get<std::string>(b.v_));
    Num x{}, y{};
    if (!as && !bs) {
        AsNum(a, x);
        AsNum(b, y);
        return CompareNum(x, y);
    }
    if (as) {
        if (StringAsNum(std::get<std::string>(a.v_), b.type_, x)) {
            AsNum(b, y);
            return CompareNum(x, y);
        }
        return AnsiCompareStr(std::get<std::string>(a.v_), b.ToString());
    }
    if (StringAsNum(std::get<std::string>(b.v_), a.type_, y)) {
        AsNum(a, x);
        return CompareNum(x, y);
    }
    return AnsiCompareStr(a.ToString(), std::get<std::string>(b.v_));
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
    return Variant::Compare(a, b) == 0;
}

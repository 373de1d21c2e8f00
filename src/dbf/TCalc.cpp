#include "dbf/TCalc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "base/AnsiString.h"
#include "base/DateTime.h"
#include "base/NumberText.h"
#include "base/Utf8.h"

namespace {

// Thrown once an error has been reported: the parse unwinds to Calculate
// without reporting anything else.
struct Stop {};

// Message texts by error code. Code 4 has no rule that reports it; code 9
// guards the stack against runaway nesting.
constexpr std::array<std::string_view, 10> kMessages{
    "Синтаксическая ошибка",
    "Непарные круглые скобки <%s>",
    "Должна быть скобка )",
    "Должна быть скобка (",
    "Должен быть разделитель ,",
    "Должна быть поле, строка или выражение",
    "Поле <%s> отсутствует",
    "Неверное арифметическое выражение",
    "Неверный формат даты/времени",
    "Слишком глубокая вложенность выражения",
};
constexpr std::string_view kErrorPrefix = "ОШИБКА фильтра: ";
constexpr std::string_view kRecordPrefix = " (строка ";
constexpr std::string_view kUnknownError = "НЕИЗВЕСТНАЯ ОШИБКА фильтра";

struct FuncWord {
    std::string_view word;
    uint8_t code;
};
// Searched in this order; "and", "or" and "not" are words of the grammar
// that share the table.
constexpr std::array<FuncWord, 22> kFunctions{{
    {"concat", 1},  {"round", 2},   {"strtodate", 15}, {"strtodatetime", 16}, {"datetostr", 17},
    {"datetimetostr", 18}, {"numtostr", 13}, {"strtonum", 14}, {"instr", 4}, {"substr", 5},
    {"length", 6},  {"upper", 7},   {"trim", 8},       {"ltrim", 10},         {"rtrim", 9},
    {"rpad", 11},   {"lpad", 12},   {"isnull", 22},    {"nvl", 23},           {"and", 19},
    {"or", 20},     {"not", 21},
}};

constexpr std::string_view kOperatorChars = "%()*+,-/;<=>^";

bool IsDelimiter(char c) {
    return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' ' ||
           kOperatorChars.find(c) != std::string_view::npos;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

[[noreturn]] void Overflow() { throw std::overflow_error("arithmetic overflow"); }
[[noreturn]] void ZeroDivide() { throw std::domain_error("division by zero"); }

// The range of dates the calendar routines can name: 0001-01-01 .. 9999-12-31.
bool DateInRange(double d) { return d > -693594.0 && d < 2958466.0; }

// Text of a value as functions and the wildcard see it; Null is empty.
std::string Text(const Variant& v) {
    if (v.Type() == VarType::Date && !DateInRange(v.ToDouble())) Overflow();
    return v.ToString();
}

Currency StrToCurr(std::string_view s) { return Currency::FromDouble(StrToFloat(s)); }

// A number in the exact form of its kind: integers, currency (scaled by
// 10000) or floating point (dates are floating point with a mark).
struct Num {
    enum Kind { Int, Cur, Dbl } kind = Int;
    int64_t i = 0;
    double d = 0;
    bool date = false;
};

Num NumOf(const Variant& v) {
    switch (v.Type()) {
        case VarType::Empty: return Num{};
        case VarType::Null:
        case VarType::String: return Num{Num::Cur, StrToCurr(v.ToString()).scaled};
        case VarType::Integer:
        case VarType::Int64:
        case VarType::Boolean: return Num{Num::Int, v.ToInt64()};
        case VarType::Currency: return Num{Num::Cur, v.ToCurrency().scaled};
        case VarType::Double: return Num{Num::Dbl, 0, v.ToDouble()};
        case VarType::Date: return Num{Num::Dbl, 0, v.ToDouble(), true};
    }
    return Num{};
}

double DblOf(const Num& n) {
    if (n.kind == Num::Dbl) return n.d;
    return n.kind == Num::Cur ? static_cast<double>(n.i) / 10000.0 : static_cast<double>(n.i);
}
int64_t ScaledOf(const Num& n) {
    if (n.kind == Num::Cur) return n.i;
    int64_t r;
    if (__builtin_mul_overflow(n.i, int64_t{10000}, &r)) Overflow();
    return r;
}

Variant IntVariant(int64_t v) {
    if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
    return Variant(v);
}

Variant Dbl(double d, bool date = false) {
    if (!std::isfinite(d)) Overflow();
    if (date) {
        if (!DateInRange(d)) Overflow();
        return Variant::FromDate(d);
    }
    return Variant(d);
}

int64_t Fit(__int128 v) {
    if (v > INT64_MAX || v < INT64_MIN) Overflow();
    return static_cast<int64_t>(v);
}

// Scaled currency product: the 8 extra decimals rounded half away from zero.
int64_t CurMul(int64_t a, int64_t b) {
    const __int128 p = static_cast<__int128>(a) * b;
    const __int128 q = p / 10000, r = p % 10000;
    return Fit(r >= 5000 ? q + 1 : (r <= -5000 ? q - 1 : q));
}

// The arithmetic of the binary operators + - * / % on two numbers; the
// result has the widest kind of the two (integer < currency < floating).
Variant Arith(char op, const Num& a, const Num& b) {
    if (op == '/') {
        const double y = DblOf(b);
        if (y == 0) ZeroDivide();
        return Dbl(DblOf(a) / y);
    }
    if (a.kind == Num::Dbl || b.kind == Num::Dbl) {
        const double x = DblOf(a), y = DblOf(b);
        switch (op) {
            case '+': return Dbl(x + y, a.date || b.date);
            case '-': return Dbl(x - y, a.date && !b.date);
            case '*': return Dbl(x * y);
            default:
                if (y == 0) ZeroDivide();
                return Dbl(std::fmod(x, y));
        }
    }
    if (a.kind == Num::Cur || b.kind == Num::Cur) {
        const __int128 x = ScaledOf(a), y = ScaledOf(b);
        switch (op) {
            case '+': return Variant(Currency::FromScaled(Fit(x + y)));
            case '-': return Variant(Currency::FromScaled(Fit(x - y)));
            case '*':
                // An integer operand is not scaled, so it multiplies exactly.
                if (a.kind == Num::Int) return Variant(Currency::FromScaled(Fit(static_cast<__int128>(a.i) * b.i)));
                if (b.kind == Num::Int) return Variant(Currency::FromScaled(Fit(static_cast<__int128>(a.i) * b.i)));
                return Variant(Currency::FromScaled(CurMul(a.i, b.i)));
            default:
                if (y == 0) ZeroDivide();
                return Variant(Currency::FromScaled(Fit(x - (x / y) * y)));
        }
    }
    const __int128 x = a.i, y = b.i;
    switch (op) {
        case '+': return IntVariant(Fit(x + y));
        case '-': return IntVariant(Fit(x - y));
        case '*': return IntVariant(Fit(x * y));
        default:
            if (y == 0) ZeroDivide();
            return IntVariant(Fit(x % y));
    }
}

Variant NullAsText(const Variant& v) { return v.IsNull() ? Variant(std::string()) : v; }

Variant Add(const Variant& l, const Variant& r) {
    const Variant a = NullAsText(l), b = NullAsText(r);
    if (a.Type() == VarType::String && b.Type() == VarType::String) {
        const std::string x = a.ToString(), y = b.ToString();
        if (CharCount(x) + CharCount(y) > TCalc::MaxTextLength) Overflow();
        return Variant(x + y);
    }
    return Arith('+', NumOf(a), NumOf(b));
}

Variant Negate(const Variant& v) {
    const Num n = NumOf(v);
    if (n.kind == Num::Dbl) return Dbl(-n.d, n.date);
    if (n.i == INT64_MIN) Overflow();
    return n.kind == Num::Cur ? Variant(Currency::FromScaled(-n.i)) : IntVariant(-n.i);
}

// '^' multiplies the base by itself while a counter that starts at
// exponent - 1 stays above 0, so a fractional exponent rounds up and a
// negative one leaves the base. The count is computed rather than looped,
// so a huge exponent overflows at once instead of spinning.
Variant Power(const Variant& base, const Variant& exponent) {
    const double e = DblOf(NumOf(exponent));
    const double x = DblOf(NumOf(base));
    if (e == 0) return Variant(1.0);
    const double count = e - 1 > 0 ? std::ceil(e - 1) : 0;
    double r = x;
    if (count <= 64) {
        for (int k = 0; k < static_cast<int>(count); ++k) r *= x;
    } else {
        r = std::pow(x, count + 1);
    }
    return Dbl(r);
}

// "=" between two texts: a pattern with '%' at its start, its end or on
// both sides of a part matches by suffix, prefix or containment; any other
// '%' is an ordinary character.
bool WildcardEquals(const std::string& value, const std::string& pattern) {
    const std::size_t first = pattern.find('%');
    if (first == std::string::npos) return value == pattern;
    const std::size_t last = pattern.rfind('%');
    if (first != last) return value.find(pattern.substr(first + 1, last - first - 1)) != std::string::npos;
    if (first == 0) return value.ends_with(std::string_view(pattern).substr(1));
    if (first == pattern.size() - 1) return value.starts_with(std::string_view(pattern).substr(0, first));
    return value == pattern;
}

Variant NumberIfText(const Variant& v) {
    return v.Type() == VarType::String ? Variant(StrToCurr(v.ToString())) : v;
}

Variant Flag(bool b) { return Variant(static_cast<int32_t>(b ? 1 : 0)); }

Variant Compare(const std::string& op, const Variant& l, const Variant& r) {
    if (op == "=" || op == "<>") {
        bool eq;
        if (l.Type() == VarType::String && r.Type() == VarType::String)
            eq = op == "=" ? WildcardEquals(l.ToString(), r.ToString()) : l.ToString() == r.ToString();
        else
            eq = l == r;
        return Flag(op == "=" ? eq : !eq);
    }
    const int c = Variant::Compare(NumberIfText(l), NumberIfText(r));
    if (op == "<") return Flag(c < 0);
    if (op == ">") return Flag(c > 0);
    if (op == "<=") return Flag(c <= 0);
    return Flag(c >= 0);
}

bool Equals(const Variant& v, int n) { return NumberIfText(v) == Variant(static_cast<int32_t>(n)); }

int32_t IntArg(const Variant& v) { return NullAsText(v).ToInt32(); }

std::string TrimBlanks(const std::string& s, bool left, bool right) {
    std::size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ') ++b;
    if (right)
        while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// Positions and counts are characters.
std::string Substr(const std::string& s, int32_t start, int32_t count) {
    const int64_t len = static_cast<int64_t>(CharCount(s));
    int64_t from = start < 0 ? static_cast<int64_t>(start) + len + 1 : start;
    if (from < 1) from = 1;
    if (count <= 0 || from > len) return std::string();
    return std::string(CharSubstr(s, static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count)));
}

// 1-based character position of t in s, 0 when absent.
int64_t CharPos(const std::string& t, const std::string& s) {
    const int at = Pos(t, s);
    if (at == 0) return 0;
    return static_cast<int64_t>(CharCount(std::string_view(s).substr(0, static_cast<std::size_t>(at - 1)))) + 1;
}

// rpad and lpad fill to width n characters with whole copies of the pad
// text and cut the overshoot at the far end from the original text.
std::string Pad(const std::string& s, int32_t n, const std::string& pad, bool right) {
    if (n <= 0) return std::string();
    if (static_cast<std::size_t>(n) > TCalc::MaxTextLength) Overflow();
    const std::size_t width = static_cast<std::size_t>(n);
    const std::size_t padChars = CharCount(pad);
    if (right) {
        std::string r(CharSubstr(s, 0, width));
        std::size_t chars = CharCount(r);
        while (chars < width && padChars > 0) {
            r += pad;
            chars += padChars;
        }
        r.resize(CharOffset(r, width));
        return r;
    }
    const std::size_t sChars = CharCount(s);
    std::string tail(sChars > width ? CharSubstr(s, sChars - width) : std::string_view(s));
    std::size_t chars = std::min(sChars, width);
    std::string head;
    while (chars < width && padChars > 0) {
        head += pad;
        chars += padChars;
    }
    std::string r = head + tail;
    return chars > width ? std::string(CharSubstr(r, chars - width)) : r;
}

Variant Round(const Variant& v) {
    const Num n = NumOf(NullAsText(v));
    if (n.kind == Num::Int) return IntVariant(n.i);
    if (n.kind == Num::Cur) {
        // Half away from zero on both sides of 0, so -2.5 gives -3, not -2.
        const __int128 s = n.i;
        return IntVariant(Fit(s >= 0 ? (s + 5000) / 10000 : (s - 5000) / 10000));
    }
    const double r = n.d >= 0 ? std::trunc(n.d + 0.5) : -std::trunc(-n.d + 0.5);
    if (!(r > -9223372036854775808.0 && r < 9223372036854775808.0)) Overflow();
    return IntVariant(static_cast<int64_t>(r));
}

Variant NumToStr(const Variant& v) {
    if (v.IsEmptyOrNull()) return Variant(std::string());
    if (v.Type() == VarType::String && v.ToString().empty()) return v;
    const Num n = NumOf(v);
    if (n.kind == Num::Int) return Variant(IntToStr(n.i));
    return Variant(FloatToStr(DblOf(n)));
}

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

}  // namespace

void TCalc::AddVariable(std::string name, Variant value) {
    variables_.push_back(TFldObj{std::move(name), std::move(value)});
}

bool TCalc::Evaluate(std::string_view expression) {
    const Variant v = Calculate(expression);
    if (failed_ || v.IsEmptyOrNull()) return false;
    try {
        return Variant::Compare(NumberIfText(v), Variant(int32_t{0})) > 0;
    } catch (...) {
        // A text that is not a number cannot be a verdict.
        try {
            Fail(7);
        } catch (const Stop&) {
        }
        failed_ = true;
        return false;
    }
}

Variant TCalc::Calculate(std::string_view expression) {
    text_.assign(expression);
    pos_ = 0;
    depth_ = 0;
    failed_ = false;
    try {
        Scan();
        Variant v = Expression();
        // Text after a complete expression would otherwise be ignored, and a
        // mistyped filter would silently filter on its first part only.
        if (func_ != fnEnd) Fail(IsOp(")") ? 1 : 0, token_);
        return v;
    } catch (const Stop&) {
        failed_ = true;
        return Variant::Null();
    }
}

void TCalc::Fail(int code, std::string_view arg) {
    if (code >= 0 && static_cast<std::size_t>(code) < kMessages.size()) {
        if (errorText_.empty()) errorText_ = kErrorPrefix;
        std::string message(kMessages[static_cast<std::size_t>(code)]);
        // One substitution by position: the argument is user text and may
        // itself contain "%s".
        if (const std::size_t at = message.find("%s"); at != std::string::npos) message.replace(at, 2, arg);
        errorText_ += message;
        errorText_ += kRecordPrefix;
        errorText_ += IntToStr(recordNumber_) + ")\n";
    } else {
        errorText_ = kUnknownError;
    }
    pos_ = text_.size();
    token_.clear();
    kind_ = Kind::None;
    func_ = fnEnd;
    throw Stop{};
}

void TCalc::Scan() {
    kind_ = Kind::None;
    func_ = fnNone;
    token_.clear();
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    if (pos_ >= text_.size()) {
        func_ = fnEnd;
        return;
    }
    const char c = text_[pos_];
    if (kOperatorChars.find(c) != std::string_view::npos) {
        kind_ = Kind::Operator;
        token_ = c;
        ++pos_;
        if (pos_ < text_.size() &&
            ((c == '<' && (text_[pos_] == '>' || text_[pos_] == '=')) || (c == '>' && text_[pos_] == '='))) {
            token_ += text_[pos_];
            ++pos_;
        }
        return;
    }
    if (c == '\'') {
        std::size_t i = pos_ + 1;
        for (;;) {
            const std::size_t q = text_.find('\'', i);
            if (q == std::string::npos) {
                // An unterminated literal: nothing past the text is read.
                Fail(0);
            }
            token_.append(text_, i, q - i);
            if (q + 1 < text_.size() && text_[q + 1] == '\'') {
                token_ += '\'';
                i = q + 2;
                continue;
            }
            pos_ = q + 1;
            break;
        }
        kind_ = Kind::String;
        return;
    }
    if (IsDigit(c) || IsLetter(c)) {
        std::size_t e = pos_;
        while (e < text_.size() && !IsDelimiter(text_[e])) ++e;
        token_.assign(text_, pos_, e - pos_);
        pos_ = e;
        if (IsDigit(c)) {
            kind_ = Kind::Number;
            return;
        }
        kind_ = Kind::Word;
        for (const FuncWord& f : kFunctions)
            if (SameText(token_, f.word)) {
                kind_ = Kind::Function;
                func_ = static_cast<Func>(f.code);
                break;
            }
    }
    // Any other character is left unconsumed as an empty token of kind None.
}

Variant TCalc::Expression() {
    const DepthGuard guard(depth_);
    if (depth_ > MaxDepth) Fail(9);
    try {
        Variant v = AndTerm();
        while (IsFunc(fnOr)) {
            Scan();
            const Variant r = AndTerm();
            v = Flag(Equals(v, 1) || Equals(r, 1));
        }
        return v;
    } catch (const Stop&) {
        throw;
    } catch (...) {
        // A conversion, overflow or division by zero anywhere inside.
        Fail(7);
    }
}

Variant TCalc::AndTerm() {
    Variant v = NotTerm();
    while (IsFunc(fnAnd)) {
        Scan();
        const Variant r = NotTerm();
        v = Flag(Equals(v, 1) && Equals(r, 1));
    }
    return v;
}

Variant TCalc::NotTerm() {
    if (!IsFunc(fnNot)) return Comparison();
    Scan();
    return Flag(Equals(Comparison(), 0));
}

Variant TCalc::Comparison() {
    Variant v = Sum();
    while (IsOp("=") || IsOp("<>") || IsOp("<") || IsOp(">") || IsOp("<=") || IsOp(">=")) {
        const std::string op = token_;
        Scan();
        v = Compare(op, v, Sum());
    }
    return v;
}

Variant TCalc::Sum() {
    Variant v = Product();
    while (IsOp("+") || IsOp("-")) {
        const char op = token_[0];
        Scan();
        const Variant r = Product();
        v = op == '+' ? Add(v, r) : Arith('-', NumOf(v), NumOf(r));
    }
    return v;
}

Variant TCalc::Product() {
    Variant v = Power();
    while (IsOp("*") || IsOp("/") || IsOp("%")) {
        const char op = token_[0];
        Scan();
        const Variant r = Power();
        v = Arith(op, NumOf(v), NumOf(r));
    }
    return v;
}

Variant TCalc::Power() {
    const DepthGuard guard(depth_);
    if (depth_ > MaxDepth) Fail(9);
    Variant v = Unary();
    if (IsOp("^")) {
        Scan();
        v = ::Power(v, Power());
    }
    return v;
}

Variant TCalc::Unary() {
    if (IsOp("+")) {
        Scan();
        return Primary();
    }
    if (IsOp("-")) {
        Scan();
        return Negate(Primary());
    }
    return Primary();
}

Variant TCalc::Primary() {
    if (!IsOp("(")) return Atom();
    Scan();
    Variant v = Expression();
    if (!IsOp(")")) Fail(1, token_);
    Scan();
    return v;
}

const TFldObj& TCalc::Field(const std::string& name) {
    for (const TFldObj& f : variables_)
        if (AnsiSameText(f.Name, name)) return f;
    Fail(6, name);
}

Variant TCalc::Atom() {
    Variant v;
    switch (kind_) {
        case Kind::Number: v = Variant(StrToCurr(token_)); break;
        case Kind::String: v = Variant(token_); break;
        case Kind::Word: v = Field(token_).Value; break;
        case Kind::Function:
            if (func_ != fnConcat && func_ != fnAnd && func_ != fnOr && func_ != fnNot) return Call(func_);
            Fail(0);
        default: Fail(0);
    }
    Scan();
    return v;
}

Variant TCalc::Argument(bool last) {
    Variant v = Expression();
    if (!last) {
        if (!IsOp(",")) Fail(5);
        Scan();
    }
    return v;
}

Variant TCalc::Call(Func f) {
    Scan();
    if (!IsOp("(")) Fail(3);
    Scan();
    Variant v;
    switch (f) {
        case fnIsNull: {
            if (kind_ != Kind::Word) Fail(5);
            const Variant& x = Field(token_).Value;
            v = Flag(x.Type() == VarType::Date ? x.ToDouble() == 0 : x.ToString().empty());
            Scan();
            break;
        }
        case fnInstr: {
            const Variant s = Argument(false);
            const Variant t = Argument(true);
            v = IntVariant(CharPos(Text(t), Text(s)));
            break;
        }
        case fnSubstr: {
            const Variant s = Argument(false);
            const Variant start = Argument(false);
            const Variant count = Argument(true);
            v = Variant(Substr(Text(s), IntArg(start), IntArg(count)));
            break;
        }
        case fnRpad:
        case fnLpad: {
            const Variant s = Argument(false);
            const Variant n = Argument(true);
            std::string pad = " ";
            if (IsOp(",")) {
                Scan();
                pad = Text(Argument(true));
            }
            v = Variant(Pad(Text(s), IntArg(n), pad, f == fnRpad));
            break;
        }
        case fnNvl: {
            const Variant a = Argument(false);
            const Variant b = Argument(true);
            v = Text(a).empty() ? b : a;
            break;
        }
        default: {
            const Variant a = Argument(true);
            switch (f) {
                case fnRound: v = Round(a); break;
                case fnLength: v = IntVariant(static_cast<int64_t>(CharCount(Text(a)))); break;
                case fnUpper: v = Variant(AnsiUpperCase(Text(a))); break;
                case fnTrim: v = Variant(TrimBlanks(Text(a), true, true)); break;
                case fnLtrim: v = Variant(TrimBlanks(Text(a), true, false)); break;
                case fnRtrim: v = Variant(TrimBlanks(Text(a), false, true)); break;
                case fnNumToStr: v = NumToStr(a); break;
                case fnStrToNum: v = Variant(StrToCurr(Text(a))); break;
                case fnStrToDate: v = Dbl(StrToDate(Text(a)), true); break;
                case fnStrToDateTime: v = Dbl(StrToDateTime(Text(a)), true); break;
                case fnDateToStr:
                case fnDateTimeToStr:
                    if (a.Type() != VarType::Date || !DateInRange(a.ToDouble())) Fail(8);
                    v = Variant(f == fnDateToStr ? DateToStr(a.ToDouble()) : DateTimeToStr(a.ToDouble()));
                    break;
                default: Fail(0);
            }
        }
    }
    if (!IsOp(")")) Fail(2);
    Scan();
    return v;
}

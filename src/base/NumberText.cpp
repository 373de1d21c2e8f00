#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstring>

#include "Exception.h"
#include "FormatSettings.h"

namespace {

constexpr int kPrecision = 15;

// |v| rounded to 15 significant digits: the digits without trailing zeros
// and the classic exponent (value = 0.d1d2... * 10^exp).
struct Decimal {
    char digits[kPrecision + 1];
    int count;
    int exp;
};

void ToDecimal(double a, Decimal& d) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, kPrecision - 1);
    // buf holds "d.ddddddddddddddde[+-]xx".
    const char* p = buf;
    int n = 0;
    d.digits[n++] = *p++;
    if (*p == '.') ++p;
    while (p < res.ptr && *p != 'e') d.digits[n++] = *p++;
    int e = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, e);
    while (n > 1 && d.digits[n - 1] == '0') --n;
    d.digits[n] = '\0';
    d.count = n;
    d.exp = e + 1;
}

char* PutExponent(char* p, int e) {
    *p++ = 'E';
    if (e < 0) {
        *p++ = '-';
        e = -e;
    }
    return std::to_chars(p, p + 8, e).ptr;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

[[noreturn]] void ThrowFloat(std::string_view s) {
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
}
[[noreturn]] void ThrowInt(std::string_view s) {
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

// Decimal or "$"/"0x" hexadecimal with an optional sign. Hexadecimal may use
// the whole unsigned width (the classic "$FFFFFFFF" = -1).
template <typename T, typename U>
bool ParseInt(std::string_view s, T& out) {
    size_t i = 0;
    const size_t n = s.size();
    bool neg = false;
    if (i < n && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    bool hex = false;
    if (i < n && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;
    U acc = 0;
    if (hex) {
        for (; i < n; ++i) {
            const char c = s[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
            if (acc > (static_cast<U>(~U{0}) >> 4)) return false;
            acc = static_cast<U>((acc << 4) | d);
        }
        out = static_cast<T>(neg ? static_cast<U>(U{0} - acc) : acc);
        return true;
    }
    const U limit = neg ? static_cast<U>(static_cast<U>(~U{0}) / 2 + 1) : static_cast<U>(~U{0}) / 2;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        const unsigned d = static_cast<unsigned>(c - '0');
        if (acc > (limit - d) / 10) return false;
        acc = static_cast<U>(acc * 10 + d);
    }
    out = static_cast<T>(neg ? static_cast<U>(U{0} - acc) : acc);
    return true;
}

}  // namespace

std::string FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    Decimal d;
    ToDecimal(std::fabs(v), d);
    const char sep = FormatSettings().DecimalSeparator;
    char out[48];
    char* p = out;
    if (v < 0) *p++ = '-';
    if (d.exp > kPrecision || d.exp < -3) {
        *p++ = d.digits[0];
        if (d.count > 1) {
            *p++ = sep;
            std::memcpy(p, d.digits + 1, static_cast<size_t>(d.count - 1));
            p += d.count - 1;
        }
        p = PutExponent(p, d.exp - 1);
    } else if (d.exp <= 0) {
        *p++ = '0';
        *p++ = sep;
        for (int i = d.exp; i < 0; ++i) *p++ = '0';
        std::memcpy(p, d.digits, static_cast<size_t>(d.count));
        p += d.count;
    } else {
        for (int i = 0; i < d.exp; ++i) *p++ = i < d.count ? d.digits[i] : '0';
        if (d.count > d.exp) {
            *p++ = sep;
            std::memcpy(p, d.digits + d.exp, static_cast<size_t>(d.count - d.exp));
            p += d.count - d.exp;
        }
    }
    return std::string(out, p);
}

// The classic fixed format: the value as 18 significant digits, rounded half
// up at the requested decimal but never past 15 significant digits (zeros
// follow), so 0.125 gives "0.13" and 2.675 (a hair below) gives "2.67".
std::string FloatToStrF(double v, int decimals) {
    if (!std::isfinite(v)) return FloatToStr(v);
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    const double a = std::fabs(v);
    char digits[20] = {};
    int exp = 0, count = 0;
    if (a != 0) {
        char buf[40];
        const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 17);
        const char* p = buf;
        char all[18];
        int n = 0;
        for (; p < res.ptr && *p != 'e'; ++p)
            if (*p != '.') all[n++] = *p;
        int e = 0;
        std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, e);
        exp = e + 1;
        if (exp > kPrecision) return FloatToStr(v);  // too many integer digits
        count = std::min(kPrecision, exp + decimals);
        if (count >= 0) {
            std::memcpy(digits, all, static_cast<size_t>(count));
            if (all[count] >= '5') {
                int k = count - 1;
                while (k >= 0 && digits[k] == '9') digits[k--] = '0';
                if (k >= 0) {
                    ++digits[k];
                } else {
                    // All nines (or nothing kept): the value becomes 10^exp.
                    std::memmove(digits + 1, digits, static_cast<size_t>(count));
                    digits[0] = '1';
                    ++count;
                    ++exp;
                }
            }
        } else {
            count = 0;
        }
    }
    auto digitAt = [&](int k) { return k >= 0 && k < count ? digits[k] : '0'; };
    std::string r;
    r.reserve(static_cast<size_t>(std::max(exp, 1) + decimals + 2));
    if (exp <= 0) {
        r.push_back('0');
    } else {
        for (int k = 0; k < exp; ++k) r.push_back(digitAt(k));
    }
    if (decimals > 0) {
        r.push_back(FormatSettings().DecimalSeparator);
        for (int k = 0; k < decimals; ++k) r.push_back(digitAt(exp + k));
    }
    bool nonZero = false;
    for (int k = 0; k < count; ++k)
        if (digits[k] != '0') nonZero = true;
    if (v < 0 && nonZero) r.insert(r.begin(), '-');
    return r;
}

bool TryStrToFloat(std::string_view s, double& out) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    const std::string_view t = s.substr(b, e - b);
    const char sep = FormatSettings().DecimalSeparator;
    size_t i = 0;
    const size_t n = t.size();
    bool neg = false;
    if (i < n && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
    const size_t intStart = i;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i;
    const std::string_view intPart = t.substr(intStart, i - intStart);
    std::string_view fracPart;
    if (i < n && t[i] == sep) {
        const size_t fs = ++i;
        while (i < n && t[i] >= '0' && t[i] <= '9') ++i;
        fracPart = t.substr(fs, i - fs);
    }
    if (intPart.empty() && fracPart.empty()) return false;
    bool expNeg = false;
    std::string_view expPart;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '-' || t[i] == '+')) expNeg = t[i++] == '-';
        const size_t es = i;
        while (i < n && t[i] >= '0' && t[i] <= '9') ++i;
        expPart = t.substr(es, i - es);
        if (expPart.empty()) return false;
    }
    if (i != n) return false;

    std::string norm;
    norm.reserve(t.size() + 4);
    if (neg) norm.push_back('-');
    if (intPart.empty()) norm.push_back('0');
    norm.append(intPart);
    if (!fracPart.empty()) {
        norm.push_back('.');
        norm.append(fracPart);
    }
    if (!expPart.empty()) {
        norm.push_back('e');
        if (expNeg) norm.push_back('-');
        norm.append(expPart);
    }
    double v = 0;
    const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Decide between overflow (an error) and underflow (zero) from the
        // decimal magnitude of the text.
        long long mag;
        size_t z = 0;
        while (z < intPart.size() && intPart[z] == '0') ++z;
        if (z < intPart.size()) {
            mag = static_cast<long long>(intPart.size() - z);
        } else {
            size_t f = 0;
            while (f < fracPart.size() && fracPart[f] == '0') ++f;
            mag = -static_cast<long long>(f);
        }
        long long ex = 0;
        for (char c : expPart) {
            ex = ex * 10 + (c - '0');
            if (ex > 1000000000LL) break;
        }
        mag += expNeg ? -ex : ex;
        if (mag > 0) return false;
        out = neg ? -0.0 : 0.0;
        return true;
    }
    if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return false;
    out = v;
    return true;
}

double StrToFloat(std::string_view s) {
    double v;
    if (!TryStrToFloat(s, v)) ThrowFloat(s);
    return v;
}

bool TryStrToInt(std::string_view s, int32_t& out) { return ParseInt<int32_t, uint32_t>(s, out); }
bool TryStrToInt64(std::string_view s, int64_t& out) { return ParseInt<int64_t, uint64_t>(s, out); }

int32_t StrToInt(std::string_view s) {
    int32_t v;
    if (!TryStrToInt(s, v)) ThrowInt(s);
    return v;
}
int32_t StrToIntDef(std::string_view s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}
int64_t StrToInt64(std::string_view s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) ThrowInt(s);
    return v;
}
int64_t StrToInt64Def(std::string_view s, int64_t def) {
    int64_t v;
    return TryStrToInt64(s, v) ? v : def;
}

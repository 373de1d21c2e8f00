#include "Currency.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "Exception.h"
#include "FormatSettings.h"

namespace {

[[noreturn]] void ThrowRange(double v) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string msg(1, '\'');
    msg.append(buf, r.ptr).append("' is out of the Currency range");
    throw EConvertError(msg);
}

}  // namespace

// Rounding works on the value's 15 significant decimal digits (what
// FloatToStr shows), so 1.00005 becomes 1.0001 although its binary value is
// a hair below the half.
Currency Currency::FromDouble(double v) {
    if (!std::isfinite(v)) ThrowRange(v);
    if (v == 0) return Currency{0};
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    int64_t digits = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') digits = digits * 10 + (*p - '0');
    int e = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, e);
    // |v| = digits * 10^(e - 14); scaled = digits * 10^(e - 10).
    const int shift = e - 10;
    unsigned __int128 mag;
    if (shift >= 0) {
        if (shift > 18) ThrowRange(v);
        unsigned __int128 pow10 = 1;
        for (int i = 0; i < shift; ++i) pow10 *= 10;
        mag = static_cast<unsigned __int128>(digits) * pow10;
    } else if (-shift > 16) {
        mag = 0;
    } else {
        int64_t pow10 = 1;
        for (int i = 0; i < -shift; ++i) pow10 *= 10;
        mag = static_cast<unsigned __int128>(digits / pow10 + ((digits % pow10) * 2 >= pow10 ? 1 : 0));
    }
    const unsigned __int128 limit = v < 0 ? static_cast<unsigned __int128>(INT64_MAX) + 1 : INT64_MAX;
    if (mag > limit) ThrowRange(v);
    const int64_t s = v < 0 ? static_cast<int64_t>(0 - static_cast<uint64_t>(mag)) : static_cast<int64_t>(mag);
    return Currency{s};
}

std::string Currency::ToString() const {
    const uint64_t mag = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    char buf[32];
    char* p = buf;
    if (scaled < 0) *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, mag / 10000).ptr;
    unsigned frac = static_cast<unsigned>(mag % 10000);
    if (frac != 0) {
        *p++ = FormatSettings().DecimalSeparator;
        char d[4];
        for (int i = 3; i >= 0; --i) {
            d[i] = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        int len = 4;
        while (d[len - 1] == '0') --len;
        for (int i = 0; i < len; ++i) *p++ = d[i];
    }
    return std::string(buf, p);
}

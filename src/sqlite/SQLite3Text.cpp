#include "sqlite/SQLite3Text.h"

#include <array>
#include <cstdint>

#include <algorithm>
#include <cstring>

#include "base/FormatSettings.h"
#include "base/NumberText.h"

namespace {

// Code points of bytes 0x80..0x9F; the five bytes the code page leaves
// unassigned keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePoint(unsigned char b) { return (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : b; }

// UTF-8 form of every byte, built once.
struct Utf8Table {
    std::array<std::array<char, 4>, 256> bytes{};  // [0] is the length
    Utf8Table() {
        for (int b = 0; b < 256; ++b) {
            char32_t u = CodePoint(static_cast<unsigned char>(b));
            auto& e = bytes[b];
            if (u < 0x80) {
                e = {1, static_cast<char>(u), 0, 0};
            } else if (u <= 0x7FF) {
                e = {2, static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 63)), 0};
            } else {
                e = {3, static_cast<char>(0xE0 | (u >> 12)), static_cast<char>(0x80 | ((u >> 6) & 63)),
                     static_cast<char>(0x80 | (u & 63))};
            }
        }
    }
};

const Utf8Table& Table() {
    static const Utf8Table table;
    return table;
}

// The first byte whose code point is u, or -1.
int ByteOf(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u) return 0x80 + i;
    return -1;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::string AnsiToUtf8(std::string_view text) {
    const auto& t = Table().bytes;
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (unsigned char b : text) {
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            const auto& e = t[b];
            out.append(e.data() + 1, static_cast<size_t>(e[0]));
        }
    }
    return out;
}

std::string Utf8ToAnsi(std::string_view text, char replacement) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        size_t len = 0;
        char32_t u = 0;
        if ((b & 0xE0) == 0xC0) {
            len = 2;
            u = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            u = b & 0x0F;
        }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuation(c)) ok = false;
            u = (u << 6) | (c & 63);
        }
        if (ok) {
            const int byte = ByteOf(u);
            out.push_back(byte < 0 ? replacement : static_cast<char>(byte));
            i += len;
            continue;
        }
        // A stray continuation byte, a four-byte (or longer) lead, or a
        // truncated sequence: one replacement for the lead and whatever
        // continuation bytes belong to it.
        out.push_back(replacement);
        ++i;
        for (int k = 0; k < 3 && i < n && IsContinuation(static_cast<unsigned char>(text[i])); ++k) ++i;
    }
    return out;
}

int32_t SQLiteTextToInt(std::string_view text) {
    if (text.empty()) return kIntegerNullMarker;
    int32_t v = 0;
    return TryStrToInt(text, v) ? v : 0;
}

int64_t SQLiteTextToInt64(std::string_view text) {
    if (text.empty()) return kLargeintNullMarker;
    int64_t v = 0;
    return TryStrToInt64(text, v) ? v : 0;
}

int16_t SQLiteTextToBoolean(std::string_view text) {
    if (text.empty()) return kBooleanNullMarker;
    if (text == "0") return 0;
    const char c = static_cast<char>(text[0] & ~0x20);
    return (c == 'F' || c == 'N') ? 0 : 1;
}

double FloatNullMarker() {
    const uint64_t bits = ~uint64_t{0};
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

bool IsFloatNullMarker(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == ~uint64_t{0};
}

double SQLiteTextToFloat(std::string_view text) {
    if (text.empty()) return FloatNullMarker();
    const char sep = FormatSettings().DecimalSeparator;
    double v = 0;
    if (sep != '.') {
        std::string t(text);
        if (const size_t p = t.find('.'); p != std::string::npos) t[p] = sep;
        return TryStrToFloat(t, v) ? v : 0.0;
    }
    return TryStrToFloat(text, v) ? v : 0.0;
}

namespace {

// Reads the first ten characters as a date with one format and separator,
// the process settings restored afterwards.
bool TryDateWith(std::string_view text, const char* format, char separator, TDateTime& out) {
    TFormatSettings& fs = FormatSettings();
    const std::string oldFormat = fs.ShortDateFormat;
    const char oldSeparator = fs.DateSeparator;
    if (format) {
        fs.ShortDateFormat = format;
        fs.DateSeparator = separator;
    }
    bool ok = false;
    try {
        ok = TryStrToDate(text.substr(0, 10), out);
    } catch (...) {
    }
    fs.ShortDateFormat = oldFormat;
    fs.DateSeparator = oldSeparator;
    return ok;
}

bool TryFallbackDates(std::string_view text, TDateTime& out) {
    return TryDateWith(text, nullptr, 0, out) || TryDateWith(text, "dd-mm-yyyy", '-', out) ||
           TryDateWith(text, "yyyy-mm-dd", '-', out);
}

bool Digits(std::string_view s, size_t from, size_t count, int& out) {
    if (from + count > s.size()) return false;
    out = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

}  // namespace

TDateTime SQLiteTextToDateTime(std::string_view text) {
    if (text.empty()) return 0;
    TDateTime dt = 0;
    if (TryStrToDateTime(text, dt)) return dt;
    if (TryFallbackDates(text, dt)) return dt;
    if (TryFallbackDates("01-01-1900", dt)) return dt;
    return 0;
}

TDateTime SQLiteFixedTextToDateTime(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ') s.push_back(c);
    if (s.size() < 10) return 0;
    // The ISO form puts a 'T' where the blank was.
    if (s.size() > 10 && s[10] == 'T') s.erase(10, 1);
    int y = 0, m = 0, d = 0;
    bool ok;
    if (s[4] == '-' && s[7] == '-')
        ok = Digits(s, 0, 4, y) && Digits(s, 5, 2, m) && Digits(s, 8, 2, d);
    else if (s[2] == '.' && s[5] == '.')
        ok = Digits(s, 0, 2, d) && Digits(s, 3, 2, m) && Digits(s, 6, 4, y);
    else
        ok = false;
    TDateTime date = 0;
    if (!ok || !TryEncodeDate(y, m, d, date)) return 0;
    if (s.size() > 10) {
        int h = 0, n = 0, sec = 0, ms = 0;
        if (!Digits(s, 10, 2, h) || !Digits(s, 13, 2, n)) return 0;
        if (s.size() > 16 && !Digits(s, 16, 2, sec)) return 0;
        if (s.size() > 19) {
            // Fewer than three digits of milliseconds are a fraction: ".5" is 500.
            const size_t avail = std::min<size_t>(3, s.size() - 19);
            if (!Digits(s, 19, avail, ms)) return 0;
            for (size_t k = avail; k < 3; ++k) ms *= 10;
        }
        TDateTime time = 0;
        if (!TryEncodeTime(h, n, sec, ms, time)) return 0;
        date = date < 0 ? date - time : date + time;
    }
    return date;
}

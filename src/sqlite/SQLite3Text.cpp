#include "sqlite/SQLite3Text.h"

#include <array>
#include <cstdint>

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

#include "AnsiString.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "Utf8.h"

namespace {

using CaseTable = std::array<unsigned char, 256>;

constexpr CaseTable MakeAsciiUpper() {
    CaseTable t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return t;
}
constexpr CaseTable MakeAsciiLower() {
    CaseTable t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
    return t;
}
constexpr CaseTable kAsciiUpper = MakeAsciiUpper();
constexpr CaseTable kAsciiLower = MakeAsciiLower();

bool IsAscii(std::string_view s) {
    unsigned char any = 0;
    for (const char c : s) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string MapCase(std::string_view s, const CaseTable& t) {
    std::string r(s.size(), '\0');
    const auto* src = reinterpret_cast<const unsigned char*>(s.data());
    char* dst = r.data();
    for (size_t i = 0, n = s.size(); i < n; ++i) dst[i] = static_cast<char>(t[src[i]]);
    return r;
}

// Compares after folding both sides through t; bytes compare unsigned.
int CompareFolded(std::string_view a, std::string_view b, const CaseTable& t) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const int ca = t[pa[i]], cb = t[pb[i]];
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

char AnsiUpperChar(char c) { return static_cast<char>(kAsciiUpper[static_cast<unsigned char>(c)]); }
char AnsiLowerChar(char c) { return static_cast<char>(kAsciiLower[static_cast<unsigned char>(c)]); }
std::string AnsiUpperCase(std::string_view s) { return Utf8UpperCase(s); }
std::string AnsiLowerCase(std::string_view s) { return Utf8LowerCase(s); }
std::string UpperCase(std::string_view s) { return MapCase(s, kAsciiUpper); }
std::string LowerCase(std::string_view s) { return MapCase(s, kAsciiLower); }

int AnsiCompareStr(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    if (n > 0) {
        const int c = std::memcmp(a.data(), b.data(), n);
        if (c != 0) return c < 0 ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

namespace {
// The upper-case form of the character at s[i] as UTF-8 bytes in out (an
// ill-formed byte stays itself); i moves past the character.
size_t FoldNext(std::string_view s, size_t& i, char (&out)[4]) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        out[0] = static_cast<char>(kAsciiUpper[c]);
        ++i;
        return 1;
    }
    const Utf8Char ch = DecodeUtf8(s, i);
    i += ch.length;
    if (!ch.valid) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    std::string bytes;
    AppendUtf8(bytes, UpperChar(ch.code));
    std::memcpy(out, bytes.data(), bytes.size());
    return bytes.size();
}

// Compares character by character after folding letter case, without
// building upper-case copies of either text.
int CompareFoldedUtf8(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char fa[4], fb[4];
        const size_t na = FoldNext(a, i, fa), nb = FoldNext(b, j, fb);
        const int c = std::memcmp(fa, fb, std::min(na, nb));
        if (c != 0) return c;
        if (na != nb) return na < nb ? -1 : 1;
    }
    return (i < a.size() ? 1 : 0) - (j < b.size() ? 1 : 0);
}
}  // namespace

int AnsiCompareText(std::string_view a, std::string_view b) {
    const int c = IsAscii(a) && IsAscii(b) ? CompareFolded(a, b, kAsciiUpper) : CompareFoldedUtf8(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) return a.size() == b.size() && CompareFolded(a, b, kAsciiUpper) == 0;
    return CompareFoldedUtf8(a, b) == 0;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareFolded(a, b, kAsciiUpper) == 0;
}

int Pos(std::string_view sub, std::string_view s) {
    if (sub.empty()) return 0;
    const size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string r;
    r.reserve(s.size());
    size_t start = 0;
    for (size_t p; (p = s.find(from, start)) != std::string_view::npos; start = p + from.size()) {
        r.append(s.substr(start, p - start));
        r.append(to);
    }
    r.append(s.substr(start));
    return r;
}

std::string IntToStr(int64_t v) {
    char buf[24];
    char* p = buf + sizeof buf;
    // Work on the unsigned magnitude so that INT64_MIN prints too.
    uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0) *--p = '-';
    return std::string(p, buf + sizeof buf);
}

std::string IntToHex(int64_t v, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    char buf[16];
    char* p = buf + sizeof buf;
    uint64_t u = static_cast<uint64_t>(v);
    do {
        *--p = kHex[u & 15];
        u >>= 4;
    } while (u != 0);
    std::string r;
    const int len = static_cast<int>(buf + sizeof buf - p);
    if (digits > len) r.assign(static_cast<size_t>(digits - len), '0');
    r.append(p, buf + sizeof buf);
    return r;
}

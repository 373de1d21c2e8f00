#include "Utf8.h"

#include <utf8proc.h>

#include <limits>

#include "CodePage.h"

namespace {

inline bool IsCont(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence at p (n bytes available), 0 when the
// byte there does not start one: no overlong forms, no surrogates, nothing
// past U+10FFFF.
inline size_t SeqLength(const unsigned char* p, size_t n, char32_t& code) {
    const unsigned char c = p[0];
    if (c < 0x80) {
        code = c;
        return 1;
    }
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        code = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        code = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (n <= need) return 0;
    if (p[1] < lo || p[1] > hi) return 0;
    code = (code << 6) | (p[1] & 0x3F);
    for (size_t k = 2; k <= need; ++k) {
        if (!IsCont(p[k])) return 0;
        code = (code << 6) | (p[k] & 0x3F);
    }
    return need + 1;
}

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

template <class Map>
std::string MapCase(std::string_view s, Map map, char asciiFrom, char asciiTo) {
    std::string r;
    r.reserve(s.size());
    const unsigned char* p = Bytes(s);
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            const char c = static_cast<char>(p[i++]);
            r.push_back(c >= asciiFrom && c <= asciiTo ? static_cast<char>(c ^ 0x20) : c);
            continue;
        }
        char32_t code;
        const size_t len = SeqLength(p + i, n - i, code);
        if (len == 0) {
            r.push_back(static_cast<char>(p[i++]));
            continue;
        }
        AppendUtf8(r, map(code));
        i += len;
    }
    return r;
}

}  // namespace

Utf8Char DecodeUtf8(std::string_view s, size_t pos) {
    char32_t code;
    const size_t len = SeqLength(Bytes(s) + pos, s.size() - pos, code);
    if (len == 0) return Utf8Char{Cp1251ToUnicode(static_cast<unsigned char>(s[pos])), 1, false};
    return Utf8Char{code, static_cast<uint8_t>(len), true};
}

size_t PrevUtf8(std::string_view s, size_t pos) {
    if (pos == 0) return 0;
    // A well-formed sequence is at most four bytes long; look for one that
    // ends exactly at pos, else the byte before pos stands alone.
    for (size_t back = 2; back <= 4 && back <= pos; ++back) {
        const size_t start = pos - back;
        char32_t code;
        if (!IsCont(static_cast<unsigned char>(s[start])) &&
            SeqLength(Bytes(s) + start, s.size() - start, code) == back)
            return start;
    }
    return pos - 1;
}

size_t FirstInvalidUtf8(std::string_view s) {
    const unsigned char* p = Bytes(s);
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        // Eight ASCII bytes at a time: the usual text is mostly ASCII.
        while (i + 8 <= n) {
            uint64_t w;
            __builtin_memcpy(&w, p + i, 8);
            if (w & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= n) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t code;
        const size_t len = SeqLength(p + i, n - i, code);
        if (len == 0) return i;
        i += len;
    }
    return n;
}

bool IsValidUtf8(std::string_view s) { return FirstInvalidUtf8(s) == s.size(); }

int CharCells(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 1;
    if (c < 0x300) return 1;
    const int w = utf8proc_charwidth(static_cast<utf8proc_int32_t>(c));
    if (w != 0) return w >= 2 ? 2 : 1;
    // utf8proc gives 0 to marks and format characters, and also to
    // unassigned and private-use ones; only the first group takes no cell.
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
        case UTF8PROC_CATEGORY_MN:
        case UTF8PROC_CATEGORY_ME:
        case UTF8PROC_CATEGORY_MC:
        case UTF8PROC_CATEGORY_CF: return 0;
        default: return 1;
    }
}

int CharCells(const Utf8Char& c) { return c.valid ? CharCells(c.code) : 1; }

size_t CellPrefix(std::string_view s, int cells, int* used) {
    const unsigned char* p = Bytes(s);
    const size_t n = s.size();
    int width = 0;
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            if (width >= cells) break;
            ++width;
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(s, i);
        const int w = CharCells(c);
        if (width + w > cells) break;
        width += w;
        i += c.length;
    }
    if (used) *used = width;
    return i;
}

int DisplayWidth(std::string_view s) {
    int used = 0;
    CellPrefix(s, std::numeric_limits<int>::max(), &used);
    return used;
}

std::string_view CutToCells(std::string_view s, int cells) { return s.substr(0, CellPrefix(s, cells)); }

size_t CharCount(std::string_view s) {
    const unsigned char* p = Bytes(s);
    const size_t n = s.size();
    size_t count = 0, i = 0;
    while (i < n) {
        i += p[i] < 0x80 ? 1 : DecodeUtf8(s, i).length;
        ++count;
    }
    return count;
}

size_t CharOffset(std::string_view s, size_t n) {
    const unsigned char* p = Bytes(s);
    size_t i = 0;
    for (; n > 0 && i < s.size(); --n) i += p[i] < 0x80 ? 1 : DecodeUtf8(s, i).length;
    return i;
}

std::string_view CharSubstr(std::string_view s, size_t from, size_t n) {
    const size_t start = CharOffset(s, from);
    const std::string_view rest = s.substr(start);
    return n == std::string_view::npos ? rest : rest.substr(0, CharOffset(rest, n));
}

char32_t UpperChar(char32_t c) { return static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(c))); }
char32_t LowerChar(char32_t c) { return static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c))); }

bool IsLetterChar(char32_t c) {
    const auto cat = utf8proc_category(static_cast<utf8proc_int32_t>(c));
    return cat >= UTF8PROC_CATEGORY_LU && cat <= UTF8PROC_CATEGORY_LO;
}

std::string Utf8UpperCase(std::string_view s) { return MapCase(s, UpperChar, 'a', 'z'); }
std::string Utf8LowerCase(std::string_view s) { return MapCase(s, LowerChar, 'A', 'Z'); }

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (u >> 6)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (u >> 12)));
        out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (u >> 18)));
        out.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
}

std::string DisplayText(std::string_view s) {
    size_t bad = FirstInvalidUtf8(s);
    if (bad == s.size()) return std::string(s);
    std::string r(s.substr(0, bad));
    r.reserve(s.size() + 16);
    size_t i = bad;
    while (i < s.size()) {
        const Utf8Char c = DecodeUtf8(s, i);
        if (c.valid)
            r.append(s.substr(i, c.length));
        else
            AppendUtf8(r, c.code);
        i += c.length;
    }
    return r;
}

std::string Cp1251ToUtf8(std::string_view s) {
    const unsigned char* p = Bytes(s);
    const size_t n = s.size();
    std::string r;
    r.reserve(n + n / 2);
    size_t i = 0;
    while (i < n) {
        const size_t run = i;
        while (i < n && p[i] < 0x80) ++i;
        if (i > run) r.append(s.data() + run, i - run);
        if (i == n) break;
        AppendUtf8(r, Cp1251ToUnicode(p[i++]));
    }
    return r;
}

std::string Utf8ToCp1251(std::string_view s, size_t* lost) {
    std::string r;
    r.reserve(s.size());
    const unsigned char* p = Bytes(s);
    size_t i = 0;
    while (i < s.size()) {
        if (p[i] < 0x80) {
            r.push_back(static_cast<char>(p[i++]));
            continue;
        }
        const Utf8Char c = DecodeUtf8(s, i);
        if (!c.valid) {
            r.push_back(static_cast<char>(p[i]));
        } else {
            const int b = UnicodeToCp1251(c.code);
            if (b < 0 && lost) ++*lost;
            r.push_back(b < 0 ? '?' : static_cast<char>(b));
        }
        i += c.length;
    }
    return r;
}

std::string CrLfToLf(std::string text) {
    const size_t first = text.find("\r\n");
    if (first == std::string::npos) return text;
    size_t out = first;
    for (size_t i = first; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[out++] = text[i];
    }
    text.resize(out);
    return text;
}

std::string FileText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Read as text, the way the sqlite3 shell reads a script.
    return CrLfToLf(IsValidUtf8(bytes) ? std::string(bytes) : Cp1251ToUtf8(bytes));
}

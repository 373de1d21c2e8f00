#include "dbf/DbfText.h"

#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"

std::size_t DecodeDbfText(const SingleByteCodePage& cp, std::string_view bytes, char* out, std::size_t outSize) {
    std::size_t n = 0;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            if (n + 1 > outSize) break;
            out[n++] = ch;
            continue;
        }
        const char32_t c = cp.ToUnicode(b);
        const std::size_t len = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (n + len > outSize) break;
        if (len == 2) out[n++] = static_cast<char>(0xC0 | (c >> 6));
        if (len == 3) out[n++] = static_cast<char>(0xE0 | (c >> 12));
        if (len == 4) {
            out[n++] = static_cast<char>(0xF0 | (c >> 18));
            out[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        }
        if (len >= 3) out[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    return n;
}

std::size_t EncodeDbfText(const SingleByteCodePage& cp, std::string_view text, std::size_t maxChars, char* out,
                          std::size_t* lost) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size() && n < maxChars; ++n) {
        const auto c0 = static_cast<unsigned char>(text[i]);
        if (c0 < 0x80) {
            out[n] = static_cast<char>(c0);
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(text, i);
        const int b = cp.FromUnicode(c.code);
        if (b < 0 && lost) ++*lost;
        out[n] = b < 0 ? '?' : static_cast<char>(b);
        i += c.length;
    }
    return n;
}

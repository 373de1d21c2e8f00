#include "SingleByteCodePage.h"

#include <iconv.h>

#include <algorithm>

#include "Utf8.h"

namespace {

// The code point of one byte through iconv; U+FFFD for a byte the code
// page leaves unassigned.
char32_t IconvByte(iconv_t cd, unsigned char b) {
    char in = static_cast<char>(b);
    char32_t out = 0;
    char* pin = &in;
    size_t inLeft = 1;
    char* pout = reinterpret_cast<char*>(&out);
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == static_cast<size_t>(-1) || outLeft != 0) return 0xFFFD;
    return out;
}

}  // namespace

SingleByteCodePage::SingleByteCodePage(int number) : number_(number) {
    const std::string name = "CP" + std::to_string(number);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        toUnicode_[b] = b < 0x80 ? static_cast<char32_t>(b) : (cd == reinterpret_cast<iconv_t>(-1) ? 0xFFFD : IconvByte(cd, byte));
        std::string seq;
        AppendUtf8(seq, toUnicode_[b]);
        utf8_[b].length = static_cast<unsigned char>(std::min<size_t>(seq.size(), 3));
        std::copy_n(seq.data(), utf8_[b].length, utf8_[b].bytes);
        if (b >= 0x80 && toUnicode_[b] != 0xFFFD) reverse_.emplace_back(toUnicode_[b], byte);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    std::sort(reverse_.begin(), reverse_.end());
}

const SingleByteCodePage* SingleByteCodePage::Find(int number) {
    switch (number) {
        case 437: { static const SingleByteCodePage p(437); return &p; }
        case 850: { static const SingleByteCodePage p(850); return &p; }
        case 866: { static const SingleByteCodePage p(866); return &p; }
        case 1251: { static const SingleByteCodePage p(1251); return &p; }
        case 1252: { static const SingleByteCodePage p(1252); return &p; }
        default: return nullptr;
    }
}

int SingleByteCodePage::FromUnicode(char32_t u) const {
    if (u < 0x80) return static_cast<int>(u);
    const auto it = std::lower_bound(reverse_.begin(), reverse_.end(), std::make_pair(u, static_cast<unsigned char>(0)));
    return it != reverse_.end() && it->first == u ? it->second : -1;
}

std::string SingleByteCodePage::Decode(std::string_view bytes) const {
    std::string r;
    r.reserve(bytes.size() + bytes.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const size_t run = i;
        while (i < n && p[i] < 0x80) ++i;
        if (i > run) r.append(bytes.data() + run, i - run);
        if (i == n) break;
        const Utf8Seq& s = utf8_[p[i++]];
        r.append(s.bytes, s.length);
    }
    return r;
}

std::string SingleByteCodePage::Encode(std::string_view utf8, size_t maxChars, size_t* lost) const {
    std::string r;
    r.reserve(std::min(utf8.size(), maxChars));
    size_t i = 0;
    while (i < utf8.size() && r.size() < maxChars) {
        const auto c0 = static_cast<unsigned char>(utf8[i]);
        if (c0 < 0x80) {
            r.push_back(static_cast<char>(c0));
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(utf8, i);
        const int b = c.valid ? FromUnicode(c.code) : -1;
        if (b < 0 && lost) ++*lost;
        r.push_back(b < 0 ? '?' : static_cast<char>(b));
        i += c.length;
    }
    return r;
}

#pragma once
// A single-byte code page of the DOS and Windows families (437, 850, 866,
// 1251, 1252), converting to and from the program's UTF-8. The tables come
// from the C library's converters once per process.
#include <array>
#include <string>
#include <string_view>
#include <vector>

class SingleByteCodePage {
public:
    // The code page with that number, nullptr when it is not one of these.
    static const SingleByteCodePage* Find(int number);

    int Number() const { return number_; }
    char32_t ToUnicode(unsigned char b) const { return toUnicode_[b]; }
    // The byte of a code point, -1 when the code page has none.
    int FromUnicode(char32_t u) const;

    // The bytes as UTF-8 text.
    std::string Decode(std::string_view bytes) const;
    // UTF-8 text as bytes of this code page, at most maxChars of them: a
    // character the code page lacks (and an ill-formed byte) becomes '?'
    // and is counted in *lost.
    std::string Encode(std::string_view utf8, size_t maxChars = std::string_view::npos, size_t* lost = nullptr) const;

private:
    explicit SingleByteCodePage(int number);

    struct Utf8Seq {
        unsigned char length;
        char bytes[3];
    };
    int number_;
    std::array<char32_t, 256> toUnicode_{};
    std::array<Utf8Seq, 256> utf8_{};
    std::vector<std::pair<char32_t, unsigned char>> reverse_;  // sorted by code point
};

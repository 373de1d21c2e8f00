// The text work of the SQL functions on arbitrary bytes: no crash, positions
// and cuts fall on character boundaries of the input, widths count
// characters, and on well-formed text the results agree with a plain byte
// search (UTF-8 never matches inside a character).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/AnsiString.h"
#include "base/Utf8.h"
#include "sqlite/SQLite3Functions.h"

namespace {

using namespace sqlite_functions;

void Check(bool ok) {
    if (!ok) std::abort();
}

bool IsBoundary(std::string_view s, size_t at) {
    size_t i = 0;
    while (i < at) i += DecodeUtf8(s, i).length;
    return i == at;
}

// out is `copies` whole copies of pad, preceded (fromEnd) or followed by a
// piece of one more copy cut at a character boundary of pad; *chars
// receives the characters of the pieces, each counted in pad.
bool IsPadding(std::string_view out, std::string_view pad, bool fromEnd, size_t* chars) {
    const size_t copies = out.size() / pad.size(), rest = out.size() % pad.size();
    const std::string_view piece = fromEnd ? out.substr(0, rest) : out.substr(out.size() - rest);
    const std::string_view whole = fromEnd ? out.substr(rest) : out.substr(0, out.size() - rest);
    for (size_t i = 0; i < copies; ++i)
        if (whole.substr(i * pad.size(), pad.size()) != pad) return false;
    if (fromEnd ? pad.substr(pad.size() - rest) != piece || !IsBoundary(pad, pad.size() - rest)
                : pad.substr(0, rest) != piece || !IsBoundary(pad, rest))
        return false;
    *chars = copies * CharCount(pad) + CharCount(piece);
    return true;
}

void CheckPad(std::string_view text, int64_t width, std::string_view pad, bool left) {
    const auto r = PadText(text, width, pad, left);
    Check(r.has_value());
    const std::string& out = *r;
    if (width <= 0) {
        Check(out.empty());
        return;
    }
    const size_t w = static_cast<size_t>(width), textChars = CharCount(text);
    if (textChars >= w) {
        // A cut of the text itself, at one of its boundaries.
        Check(left ? text.ends_with(out) && IsBoundary(text, text.size() - out.size())
                   : text.starts_with(out) && IsBoundary(text, out.size()));
        Check(CharCount(out) == w);
        return;
    }
    if (pad.empty()) pad = " ";
    Check(left ? std::string_view(out).ends_with(text) : std::string_view(out).starts_with(text));
    const std::string_view padding =
        left ? std::string_view(out).substr(0, out.size() - text.size()) : std::string_view(out).substr(text.size());
    size_t padChars = 0;
    Check(IsPadding(padding, pad, left, &padChars));
    Check(textChars + padChars == w);
    if (IsValidUtf8(text) && IsValidUtf8(pad)) Check(IsValidUtf8(out) && CharCount(out) == w);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int64_t width = static_cast<int8_t>(data[0]) % 40;
    const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const size_t cut1 = rest.empty() ? 0 : data[1] % (rest.size() + 1);
    const size_t cut2 = rest.empty() ? 0 : cut1 + data[2] % (rest.size() - cut1 + 1);
    const std::string_view a = rest.substr(0, cut1), b = rest.substr(cut1, cut2 - cut1), c = rest.substr(cut2);
    const bool valid = IsValidUtf8(a) && IsValidUtf8(b) && IsValidUtf8(c);

    // Positions: a whole-character occurrence, the first one; on valid text
    // the byte search gives the same place.
    const int64_t pos = TextPosition(b, a);
    Check(pos >= 0 && static_cast<size_t>(pos) <= CharCount(a));
    if (pos > 0) {
        const size_t at = CharOffset(a, static_cast<size_t>(pos - 1));
        Check(a.substr(at, b.size()) == b && IsBoundary(a, at + b.size()));
    }
    if (valid) {
        const size_t found = b.empty() ? std::string_view::npos : a.find(b);
        Check(pos == (found == std::string_view::npos ? 0 : static_cast<int64_t>(CharCount(a.substr(0, found))) + 1));
    }
    const int64_t like = LikePosition(a, b);
    Check(like >= 0 && static_cast<size_t>(like) <= CharCount(Trim(a)));

    // Replacing: the identity leaves the text alone; on valid text it is
    // the byte replacement.
    Check(TextReplace(a, b, b) == a);
    const std::string replaced = TextReplace(a, b, c);
    if (valid) Check(replaced == ReplaceAll(a, b, c) && IsValidUtf8(replaced));
    const std::string upper = ReplaceUpperText(a, b, c);
    if (valid) Check(IsValidUtf8(upper));

    // Padding on both sides, at, below and above the text's width.
    CheckPad(a, width, b, true);
    CheckPad(a, width, b, false);
    const int64_t chars = static_cast<int64_t>(CharCount(a));
    for (const int64_t w : {chars - 1, chars, chars + 1}) {
        CheckPad(a, w, c, true);
        CheckPad(a, w, c, false);
    }

    // Translation keeps or drops whole characters.
    Check(TranslateText(a, b, b) == a);
    Check(TranslateText(a, "", c) == a);
    const std::string translated = TranslateText(a, b, c);
    if (valid) {
        Check(IsValidUtf8(translated));
        const size_t n = CharCount(translated);
        Check(n <= CharCount(a));
        if (CharCount(c) >= CharCount(b)) Check(n == CharCount(a));
    }

    const int32_t code = CodeValue(a);
    Check(code >= 0 && code < (1 << 24));
    return 0;
}

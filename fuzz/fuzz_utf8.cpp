// The text edges on any bytes: decoding steps forward and back over the same
// characters; widths and cuts never split a character and never lose a byte;
// case mapping keeps ill-formed bytes; script reading always gives valid
// UTF-8 that lost only the CR of each CR LF pair; Windows-1251 text survives the trip through UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Utf8.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Forward and backward steps meet at the same boundaries.
    size_t count = 0, pos = 0, width = 0;
    while (pos < bytes.size()) {
        const Utf8Char c = DecodeUtf8(bytes, pos);
        Check(c.length >= 1 && c.length <= 4 && pos + c.length <= bytes.size());
        Check(PrevUtf8(bytes, pos + c.length) == pos);
        width += static_cast<size_t>(CharCells(c));
        pos += c.length;
        ++count;
    }
    Check(count == CharCount(bytes));
    Check(width == static_cast<size_t>(DisplayWidth(bytes)));
    Check(IsValidUtf8(bytes) == (FirstInvalidUtf8(bytes) == bytes.size()));

    // Cuts fall on boundaries and fit their width.
    for (int cells = 0; cells <= 8; ++cells) {
        int used = -1;
        const size_t cut = CellPrefix(bytes, cells, &used);
        Check(used >= 0 && used <= cells && cut <= bytes.size());
        Check(DisplayWidth(bytes.substr(0, cut)) == used);
        Check(cut == bytes.size() || CharOffset(bytes, CharCount(bytes.substr(0, cut))) == cut);
    }
    const std::string_view middle = CharSubstr(bytes, 1, 3);
    Check(CharCount(middle) <= 3);

    // Case mapping changes no ill-formed byte and no character count.
    const std::string upper = Utf8UpperCase(bytes);
    Check(CharCount(upper) == count);
    Check(FirstInvalidUtf8(upper) == upper.size() ? IsValidUtf8(bytes) : !IsValidUtf8(bytes));

    // What is shown and what a script reads are always valid UTF-8.
    const std::string shown = DisplayText(bytes);
    Check(IsValidUtf8(shown));
    Check(IsValidUtf8(bytes) ? shown == bytes : CharCount(shown) == count);
    const std::string text = FileText(bytes);
    Check(IsValidUtf8(text));
    // Reading as text drops the CR of each CR LF pair and nothing else.
    const std::string decoded = IsValidUtf8(bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0))
                                    ? std::string(bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0))
                                    : Cp1251ToUtf8(bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0));
    size_t pairs = 0;
    for (size_t at = 0; (at = decoded.find("\r\n", at)) != std::string::npos; at += 2) ++pairs;
    Check(text.size() == decoded.size() - pairs);

    // Windows-1251 bytes come back from UTF-8 whole (the unassigned 0x98
    // returns as '?').
    std::string expect(bytes);
    for (char& c : expect)
        if (static_cast<unsigned char>(c) == 0x98) c = '?';
    Check(Utf8ToCp1251(Cp1251ToUtf8(bytes)) == expect);
    return 0;
}

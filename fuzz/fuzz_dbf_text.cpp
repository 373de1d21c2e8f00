// The text of DBF character fields: arbitrary bytes read in each code page
// the table converts become well-formed UTF-8, one character per byte, the
// same text the code page's own decoder gives, and written back in that code
// page they come out byte for byte, except that a byte the code page leaves
// unassigned comes back as '?' and is counted. Arbitrary bytes taken as
// program text (UTF-8 or not) are written as at most the allowed number of
// bytes. Nothing may crash or write past its buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"
#include "dbf/DbfText.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void RoundTrip(const SingleByteCodePage& cp, std::string_view bytes) {
    const size_t n = bytes.size();
    // Exactly sized buffers, so that the sanitizer sees any overrun.
    const size_t room = 3 * n + 1;
    auto utf8 = std::make_unique<char[]>(room);
    const size_t used = DecodeDbfText(cp, bytes, utf8.get(), room);
    const std::string_view text(utf8.get(), used);
    Check(IsValidUtf8(text));
    Check(CharCount(text) == n);
    Check(text == cp.Decode(bytes));

    auto back = std::make_unique<char[]>(n + 1);
    size_t lost = 0;
    const size_t written = EncodeDbfText(cp, text, n, back.get(), &lost);
    Check(written == n);
    size_t unassigned = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (cp.ToUnicode(b) == 0xFFFD) {
            ++unassigned;
            Check(back[i] == '?');
        } else {
            Check(back[i] == bytes[i]);
        }
    }
    Check(lost == unassigned);

    // A buffer too small for the whole text takes whole characters only.
    const size_t small = used / 2;
    auto part = std::make_unique<char[]>(small + 1);
    const size_t partUsed = DecodeDbfText(cp, bytes, part.get(), small);
    Check(partUsed <= small);
    Check(text.substr(0, partUsed) == std::string_view(part.get(), partUsed));
    Check(partUsed == used || partUsed + DecodeUtf8(text, partUsed).length > small);
}

void WriteProgramText(const SingleByteCodePage& cp, std::string_view text, size_t maxChars) {
    auto out = std::make_unique<char[]>(maxChars + 1);
    size_t lost = 0;
    const size_t written = EncodeDbfText(cp, text, maxChars, out.get(), &lost);
    Check(written <= maxChars);
    Check(written == std::min(maxChars, CharCount(text)));
    Check(lost <= written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte, when there is one, also picks a field length.
    const size_t maxChars = size > 0 ? data[0] : 0;
    for (const int number : {437, 850, 866, 1251, 1252}) {
        const SingleByteCodePage* cp = SingleByteCodePage::Find(number);
        Check(cp != nullptr);
        RoundTrip(*cp, bytes);
        WriteProgramText(*cp, bytes, maxChars);
    }
    return 0;
}

// The SQLite layer's text scanners on arbitrary bytes: the UTF-8 decoder, the
// declared-type mapping and the integer reading of engine text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Exception.h"
#include "sqlite/MapDeclaredType.h"
#include "sqlite/SQLite3Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string ansi = Utf8ToAnsi(text, '?');
    if (ansi.size() > text.size()) std::abort();  // never longer than its input
    // Every byte survives the way to UTF-8 and back.
    if (Utf8ToAnsi(AnsiToUtf8(text)) != text) std::abort();
    try {
        const TDeclaredType t = MapDeclaredType(text);
        if (t.size < 0 || t.precision < 0) std::abort();
    } catch (const EConvertError&) {
    }
    SQLiteTextToInt(text);
    return 0;
}

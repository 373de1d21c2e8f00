// The key-condition scanner on arbitrary bytes: names are distinct, never
// empty, and the condition written with upper-case names names the same
// parameters again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sqlite/SQLWhereNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string normalized;
    const auto names = SQLWhereNames(text, &normalized);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) std::abort();
        if (std::find(names.begin() + static_cast<std::ptrdiff_t>(i) + 1, names.end(), names[i]) != names.end())
            std::abort();
    }
    if (SQLWhereNames(text) != names) std::abort();
    if (SQLWhereNames(normalized) != names) std::abort();
    return 0;
}

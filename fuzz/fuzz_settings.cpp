// Arbitrary bytes as a settings file: parsing never fails, what was read
// serializes to a text that parses back to the same content, and every
// value reads as a string and (when it converts) as an integer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SettingsFile f;
    f.Parse(bytes);
    const std::string text = f.Serialize();
    SettingsFile g;
    g.Parse(text);
    if (g.Serialize() != text) std::abort();
    if (g.KeyCount() != f.KeyCount()) std::abort();

    std::string s;
    int32_t n;
    for (const char* name : {"Prompt", "SqlText", "Height", "", "x"}) {
        for (const char* key : {"Software\\QorTabulon", "", "k"}) {
            const bool hasString = f.GetString(key, name, s);
            const SettingsFile::Value* v = f.Find(key, name);
            if (hasString != (v != nullptr)) std::abort();
            if (f.GetInteger(key, name, n) && v == nullptr) std::abort();
        }
    }
    // Writing over what was read keeps the file readable.
    f.SetString("Software\\QorTabulon", "Prompt", bytes.substr(0, 64));
    f.SetInteger("Software\\QorTabulon", "Height", static_cast<int32_t>(size));
    SettingsFile h;
    h.Parse(f.Serialize());
    if (!h.GetString("software\\qortabulon", "PROMPT", s) || s != bytes.substr(0, 64)) std::abort();
    if (!h.GetInteger("software\\qortabulon", "height", n) || n != static_cast<int32_t>(size)) std::abort();
    return 0;
}

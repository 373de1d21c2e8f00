// The text edges: any bytes as UTF-8 convert without failing, one output
// byte per character at most; any ANSI text survives the trip through UTF-8
// (the one unassigned byte becomes '?'); the OEM tables are total; a file
// name from the system comes back unchanged through the program's text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/CodePage.h"
#include "base/Platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string ansi = Utf8TextToAnsi(bytes);
    if (ansi.size() > bytes.size()) std::abort();
    // Valid UTF-8 made from ANSI text reads back without new replacements.
    const std::string utf8 = AnsiToUtf8Text(ansi);
    if (Utf8TextToAnsi(utf8) != ansi) std::abort();

    std::string expect(bytes);
    for (char& c : expect)
        if (static_cast<unsigned char>(c) == 0x98) c = '?';
    if (Utf8TextToAnsi(AnsiToUtf8Text(bytes)) != expect) std::abort();

    const std::string native = NativePath(bytes);
    if (NativePath(native) != native) std::abort();  // always UTF-8 already
    if (NativePath(ProgramPath(native)) != native) std::abort();

    const std::string oem = CharToOem(bytes);
    if (oem.size() != bytes.size() || OemToChar(bytes).size() != bytes.size()) std::abort();
    return 0;
}

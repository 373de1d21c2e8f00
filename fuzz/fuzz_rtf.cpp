// The text viewer's RTF reader on any bytes: it must not fail, and what it
// reads must come back the same through the writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dialogs/RtfReader.h"
#include "dialogs/RtfWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const RtfDocument first = ReadRtf(in);
    const std::string written = WriteRtf(first);
    const RtfDocument second = ReadRtf(written);
    if (second.paragraphs.size() != first.paragraphs.size()) std::abort();
    for (size_t i = 0; i < first.paragraphs.size(); ++i)
        if (second.paragraphs[i].Text() != first.paragraphs[i].Text()) std::abort();
    if (WriteRtf(second) != written) std::abort();
    return 0;
}

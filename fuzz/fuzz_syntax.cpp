// Arbitrary bytes as an SQL text: load and colour it, then apply edits
// driven by the same bytes; after each edit the token chain must cover the
// text without gaps or overlaps and the line table must match the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/ConsoleInputColoring.h"
#include "editor/TEditorModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = data[0] % size;
    const std::string text(reinterpret_cast<const char*>(data) + 1, split > 0 ? split - 1 : 0);
    TEditorModel editor;
    SetupConsoleInputColoring(editor.SyntaxColoring());
    editor.SetText(text);
    size_t i = split;
    while (i + 3 <= size) {
        const int L = editor.TextLength();
        const int op = data[i] % 8;
        const int start = 1 + (data[i + 1] * 256 + data[i + 2]) % (L + 1);
        i += 3;
        if (op == 6) {
            editor.Undo();
        } else if (op == 7) {
            editor.Redo();
        } else {
            const int len = op < 3 ? 0 : data[i - 1] % 16;
            const size_t n = op == 5 ? 0 : std::min<size_t>(size - i, 1 + data[i - 2] % 8);
            TMCRange r(static_cast<TMemoModel*>(&editor));
            r.SetRStart(start);
            r.SetREnd(start + len - 1);
            r.SetText(std::string(reinterpret_cast<const char*>(data) + i, n));
            i += n;
        }
        if (editor.CheckGaps() || editor.CheckOverlaps()) std::abort();
        int lines = 1;
        const std::string_view t = editor.Text();
        for (size_t k = 0; k + 1 < t.size(); ++k)
            if (t[k] == '\r' && t[k + 1] == '\n') ++lines;
        if (lines != editor.LineCount()) std::abort();
    }
    return 0;
}

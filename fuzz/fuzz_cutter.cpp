// Arbitrary bytes as a command text, cut from the front by a mix of the cuts
// that the input itself chooses, until nothing is left. Every cut must move
// on (but a block cut of a lone character) and leave a suffix of the input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/CommandText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first bytes pick the cuts in turn; the rest is the text.
    const size_t opCount = size < 8 ? size : 8;
    const std::string_view ops(reinterpret_cast<const char*>(data), opCount);
    const std::string text(reinterpret_cast<const char*>(data) + opCount, size - opCount);

    CommandText rest(text);
    size_t step = 0;
    while (!rest.Empty()) {
        const size_t before = rest.Size();
        const unsigned op = ops.empty() ? 0 : static_cast<unsigned char>(ops[step % ops.size()]) + step / ops.size();
        ++step;
        std::string piece;
        switch (op % 7) {
        case 0: piece = rest.TakeLine(); break;
        case 1: piece = rest.TakeStatement(); break;
        case 2: piece = rest.TakeUntil("*/"); break;
        case 3: piece = rest.TakeBlock(); break;
        case 4: rest.DropLine(); break;
        case 5: piece = rest.TakeStatement(op & 8 ? "GO" : "END;"); break;
        default: {
            size_t pos = op % before;
            const std::string_view view = rest.Rest();
            const std::string word = NextWord(view, pos, static_cast<WordDelims>(op % 3));
            if (pos > view.size() || word.size() > view.size()) std::abort();
            rest.DropFront(1);
            break;
        }
        }
        const size_t after = rest.Size();
        // A piece never holds more than the cut removed.
        if (after > before || piece.size() > before - after) std::abort();
        if (rest.Rest() != std::string_view(text).substr(text.size() - after)) std::abort();
        if (after == before) {
            if (op % 7 != 3 || before != 1) std::abort();
            rest.DropFront();
        }
    }
    return 0;
}

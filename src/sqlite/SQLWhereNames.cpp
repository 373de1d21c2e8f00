#include "sqlite/SQLWhereNames.h"

#include <algorithm>

#include "base/AnsiString.h"

namespace {

bool NameChar(unsigned char c) {
    return c == '#' || c == '$' || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z') || c >= 128;
}

}  // namespace

std::vector<std::string> SQLWhereNames(std::string_view condition, std::string* normalized) {
    enum class State { Outside, Quoted, Block, Line } state = State::Outside;
    // A line break ends a line comment that runs to the end of the text.
    std::string text(condition);
    text.push_back('\n');
    std::vector<std::string> names;
    std::string out;
    size_t copied = 0;  // of condition, into out
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        switch (state) {
            case State::Quoted:
                if (c == '\'') state = State::Outside;
                continue;
            case State::Block:
                if (c == '*' && i + 1 < n && text[i + 1] == '/') {
                    state = State::Outside;
                    ++i;
                }
                continue;
            case State::Line:
                if (c == '\n') state = State::Outside;
                continue;
            case State::Outside: break;
        }
        if (c == '\'') {
            state = State::Quoted;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            state = State::Block;
            ++i;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            state = State::Line;
            ++i;
        } else if (c == ':') {
            size_t end = i + 1;
            while (end < n && NameChar(static_cast<unsigned char>(text[end]))) ++end;
            std::string name = AnsiUpperCase(std::string_view(text).substr(i + 1, end - i - 1));
            if (normalized) {
                // The added line break never belongs to a name.
                out.append(condition.substr(copied, i + 1 - copied)).append(name);
                copied = end;
            }
            // A colon alone names nothing.
            if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
            i = end - 1;
        }
    }
    if (normalized) {
        out.append(condition.substr(std::min(copied, condition.size())));
        *normalized = std::move(out);
    }
    return names;
}

#include "console/CommandText.h"

#include <algorithm>
#include <utility>

#include "base/AnsiString.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool InSet(char c, WordDelims set) {
    if (IsSpace(c)) return true;
    switch (set) {
    case WordDelims::D1: return c == '(';
    case WordDelims::D2: return c == ';';
    case WordDelims::D3: return false;
    }
    return false;
}

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One step of the word scanner. Returns false when the text ended before a
// delimiter; then pos rests on the last character.
bool ScanWord(std::string_view text, size_t& pos, WordDelims set, std::string& word) {
    const size_t start = pos;
    bool quoted = false;
    size_t i = start;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && InSet(c, set))
            break;
    }
    if (i >= text.size()) {
        word.clear();
        pos = text.empty() ? 0 : text.size() - 1;
        return false;
    }
    word = AnsiUpperCase(text.substr(start, i - start));
    while (i < text.size() && InSet(text[i], set)) ++i;
    pos = i;
    return true;
}

}  // namespace

CommandText::CommandText(std::string text) : text_(std::move(text)) {}

void CommandText::DropFront(size_t n) { pos_ += std::min(n, Size()); }

std::string CommandText::TakeLine() {
    const std::string_view rest = Rest();
    size_t end = rest.find('\n');
    if (end != std::string_view::npos) {
        if (end + 1 < rest.size() && rest[end + 1] == '\r') ++end;
    } else {
        end = rest.find('\r');
        if (end != std::string_view::npos && end + 1 < rest.size() && rest[end + 1] == '\n') ++end;
    }
    // Without any break the line is the whole rest; leaving the rest in place
    // would make every caller that takes lines until the end loop forever.
    const size_t taken = end == std::string_view::npos ? rest.size() : end + 1;
    std::string line(TrimView(rest.substr(0, taken)));
    pos_ += taken;
    return line;
}

void CommandText::DropLine() { TakeLine(); }

std::string CommandText::Take(std::string_view delimiter, bool skipComments) {
    const std::string_view rest = Rest();
    const size_t n = rest.size();
    bool quoted = false;
    size_t i = 0;
    while (i < n) {
        const char c = rest[i];
        if (c == '\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (!quoted && skipComments && c == '-' && i + 1 < n && rest[i + 1] == '-') {
            i = rest.find('\n', i + 2);
            if (i == std::string_view::npos) break;
            while (i < n && (rest[i] == '\n' || rest[i] == '\r')) ++i;
            continue;
        }
        if (!quoted && skipComments && c == '/' && i + 1 < n && rest[i + 1] == '*') {
            // An unterminated comment runs to the end of the text.
            i = rest.find("*/", i + 2);
            if (i == std::string_view::npos) break;
            continue;
        }
        if (!quoted && !delimiter.empty() && rest.substr(i, delimiter.size()) == delimiter) {
            std::string statement(rest.substr(0, i + delimiter.size()));
            pos_ += i + delimiter.size();
            return statement;
        }
        ++i;
    }
    std::string statement(rest);
    while (!statement.empty() && IsBlank(statement.back())) statement.pop_back();
    pos_ = text_.size();
    return statement;
}

std::string CommandText::TakeStatement(std::string_view delimiter) { return Take(delimiter, true); }

std::string CommandText::TakeUntil(std::string_view delimiter) { return Take(delimiter, false); }

std::string NextWord(std::string_view text, size_t& pos, WordDelims set) {
    std::string word;
    ScanWord(text, pos, set, word);
    return word;
}

std::string CommandText::TakeBlock() {
    const std::string_view rest = Rest();
    size_t pos = 0;
    std::string name;
    std::string w;
    auto next = [&](WordDelims set) { return ScanWord(rest, pos, set, w); };

    next(WordDelims::D1);
    if (w == "CREATE") {
        next(WordDelims::D1);
        if (w == "OR") next(WordDelims::D1);
        if (w == "REPLACE") next(WordDelims::D1);
        if (w == "PACKAGE") {
            next(WordDelims::D1);
            if (w == "BODY") next(WordDelims::D1);
        } else {
            next(WordDelims::D1);
        }
        name = w;
    }
    // Only the end of the text stops the scan: an empty word in the middle
    // (the scan standing on a ";" right after the name) is stepped over.
    while (next(WordDelims::D2)) {
        if (w != "END") continue;
        const size_t save = pos;
        next(WordDelims::D2);
        if (w == name) next(WordDelims::D3);
        if (w == "/") break;
        pos = save;
    }
    std::string block(rest.substr(0, pos));
    while (pos < rest.size() && IsSpace(rest[pos])) ++pos;
    pos_ += pos;
    return block;
}

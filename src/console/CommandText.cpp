#include "console/CommandText.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/AnsiString.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One step of the word scanner: the word as it stands in the text (not yet
// upper-cased, so that the block scan allocates nothing per word). Returns
// false when the text ended before a delimiter; then pos rests on the last
// character.
bool ScanWord(std::string_view text, size_t& pos, WordDelims set, std::string_view& word) {
    // D3 adds nothing to the blanks; a blank stands in for "nothing".
    const char extra = set == WordDelims::D1 ? '(' : set == WordDelims::D2 ? ';' : ' ';
    auto delim = [extra](char c) { return IsSpace(c) || c == extra; };
    const char* const end = text.data() + text.size();
    const char* const start = text.data() + std::min(pos, text.size());
    const char* p = start;
    for (; p < end; ++p) {
        if (*p == '\'') {
            const void* close = std::memchr(p + 1, '\'', end - p - 1);
            if (close == nullptr) {
                p = end;
                break;
            }
            p = static_cast<const char*>(close);
        } else if (delim(*p)) {
            break;
        }
    }
    if (p >= end) {
        word = {};
        pos = text.empty() ? 0 : text.size() - 1;
        return false;
    }
    word = std::string_view(start, p - start);
    while (p < end && delim(*p)) ++p;
    pos = p - text.data();
    return true;
}

// Whether a word of the text reads as upper, which is in upper case already.
bool WordIs(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (AnsiUpperChar(word[i]) != upper[i]) return false;
    return true;
}

}  // namespace

CommandText::CommandText(std::string text) : text_(std::move(text)) {}

void CommandText::DropFront(size_t n) { pos_ += std::min(n, Size()); }

std::string CommandText::TakeLine() {
    const std::string_view rest = Rest();
    size_t end = rest.find_first_of("\r\n");
    if (end != std::string_view::npos && rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n')
        ++end;
    // Without any break the line is the whole rest; leaving the rest in place
    // would make every caller that takes lines until the end loop forever.
    const size_t taken = end == std::string_view::npos ? rest.size() : end + 1;
    std::string line(TrimView(rest.substr(0, taken)));
    pos_ += taken;
    return line;
}

void CommandText::DropLine() { TakeLine(); }

std::string CommandText::Take(std::string_view delimiter, bool skipComments) {
    // Raw pointers and memchr keep the scan cheap in unoptimised and
    // sanitised builds too; every character is visited once.
    const char* const begin = text_.data() + pos_;
    const char* const end = text_.data() + text_.size();
    const char first = delimiter.empty() ? '\'' : delimiter.front();
    const char* p = begin;
    while (p < end) {
        const char c = *p;
        if (c == '\'') {
            // A literal runs to the next apostrophe; "''" simply toggles twice.
            p = static_cast<const char*>(std::memchr(p + 1, '\'', end - p - 1));
            if (p == nullptr) break;
            ++p;
            continue;
        }
        if (skipComments && c == '-' && end - p > 1 && p[1] == '-') {
            // To the line's end, whichever break the file uses.
            p += 2;
            while (p < end && *p != '\n' && *p != '\r') ++p;
            if (p == end) break;
            while (p < end && (*p == '\n' || *p == '\r')) ++p;
            continue;
        }
        if (skipComments && c == '/' && end - p > 1 && p[1] == '*') {
            // An unterminated comment runs to the end of the text.
            const size_t close = std::string_view(p + 2, end - p - 2).find("*/");
            if (close == std::string_view::npos) break;
            p += 2 + close;
            continue;
        }
        if (c == first && !delimiter.empty() && static_cast<size_t>(end - p) >= delimiter.size() &&
            std::memcmp(p, delimiter.data(), delimiter.size()) == 0) {
            const size_t taken = (p - begin) + delimiter.size();
            std::string statement(begin, taken);
            pos_ += taken;
            return statement;
        }
        ++p;
    }
    std::string statement(begin, end);
    while (!statement.empty() && IsBlank(statement.back())) statement.pop_back();
    pos_ = text_.size();
    return statement;
}

std::string CommandText::TakeStatement(std::string_view delimiter) { return Take(delimiter, true); }

std::string CommandText::TakeUntil(std::string_view delimiter) { return Take(delimiter, false); }

std::string NextWord(std::string_view text, size_t& pos, WordDelims set) {
    std::string_view word;
    ScanWord(text, pos, set, word);
    return AnsiUpperCase(word);
}

std::string CommandText::TakeBlock() {
    const std::string_view rest = Rest();
    size_t pos = 0;
    std::string name;
    std::string_view w;
    auto next = [&](WordDelims set) { return ScanWord(rest, pos, set, w); };

    next(WordDelims::D1);
    if (WordIs(w, "CREATE")) {
        next(WordDelims::D1);
        if (WordIs(w, "OR")) next(WordDelims::D1);
        if (WordIs(w, "REPLACE")) next(WordDelims::D1);
        if (WordIs(w, "PACKAGE")) {
            next(WordDelims::D1);
            if (WordIs(w, "BODY")) next(WordDelims::D1);
        } else {
            next(WordDelims::D1);
        }
        name = AnsiUpperCase(w);
    }
    // Only the end of the text stops the scan: an empty word in the middle
    // (the scan standing on a ";" right after the name) is stepped over.
    while (next(WordDelims::D2)) {
        if (!WordIs(w, "END")) continue;
        const size_t save = pos;
        next(WordDelims::D2);
        if (WordIs(w, name)) next(WordDelims::D3);
        if (w == "/") break;
        pos = save;
    }
    std::string block(rest.substr(0, pos));
    while (pos < rest.size() && IsSpace(rest[pos])) ++pos;
    pos_ += pos;
    return block;
}

#pragma once
// The remaining text of a run, consumed from the front through a cursor: no
// cut copies or truncates what follows it, so a script of any size splits in
// time linear in its length and nothing after a cut is ever dropped.
#include <cstddef>
#include <string>
#include <string_view>

class CommandText {
public:
    // The interpreter appends the final line feed itself; the cuts rely on it
    // only in that a line or a block then always has an end.
    explicit CommandText(std::string text);

    bool Empty() const { return pos_ >= text_.size(); }
    // The first remaining character, '\0' when nothing is left.
    char Front() const { return Empty() ? '\0' : text_[pos_]; }
    // Deletes n characters from the front (fewer when fewer are left).
    void DropFront(size_t n = 1);
    // The remaining text; valid until the next cut.
    std::string_view Rest() const { return std::string_view(text_).substr(pos_); }
    size_t Size() const { return text_.size() - pos_; }

    // The first line with blanks (codes 0..32) trimmed at both ends. A line
    // ends at the first LF, CR LF or lone CR, whichever the text uses. A text
    // without any is one line and is taken whole.
    std::string TakeLine();
    void DropLine();

    // Up to and including the first delimiter outside single quotes; "--"
    // comments (to the line feed) and "/*" comments (to "*/") hide quotes
    // and delimiters but stay in the statement. Without a delimiter the
    // statement is the whole rest with trailing blanks removed. An empty
    // delimiter never matches.
    std::string TakeStatement(std::string_view delimiter = ";");
    // As TakeStatement, but comments are ordinary text.
    std::string TakeUntil(std::string_view delimiter);
    // A procedural block: through "END", its optional name and a "/" word
    // together with the blanks after the "/"; blanks after the block are
    // dropped. Without such an ending the block is the rest less its last
    // character.
    std::string TakeBlock();

private:
    std::string Take(std::string_view delimiter, bool skipComments);

    std::string text_;
    size_t pos_ = 0;
};

// D1: tab, LF, CR, blank and "("; D2: tab, LF, CR, blank and ";";
// D3: tab, LF, CR and blank.
enum class WordDelims { D1, D2, D3 };

// Takes the word at pos (0-based) up to the first delimiter of the set
// outside single quotes and returns it in upper case; pos moves past the run
// of delimiters after it. When no delimiter follows before the end of the
// text, the word is empty and pos rests on the last character.
std::string NextWord(std::string_view text, size_t& pos, WordDelims set);

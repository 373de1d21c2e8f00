#pragma once
#include <optional>
#include <string>
#include <string_view>

// The argument text of an import or export directive line:
//   --$WORD FILE -Option=value -Other="value with blanks"
// The file name ends at the first blank, or, when it starts with a double
// quote, at the next one (it may hold blanks then; the quotes are removed);
// the options follow it.
struct DirectiveArgs {
    std::string FileName;
    std::string Options;  // left-trimmed, one blank appended

    static DirectiveArgs Parse(std::string_view line);

    // The value after `key` (ASCII case ignored) up to the first blank
    // outside double quotes; surrounding quotes and one trailing ';' are
    // removed. A missing key gives "".
    static std::string GetOption(std::string_view key, std::string_view options);
    std::string Option(std::string_view key) const { return GetOption(key, Options); }

    // The -Table= option, or the file's name without its folder, each dot
    // turned into '_'.
    std::string TableName() const;
    // The -Delim= option, read from the option text itself since the option
    // reader takes a ';' at a value's end for the line's end: one character,
    // "x" in quotes, or the word tab, each maybe followed by that ';'. An
    // absent option gives ','; nullopt for anything else.
    std::optional<char> Delimiter() const;
};

#include "console/DirectiveArgs.h"

#include "base/AnsiString.h"
#include "base/Utf8.h"

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

size_t FindNoCase(std::string_view text, std::string_view key) {
    if (key.empty() || key.size() > text.size()) return std::string_view::npos;
    for (size_t i = 0; i + key.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < key.size() && AsciiUpper(text[i + k]) == AsciiUpper(key[k])) ++k;
        if (k == key.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

DirectiveArgs DirectiveArgs::Parse(std::string_view line) {
    DirectiveArgs a;
    const size_t blank = line.find(' ');
    const std::string_view after = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    // The limits count characters: a cut never splits one.
    const std::string params = TrimLeft(CharSubstr(after, 0, 256)) + " ";
    size_t end = params.find(' ');
    a.FileName = Trim(std::string_view(params).substr(0, end));
    // A name in double quotes may hold blanks; the quotes are not part of it.
    if (params.starts_with('"')) {
        const size_t close = params.find('"', 1);
        if (close != std::string::npos) {
            a.FileName = params.substr(1, close - 1);
            end = close + 1;
        }
    }
    a.Options = TrimLeft(CharSubstr(std::string_view(params).substr(end), 0, 255)) + " ";
    return a;
}

std::string DirectiveArgs::GetOption(std::string_view key, std::string_view options) {
    const size_t at = FindNoCase(options, key);
    if (at == std::string_view::npos) return std::string();
    const std::string rest = TrimLeft(options.substr(at + key.size()));
    size_t end = 0;
    bool quoted = false;
    for (; end < rest.size(); ++end) {
        if (rest[end] == '"') quoted = !quoted;
        else if (rest[end] == ' ' && !quoted) break;
    }
    std::string value = Trim(std::string_view(rest).substr(0, end));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = Trim(std::string_view(value).substr(1, value.size() - 2));
    if (!value.empty() && value.back() == ';') {
        value = Trim(std::string_view(value).substr(0, value.size() - 1));
        // -select="..."; ends a line as often as not: the quotes go as well.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = Trim(std::string_view(value).substr(1, value.size() - 2));
    }
    return value;
}

std::string DirectiveArgs::TableName() const {
    std::string table = Option("-Table=");
    if (!table.empty()) return table;
    const size_t cut = FileName.find_last_of(":/");
    table = cut == std::string::npos ? FileName : FileName.substr(cut + 1);
    for (char& c : table)
        if (c == '.') c = '_';
    return table;
}

std::optional<char> DirectiveArgs::Delimiter() const {
    static constexpr std::string_view key = "-DELIM=";
    const size_t found = FindNoCase(Options, key);
    if (found == std::string_view::npos) return ',';
    std::string_view v = std::string_view(Options).substr(found + key.size());
    if (v.size() >= 3 && v[0] == '"' && v[2] == '"') {
        v = v.substr(1, 1);
    } else {
        v = v.substr(0, v.find(' '));
        if (v.size() >= 2 && v.back() == ';') v.remove_suffix(1);
        if (SameText(v, "tab")) return '\t';
    }
    if (v.size() != 1 || v[0] == '"' || v[0] == '\r' || v[0] == '\n') return std::nullopt;
    return v[0];
}

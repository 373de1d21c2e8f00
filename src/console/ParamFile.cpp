#include "console/ParamFile.h"

#include <cerrno>
#include <vector>

#include "base/AnsiString.h"
#include "base/Utf8.h"
#include "base/Platform.h"

namespace {

// LF, CR LF and a lone CR end a line; a last line break adds no line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(std::move(cur));
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) lines.push_back(std::move(cur));
    return lines;
}

// False only when the file exists and cannot be read.
bool ReadLines(const std::string& fileName, std::vector<std::string>& lines) {
    lines.clear();
    std::string bytes;
    if (!ReadFileBytes(fileName, bytes)) return !FileExists(fileName);
    lines = SplitLines(FileText(bytes));
    return true;
}

std::string NormalKey(std::string_view key) { return AnsiUpperCase(Trim(key)); }

// The text after the key on a line that sets it, or nothing.
std::optional<std::string> ValueOnLine(const std::string& line, const std::string& normalKey) {
    std::string s = AnsiUpperCase(Trim(ReplaceAll(line, "\t", " ")));
    s = ReplaceAll(s, "##", "#");
    if (s.empty() || s[0] == '#') return std::nullopt;
    // A key named only in the comment does not count.
    const size_t hash = s.find('#');
    if (hash != std::string::npos) s.resize(hash);
    const size_t at = s.find(normalKey);
    if (at == std::string::npos) return std::nullopt;
    std::string rest = Trim(std::string_view(s).substr(at + normalKey.size()));
    // The '=' between key and value; one inside the value stays.
    if (const size_t eq = rest.find('='); eq != std::string::npos) rest[eq] = ' ';
    return Trim(rest);
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::string LoadInitOrcl(const std::string& fileName, std::string_view key, bool wholeLine) {
    const std::string k = NormalKey(key);
    if (k.empty()) return {};
    std::vector<std::string> lines;
    if (!ReadLines(fileName, lines)) return {};
    for (const std::string& line : lines) {
        const std::optional<std::string> v = ValueOnLine(line, k);
        if (!v) continue;
        if (wholeLine) return *v;
        return v->substr(0, v->find(' '));
    }
    return {};
}

bool SaveInitOrcl(const std::string& fileName, std::string_view key, std::string_view value,
                  const std::optional<std::string>& comment) {
    const std::string k = NormalKey(key);
    if (k.empty()) return false;
    std::vector<std::string> lines;
    if (!ReadLines(fileName, lines)) return false;
    std::string added = OneLine(key) + " = " + OneLine(value);
    if (comment) added += "    #" + OneLine(*comment);
    bool replaced = false;
    for (size_t i = 0; i < lines.size() && !replaced; ++i) {
        if (!ValueOnLine(lines[i], k)) continue;
        lines[i] = "# " + lines[i] + "    # Old Value";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), added);
        replaced = true;
    }
    if (!replaced) lines.push_back(added);
    std::string text;
    for (const std::string& line : lines) text.append(line).push_back('\n');
    return WriteFileBytes(fileName, text);
}


#include "IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "AnsiString.h"
#include "Platform.h"

namespace {


// One line of the file without its line break, and what it is.
struct Line {
    std::string_view text;
    enum Kind { Other, Section, Entry } kind = Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed
};

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

Line Classify(std::string_view text) {
    Line l;
    l.text = text;
    const std::string_view t = TrimView(text);
    if (t.empty() || t.front() == ';') return l;
    if (t.front() == '[') {
        const size_t close = t.find(']');
        l.kind = Line::Section;
        l.name = TrimView(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return l;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return l;
    l.kind = Line::Entry;
    l.name = TrimView(t.substr(0, eq));
    l.value = TrimView(t.substr(eq + 1));
    return l;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A UTF-8 mark at the start is no part of the first line (and is kept when
// the file is written back).
std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view text = bytes.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        lines.push_back(Classify(text));
        pos = end + 1;
    }
    return lines;
}

// Lines [begin, end) of the body of the first section so named; false when absent.
bool FindSection(const std::vector<Line>& lines, std::string_view section, size_t& begin, size_t& end) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section || !AnsiSameText(lines[i].name, section)) continue;
        begin = i + 1;
        end = begin;
        while (end < lines.size() && lines[end].kind != Line::Section) ++end;
        return true;
    }
    return false;
}

// The classic reader drops one pair of matching quotes around a value.
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view def) {
    std::string bytes;
    if (!ReadFileBytes(file, bytes)) return std::string(def);
    const std::vector<Line> lines = SplitLines(bytes);
    size_t b, e;
    if (!FindSection(lines, section, b, e)) return std::string(def);
    const std::string_view k = TrimView(key);
    for (size_t i = b; i < e; ++i)
        if (lines[i].kind == Line::Entry && AnsiSameText(lines[i].name, k)) return std::string(Unquote(lines[i].value));
    return std::string(def);
}

std::vector<std::string> IniReadKeys(const std::string& file, std::string_view section) {
    std::vector<std::string> keys;
    std::string bytes;
    if (!ReadFileBytes(file, bytes)) return keys;
    const std::vector<Line> lines = SplitLines(bytes);
    size_t b, e;
    if (!FindSection(lines, section, b, e)) return keys;
    for (size_t i = b; i < e; ++i) {
        if (lines[i].kind != Line::Entry) continue;
        bool seen = false;
        for (const std::string& k : keys)
            if (AnsiSameText(k, lines[i].name)) seen = true;
        if (!seen) keys.emplace_back(lines[i].name);
    }
    return keys;
}

// Names that could not be read back as written (a line break, '=' in a key,
// ']' in a section, an empty name) are refused instead of corrupting the file.
bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::string_view sec = TrimView(section), k = TrimView(key);
    if (sec.empty() || k.empty() || HasLineBreak(sec) || HasLineBreak(k) || HasLineBreak(value) ||
        sec.find(']') != std::string_view::npos || k.find('=') != std::string_view::npos || k.front() == '[' ||
        k.front() == ';')
        return false;
    std::string bytes;
    if (!ReadFileBytes(file, bytes) && errno != ENOENT) return false;
    const char* nl = bytes.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::vector<Line> lines = SplitLines(bytes);
    const std::string entry = std::string(k) + "=" + std::string(value);

    std::string out;
    out.reserve(bytes.size() + entry.size() + sec.size() + 8);
    if (bytes.compare(0, kBom.size(), kBom) == 0) out.append(kBom);
    auto put = [&](std::string_view text) {
        out.append(text);
        out.append(nl);
    };
    size_t b, e;
    if (!FindSection(lines, sec, b, e)) {
        for (const Line& l : lines) put(l.text);
        if (!lines.empty() && !TrimView(lines.back().text).empty()) out.append(nl);
        std::string header(1, '[');
        header.append(sec).append(1, ']');
        put(header);
        put(entry);
        return WriteFileBytes(file, out);
    }
    size_t target = e;  // replace this line, or insert after the section's last non-blank line
    bool replace = false;
    for (size_t i = b; i < e; ++i)
        if (lines[i].kind == Line::Entry && AnsiSameText(lines[i].name, k)) {
            target = i;
            replace = true;
            break;
        }
    if (!replace) {
        target = e;
        while (target > b && TrimView(lines[target - 1].text).empty()) --target;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == target) {
            if (replace) {
                // Keep the key as the file spells it.
                put(std::string(lines[i].name) + "=" + std::string(value));
                continue;
            }
            put(entry);
        }
        put(lines[i].text);
    }
    if (!replace && target == lines.size()) put(entry);
    return WriteFileBytes(file, out);
}

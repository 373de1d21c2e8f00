#include "SettingsFile.h"

#include "AnsiString.h"
#include "NumberText.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void PutHex(std::string& out, unsigned char c) {
    out.push_back('\\');
    out.push_back('x');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
}

void Escape(std::string& out, std::string_view s, bool isName) {
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
            case '\\': out += "\\\\"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        const bool lineStart = i == 0 && (c == ' ' || c == '[' || c == '#' || c == ';');
        const bool trailingBlank = !isName && i + 1 == s.size() && c == ' ';
        if (c < 0x20 || c == 0x7F || (isName && (c == '=' || lineStart)) || trailingBlank)
            PutHex(out, c);
        else
            out.push_back(static_cast<char>(c));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c != '\\' || i + 1 >= s.size()) {
            out.push_back(c);
            continue;
        }
        const char e = s[i + 1];
        switch (e) {
            case '\\': out.push_back('\\'); ++i; break;
            case 'n': out.push_back('\n'); ++i; break;
            case 'r': out.push_back('\r'); ++i; break;
            case 't': out.push_back('\t'); ++i; break;
            case 'x': {
                const int hi = i + 2 < s.size() ? HexDigit(s[i + 2]) : -1;
                const int lo = i + 3 < s.size() ? HexDigit(s[i + 3]) : -1;
                if (hi >= 0 && lo >= 0) {
                    out.push_back(static_cast<char>(hi * 16 + lo));
                    i += 3;
                } else {
                    out.push_back(c);
                }
                break;
            }
            default: out.push_back(c); break;  // a lone backslash is itself
        }
    }
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void SettingsFile::Clear() {
    keys_.clear();
    keyIndex_.clear();
}

SettingsFile::Key& SettingsFile::KeyFor(std::string_view key) {
    std::string folded = AnsiUpperCase(key);
    const auto it = keyIndex_.find(folded);
    if (it != keyIndex_.end()) return keys_[it->second];
    keyIndex_.emplace(std::move(folded), keys_.size());
    keys_.push_back(Key{std::string(key), {}, {}});
    return keys_.back();
}

SettingsFile::Value& SettingsFile::ValueFor(Key& k, std::string_view name) {
    std::string folded = AnsiUpperCase(name);
    const auto it = k.index.find(folded);
    if (it != k.index.end()) return k.values[it->second];
    k.index.emplace(std::move(folded), k.values.size());
    k.values.push_back(Value{std::string(name), false, {}, 0});
    return k.values.back();
}

void SettingsFile::Parse(std::string_view bytes) {
    Clear();
    Key* current = nullptr;  // re-taken at every header, so growth of keys_ cannot stale it
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || IsSpace(line.back()))) {
            // Blanks at the end were escaped when they mattered.
            line.remove_suffix(1);
        }
        while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) {
                current = nullptr;  // values under a broken header belong nowhere
                continue;
            }
            current = &KeyFor(Unescape(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || line.size() < eq + 3 || line[eq + 2] != ':') continue;
        const char type = line[eq + 1];
        const std::string_view body = line.substr(eq + 3);
        if (type == 's') {
            Value& v = ValueFor(*current, Unescape(line.substr(0, eq)));
            v.isInteger = false;
            v.text = Unescape(body);
            v.number = 0;
        } else if (type == 'i') {
            int32_t n;
            if (!TryStrToInt(body, n)) continue;
            Value& v = ValueFor(*current, Unescape(line.substr(0, eq)));
            v.isInteger = true;
            v.text.clear();
            v.number = n;
        }
    }
}

std::string SettingsFile::Serialize() const {
    std::string out = "# Tabulon settings. [key] lines; name=s:text or name=i:number; \\\\ \\n \\r \\t \\xHH escapes.\n";
    for (const Key& k : keys_) {
        out.push_back('\n');
        out.push_back('[');
        Escape(out, k.name, false);
        out += "]\n";
        for (const Value& v : k.values) {
            Escape(out, v.name, true);
            if (v.isInteger) {
                out += "=i:";
                out += IntToStr(v.number);
            } else {
                out += "=s:";
                Escape(out, v.text, false);
            }
            out.push_back('\n');
        }
    }
    return out;
}

const SettingsFile::Value* SettingsFile::Find(std::string_view key, std::string_view name) const {
    const auto k = keyIndex_.find(AnsiUpperCase(key));
    if (k == keyIndex_.end()) return nullptr;
    const Key& kk = keys_[k->second];
    const auto v = kk.index.find(AnsiUpperCase(name));
    return v == kk.index.end() ? nullptr : &kk.values[v->second];
}

bool SettingsFile::GetString(std::string_view key, std::string_view name, std::string& out) const {
    const Value* v = Find(key, name);
    if (v == nullptr) return false;
    out = v->isInteger ? IntToStr(v->number) : v->text;
    return true;
}

bool SettingsFile::GetInteger(std::string_view key, std::string_view name, int32_t& out) const {
    const Value* v = Find(key, name);
    if (v == nullptr) return false;
    if (v->isInteger) {
        out = v->number;
        return true;
    }
    return TryStrToInt(Trim(v->text), out);
}

bool SettingsFile::SetString(std::string_view key, std::string_view name, std::string_view text) {
    const Value* old = Find(key, name);
    const bool changed = old == nullptr || old->isInteger || old->text != text;
    Value& v = ValueFor(KeyFor(key), name);
    v.isInteger = false;
    v.text.assign(text);
    v.number = 0;
    return changed;
}

bool SettingsFile::SetInteger(std::string_view key, std::string_view name, int32_t n) {
    const Value* old = Find(key, name);
    const bool changed = old == nullptr || !old->isInteger || old->number != n;
    Value& v = ValueFor(KeyFor(key), name);
    v.isInteger = true;
    v.text.clear();
    v.number = n;
    return changed;
}

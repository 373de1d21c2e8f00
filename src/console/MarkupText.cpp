#include "console/MarkupText.h"

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Letters of the Windows-1251 code page outside ASCII: А..я, Ё, ё and the
// other Cyrillic letters of the upper half.
bool IsAnsiLetter(unsigned char c) {
    if (c >= 0xC0) return true;
    switch (c) {
        case 0x80: case 0x81: case 0x83: case 0x8A: case 0x8C: case 0x8D: case 0x8E: case 0x8F:
        case 0x90: case 0x9A: case 0x9C: case 0x9D: case 0x9E: case 0x9F: case 0xA1: case 0xA2:
        case 0xA3: case 0xA5: case 0xA8: case 0xAA: case 0xAF: case 0xB2: case 0xB3: case 0xB4:
        case 0xB8: case 0xBA: case 0xBC: case 0xBD: case 0xBE: case 0xBF:
            return true;
        default:
            return false;
    }
}

bool IsNameStart(unsigned char c) { return IsAsciiLetter(c) || c == '_' || IsAnsiLetter(c); }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.'; }

}  // namespace

std::string MarkupEscape(std::string_view text, bool lineBreaks) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\r':
                if (lineBreaks && i + 1 < text.size() && text[i + 1] == '\n') {
                    out += "<br/>";
                    ++i;
                } else {
                    out.push_back('\r');
                }
                break;
            default:
                out.push_back(c < 0x20 && c != '\t' && c != '\n' ? '?' : static_cast<char>(c));
        }
    }
    return out;
}

std::string XmlElementName(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 1);
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) {
        // A leading digit, '-' or '.' may stay in the name, just not first.
        if (name.empty() || !IsNameChar(static_cast<unsigned char>(name[0]))) {
            out.push_back('_');
            if (name.empty()) return out;
            name.remove_prefix(1);
        }
        if (out.empty()) out.push_back('_');
    }
    for (char ch : name) out.push_back(IsNameChar(static_cast<unsigned char>(ch)) ? ch : '_');
    return out;
}

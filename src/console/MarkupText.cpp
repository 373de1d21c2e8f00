#include "console/MarkupText.h"

#include "base/Utf8.h"

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsNameStart(const Utf8Char& c) {
    return c.valid && (c.code == '_' || (c.code < 0x80 ? IsAsciiLetter(static_cast<unsigned char>(c.code)) : IsLetterChar(c.code)));
}
bool IsNameChar(const Utf8Char& c) {
    return IsNameStart(c) || (c.valid && ((c.code >= '0' && c.code <= '9') || c.code == '-' || c.code == '.'));
}

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
            case '\n':
                // LF, CR LF and a lone CR are each one line break.
                if (!lineBreaks) {
                    out.push_back(static_cast<char>(c));
                    break;
                }
                out += "<br/>";
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
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
    size_t i = 0;
    if (name.empty()) return "_";
    const Utf8Char first = DecodeUtf8(name, 0);
    if (!IsNameStart(first)) {
        // A leading digit, '-' or '.' may stay in the name, just not first.
        out.push_back('_');
        if (!IsNameChar(first)) i = first.length;
        if (i == name.size()) return out;
    }
    while (i < name.size()) {
        const Utf8Char c = DecodeUtf8(name, i);
        if (IsNameChar(c))
            out.append(name.substr(i, c.length));
        else
            out.push_back('_');
        i += c.length;
    }
    return out;
}

#include "dialogs/RtfWriter.h"

#include <map>

#include "base/Utf8.h"

namespace {

void AppendUnit(std::string& out, unsigned unit) {
    // \u takes a signed 16-bit number; '?' is what readers without
    // Unicode show.
    out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(unit))) + "?";
}

// Text as RTF: the three special characters escaped, tabs and line breaks
// as control words, everything beyond ASCII as \u.
// In a font name ';' would end the name: it goes as \'3b.
void AppendText(std::string& out, std::string_view text, bool fontName = false) {
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8(text, i);
        i += c.length;
        const char32_t u = c.code;
        if (fontName && u == ';') {
            out += "\\'3b";
        } else if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u < 0x20) {
            // Other control characters have no place in rich text.
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u <= 0xFFFF) {
            AppendUnit(out, u);
        } else {
            const char32_t v = u - 0x10000;
            AppendUnit(out, 0xD800 + (v >> 10));
            AppendUnit(out, 0xDC00 + (v & 0x3FF));
        }
    }
}

const char* AlignmentWord(RtfAlignment a) {
    switch (a) {
        case RtfAlignment::Center: return "\\qc";
        case RtfAlignment::Right: return "\\qr";
        case RtfAlignment::Justify: return "\\qj";
        default: return "\\ql";
    }
}

}  // namespace

std::string WriteRtf(const RtfDocument& doc) {
    std::map<std::string, int> fonts;
    for (const RtfParagraph& p : doc.paragraphs)
        for (const RtfRun& r : p.runs)
            if (!r.font.empty()) fonts.emplace(r.font, 0);
    int n = 0;
    for (auto& [name, index] : fonts) index = n++;

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    out += "{\\fonttbl";
    for (const auto& [name, index] : fonts) {
        out += "{\\f" + std::to_string(index) + "\\fnil ";
        AppendText(out, name, true);
        out += ";}";
    }
    out += "}\n";
    for (const RtfParagraph& p : doc.paragraphs) {
        out += "\\pard";
        out += AlignmentWord(p.alignment);
        if (p.leftIndent) out += "\\li" + std::to_string(p.leftIndent);
        if (p.rightIndent) out += "\\ri" + std::to_string(p.rightIndent);
        if (p.firstIndent) out += "\\fi" + std::to_string(p.firstIndent);
        if (p.bullet) out += "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}";
        for (const RtfRun& r : p.runs) {
            out += '{';
            if (r.bold) out += "\\b";
            if (r.italic) out += "\\i";
            if (r.underline) out += "\\ul";
            if (!r.font.empty()) out += "\\f" + std::to_string(fonts[r.font]);
            if (r.halfPoints > 0) out += "\\fs" + std::to_string(r.halfPoints);
            // A blank ends the last control word; right after '{' it would be text.
            if (out.back() != '{') out += ' ';
            AppendText(out, r.text);
            out += '}';
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

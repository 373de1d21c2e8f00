#pragma once
// The formatting the text viewer edits, as its RTF files keep it:
// paragraphs with alignment, indents and a bullet, made of runs of
// characters that share bold, italic, underline, font and size.
#include <string>
#include <vector>

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfRun {
    // UTF-8; '\n' is a line break inside the paragraph, '\t' a tab.
    std::string text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Empty: the document's default font.
    std::string font;
    // Size in half points; 0: the default size.
    int halfPoints = 0;

    bool SameFormat(const RtfRun& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline && font == o.font &&
               halfPoints == o.halfPoints;
    }
};

struct RtfParagraph {
    RtfAlignment alignment = RtfAlignment::Left;
    bool bullet = false;
    // Twips (1/1440 inch): left and right margins, and the first line's
    // indent relative to the left margin.
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    std::vector<RtfRun> runs;

    std::string Text() const {
        std::string s;
        for (const RtfRun& r : runs) s += r.text;
        return s;
    }
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

// Limits the reader keeps values in, so that a malformed file cannot ask
// for absurd sizes.
inline constexpr int kRtfMaxIndent = 31680;  // 22 inches
inline constexpr int kRtfMaxHalfPoints = 3276;

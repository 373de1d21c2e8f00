#include "dialogs/RtfReader.h"

#include <algorithm>
#include <map>
#include <vector>

#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"

namespace {

enum class Dest { Text, Skip, FontTable, Pn };

struct GroupState {
    Dest dest = Dest::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1;  // -1: no \f in effect
    int halfPoints = 0;
    int uc = 1;
    bool starred = false;  // the group began with \*
    bool fresh = true;     // nothing but \* read in the group yet
};

// Deeper groups are read as skipped text: a file cannot grow the stack
// without bound.
constexpr size_t kMaxDepth = 1024;
constexpr size_t kMaxFontName = 256;
constexpr size_t kMaxFonts = 4096;

const char* const kSkipped[] = {
    "colortbl", "stylesheet", "info", "pict", "object", "header", "footer", "headerl", "headerr", "headerf",
    "footerl", "footerr", "footerf", "footnote", "listtable", "listoverridetable", "pntext", "listtext",
    "fldinst", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnsdecl", "rsidtbl",
    "revtbl", "filetbl", "private", "generator", "pntxtb", "pntxta", "nonshppict", "shp", "bkmkstart",
    "bkmkend", "template", "annotation", "atnid", "atnauthor",
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    RtfDocument Read() {
        stack_.push_back(GroupState{});
        // The outermost group is the document itself.
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                OpenGroup();
            } else if (c == '}') {
                CloseGroup();
            } else if (c == '\\') {
                Control();
            } else if (c == '\r' || c == '\n') {
                // Line breaks of the file are not text.
            } else {
                Byte(static_cast<unsigned char>(c));
            }
        }
        FlushHigh();
        if (!para_.runs.empty()) EndParagraph();
        return std::move(doc_);
    }

private:
    GroupState& St() { return stack_.back(); }
    bool Skipping() { return overflow_ > 0 || St().dest == Dest::Skip; }

    void OpenGroup() {
        skipChars_ = 0;
        if (overflow_ > 0 || stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        GroupState s = St();
        s.starred = false;
        s.fresh = true;
        stack_.push_back(s);
    }

    void CloseGroup() {
        skipChars_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (St().dest == Dest::FontTable) EndFontName();
        // An extra '}' at the top is ignored.
        if (stack_.size() > 1) stack_.pop_back();
    }

    // A control word, a control symbol or an escaped character.
    void Control() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            Symbol(c);
            return;
        }
        const size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
        const std::string_view word = in_.substr(start, pos_ - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        for (int digits = 0; pos_ < in_.size() && IsDigit(in_[pos_]); ++pos_, ++digits) {
            hasParam = true;
            // Absurdly long numbers stay at their limit.
            if (digits < 10) param = param * 10 + (in_[pos_] - '0');
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        Word(word, hasParam, param);
    }

    void Symbol(char c) {
        switch (c) {
            case '\'': {
                int value = 0;
                for (int k = 0; k < 2 && pos_ < in_.size(); ++k) {
                    const int h = HexValue(in_[pos_]);
                    if (h < 0) break;
                    value = value * 16 + h;
                    ++pos_;
                }
                Byte(static_cast<unsigned char>(value), true);
                break;
            }
            case '\\':
            case '{':
            case '}': Byte(static_cast<unsigned char>(c)); break;
            case '~': Char(0xA0); break;
            case '_': Char(0x2011); break;
            case '-': break;  // optional hyphen
            case '*':
                St().starred = true;
                return;  // the group is still fresh
            case '\r':
            case '\n': Word("par", false, 0); break;
            default: break;
        }
        St().fresh = false;
    }

    void Word(std::string_view w, bool hasParam, long long param) {
        GroupState& s = St();
        const bool first = s.fresh;
        s.fresh = false;
        const bool on = !hasParam || param != 0;
        if (w == "fonttbl") {
            s.dest = Dest::FontTable;
            return;
        }
        if (w == "pn") {
            if (s.dest != Dest::Skip) s.dest = Dest::Pn;
            return;
        }
        if (w == "pnlvlblt") {
            if (!Skipping()) bullet_ = true;
            return;
        }
        for (const char* skip : kSkipped)
            if (w == skip) {
                s.dest = Dest::Skip;
                return;
            }
        // An ignorable destination this reader does not know.
        if (s.starred && first) {
            s.dest = Dest::Skip;
            return;
        }
        if (w == "bin" && hasParam && param > 0) {
            // Binary data: skipped whole.
            pos_ += static_cast<size_t>(std::min<long long>(param, static_cast<long long>(in_.size() - pos_)));
            return;
        }
        if (overflow_ == 0 && s.dest != Dest::Skip) {
            if (w == "uc" && hasParam) {
                s.uc = static_cast<int>(std::clamp<long long>(param, 0, 8));
                return;
            }
            if (w == "u" && hasParam) {
                Unit(static_cast<unsigned>(param < 0 ? param + 65536 : param) & 0xFFFF);
                skipChars_ = s.uc;
                return;
            }
        }
        if (s.dest == Dest::FontTable) {
            if (w == "f" && hasParam) {
                EndFontName();
                defFont_ = static_cast<int>(param);
                fontName_.clear();
            }
            return;
        }
        if (Skipping() || s.dest == Dest::Pn) return;
        if (w == "ansicpg" && hasParam) {
            if (const SingleByteCodePage* cp = SingleByteCodePage::Find(static_cast<int>(param))) codePage_ = cp;
        } else if (w == "b") {
            s.bold = on;
        } else if (w == "i") {
            s.italic = on;
        } else if (w == "ul") {
            s.underline = on;
        } else if (w == "ulnone") {
            s.underline = false;
        } else if (w == "plain") {
            s.bold = s.italic = s.underline = false;
            s.font = -1;
            s.halfPoints = 0;
        } else if (w == "f" && hasParam) {
            s.font = static_cast<int>(std::clamp<long long>(param, 0, 1 << 30));
        } else if (w == "fs" && hasParam) {
            s.halfPoints = static_cast<int>(std::clamp<long long>(param, 0, kRtfMaxHalfPoints));
        } else if (w == "pard") {
            para_.alignment = RtfAlignment::Left;
            para_.leftIndent = para_.rightIndent = para_.firstIndent = 0;
            bullet_ = false;
        } else if (w == "ql") {
            para_.alignment = RtfAlignment::Left;
        } else if (w == "qc") {
            para_.alignment = RtfAlignment::Center;
        } else if (w == "qr") {
            para_.alignment = RtfAlignment::Right;
        } else if (w == "qj") {
            para_.alignment = RtfAlignment::Justify;
        } else if (w == "li" && hasParam) {
            para_.leftIndent = Indent(param);
        } else if (w == "ri" && hasParam) {
            para_.rightIndent = Indent(param);
        } else if (w == "fi" && hasParam) {
            para_.firstIndent = Indent(param);
        } else if (w == "ls" && hasParam) {
            // A paragraph of a Word list is shown as a bullet.
            if (param > 0) bullet_ = true;
        } else if (w == "par") {
            EndParagraph();
        } else if (w == "line") {
            Char('\n');
        } else if (w == "tab") {
            Char('\t');
        } else if (w == "emdash") {
            Char(0x2014);
        } else if (w == "endash") {
            Char(0x2013);
        } else if (w == "bullet") {
            Char(0x2022);
        } else if (w == "lquote") {
            Char(0x2018);
        } else if (w == "rquote") {
            Char(0x2019);
        } else if (w == "ldblquote") {
            Char(0x201C);
        } else if (w == "rdblquote") {
            Char(0x201D);
        } else if (w == "emspace" || w == "enspace") {
            Char(' ');
        }
    }

    char32_t ToUnicode(unsigned char b) const { return b < 0x80 || !codePage_ ? b : codePage_->ToUnicode(b); }

    static int Indent(long long v) { return static_cast<int>(std::clamp<long long>(v, -kRtfMaxIndent, kRtfMaxIndent)); }

    // One byte of text in the document's code page (a raw byte or \'hh).
    void Byte(unsigned char b, bool escaped = false) {
        St().fresh = false;
        if (skipChars_ > 0) {
            --skipChars_;
            return;
        }
        if (overflow_ > 0) return;
        if (St().dest == Dest::FontTable) {
            if (b == ';' && !escaped) {
                EndFontName();
            } else if (fontName_.size() < kMaxFontName && b >= 0x20) {
                AppendUtf8(fontName_, ToUnicode(b));
            }
            return;
        }
        if (St().dest != Dest::Text) return;
        Char(ToUnicode(b));
    }

    // One UTF-16 code unit of \u: surrogate halves are paired.
    void Unit(unsigned u) {
        if (St().dest == Dest::FontTable) {
            if (fontName_.size() < kMaxFontName && u >= 0x20) AppendUtf8(fontName_, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
            return;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            FlushHigh();
            high_ = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (high_) {
                const char32_t c = 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00);
                high_ = 0;
                Char(c);
            } else {
                Char(0xFFFD);
            }
            return;
        }
        Char(u);
    }

    void FlushHigh() {
        if (!high_) return;
        high_ = 0;
        Char(0xFFFD);
    }

    void Char(char32_t c) {
        if (Skipping() || St().dest != Dest::Text) return;
        if (high_ && !(c >= 0xDC00 && c <= 0xDFFF)) {
            high_ = 0;
            Char(0xFFFD);
        }
        // Control characters have no place in rich text (tabs and line
        // breaks come as \tab and \line).
        if (c < 0x20 && c != '\t' && c != '\n') return;
        const GroupState& s = St();
        RtfRun run;
        run.bold = s.bold;
        run.italic = s.italic;
        run.underline = s.underline;
        run.halfPoints = s.halfPoints;
        if (s.font >= 0) {
            const auto it = fonts_.find(s.font);
            if (it != fonts_.end()) run.font = it->second;
        }
        if (para_.runs.empty() || !para_.runs.back().SameFormat(run)) para_.runs.push_back(std::move(run));
        AppendUtf8(para_.runs.back().text, c);
    }

    void EndParagraph() {
        FlushHigh();
        para_.bullet = bullet_;
        doc_.paragraphs.push_back(para_);
        para_.runs.clear();
    }

    void EndFontName() {
        if (defFont_ < 0) return;
        // The name ends at ';'; blanks around it are not part of it.
        const size_t b = fontName_.find_first_not_of(' ');
        const size_t e = fontName_.find_last_not_of(' ');
        if (b != std::string::npos && fonts_.size() < kMaxFonts) fonts_[defFont_] = fontName_.substr(b, e - b + 1);
        defFont_ = -1;
        fontName_.clear();
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    size_t overflow_ = 0;
    int skipChars_ = 0;
    char32_t high_ = 0;
    const SingleByteCodePage* codePage_ = SingleByteCodePage::Find(1252);
    std::map<int, std::string> fonts_;
    int defFont_ = -1;
    std::string fontName_;
    bool bullet_ = false;
    RtfParagraph para_;
    RtfDocument doc_;
};

}  // namespace

bool LooksLikeRtf(std::string_view bytes) {
    // A UTF-8 byte-order mark before it is allowed.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes.substr(0, 5) == "{\\rtf";
}

RtfDocument ReadRtf(std::string_view rtf) { return Reader(rtf).Read(); }

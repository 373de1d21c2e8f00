#include "TEditorModel.h"

#include <algorithm>

#include "TSelectionRange.h"
#include "TVisibleRange.h"

namespace {
bool IsSymbolChar(unsigned char c) {
    return c >= 33 && c <= 126 && !std::isalnum(c) && c != '$' && c != '_' && c != '`';
}
bool IsWordChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '#' ||
           c == '$';
}
bool IsNumberStart(unsigned char c) { return (c >= '0' && c <= '9') || c == '#' || c == '$'; }
}  // namespace

TEditorModel::TEditorModel() : coloring_(std::make_unique<TSyntaxColoring>(this)) {}

TEditorModel::~TEditorModel() {
    coloring_->BeginUpdate();
    for (int i = 0; i < 99; ++i) coloring_->BeginUpdate();
    ClearSyntaxRanges();
    coloring_.reset();
}

void TEditorModel::SetFont(const TFont& f) {
    TMemoModel::SetFont(f);
    coloring_->Changed();
}

// ---------------------------------------------------------------------------
// The chain

void TEditorModel::Link(TSyntaxRange* t, TSyntaxRange* before) {
    TSyntaxRange* prev = before ? before->prev_ : last_;
    t->prev_ = prev;
    t->next_ = before;
    (prev ? prev->next_ : first_) = t;
    (before ? before->prev_ : last_) = t;
    t->pending_ = prev && prev->pending_;
    t->linked_ = true;
    ++tokenCount_;
}

void TEditorModel::Unlink(TSyntaxRange* t) {
    if (t == pendingFirst_) {
        pendingFirst_ = t->next_;
        if (!pendingFirst_) pendingDelta_ = 0;
    }
    if (hint_ == t) hint_ = t->prev_ ? t->prev_ : t->next_;
    if (drawCursor_ == t) drawCursor_ = nullptr;
    if (firstToRefresh_ == t) firstToRefresh_ = t->next_;
    (t->prev_ ? t->prev_->next_ : first_) = t->next_;
    (t->next_ ? t->next_->prev_ : last_) = t->prev_;
    t->prev_ = t->next_ = nullptr;
    t->linked_ = false;
    --tokenCount_;
}

void TEditorModel::ClearSyntaxRanges() {
    // Unlinking each token on its own would walk the cursors for nothing.
    TSyntaxRange* t = first_;
    first_ = last_ = nullptr;
    while (t) {
        TSyntaxRange* n = t->next_;
        t->linked_ = false;
        delete t;
        t = n;
    }
    tokenCount_ = 0;
    pendingFirst_ = nullptr;
    pendingDelta_ = 0;
    hint_ = drawCursor_ = firstToRefresh_ = anchor_ = nullptr;
}

// Makes g the first token that carries the pending shift (nullptr: none
// does). The walk is as long as the distance between the old and the new
// partition, which is short while the edits stay close together.
void TEditorModel::MovePartitionTo(TSyntaxRange* g) {
    if (g == pendingFirst_) return;
    const bool forward = pendingFirst_ && (!g || g->RStart() > pendingFirst_->RStart());
    if (forward) {
        for (TSyntaxRange* t = pendingFirst_; t && t != g; t = t->next_) {
            t->start_ += pendingDelta_;
            t->end_ += pendingDelta_;
            t->pending_ = false;
        }
    } else {
        for (TSyntaxRange* t = pendingFirst_ ? pendingFirst_->prev_ : last_; t; t = t->prev_) {
            t->start_ -= pendingDelta_;
            t->end_ -= pendingDelta_;
            t->pending_ = true;
            if (t == g) break;
        }
    }
    pendingFirst_ = g;
    if (!g) pendingDelta_ = 0;
}

void TEditorModel::MoveOrderedRanges(int s, int e, int d) {
    if (!first_) return;
    TSyntaxRange* t = FindSyntaxRange(s);
    // Tokens that the edited span touches follow it one by one.
    while (t && t->RStart() <= e) {
        TSyntaxRange* next = t->next_;
        FollowEdit(*t, s, e, d);
        t = next;
    }
    // The rest only shift; that shift is kept pending.
    if (d == 0) return;
    MovePartitionTo(t);
    if (t) pendingDelta_ += d;
}

TSyntaxRange* TEditorModel::FindSyntaxRange(int p) const { return FindSyntaxRange(p, hint_ ? hint_ : first_); }

TSyntaxRange* TEditorModel::FindSyntaxRange(int p, TSyntaxRange* t) const {
    if (!t) t = first_;
    if (!t) return nullptr;
    while (t->prev_ && t->prev_->REnd() >= p) t = t->prev_;
    while (t && t->REnd() < p) t = t->next_;
    if (t) hint_ = t;
    return t;
}

bool TEditorModel::MergeSyntaxRange(TSyntaxRange* t, TSyntaxRange*& c) {
    // Without a cursor the search would start at the first token; every
    // token before t starts before it, so starting right before t finds the
    // same place without walking the chain (a full colouring appends every
    // token this way).
    if (!c) c = t->prev_;
    while (c && (c->RStart() > t->RStart() || c == t)) c = c->prev_;
    if (!c) c = first_;
    while (c && (c->RStart() < t->RStart() || c == t)) c = c->next_;
    if (!c && t != last_) c = last_;
    bool result = false;
    while (c && c != t && !(c->RStart() > t->REnd() && c->REnd() > t->REnd())) {
        result = c->IsEqual(*t);
        TSyntaxRange* old = c;
        c = c->next_;
        delete old;
    }
    return result;
}

TSyntaxRange* TEditorModel::CheckGaps() const {
    if (!first_) return nullptr;
    if (first_->RStart() != 1) return first_;
    if (last_->REnd() != TextLength()) return last_;
    for (TSyntaxRange* t = first_; t->next_; t = t->next_)
        if (t->REnd() + 1 != t->next_->RStart()) return t;
    return nullptr;
}

TSyntaxRange* TEditorModel::CheckOverlaps() const {
    for (TSyntaxRange* t = first_; t && t->next_; t = t->next_)
        if (t->REnd() >= t->next_->RStart()) return t;
    return nullptr;
}

std::vector<TSyntaxTokenInfo> TEditorModel::ListTokens() const {
    std::vector<TSyntaxTokenInfo> out;
    out.reserve(static_cast<size_t>(tokenCount_));
    for (TSyntaxRange* t = first_; t; t = t->next_) out.push_back({t->RStart(), t->REnd(), t->GetText(), t->ClassName()});
    return out;
}

// ---------------------------------------------------------------------------
// The scanner

bool TEditorModel::MatchAt(int p, const std::string& s) const {
    if (s.empty() || p < 1 || p + static_cast<int>(s.size()) - 1 > TextLength()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (CharAt(p + static_cast<int>(i)) != s[i]) return false;
    return true;
}

const TCustomStyle* TEditorModel::StyleAt(int p) const {
    const TCustomStyles& styles = coloring_->CustomStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TCustomStyle* s = styles.Items(i);
        const std::string& b = s->BeginText();
        if (b.size() <= 20 && MatchAt(p, b)) return s;
    }
    return nullptr;
}

void TEditorModel::EmitToken(TSyntaxRange* t, int start, int end) {
    Link(t, anchor_);
    t->SetRStart(start);
    t->SetREnd(end);
    resync_ = MergeSyntaxRange(t, anchor_);
}

void TEditorModel::Emit(int start, int length, Kind kind, const TCustomStyle* style) {
    if (length <= 0) return;
    const int end = start + length - 1;
    switch (kind) {
        case Kind::Symbol:
            EmitToken(new TSymbolRange(this, Substr(start, length)), start, end);
            return;
        case Kind::Parenthesis: {
            const char c = CharAt(start);
            EmitToken(new TParenthesisRange(this, c == ')' || c == ']' || c == '}'), start, end);
            return;
        }
        case Kind::Style:
            EmitToken(new TCustomStyleRange(this, style), start, end);
            return;
        case Kind::Text:
            break;
    }
    int q = start;
    int wordStart = 0;
    std::string word;
    for (int p = start; p <= end + 1;) {
        const unsigned char c = p <= end ? static_cast<unsigned char>(CharAt(p)) : 0;
        // Letters of every script belong to words; a character beyond ASCII
        // is taken whole.
        int len = 1;
        bool wordChar = false;
        if (p <= end && c >= 0x80) {
            const Utf8Char ch = CharInfoAt(p);
            len = std::min(static_cast<int>(ch.length), end - p + 1);
            wordChar = ch.valid && IsLetterChar(ch.code);
        } else if (p <= end) {
            wordChar = IsWordChar(c);
        }
        if (wordChar) {
            if (word.empty()) wordStart = p;
            for (int k = 0; k < len; ++k) word.push_back(CharAt(p + k));
            p += len;
            continue;
        }
        p += len;
        if (word.empty()) continue;
        const int wordEnd = wordStart + static_cast<int>(word.size()) - 1;
        TSyntaxRange* token = nullptr;
        if (IsNumberStart(static_cast<unsigned char>(word[0]))) {
            token = new TNumberRange(this, word);
        } else if (const TWordList* list = coloring_->FindWordList(word)) {
            token = new TWordListRange(this, list);
        }
        if (token) {
            if (wordStart > q) {
                // The plain text goes first so that the chain stays in order.
                std::unique_ptr<TSyntaxRange> hold(token);
                EmitToken(new TNormalTextRange(this), q, wordStart - 1);
                token = hold.release();
            }
            EmitToken(token, wordStart, wordEnd);
            q = wordEnd + 1;
        }
        word.clear();
    }
    if (q <= end) EmitToken(new TNormalTextRange(this), q, end);
}

void TEditorModel::ColorRange(TCustomRange& r) {
    if (coloring_->UpdateCount() > 0) return;
    if (!coloring_->Enabled() || TextLength() == 0) {
        ClearSyntaxRanges();
        return;
    }
    coloring_->HoldUpdates();
    anchor_ = FindSyntaxRange(r.RStart() - 1);
    // The token at the edit may now belong with the one before it (a keyword
    // cut short joins the plain text before it, a broken "/*" joins the
    // symbols before it): start the scan one token earlier, so that the chain
    // comes out as a full pass would make it.
    if (anchor_ && anchor_->prev_) anchor_ = anchor_->prev_;
    int rStart = r.RStart();
    const int rEnd = r.REnd();
    if (anchor_ && rStart > anchor_->RStart()) rStart = anchor_->RStart();
    if (!first_) rStart = 1;
    const int L = TextLength();
    int p = rStart;
    int segStart = p, segLen = 0;
    Kind kind = Kind::Text;
    const TCustomStyle* style = nullptr;
    bool stayOpen = false;
    resync_ = false;

    auto switchTo = [&](Kind k) {
        if (k == kind && (k == Kind::Text || k == Kind::Symbol)) return;
        Emit(segStart, segLen, kind, style);
        segStart = p;
        segLen = 0;
        kind = k;
    };

    while (p <= L) {
        if (p > rEnd + 2 && resync_ && !stayOpen) break;
        resync_ = false;
        const unsigned char c = static_cast<unsigned char>(CharAt(p));
        const TCustomStyle* s = StyleAt(p);
        const bool inSwitchable = kind == Kind::Style && style && style->Switchable();
        if (inSwitchable && (s == style || s == style->DontSwitchTo1() || s == style->DontSwitchTo2())) s = nullptr;
        if (inSwitchable && !s) {
            const std::string& endText = style->EndText();
            const std::string& ign = style->IgnoreChar();
            if (!MatchAt(p, endText) || (!ign.empty() && CharAt(p - 1) == ign[0])) {
                stayOpen = true;
                ++segLen;
                ++p;
                continue;
            }
            const int len = static_cast<int>(endText.size());
            segLen += len;
            p += len;
            Emit(segStart, segLen, kind, style);
            segStart = p;
            segLen = 0;
            kind = Kind::Text;
            stayOpen = false;
            continue;
        }
        if (!s) {
            switchTo(c == '(' || c == ')' ? Kind::Parenthesis : IsSymbolChar(c) ? Kind::Symbol : Kind::Text);
            ++segLen;
            ++p;
            stayOpen = false;
            continue;
        }
        switchTo(Kind::Style);
        style = s;
        if (s->Switchable()) {
            ++segLen;
            ++p;
            stayOpen = true;
            continue;
        }
        const std::string& endText = s->EndText();
        const std::string& ign = s->IgnoreChar();
        int from = p + static_cast<int>(s->BeginText().size());
        bool found = false;
        for (;;) {
            int at = 0;
            if (!endText.empty()) {
                for (int q = std::max(from, 1); q + static_cast<int>(endText.size()) - 1 <= L; ++q) {
                    if (CharAt(q) == endText[0] && MatchAt(q, endText)) {
                        at = q;
                        break;
                    }
                }
            }
            found = at > 0;
            if (!found) break;
            p = at + static_cast<int>(endText.size()) - 1;
            if (ign.empty() || CharAt(at - 1) != ign[0]) break;
            from = p + static_cast<int>(s->BeginText().size());
        }
        if (!found || p > L) p = L;
        ++p;
        segLen = p - segStart;
        Emit(segStart, segLen, kind, style);
        segStart = p;
        segLen = 0;
        kind = Kind::Text;
        stayOpen = false;
    }
    if (p > L) Emit(segStart, segLen, kind, style);
    r.SetRStart(rStart);
    r.SetREnd(p - 1);
    firstToRefresh_ = FindSyntaxRange(rStart, anchor_ ? anchor_ : last_);
    anchor_ = nullptr;
    coloring_->ReleaseUpdates();
}

void TEditorModel::Recolor() {
    if (TextLength() == 0) return;
    Selection().HideCaret();
    ClearSyntaxRanges();
    TMCRange all(static_cast<TMemoModel*>(this));
    all.SetRStart(1);
    all.SetREnd(TextLength());
    ColorRange(all);
    for (TSyntaxRange* t = firstToRefresh_; t; t = t->next_) t->UpdateLevel();
    VisibleRange().Repaint();
    Selection().PlaceCaret();
    Selection().ShowCaret();
}

void TEditorModel::TextChanged(int position, int, int newLength) {
    firstToRefresh_ = nullptr;
    TMCRange r(static_cast<TMemoModel*>(this));
    r.SetRStart(position);
    r.SetRLength(newLength);
    ColorRange(r);
    recoloring_ = true;
    recolorStart_ = r.RStart();
    recolorEnd_ = r.REnd();
}

void TEditorModel::AfterTextChanged() {
    if (!recoloring_) return;
    recoloring_ = false;
    for (TSyntaxRange* t = firstToRefresh_; t; t = t->next_) {
        if (t->REnd() <= recolorEnd_) {
            t->UpdateLevel();
        } else if (!t->Refresh()) {
            // Levels depend only on the tokens before; from an unchanged one
            // on, nothing changes.
            break;
        }
    }
    TMCRange r(static_cast<TMemoModel*>(this));
    r.SetRStart(recolorStart_);
    r.SetREnd(recolorEnd_);
    r.Repaint();
}

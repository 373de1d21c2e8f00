#include "TMemoModel.h"

#include <algorithm>
#include <cstring>

#include "TMCRanges.h"
#include "TQorMemoStrings.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"
#include "TWholeTextRange.h"

TMemoModel::TMemoModel() {
    starts_.Add(1);
    AddWidth(0);
    ranges_ = std::make_unique<TMCRanges>(this);
    whole_ = std::make_unique<TWholeTextRange>(this);
    visible_ = new TVisibleRange(ranges_.get());
    selection_ = new TSelectionRange(ranges_.get());
    lines_ = std::make_unique<TQorMemoStrings>(*this);
}

TMemoModel::~TMemoModel() {
    view_ = nullptr;
    delete selection_;
    delete visible_;
    ranges_.reset();
}

std::string_view TMemoModel::Text() const { return {text_.Contiguous(), text_.Size()}; }

std::string TMemoModel::Substr(int offset, int len) const {
    const int L = TextLength();
    if (offset < 1) {
        len += offset - 1;
        offset = 1;
    }
    len = std::min(len, L - offset + 1);
    if (len <= 0) return {};
    std::string out(static_cast<size_t>(len), '\0');
    text_.Copy(static_cast<size_t>(offset - 1), static_cast<size_t>(len), out.data());
    return out;
}

TStrings& TMemoModel::Lines() { return *lines_; }

void TMemoModel::SetTabSize(int v) {
    tabSize_ = std::max(1, v);
    RecountWidths();
    visible_->Clamp();
    if (view_) view_->UpdateScrollBars();
    selection_->PlaceCaret();
}

void TMemoModel::SetHistoryEnabled(bool v) {
    historyEnabled_ = v;
    if (!v) {
        undo_.clear();
        redo_.clear();
    }
}

void TMemoModel::SetVisibleSize(int rows, int cols) {
    visibleRows_ = std::max(1, rows);
    visibleCols_ = std::max(1, cols);
    visible_->Clamp();
}

int TMemoModel::MaxLineWidth() const { return widths_.empty() ? 0 : widths_.rbegin()->first; }

void TMemoModel::RemoveWidth(int w) {
    const auto it = widths_.find(w);
    if (it != widths_.end() && --it->second == 0) widths_.erase(it);
}

void TMemoModel::RecountWidths() {
    widths_.clear();
    for (int i = 0; i < LineCount(); ++i) AddWidth(LineWidthAt(i));
}

// ---------------------------------------------------------------------------
// Coordinates

int TMemoModel::PointToOffset(int column, int line) const {
    if (line < 1) return column;
    if (line > LineCount()) return TextLength() + 2 + column;
    return starts_.Get(line - 1) + column - 1;
}

int TMemoModel::LineIndexOf(int offset) const {
    const int n = LineCount();
    // Output arrives at the end: the last line answers at once.
    if (n > 0 && offset >= starts_.Get(n - 1)) return n - 1;
    const int L = TextLength();
    int i = L >= 1 ? static_cast<int>(static_cast<int64_t>(n) * offset / L) - 1 : 0;
    i = std::clamp(i, 0, n - 1);
    // A few steps from the interpolated guess settle evenly filled text; an
    // uneven one falls back to a binary search with the same answer.
    for (int steps = 0; steps < 16; ++steps) {
        if (i < n - 1 && offset >= starts_.Get(i + 1)) {
            ++i;
        } else if (i >= 1 && offset < starts_.Get(i)) {
            --i;
        } else {
            return i;
        }
    }
    return std::max(0, starts_.UpperIndex(offset));
}

TPoint TMemoModel::OffsetToPoint(int offset) const {
    const int i = LineIndexOf(offset);
    return {offset - starts_.Get(i) + 1, i + 1};
}

int TMemoModel::LineLength(int line) const { return PointToOffset(0, line + 1) - PointToOffset(0, line) - 2; }

int TMemoModel::PointToVisualColumn(int column, int line) const {
    if (tabSize_ <= 1 || line < 1 || line > LineCount()) return column;
    const int start = starts_.Get(line - 1);
    const int last = std::min(start + column - 2, TextLength());
    int v = 0;
    for (int o = start; o <= last; ++o) v += CharAt(o) == '\t' ? tabSize_ - v % tabSize_ : 1;
    return v + 1 + std::max(0, start + column - 2 - last);
}

TPoint TMemoModel::VisualToPoint(int visualColumn, int line) const {
    int reached = 0;
    return VisualToPoint(visualColumn, line, reached);
}

TPoint TMemoModel::VisualToPoint(int visualColumn, int line, int& reachedColumn) const {
    line = std::clamp(line, 1, LineCount());
    const int start = starts_.Get(line - 1);
    const int len = LineLength(line);
    int c = 1, v = 1;
    while (c <= len) {
        const int w = CharAt(start + c - 1) == '\t' ? tabSize_ - (v - 1) % tabSize_ : 1;
        if (v + w > visualColumn) break;
        v += w;
        ++c;
    }
    reachedColumn = v;
    return {std::clamp(c, 1, len + 1), line};
}

int TMemoModel::TabWidthAt(int offset) const {
    if (tabSize_ < 2) return tabSize_;
    const TPoint p = OffsetToPoint(offset);
    return tabSize_ - (PointToVisualColumn(p.X, p.Y) - 1) % tabSize_;
}

int TMemoModel::LineWidth(int line) const { return PointToVisualColumn(LineLength(line) + 1, line) - 1; }

int TMemoModel::LineWidthAt(int index) const {
    const int start = starts_.Get(index);
    const int end = index + 1 < LineCount() ? starts_.Get(index + 1) - 2 : TextLength() + 1;
    if (end <= start) return 0;
    if (tabSize_ <= 1) return end - start;
    int v = 0;
    text_.ForEachPiece(static_cast<size_t>(start - 1), static_cast<size_t>(end - start), [&](const char* p, size_t n) {
        const char* stop = p + n;
        for (;;) {
            const void* tab = std::memchr(p, '\t', static_cast<size_t>(stop - p));
            if (!tab) {
                v += static_cast<int>(stop - p);
                return;
            }
            v += static_cast<int>(static_cast<const char*>(tab) - p);
            v += tabSize_ - v % tabSize_;
            p = static_cast<const char*>(tab) + 1;
        }
    });
    return v;
}

// ---------------------------------------------------------------------------
// The edit primitive

std::string TMemoModel::AdjustLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 32);
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            const char pair = c == '\r' ? '\n' : '\r';
            if (i + 1 < s.size() && s[i + 1] == pair) ++i;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {
// True when every CR is followed by LF and every LF preceded by CR.
bool BreaksAreNormal(std::string_view s) {
    // Every line of output passes here: jump from break to break.
    const char* p = s.data();
    const char* const end = p + s.size();
    for (;;) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
        const char* upTo = cr ? cr : end;
        if (std::memchr(p, '\n', static_cast<size_t>(upTo - p))) return false;
        if (!cr) return true;
        if (cr + 1 >= end || cr[1] != '\n') return false;
        p = cr + 2;
    }
}

// Calls f(i) for every CR LF pair of s, i the index of the CR.
template <class F>
void ForEachBreak(std::string_view s, F&& f) {
    const char* const base = s.data();
    const char* p = base;
    const char* const end = base + s.size();
    while (p + 1 < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - 1 - p)));
        if (!cr) return;
        if (cr[1] == '\n') f(static_cast<int>(cr - base));
        p = cr + 1;
    }
}
}  // namespace

void TMemoModel::RecordUndo(int s, int k, int m, std::string_view removed) {
    const int e = s + k - 1;
    if (!undo_.empty() && !undo_.back().IsGroupMarker()) {
        TUndoRecord& t = undo_.back();
        if (k == 0 && m >= 1 && t.Text.empty() && t.End >= t.Start && t.End + 1 == s) {
            t.End += m;
            return;
        }
        if (k >= 1 && m == 0 && !t.Text.empty() && t.End < t.Start) {
            if (t.Start == s) {
                t.Text.append(removed);
                return;
            }
            if (e + 1 == t.Start) {
                t.Start -= k;
                t.End -= k;
                t.Text.insert(0, removed);
                return;
            }
        }
    }
    undo_.push_back({s, s + m - 1, std::string(removed)});
}

void TMemoModel::ReplaceRange(TCustomRange& range, std::string_view newText) {
    TSelectionRange& sel = *selection_;
    sel.BeginUpdate();
    sel.DropSnapshot();

    std::string adjusted;
    if (!BreaksAreNormal(newText)) {
        adjusted = AdjustLineBreaks(newText);
        newText = adjusted;
    }
    const int L = TextLength();
    int s = std::clamp(range.RStart(), 1, L + 1);
    int e = s + std::clamp(range.RLength(), 0, L - s + 1) - 1;
    // An edit never splits a line break: a span that begins or ends between
    // CR and LF takes in the whole pair, or the line table would no longer
    // match the text.
    auto insideBreak = [&](int p) { return CharAt(p) == '\n' && CharAt(p - 1) == '\r'; };
    if (insideBreak(s)) {
        if (e < s) e = s - 2;  // an insertion stays one, before the CR
        --s;
    }
    if (e >= s && insideBreak(e + 1)) ++e;
    const int k = e - s + 1;
    const int m = static_cast<int>(newText.size());
    const int d = m - k;

    if (!replaying_ && historyEnabled_) {
        redo_.clear();
        RecordUndo(s, k, m, k > 0 ? Substr(s, k) : std::string());
    }

    const int linesBefore = LineCount();
    const int a = LineIndexOf(s);
    const int b = LineIndexOf(e + 1);
    const int maxBefore = MaxLineWidth();
    bool full = false;
    int inserted = 0;

    if (s == 1 && e == L) {
        starts_.Clear();
        starts_.Add(1);
        text_.Assign(newText.data(), newText.size());
        ForEachBreak(newText, [&](int i) { starts_.Add(i + 3); });
        RecountWidths();
        full = true;
    } else {
        // Appending after a line's end with a line break leaves that line as
        // it was: its width need not be measured twice (every output line
        // arrives this way).
        const bool keepsLineA = k == 0 && s == L + 1 && m >= 2 && newText[0] == '\r' && newText[1] == '\n';
        const int wb = keepsLineA ? 0 : LineWidthAt(b);
        if (!keepsLineA) RemoveWidth(a == b ? wb : LineWidthAt(a));
        for (int i = b; i > a; --i) RemoveWidth(i == b ? wb : LineWidthAt(i));
        starts_.DeleteRange(a + 1, b - a);

        text_.Erase(static_cast<size_t>(s - 1), static_cast<size_t>(k));
        text_.Insert(static_cast<size_t>(s - 1), newText.data(), newText.size());

        ForEachBreak(newText, [&](int i) {
            ++inserted;
            starts_.Insert(a + inserted, s + i + 2);
        });
        starts_.AddFrom(a + inserted + 1, d);

        for (int i = keepsLineA ? a + 1 : a; i <= a + inserted; ++i) AddWidth(LineWidthAt(i));
    }

    for (int i = ranges_->Count() - 1; i >= 0; --i) {
        if (i >= ranges_->Count()) continue;
        auto* r = static_cast<TCustomRange*>(ranges_->Item(i));
        if (r == &range || r == visible_) continue;
        FollowEdit(*r, s, e, d);
    }
    MoveOrderedRanges(s, e, d);

    if (&range == selection_) {
        sel.CollapseTo(s + m);
    } else {
        if (range.RStart() != s) range.SetRStart(s);
        range.SetRLength(m);
    }

    TextChanged(s, k, m);

    if (view_) {
        if (!full && LineCount() == linesBefore) {
            TMCRange line(this);
            line.SetRStart(std::max(1, s - 1));
            line.SetREnd(PointToOffset(0, a + 2));
            line.Repaint();
            // The width table counts every line, so it knows whether the
            // widest one really changed: only then do the horizontal limits
            // move, and no other line needs drawing for it.
            if (MaxLineWidth() != maxBefore) view_->WidestLineChanged();
        } else {
            view_->UpdateScrollBars();
        }
    }

    AfterTextChanged();
    sel.EndUpdate();
    DoChange();
}

void TMemoModel::FollowEdit(TCustomRange& r, int s, int e, int d) {
    r.BeginUpdate();
    bool overwritten = false;
    const auto followStart = [&](int start) {
        if (s <= start && start <= e) {
            r.SetRStart(s);
            overwritten = true;
        } else if (start > e) {
            r.SetRStart(start + d);
        }
    };
    const auto followEnd = [&](int end) {
        if (s <= end && end <= e) {
            if (r.RStart() > s) r.SetRStart(s);
            r.SetREnd(s - 1);
            overwritten = true;
        } else if (end > e) {
            r.SetREnd(end + d);
        }
    };
    // A deletion moves the start first, an insertion the end.
    if (d <= 0) {
        const int end = r.REnd();
        followStart(r.RStart());
        followEnd(end);
    } else {
        followEnd(r.REnd());
        followStart(r.RStart());
    }
    r.EndUpdate();
    if (overwritten && r.RLength() < 1) r.Overwritten();
}

void TMemoModel::SetText(std::string_view s) { whole_->SetText(s); }

void TMemoModel::Clear() { SetText(""); }

void TMemoModel::DoChange() {
    if (!updating_ && OnChange) OnChange();
}

void TMemoModel::DoSelectionChange() {
    if (!updating_ && OnSelectionChange) OnSelectionChange();
}

// ---------------------------------------------------------------------------
// Selection helpers

void TMemoModel::SelectAll() {
    selection_->BeginUpdate();
    selection_->SetBackwards(false);
    selection_->SetRStart(1);
    selection_->SetREnd(TextLength());
    selection_->EndUpdate();
}

std::string TMemoModel::GetSelText() const { return selection_->GetText(); }
int TMemoModel::GetSelStart() const { return selection_->RStart() - 1; }
void TMemoModel::SetSelStart(int n) { selection_->CollapseTo(n + 1); }

// ---------------------------------------------------------------------------
// History

void TMemoModel::Replay(bool redo) {
    std::vector<TUndoRecord>& from = redo ? redo_ : undo_;
    std::vector<TUndoRecord>& to = redo ? undo_ : redo_;
    if (from.empty()) return;
    replaying_ = true;
    bool inGroup = false;
    std::unique_ptr<TMCRange> caret;
    do {
        TUndoRecord rec = std::move(from.back());
        from.pop_back();
        if (rec.IsGroupMarker()) {
            inGroup = !inGroup;
            if (inGroup) {
                updating_ = true;
                visible_->BeginUpdate();
            } else {
                visible_->EndUpdateQuiet();
                selection_->HideCaret();
                visible_->Repaint();
                if (caret) selection_->CollapseTo(caret->RStart());
                updating_ = false;
                DoChange();
                DoSelectionChange();
                selection_->ScrollIntoView();
            }
            to.push_back(std::move(rec));
            continue;
        }
        TMCRange tmp(this);
        tmp.SetRStart(rec.Start);
        tmp.SetREnd(rec.End);
        std::string current = tmp.GetText();
        ReplaceRange(tmp, rec.Text);
        const int ns = tmp.RStart();
        const int ne = ns + static_cast<int>(rec.Text.size()) - 1;
        to.push_back({ns, ne, std::move(current)});
        if (!inGroup) {
            selection_->BeginUpdate();
            selection_->SetBackwards(false);
            selection_->SetRStart(ns);
            selection_->SetREnd(ne);
            selection_->EndUpdate();
            selection_->ScrollIntoView();
        } else if (!caret) {
            caret = std::make_unique<TMCRange>(ranges_.get());
            caret->SetRStart(ne + 1);
            caret->SetREnd(ne);
        } else if (ne + 1 > caret->RStart()) {
            caret->SetRStart(ne + 1);
            caret->SetREnd(ne);
        }
    } while (inGroup && !from.empty());
    if (inGroup) {
        // A group without its closing marker: leave the group state cleanly.
        visible_->EndUpdateQuiet();
        updating_ = false;
    }
    replaying_ = false;
    DoChange();
}

void TMemoModel::IndentLines(int n) {
    if (n == 0) return;
    PushUndo({});
    const bool wasUpdating = updating_;
    updating_ = true;
    visible_->BeginUpdate();
    TSelectionRange& sel = *selection_;
    const int first = OffsetToPoint(sel.RStart()).Y;
    const int last = OffsetToPoint(std::max(sel.RStart(), sel.REnd())).Y;
    for (int line = first; line <= last; ++line) {
        const int ls = PointToOffset(1, line);
        const int len = LineLength(line);
        int tabs = 0;
        while (tabs < len && CharAt(ls + tabs) == '\t') ++tabs;
        TMCRange tmp(this);
        if (n < 0) {
            const int del = std::min(-n, tabs);
            if (del == 0) continue;
            tmp.SetRStart(ls + tabs - del);
            tmp.SetREnd(ls + tabs - 1);
            ReplaceRange(tmp, "");
        } else {
            const int at = ls + tabs;
            tmp.SetRStart(at);
            tmp.SetREnd(at - 1);
            ReplaceRange(tmp, std::string(static_cast<size_t>(n), '\t'));
            if (sel.RLength() > 0 && sel.RStart() == at + n) sel.SetRStart(at);
        }
    }
    PushUndo({});
    visible_->EndUpdateQuiet();
    visible_->Repaint();
    sel.PlaceCaret();
    sel.ShowCaret();
    updating_ = wasUpdating;
    DoChange();
    DoSelectionChange();
}

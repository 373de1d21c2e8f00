#include "TMemoModel.h"

#include <algorithm>
#include <cstring>

#include "TMCRanges.h"
#include "base/Utf8.h"
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
    // Past the last line the text goes on after an imagined line break.
    if (line > LineCount()) return TextLength() + 1 + column;
    const int start = starts_.Get(line - 1);
    if (column <= 1) return start + column - 1;
    // Columns count characters: the offset of the (column - 1)-th one, and
    // one byte for each column past the line's end.
    const std::string_view text = LineView(line - 1);
    const size_t chars = static_cast<size_t>(column - 1);
    const size_t at = CharOffset(text, chars);
    if (at < text.size()) return start + static_cast<int>(at);
    return start + static_cast<int>(text.size()) + static_cast<int>(chars - CharCount(text));
}

std::string_view TMemoModel::LineView(int index) const {
    const int start = starts_.Get(index);
    const int len = std::max(0, LineEnd(index) - start);
    lineBuffer_.resize(static_cast<size_t>(len));
    if (len > 0) text_.Copy(static_cast<size_t>(start - 1), static_cast<size_t>(len), lineBuffer_.data());
    return lineBuffer_;
}

int TMemoModel::LineEnd(int index) const {
    return index + 1 < LineCount() ? starts_.Get(index + 1) - 1 : TextLength() + 1;
}

Utf8Char TMemoModel::CharInfoAt(int offset) const {
    char bytes[4];
    const int n = std::min(4, TextLength() - offset + 1);
    if (n <= 0) return Utf8Char{0, 1, false};
    text_.Copy(static_cast<size_t>(offset - 1), static_cast<size_t>(n), bytes);
    return DecodeUtf8(std::string_view(bytes, static_cast<size_t>(n)), 0);
}

int TMemoModel::CharStart(int offset) const {
    // A byte that continues a well-formed sequence belongs to the character
    // whose lead byte is at most three bytes before it.
    if (offset <= 1 || offset > TextLength() || (static_cast<unsigned char>(CharAt(offset)) & 0xC0) != 0x80)
        return offset;
    for (int back = 1; back <= 3 && offset - back >= 1; ++back) {
        const Utf8Char c = CharInfoAt(offset - back);
        if (c.valid && c.length > back) return offset - back;
    }
    return offset;
}

int TMemoModel::NextCharOffset(int offset) const {
    const int L = TextLength();
    if (offset > L) return L + 1;
    int next = offset + CharInfoAt(offset).length;
    // A letter's combining marks go with it.
    while (next <= L && CharAt(next) != '\n') {
        const Utf8Char c = CharInfoAt(next);
        if (CharCells(c) != 0) break;
        next += c.length;
    }
    return std::min(next, L + 1);
}

int TMemoModel::PrevCharOffset(int offset) const {
    if (offset <= 1) return 1;
    int prev = CharStart(offset - 1);
    while (prev > 1 && CharAt(prev) != '\n' && CharCells(CharInfoAt(prev)) == 0) {
        const int before = CharStart(prev - 1);
        if (CharAt(before) == '\n') break;
        prev = before;
    }
    return prev;
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
    const int start = starts_.Get(i);
    if (offset <= start + 1) return {offset - start + 1, i + 1};
    const std::string_view text = LineView(i);
    const size_t bytes = static_cast<size_t>(offset - start);
    if (bytes <= text.size()) return {static_cast<int>(CharCount(text.substr(0, bytes))) + 1, i + 1};
    return {static_cast<int>(CharCount(text) + (bytes - text.size())) + 1, i + 1};
}

int TMemoModel::LineLength(int line) const {
    if (line < 1 || line > LineCount()) return PointToOffset(0, line + 1) - PointToOffset(0, line) - 1;
    return static_cast<int>(CharCount(LineView(line - 1)));
}

namespace {
// The cells a character takes at visual position v (0-based): a tab runs to
// the next tab stop.
inline int CellsAt(const Utf8Char& c, int v, int tabSize) {
    if (c.valid && c.code == '\t') return tabSize - v % tabSize;
    return CharCells(c);
}

// The visual width of a line's text, tabs expanded.
int TextCells(std::string_view text, int tabSize) {
    int v = 0;
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x80) {
            ++v;
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(text, i);
        v += CellsAt(c, v, tabSize);
        i += c.length;
    }
    return v;
}
}  // namespace

int TMemoModel::PointToVisualColumn(int column, int line) const {
    if (line < 1 || line > LineCount()) return column;
    const std::string_view text = LineView(line - 1);
    const size_t at = CharOffset(text, static_cast<size_t>(std::max(0, column - 1)));
    const int past = std::max(0, column - 1 - static_cast<int>(CharCount(text.substr(0, at))));
    return TextCells(text.substr(0, at), tabSize_) + 1 + past;
}

TPoint TMemoModel::VisualToPoint(int visualColumn, int line) const {
    int reached = 0;
    return VisualToPoint(visualColumn, line, reached);
}

TPoint TMemoModel::VisualToPoint(int visualColumn, int line, int& reachedColumn) const {
    line = std::clamp(line, 1, LineCount());
    const std::string_view text = LineView(line - 1);
    int c = 1, v = 1;
    size_t i = 0;
    while (i < text.size()) {
        const Utf8Char ch = DecodeUtf8(text, i);
        const int w = CellsAt(ch, v - 1, tabSize_);
        // A zero-width mark stays with the letter before it.
        if (w > 0 && v + w > visualColumn) break;
        v += w;
        ++c;
        i += ch.length;
    }
    reachedColumn = v;
    return {std::max(c, 1), line};
}

int TMemoModel::TabWidthAt(int offset) const {
    const TPoint p = OffsetToPoint(offset);
    return tabSize_ - (PointToVisualColumn(p.X, p.Y) - 1) % tabSize_;
}

int TMemoModel::LineWidth(int line) const { return PointToVisualColumn(LineLength(line) + 1, line) - 1; }

int TMemoModel::LineWidthAt(int index) const {
    const int start = starts_.Get(index);
    const int end = LineEnd(index);
    if (end <= start) return 0;
    // Plain ASCII without tabs, the usual output line, is as wide as it is
    // long; anything else is measured character by character.
    bool plain = true;
    text_.ForEachPiece(static_cast<size_t>(start - 1), static_cast<size_t>(end - start), [&](const char* p, size_t n) {
        unsigned char any = 0;
        for (size_t k = 0; k < n; ++k) {
            const auto b = static_cast<unsigned char>(p[k]);
            any |= static_cast<unsigned char>(b | (b < 0x20 ? 0x80 : 0));
        }
        if (any & 0x80) plain = false;
    });
    if (plain) return end - start;
    return TextCells(LineView(index), tabSize_);
}

// ---------------------------------------------------------------------------
// The edit primitive

std::string TMemoModel::AdjustLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r') {
            out += s[i];
            continue;
        }
        // CR LF and a lone CR are each one line break.
        out += '\n';
        if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    }
    return out;
}

namespace {
// Calls f(i) for every line break of s, i its index.
template <class F>
void ForEachBreak(std::string_view s, F&& f) {
    const char* const base = s.data();
    const char* p = base;
    const char* const end = base + s.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!lf) return;
        f(static_cast<int>(lf - base));
        p = lf + 1;
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
    if (std::memchr(newText.data(), '\r', newText.size())) {
        adjusted = AdjustLineBreaks(newText);
        newText = adjusted;
    }
    const int L = TextLength();
    int s = std::clamp(range.RStart(), 1, L + 1);
    int e = s + std::clamp(range.RLength(), 0, L - s + 1) - 1;
    // An edit never splits a character: a span that begins or ends inside
    // one takes in all of it.
    const int snapped = CharStart(s);
    if (snapped != s) {
        if (e < s) e = snapped - 1;  // an insertion stays one, before the character
        s = snapped;
    }
    if (e >= s && e < L) {
        const int last = CharStart(e);
        e = std::max(e, last + CharInfoAt(last).length - 1);
    }
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
        ForEachBreak(newText, [&](int i) { starts_.Add(i + 2); });
        RecountWidths();
        full = true;
    } else {
        // Appending after a line's end with a line break leaves that line as
        // it was: its width need not be measured twice (every output line
        // arrives this way).
        const bool keepsLineA = k == 0 && s == L + 1 && m >= 1 && newText[0] == '\n';
        const int wb = keepsLineA ? 0 : LineWidthAt(b);
        if (!keepsLineA) RemoveWidth(a == b ? wb : LineWidthAt(a));
        for (int i = b; i > a; --i) RemoveWidth(i == b ? wb : LineWidthAt(i));
        starts_.DeleteRange(a + 1, b - a);

        text_.Erase(static_cast<size_t>(s - 1), static_cast<size_t>(k));
        text_.Insert(static_cast<size_t>(s - 1), newText.data(), newText.size());

        ForEachBreak(newText, [&](int i) {
            ++inserted;
            starts_.Insert(a + inserted, s + i + 1);
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

#pragma once
// The text model of the memo: one UTF-8 text with LF line breaks, its
// line-start table and widest-line cache, the edit primitive ReplaceRange
// through which every change goes, the edit history, and the ranges that
// follow the edits. The control draws it through IMemoView.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "IMemoView.h"
#include "TCollection.h"
#include "TFont.h"
#include "TGapVector.h"
#include "TIntegerList.h"
#include "TPoint.h"
#include "base/Utf8.h"

class TCustomRange;
class TMCRange;
class TMCRanges;
class TQorMemoStrings;
class TSelectionRange;
class TStrings;
class TVisibleRange;
class TWholeTextRange;

// One step of the history: the span start .. end now holds what an edit
// inserted; putting text back there undoes it. Start -1 marks a group edge.
struct TUndoRecord {
    int Start = -1;
    int End = -1;
    std::string Text;
    bool IsGroupMarker() const { return Start == -1; }
};

class TMemoModel : public TPersistent {
public:
    TMemoModel();
    ~TMemoModel() override;
    TMemoModel(const TMemoModel&) = delete;
    TMemoModel& operator=(const TMemoModel&) = delete;

    void SetView(IMemoView* view) { view_ = view; }
    IMemoView* View() const { return view_; }

    // The text as one block (moves the internal gap; cheap when repeated).
    std::string_view Text() const;
    int TextLength() const { return static_cast<int>(text_.Size()); }
    // Character at a 1-based offset; 0 outside the text.
    char CharAt(int offset) const {
        return offset >= 1 && offset <= TextLength() ? text_.At(static_cast<size_t>(offset - 1)) : '\0';
    }
    // Up to len characters from offset, clipped to the text.
    std::string Substr(int offset, int len) const;

    // Offsets are bytes; a point's column counts characters, and a visual
    // column counts screen cells (a tab to its stop, an East Asian wide
    // character two, a combining mark none).
    // The character at an offset (an ill-formed byte is one of its own).
    Utf8Char CharInfoAt(int offset) const;
    // The offset of the character that holds the byte at offset.
    int CharStart(int offset) const;
    // Where the caret goes one character on or back: a letter and its
    // combining marks are one step; a line break is one.
    int NextCharOffset(int offset) const;
    int PrevCharOffset(int offset) const;

    int TabSize() const { return tabSize_; }
    void SetTabSize(int v);
    int MaxLineWidth() const;

    int LineCount() const { return starts_.Count(); }
    virtual int PointToOffset(int column, int line) const;
    virtual TPoint OffsetToPoint(int offset) const;
    int LineLength(int line) const;
    virtual int PointToVisualColumn(int column, int line) const;
    virtual TPoint VisualToPoint(int visualColumn, int line) const;
    virtual TPoint VisualToPoint(int visualColumn, int line, int& reachedColumn) const;
    virtual int TabWidthAt(int offset) const;
    int LineWidth(int line) const;

    virtual void ReplaceRange(TCustomRange& range, std::string_view text);
    void SetText(std::string_view s);
    virtual void Clear();

    // CR LF and a lone CR become LF.
    static std::string AdjustLineBreaks(std::string_view s);

    // History.
    void Undo() { Replay(false); }
    void Redo() { Replay(true); }
    bool CanUndo(bool redo = false) const { return redo ? !redo_.empty() : !undo_.empty(); }
    // With the history off, edits are not recorded (an output pane that is
    // only ever appended to and trimmed need not keep what it dropped). On
    // by default.
    bool HistoryEnabled() const { return historyEnabled_; }
    void SetHistoryEnabled(bool v);
    const std::vector<TUndoRecord>& UndoList() const { return undo_; }
    const std::vector<TUndoRecord>& RedoList() const { return redo_; }
    // Indents (n > 0) or outdents (n < 0) the selected lines by n tabs as one
    // undo group.
    virtual void IndentLines(int n);

    // Ranges.
    TMCRanges& Ranges() { return *ranges_; }
    TSelectionRange& Selection() { return *selection_; }
    TVisibleRange& VisibleRange() { return *visible_; }
    TWholeTextRange& WholeText() { return *whole_; }
    TStrings& Lines();

    void SelectAll();
    std::string GetSelText() const;
    int GetSelStart() const;
    void SetSelStart(int n);

    // Size of the window in cells; the control sets them, tests too.
    int VisibleRows() const { return visibleRows_; }
    int VisibleCols() const { return visibleCols_; }
    void SetVisibleSize(int rows, int cols);

    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }
    const TFont& Font() const { return font_; }
    virtual void SetFont(const TFont& f) { font_ = f; }

    bool Updating() const { return updating_; }
    bool Replaying() const { return replaying_; }

    std::function<void()> OnChange;
    std::function<void()> OnSelectionChange;

    // Notifications of the edit primitive; the editor re-colours here.
    virtual void TextChanged(int /*position*/, int /*oldLength*/, int /*newLength*/) {}
    virtual void AfterTextChanged() {}
    virtual void DoChange();
    virtual void DoSelectionChange();

protected:
    // Ranges kept outside the registry (the editor's tokens) are moved here;
    // s .. e is the replaced span (e = s - 1 for an insertion), d the change
    // of length.
    virtual void MoveOrderedRanges(int /*s*/, int /*e*/, int /*d*/) {}
    // Moves one range by the rules that keep it on the same characters.
    static void FollowEdit(TCustomRange& r, int s, int e, int d);

    void PushUndo(TUndoRecord rec) { undo_.push_back(std::move(rec)); }

private:
    int LineIndexOf(int offset) const;
    // The bytes of a line (0-based index) without its break; valid until
    // the next call.
    std::string_view LineView(int index) const;
    // The offset just past a line's last byte: its line break, or L + 1.
    int LineEnd(int index) const;
    int LineWidthAt(int index) const;
    void RecordUndo(int s, int k, int m, std::string_view removed);
    void Replay(bool redo);
    void AddWidth(int w) { ++widths_[w]; }
    void RemoveWidth(int w);
    void RecountWidths();

    mutable TGapVector<char> text_;
    mutable std::string lineBuffer_;
    TIntegerList starts_;
    // How many lines have each width; the widest is the last key.
    std::map<int, int> widths_;
    int tabSize_ = 4;
    std::vector<TUndoRecord> undo_;
    std::vector<TUndoRecord> redo_;
    bool replaying_ = false;
    bool updating_ = false;
    bool historyEnabled_ = true;
    int visibleRows_ = 1;
    int visibleCols_ = 1;
    TColor color_ = clWindow;
    TFont font_;
    IMemoView* view_ = nullptr;

    std::unique_ptr<TMCRanges> ranges_;
    std::unique_ptr<TWholeTextRange> whole_;
    TVisibleRange* visible_ = nullptr;      // owned by ranges_
    TSelectionRange* selection_ = nullptr;  // owned by ranges_
    std::unique_ptr<TQorMemoStrings> lines_;

    friend class TSelectionRange;
    friend class TVisibleRange;
};

#pragma once
// The multi-line text control: draws a TMemoModel in a fixed-pitch grid,
// keeps its own caret, selection, scrolling and clipboard, and turns keys
// and mouse into edits of the model.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QWidget>
#include <array>
#include <deque>
#include <unordered_map>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "IMemoView.h"
#include "TFont.h"
#include "TMemoModel.h"
#include "TPoint.h"

class QPainter;
class QScrollBar;
class QTimer;
class TCustomFormattedRange;
class TCustomRange;
class TStrings;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };
// The scroll requests of the scroll bars and of the keyboard.
enum class TScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom };

class TQorMemo : public QWidget, public IMemoView {
public:
    explicit TQorMemo(QWidget* parent = nullptr);
    ~TQorMemo() override;

    TMemoModel& Model() { return *model_; }
    const TMemoModel& Model() const { return *model_; }

    // What the console uses.
    void SetText(std::string_view s) { model_->SetText(s); }
    std::string GetText() const { return std::string(model_->Text()); }
    int GetTextLength() const { return model_->TextLength(); }
    TStrings& Lines() { return model_->Lines(); }
    void SelectAll() { model_->SelectAll(); }
    std::string GetSelText() const { return model_->GetSelText(); }
    int GetSelStart() const { return model_->GetSelStart(); }
    void SetSelStart(int n) { model_->SetSelStart(n); }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void ClearSelection();
    void Undo(bool redo = false);
    bool CanUndo(bool redo = false) const { return model_->CanUndo(redo); }
    void IndentLines(int n) { model_->IndentLines(n); }

    // Properties.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool AlwaysShowCaret() const { return alwaysShowCaret_; }
    void SetAlwaysShowCaret(bool v);
    bool AlwaysMoveCaret() const { return alwaysMoveCaret_; }
    void SetAlwaysMoveCaret(bool v) { alwaysMoveCaret_ = v; }
    bool Bitmapped() const { return bitmapped_; }
    void SetBitmapped(bool v);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int v) { leftMargin_ = v; }
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int v) { topMargin_ = v; }
    int TabSize() const { return model_->TabSize(); }
    void SetTabSize(int v) { model_->SetTabSize(v); }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TColor Color() const { return model_->Color(); }
    void SetColor(TColor c);
    const TFont& Font() const { return model_->Font(); }
    void SetFont(const TFont& f);

    // Events; OnChange and OnSelectionChange are the model's own.
    std::function<void()>& OnChange;
    std::function<void()>& OnSelectionChange;
    // Fired before the control handles a key; setting the key to 0 or the
    // character to 0 cancels the control's handling.
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(char& c)> OnKeyPress;

    // Geometry of the character grid.
    int CharWidth() const { return cellW_; }
    int CharHeight() const { return cellH_; }
    // The rectangle inside the border and the scroll bars.
    QRect ClientArea() const { return clientArea_; }
    // (column, line) of the visible grid <-> client pixels.
    TPoint ClientToPoint(QPoint p) const;
    QPoint PointToClient(TPoint p) const;
    // The text offset nearest to a client pixel, outside the window too.
    int OffsetAtPixel(QPoint p) const;

    void VScroll(TScrollCode code, int pos = 0);
    void HScroll(TScrollCode code, int pos = 0);
    // The scroll bars are brought up to date lazily (a burst of appends sets
    // them once); these accessors settle them first.
    QScrollBar* VerticalScrollBar();
    QScrollBar* HorizontalScrollBar();

    bool CaretVisible() const { return caretExists_ && caretShown_; }
    QRect CaretRect() const;

    // Counts the text rows painted, so that tests can check that drawing
    // stays incremental.
    int PaintedLines() const { return paintedLines_; }
    void ResetPaintedLines() { paintedLines_ = 0; }

    // The text runs of one line slice, in order; runs marked so are freed
    // by the caller after drawing.
    virtual std::vector<TCustomFormattedRange*> GetFormattedRanges(const TCustomRange& r);
    // Draws the slice r at pixel (x, y); tabPhase is the number of columns
    // to the first tab stop.
    virtual void PaintLine(QPainter& p, const TCustomRange& r, int x, int tabPhase, int y);
    virtual void FontChanged();

    // IMemoView
    void RepaintRange(const TCustomRange& range) override;
    void UpdateScrollBars() override;
    void WidestLineChanged() override;
    void ScrollToBottom() override { VScroll(TScrollCode::Bottom); }
    void HideCaret() override;
    void ShowCaret() override;
    void PlaceCaret() override;
    void VisibleAreaChanged(const TVisibleRect& before, const TVisibleRect& after) override;

protected:
    // For descendants that draw a richer model (the editor).
    TQorMemo(std::unique_ptr<TMemoModel> model, QWidget* parent);

    // The key table and the typed characters; a descendant may handle a
    // character first and set it to 0.
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    virtual void KeyPress(char& c);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    void Init();
    void LayoutChildren();
    void MeasureCell();
    void SyncScrollBars();
    void ScheduleScrollBarSync();
    void UpdateTextArea();
    void UpdateCaretRect();
    void PaintArea(QPainter& p, const QRegion& region);
    void PaintTextLine(QPainter& p, int line, int y);
    void ApplyScroll(bool vertical, TScrollCode code, int pos);
    // A font the text is drawn in, with the glyph of each character looked
    // up once: characters the font has are drawn straight from their glyphs,
    // without laying the text out again for each frame; the others are laid
    // out one by one at their cells, where Qt finds a fallback font.
    struct TGlyph {
        const QRawFont* Raw = nullptr;  // nullptr: no font has it
        quint32 Index = 0;
    };
    struct TRunFont {
        TFont Key;
        QFont Font;
        QRawFont Raw;
        std::array<quint32, 128> Ascii{};
        std::unordered_map<char32_t, TGlyph> Other;
        // The fonts Qt fell back to for characters this one lacks.
        std::deque<QRawFont> Fallbacks;
        // 0: not looked up yet, 1: drawn from glyphs, -1: drawn as text.
        int GlyphState = 0;
    };
    TRunFont& RunFont(const TFont* f);
    void LookUpGlyphs(TRunFont& rf);
    // The glyph for a character: the font's own, else the one of the font
    // Qt falls back to, looked up once.
    TGlyph GlyphOf(TRunFont& rf, char32_t c);
    void InsertTyped(const QString& text);
    bool Showing() const;
    // The caret's (column, line).
    TPoint CaretPoint() const;
    QPoint CaretPixel() const;
    void MoveCaret(int offset, bool extend);
    int WordLeft(int c) const;
    int WordRight(int c) const;
    void SelectWordAtCaret();
    void DragStep();

    std::unique_ptr<TMemoModel> model_;
    QScrollBar* vbar_ = nullptr;
    QScrollBar* hbar_ = nullptr;
    QTimer* dragTimer_ = nullptr;
    QTimer* blinkTimer_ = nullptr;
    QTimer* syncTimer_ = nullptr;
    QPixmap bitmap_;
    QRect clientArea_;

    bool readOnly_ = false;
    bool alwaysShowCaret_ = true;
    bool alwaysMoveCaret_ = true;
    bool bitmapped_ = false;
    int leftMargin_ = 2;
    int topMargin_ = 0;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;

    int cellW_ = 8;
    int cellH_ = 13;
    int ascent_ = 10;
    TRunFont baseFont_;
    std::vector<std::unique_ptr<TRunFont>> runFonts_;
    // Scratch space of PaintLine, kept between lines: the glyphs of a row
    // by font and colour, and the runs drawn through the text layout.
    struct TGlyphBatch {
        const QRawFont* Raw = nullptr;
        QColor Pen;
        std::vector<quint32> Glyphs;
        std::vector<QPointF> Positions;
    };
    // Characters drawn through the text layout: a cluster (a character
    // and its combining marks) at its cell, or a whole run of a decorated font.
    std::string runText_;  // the bytes of the run being drawn
    struct TTextRun {
        TRunFont* Font;
        QColor Pen;
        QRect Cell;
        int X;
        QString Text;
    };
    // The columns (client pixels) of the row being painted that need
    // drawing; PaintArea narrows them to the dirty rectangles.
    int spanLeft_ = INT_MIN;
    int spanRight_ = INT_MAX;
    std::vector<std::pair<int, int>> rowSpans_;
    std::vector<TGlyphBatch> batches_;
    size_t usedBatches_ = 0;
    std::vector<TTextRun> textRuns_;

    bool caretExists_ = false;
    bool caretShown_ = false;
    bool caretBlinkOn_ = true;
    QPoint caretPos_;
    bool caretPosDirty_ = true;
    // Where the caret was last drawn, so that hiding it repaints that spot.
    QRect caretDrawn_;

    bool selecting_ = false;
    bool dblClick_ = false;
    QPoint lastMouse_;

    // Vertical key moves keep their column across lines: remembered here
    // with the caret offset they left, since any selection change forgets
    // the selection's own.
    int vertColumn_ = -1;
    int vertCaret_ = -1;

    std::array<TPoint, 10> bookmarks_{};
    std::array<bool, 10> bookmarkSet_{};

    bool fullRepaintPending_ = false;
    bool scrollBarsDirty_ = false;
    int paintedLines_ = 0;
};

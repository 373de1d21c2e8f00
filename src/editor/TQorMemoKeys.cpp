#include "TQorMemo.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>

#include "MemoText.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"

namespace {
// The digit row, also as the shifted characters of a US layout, since
// Ctrl+Shift+3 may arrive as '#'.
int DigitOf(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    static constexpr int shifted[10] = {Qt::Key_ParenRight, Qt::Key_Exclam,     Qt::Key_At,       Qt::Key_NumberSign,
                                        Qt::Key_Dollar,     Qt::Key_Percent,    Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                        Qt::Key_Asterisk,   Qt::Key_ParenLeft};
    for (int i = 0; i < 10; ++i)
        if (key == shifted[i]) return i;
    return -1;
}
}  // namespace

using namespace memo_text;

// ---------------------------------------------------------------------------
// Keyboard

int TQorMemo::WordLeft(int c) const {
    if (c <= 1) return 1;
    const TMemoModel& m = *model_;
    int p = m.PrevCharOffset(c);
    if (m.CharAt(p) == '\n') return p;
    const bool word = IsWordChar(m.CharInfoAt(p));
    while (p > 1) {
        const int before = m.PrevCharOffset(p);
        if (m.CharAt(before) == '\n' || IsWordChar(m.CharInfoAt(before)) != word) break;
        p = before;
    }
    return p;
}

int TQorMemo::WordRight(int c) const {
    const TMemoModel& m = *model_;
    const int L = m.TextLength();
    if (c > L) return L + 1;
    if (m.CharAt(c) == '\n') return c + 1;
    const bool word = IsWordChar(m.CharInfoAt(c));
    int p = c;
    while (p <= L && m.CharAt(p) != '\n' && IsWordChar(m.CharInfoAt(p)) == word) p = m.NextCharOffset(p);
    return p;
}

void TQorMemo::MoveCaret(int offset, bool extend) {
    TSelectionRange& sel = model_->Selection();
    if (extend) {
        sel.ExtendTo(offset);
    } else {
        sel.CollapseTo(offset);
    }
}

void TQorMemo::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (OnKeyDown) OnKeyDown(key, mods);
    KeyDown(key, mods);
    const QString text = e->text();
    const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    if (key == 0 || text.isEmpty() || ctrlOnly) return;
    const char32_t u = text.toUcs4().value(0);
    // Keys such as Delete and Escape carry control codes that are no
    // characters to type.
    if (u == 0x7F || (u < 0x20 && u != '\t' && u != '\r')) return;
    if (u >= 0x80) {
        InsertTyped(text);
        return;
    }
    char c = static_cast<char>(u);
    KeyPress(c);
}

void TQorMemo::InsertTyped(const QString& text) {
    // Characters beyond ASCII go in whole, as their UTF-8 bytes.
    if (readOnly_ || text.isEmpty()) return;
    TSelectionRange& sel = model_->Selection();
    sel.SetText(text.toStdString());
    sel.ScrollIntoView();
}

void TQorMemo::inputMethodEvent(QInputMethodEvent* e) {
    // A composed character arrives whole when the input method commits it.
    if (!e->commitString().isEmpty()) InsertTyped(e->commitString());
    e->accept();
}

QVariant TQorMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled: return !readOnly_;
        case Qt::ImCursorRectangle: return CaretRect();
        default: return QWidget::inputMethodQuery(query);
    }
}

void TQorMemo::KeyPress(char& c) {
    if (OnKeyPress) OnKeyPress(c);
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 && c != '\t' && c != '\r') return;
    if (readOnly_) return;
    TSelectionRange& sel = model_->Selection();
    if (c == '\r') {
        sel.SetText("\n");
    } else {
        sel.SetText(std::string_view(&c, 1));
    }
    sel.ScrollIntoView();
}

void TQorMemo::KeyDown(int& key, Qt::KeyboardModifiers mods) {
    if (key == 0) return;
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    TSelectionRange& sel = model_->Selection();
    TMemoModel& m = *model_;

    if (const int d = DigitOf(key); d >= 0 && ctrl && !alt) {
        const auto i = static_cast<size_t>(d);
        if (shift) {
            bookmarks_[i] = sel.GetStartPoint();
            bookmarkSet_[i] = true;
            QApplication::beep();
        } else if (bookmarkSet_[i]) {
            sel.CollapseTo(m.PointToOffset(bookmarks_[i].X, bookmarks_[i].Y));
            sel.ScrollIntoView();
            QApplication::beep();
        }
        return;
    }

    auto ctrlKeys = [&] {
        if (!ctrl) return;
        if (!shift && !alt && key == Qt::Key_C) {
            CopyToClipboard();
        } else if (!shift && !alt && key == Qt::Key_V && !readOnly_) {
            PasteFromClipboard();
        } else if (!shift && !alt && key == Qt::Key_X && !readOnly_) {
            CutToClipboard();
        } else if (key == Qt::Key_Z && !alt && !readOnly_) {
            Undo(shift);
        }
    };

    if (readOnly_ && !alwaysMoveCaret_) {
        switch (key) {
            case Qt::Key_PageUp: VScroll(TScrollCode::PageUp); break;
            case Qt::Key_PageDown: VScroll(TScrollCode::PageDown); break;
            case Qt::Key_End:
                if (ctrl) {
                    VScroll(TScrollCode::Bottom);
                } else {
                    HScroll(TScrollCode::Bottom);
                }
                break;
            case Qt::Key_Home:
                if (ctrl) VScroll(TScrollCode::Top);
                HScroll(TScrollCode::Top);
                break;
            case Qt::Key_Left: HScroll(TScrollCode::LineUp); break;
            case Qt::Key_Right: HScroll(TScrollCode::LineDown); break;
            case Qt::Key_Up: VScroll(TScrollCode::LineUp); break;
            case Qt::Key_Down: VScroll(TScrollCode::LineDown); break;
            case Qt::Key_Insert:
                if (ctrl) CopyToClipboard();
                break;
            default: break;
        }
        ctrlKeys();
        return;
    }

    const bool plain = !shift && !ctrl && !alt;
    const int caret = sel.CaretOffset();
    const TPoint cp = CaretPoint();
    int target = -1;
    bool vertical = false;
    // The column vertical moves aim for survives only while nothing else
    // moved the caret since the last vertical move.
    auto desired = [&] {
        if (vertCaret_ != caret || vertColumn_ < 0) vertColumn_ = m.PointToVisualColumn(cp.X, cp.Y);
        return vertColumn_;
    };
    auto lineTarget = [&](int line) {
        line = std::clamp(line, 1, m.LineCount());
        const int col = std::min(m.VisualToPoint(desired(), line).X, m.LineLength(line) + 1);
        vertical = true;
        return m.PointToOffset(col, line);
    };
    auto collapseOnly = [&](bool toStart) {
        if (shift || sel.RLength() < 1 || alwaysShowCaret_) return false;
        sel.CollapseTo(toStart ? sel.RStart() : sel.REnd() + 1);
        sel.ScrollIntoView();
        return true;
    };
    auto deleteWith = [&](int from, int to) {
        if (sel.RLength() < 1 && from <= to) {
            sel.BeginUpdate();
            sel.SetRStart(from);
            sel.SetREnd(to);
            sel.EndUpdateQuiet();
        }
        ClearSelection();
        sel.ScrollIntoView();
    };

    switch (key) {
        case Qt::Key_Backspace:
            if (readOnly_) break;
            if (plain) {
                deleteWith(caret > 1 ? m.PrevCharOffset(caret) : caret, caret - 1);
            } else if (alt && !ctrl) {
                Undo(shift);
            }
            break;
        case Qt::Key_Clear:
            if (!readOnly_) deleteWith(1, 0);
            break;
        case Qt::Key_PageUp: target = lineTarget(cp.Y - (m.VisibleRows() - 1)); break;
        case Qt::Key_PageDown: target = lineTarget(cp.Y + (m.VisibleRows() - 1)); break;
        case Qt::Key_End:
            target = ctrl ? m.PointToOffset(m.LineLength(m.LineCount()) + 1, m.LineCount())
                          : m.PointToOffset(m.LineLength(cp.Y) + 1, cp.Y);
            break;
        case Qt::Key_Home: target = ctrl ? 1 : m.PointToOffset(1, cp.Y); break;
        case Qt::Key_Left:
            if (collapseOnly(true)) break;
            if (ctrl) {
                target = WordLeft(caret);
            } else {
                target = m.PrevCharOffset(caret);
            }
            break;
        case Qt::Key_Right:
            if (collapseOnly(false)) break;
            if (ctrl) {
                target = WordRight(caret);
            } else {
                target = m.NextCharOffset(caret);
            }
            break;
        case Qt::Key_Up:
            if (collapseOnly(true)) break;
            target = lineTarget(cp.Y - 1);
            break;
        case Qt::Key_Down:
            if (collapseOnly(false)) break;
            target = lineTarget(cp.Y + 1);
            break;
        case Qt::Key_Insert:
            if (shift && !ctrl && !readOnly_) {
                PasteFromClipboard();
            } else if (ctrl && !shift) {
                CopyToClipboard();
            }
            break;
        case Qt::Key_Delete:
            if (readOnly_) break;
            if (plain) {
                deleteWith(caret, caret <= m.TextLength() ? m.NextCharOffset(caret) - 1 : caret - 1);
            } else if (shift && !ctrl && !alt) {
                CutToClipboard();
            }
            break;
        default: break;
    }
    if (target >= 1) {
        const int keep = vertColumn_;
        MoveCaret(target, shift);
        sel.ScrollIntoView();
        if (vertical) {
            vertColumn_ = keep;
            vertCaret_ = sel.CaretOffset();
        } else {
            vertColumn_ = -1;
        }
    }
    ctrlKeys();
}

#include "dialogs/TQorEdit.h"

#include <algorithm>

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "base/AnsiString.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/QtText.h"
#include "base/Utf8.h"

const std::string TQorEdit::RangeText =
    "Range Max. :\n"
    " - Integer:\t\t-2147483647 .. 2147483647\n"
    " - Date:\t\tdd.mm.yyyy\n"
    " - Time:\t\t hh:mm:ss\n"
    " - Currency:\t-922,337,203,685,477.5808 .. 922,337,203,685,477.5807.";

QPointer<TQorEdit> TQorEdit::returning_;

namespace {

// Qt's own limit when the control has none.
constexpr int kUnlimited = 32767;
const QString kYes = QString::fromUtf8("Да");
const QString kNo = QString::fromUtf8("Нет");
// A key event that carries more than one character (an input method, a
// compose sequence).
constexpr char32_t kSeveral = 0xFFFFFFFF;

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X and #0: what every typed kind lets through
// to the edit's own handling.
bool IsEditingControl(char32_t c) { return c == 0 || c == 1 || c == 3 || c == 22 || c == 24; }

// The character a key press stands for, as the classic keyboard message
// gives it: Ctrl+letter is its control code, Ctrl+Enter is LF, Enter CR,
// Backspace BS. 0 for keys without a character (arrows, function keys,
// Delete, Esc).
char32_t KeyChar(const QKeyEvent& e) {
    const int key = e.key();
    if (key == Qt::Key_Escape || key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab) return 0;
    const Qt::KeyboardModifiers mods = e.modifiers();
    const bool ctrl = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return ctrl ? U'\n' : U'\r';
    if (key == Qt::Key_Backspace) return 8;
    if (ctrl) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<char32_t>(key - Qt::Key_A + 1);
        const QString t = e.text();
        if (t.size() == 1 && t[0].unicode() < 32) return t[0].unicode();
        return 0;
    }
    const QList<uint> chars = e.text().toUcs4();
    if (chars.isEmpty()) return 0;
    if (chars.size() > 1) return kSeveral;
    return chars[0];
}

bool Contains(std::string_view set, char32_t c) {
    for (size_t i = 0; i < set.size();) {
        const Utf8Char u = DecodeUtf8(set, i);
        if (u.code == c) return true;
        i += u.length;
    }
    return false;
}

std::string DateText(TDateTime d) { return FormatDateTime("dd/mm/yyyy", d); }
std::string TimeText(TDateTime t) { return FormatDateTime("hh:nn:ss", t); }

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// "dd.mm.yy" (or a one-digit year) with a four-digit year: below 50 in the
// 2000s, otherwise in the 1900s. Any other text comes back unchanged.
std::string CompletedYear(const std::string& t) {
    const char sep = FormatSettings().DateSeparator;
    if ((t.size() != 7 && t.size() != 8) || t[2] != sep || t[5] != sep) return t;
    const std::string day = t.substr(0, 2), month = t.substr(3, 2), year = t.substr(6);
    if (!AllDigits(day) || !AllDigits(month) || !AllDigits(year)) return t;
    int y = std::stoi(year);
    y += y < 50 ? 2000 : 1900;
    return day + sep + month + sep + std::to_string(y);
}

}  // namespace

bool TryTextToCurrency(std::string_view s, Currency& out) {
    const std::string t = Trim(s);
    if (t.find_first_of("eE") != std::string::npos) {
        // Exponent forms go the floating-point way.
        double d;
        if (!TryStrToFloat(t, d)) return false;
        try {
            out = Currency::FromDouble(d);
            return true;
        } catch (const Exception&) {
            return false;
        }
    }
    const char sep = FormatSettings().DecimalSeparator;
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    __int128 whole = 0;
    int digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
        whole = whole * 10 + (t[i] - '0');
        if (whole > static_cast<__int128>(INT64_MAX)) return false;
    }
    int frac = 0, fracDigits = 0;
    bool roundUp = false;
    if (i < t.size() && t[i] == sep) {
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
            if (fracDigits < 4) frac = frac * 10 + (t[i] - '0');
            else if (fracDigits == 4) roundUp = t[i] >= '5';
            ++fracDigits;
        }
    }
    if (i != t.size() || digits == 0) return false;
    for (int k = fracDigits; k < 4; ++k) frac *= 10;
    __int128 scaled = whole * 10000 + frac + (roundUp ? 1 : 0);
    if (negative) scaled = -scaled;
    if (scaled > static_cast<__int128>(INT64_MAX) || scaled < static_cast<__int128>(INT64_MIN)) return false;
    out = Currency::FromScaled(static_cast<int64_t>(scaled));
    return true;
}

Currency TextToCurrency(std::string_view s) {
    Currency c;
    if (!TryTextToCurrency(s, c)) throw EConvertError("'" + std::string(s) + "' is not a valid currency value");
    return c;
}

TQorEdit::TQorEdit(QWidget* parent) : QLineEdit(parent) {
    colorFocus_ = QApplication::palette().color(QPalette::ToolTipBase);
    QLineEdit::setMaxLength(kUnlimited);
    resize(width(), DefaultHeight);
}

void TQorEdit::SetEditType(TEditType t) {
    if (t == editType_) return;
    editType_ = t;
    switch (t) {
        case TEditType::etString:
            SetAlignment(TAlignment::taLeftJustify);
            SetText("");
            SetMaxLength(0);
            break;
        case TEditType::etInteger:
            SetAlignment(TAlignment::taRightJustify);
            SetText("0");
            SetMaxLength(10);
            break;
        case TEditType::etCurrency:
            SetAlignment(TAlignment::taRightJustify);
            SetText(std::string("0") + FormatSettings().DecimalSeparator + "00");
            SetMaxLength(18);
            break;
        case TEditType::etDate:
            SetAlignment(TAlignment::taCenter);
            SetText(DateText(Date()));
            SetMaxLength(10);
            break;
        case TEditType::etTime:
            SetAlignment(TAlignment::taCenter);
            SetText(TimeText(Now()));
            SetMaxLength(8);
            break;
        case TEditType::etBoolean:
            SetAlignment(TAlignment::taCenter);
            setText(kNo);
            SetMaxLength(3);
            break;
    }
    // Only free text takes what an input method composes.
    setAttribute(Qt::WA_InputMethodEnabled, t == TEditType::etString);
}

QColor TQorEdit::Color() const { return palette().color(QPalette::Base); }

void TQorEdit::SetColor(const QColor& c) {
    QPalette p = palette();
    p.setColor(QPalette::Base, c);
    setPalette(p);
}

QColor TQorEdit::FontColor() const { return palette().color(QPalette::Text); }

void TQorEdit::SetFontColor(const QColor& c) {
    QPalette p = palette();
    p.setColor(QPalette::Text, c);
    setPalette(p);
}

void TQorEdit::SetAlignment(TAlignment a) {
    alignment_ = a;
    Qt::Alignment h = Qt::AlignLeft;
    if (a == TAlignment::taRightJustify) h = Qt::AlignRight;
    else if (a == TAlignment::taCenter) h = Qt::AlignHCenter;
    setAlignment(h | Qt::AlignVCenter);
}

int TQorEdit::MaxLength() const { return QLineEdit::maxLength() >= kUnlimited ? 0 : QLineEdit::maxLength(); }

void TQorEdit::SetMaxLength(int chars) {
    // Qt sets the text anew for a new limit; the caret, the selection and
    // the modified flag stay where the user left them.
    const int cursor = cursorPosition(), selStart = selectionStart(), selLength = selectionLength();
    const bool modified = isModified();
    QLineEdit::setMaxLength(chars <= 0 ? kUnlimited : chars);
    if (selStart >= 0 && selLength > 0) {
        if (cursor == selStart) setSelection(selStart + selLength, -selLength);
        else setSelection(selStart, selLength);
    } else {
        setCursorPosition(cursor);
    }
    setModified(modified);
}

std::string TQorEdit::Text() const { return QStringToAnsi(text()); }

void TQorEdit::SetText(std::string_view s) {
    // A text set by the program shows whole, as with the classic edit,
    // whose limit bounds only what is typed.
    const QString q = AnsiToQString(s);
    if (q.size() > QLineEdit::maxLength()) QLineEdit::setMaxLength(static_cast<int>(q.size()));
    setText(q);
}

// ---- keys ------------------------------------------------------------------

void TQorEdit::keyPressEvent(QKeyEvent* e) {
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (CursorKey(e)) return;
    // Alt with a character is a menu key: it types nothing.
    if ((e->modifiers() & Qt::AltModifier) && !(e->modifiers() & Qt::ControlModifier) && !e->text().isEmpty()) {
        e->ignore();
        return;
    }
    const char32_t ch = KeyChar(*e);
    if (ch == U'\n') {
        e->ignore();  // Ctrl+Enter belongs to the form
        return;
    }
    if (ch == 0) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    KeyPress(e, ch);
}

bool TQorEdit::CursorKey(QKeyEvent* e) {
    if (editType_ != TEditType::etDate && editType_ != TEditType::etTime && editType_ != TEditType::etBoolean)
        return false;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const int p = cursorPosition();
    switch (e->key()) {
        case Qt::Key_Backspace: {
            // Backspace only steps left: the mask keeps its characters.
            const int from = SelStart();
            deselect();
            setCursorPosition(from == 3 ? 1 : from == 6 ? 4 : std::max(0, from - 1));
            return true;
        }
        case Qt::Key_Delete:
            if (editType_ != TEditType::etBoolean && hasSelectedText() && selectedText() == text()) del();
            return true;
        case Qt::Key_Left:
            if (shift || hasSelectedText() || (p != 3 && p != 6)) return false;
            setCursorPosition(p == 3 ? 1 : 4);
            return true;
        case Qt::Key_Right:
            if (shift || hasSelectedText() || (p != 1 && p != 4)) return false;
            setCursorPosition(p == 1 ? 3 : 6);
            return true;
        default:
            return false;
    }
}

void TQorEdit::KeyPress(QKeyEvent* e, char32_t ch) {
    if (ch == editKeyByTab_) {
        focusNextChild();
        return;
    }
    if (ch == U'\r') return;
    switch (editType_) {
        case TEditType::etString: StringKey(e, ch, e->text()); break;
        case TEditType::etInteger: IntegerKey(e, ch); break;
        case TEditType::etCurrency: CurrencyKey(e, ch); break;
        case TEditType::etDate: DateKey(e, ch); break;
        case TEditType::etTime: TimeKey(e, ch); break;
        case TEditType::etBoolean: BooleanKey(e, ch); break;
    }
}

void TQorEdit::StringKey(QKeyEvent* e, char32_t ch, const QString& typed) {
    if (!validChar_.empty() && ch != 3 && ch != 8 && ch != 13 && ch != 22) {
        const QList<uint> chars = ch == kSeveral ? typed.toUcs4() : QList<uint>{static_cast<uint>(ch)};
        for (const uint c : chars)
            if (!Contains(validChar_, c)) return Reject();
    }
    if (firstCharUpper_ && text().isEmpty() && ch >= 32 && ch != kSeveral) {
        Insert(UpperChar(ch));
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TQorEdit::IntegerKey(QKeyEvent* e, char32_t ch) {
    // Room for the sign of -2147483647: the kind's own limit of 10 holds
    // only the digits.
    if ((text().contains('-') || ch == '-') && (MaxLength() == 0 || MaxLength() == 10)) SetMaxLength(11);
    if (ch == '-') {
        if (SelStart() != 0 || TextOutsideSelectionHas('-')) return Reject();
        Insert(ch);
        return;
    }
    if (IsDigit(ch) || IsEditingControl(ch) || ch == 8) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    Reject();
}

void TQorEdit::CurrencyKey(QKeyEvent* e, char32_t ch) {
    const QChar sep = QChar(FormatSettings().DecimalSeparator);
    if (ch == '-') {
        if (SelStart() != 0 || TextOutsideSelectionHas('-')) return Reject();
        Insert(ch);
        return;
    }
    if (ch == ',' || ch == '.') {
        // A typed separator replaces the selection: only one outside it counts.
        if (TextOutsideSelectionHas(sep)) return Reject();
        Insert(sep.unicode());
        return;
    }
    if (IsDigit(ch) || IsEditingControl(ch) || ch == 8) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    Reject();
}

void TQorEdit::DateKey(QKeyEvent* e, char32_t ch) {
    const char32_t sep = static_cast<unsigned char>(FormatSettings().DateSeparator);
    if (ch == ' ') return ReplaceText(AnsiToQString(DateText(Date())));
    if (ch == '+') return ShiftDate(1);
    if (ch == '-') return ShiftDate(-1);
    if (ch == ',' || ch == '.' || ch == '/') ch = sep;
    if (IsEditingControl(ch)) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (ch == sep) return;  // separators come by themselves
    if (!IsDigit(ch)) return Reject();

    // Day tens 0-3, month tens 0-1, the year's first digit 0-3; the rest any
    // digit. A digit overwrites the character at the caret.
    auto rule = [](int p, char32_t c) -> char32_t {
        switch (p) {
            case 0: return c <= '3' ? c : '0';
            case 3: return c <= '1' ? c : '0';
            case 6: return c <= '3' ? c : '2';
            default: return c;
        }
    };
    MaskedDigit(ch, sep, 10, rule);
}

void TQorEdit::TimeKey(QKeyEvent* e, char32_t ch) {
    const char32_t sep = static_cast<unsigned char>(FormatSettings().TimeSeparator);
    if (ch == ' ') return ReplaceText(AnsiToQString(TimeText(Now())));
    if (ch == '\'' || ch == '/' || ch == ':' || ch == ';') ch = sep;
    if (IsEditingControl(ch)) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (ch == sep) return;
    if (!IsDigit(ch)) return Reject();

    // Hour tens 0-2, minute and second tens 0-5.
    auto rule = [](int p, char32_t c) -> char32_t {
        switch (p) {
            case 0: return c <= '2' ? c : '0';
            case 3:
            case 6: return c <= '5' ? c : '0';
            default: return c;
        }
    };
    MaskedDigit(ch, sep, 8, rule);
}

void TQorEdit::BooleanKey(QKeyEvent* e, char32_t ch) {
    static const std::u32string yes = U"+1=TYtyДд";
    static const std::u32string no = U"-0FN_fnНн";
    if (ch == ' ' || ch == '*') return ReplaceText(text() == kYes ? kNo : kYes);
    if (yes.find(ch) != std::u32string::npos) return ReplaceText(kYes);
    if (no.find(ch) != std::u32string::npos) return ReplaceText(kNo);
    if (IsEditingControl(ch)) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    Reject();
}

void TQorEdit::keyReleaseEvent(QKeyEvent* e) {
    QLineEdit::keyReleaseEvent(e);
    if (isReadOnly() || (editType_ != TEditType::etDate && editType_ != TEditType::etTime)) return;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta: return;
        default: break;
    }
    // The caret never rests before a separator.
    const int p = cursorPosition();
    if (!hasSelectedText() && (p == 2 || p == 5)) setCursorPosition(p + 1);
}

void TQorEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (editType_ != TEditType::etString || isReadOnly() || validChar_.empty() || e->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(e);
        return;
    }
    QString kept;
    for (const uint c : e->commitString().toUcs4())
        if (Contains(validChar_, c)) kept += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(kept, e->replacementStart(), e->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void TQorEdit::Reject() {}

void TQorEdit::Insert(char32_t ch) { insert(QString::fromUcs4(&ch, 1)); }

// A digit typed into a "99.99.9999" or "99:99:99" mask: it overwrites the
// character at the caret, obeys the rule of its place, and the separators
// at places 2 and 5 come by themselves.
void TQorEdit::MaskedDigit(char32_t ch, char32_t sep, int length, char32_t (*rule)(int, char32_t)) {
    const int p = SelStart();
    if (p >= length) return;
    if (p < text().size()) setSelection(p, 1);
    else deselect();
    if (p == 2 || p == 5) {
        if (text().size() == p) {
            // The separator goes in before the digit, which then obeys the
            // rule of its own place.
            Insert(sep);
            ch = rule(p + 1, ch);
        } else {
            ch = sep;
        }
    } else {
        ch = rule(p, ch);
    }
    Insert(ch);
}

void TQorEdit::ReplaceText(const QString& s) {
    // Through the edit's own insertion, so that undo and the modified flag
    // see a typed change.
    selectAll();
    insert(s);
}

int TQorEdit::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

bool TQorEdit::TextOutsideSelectionHas(QChar c) const {
    QString rest = text();
    if (hasSelectedText()) rest.remove(selectionStart(), selectedText().size());
    return rest.contains(c);
}

void TQorEdit::ShiftDate(int days) {
    TDateTime d;
    if (!TryStrToDate(CompletedYear(Text()), d)) return Reject();
    ReplaceText(AnsiToQString(DateText(d + days)));
}

// ---- focus -----------------------------------------------------------------

void TQorEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    const Qt::FocusReason r = e->reason();
    if (!autoSelect_ && hasSelectedText() &&
        (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason))
        deselect();
    if (!entered_) DoEnter();
}

void TQorEdit::DoEnter() {
    entered_ = true;
    if (editType_ == TEditType::etCurrency && MaxLength() == 0) SetMaxLength(16);
    savedColor_ = Color();
    savedFontColor_ = FontColor();
    QPalette p = palette();
    p.setColor(QPalette::Base, colorFocus_);
    p.setColor(QPalette::Text, colorFontFocus_);
    setPalette(p);
    savedWidth_ = -1;
    if (widthOnFocus_ > 0) {
        savedWidth_ = width();
        resize(widthOnFocus_, height());
    }
}

void TQorEdit::RestoreLook() {
    if (!entered_) return;
    entered_ = false;
    QPalette p = palette();
    p.setColor(QPalette::Base, savedColor_);
    p.setColor(QPalette::Text, savedFontColor_);
    setPalette(p);
    if (savedWidth_ >= 0) resize(savedWidth_, height());
}

void TQorEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (!entered_) return;
    // Another window or a pop-up in front: the control stays the form's
    // focused one and keeps its look.
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    QWidget* next = QApplication::focusWidget();
    const bool withinForm = next && next != this && next->window() == window() && window()->isVisible();
    // Closing the form, or a neighbour taking the focus back after its own
    // refused exit: nothing to check.
    if (!withinForm || (returning_ && returning_ != this)) {
        RestoreLook();
        return;
    }
    if (!isReadOnly()) {
        if (editType_ == TEditType::etDate) CompleteYear();
        if (!TextIsValid()) {
            // The box and the return of the focus wait until Qt has
            // finished moving the focus.
            TakeFocusBack(true);
            return;
        }
    }
    RestoreLook();
    if (!isReadOnly()) ExitCorrections();
    if (OnExit) OnExit();
}

void TQorEdit::KeepFocus() { TakeFocusBack(false); }

void TQorEdit::TakeFocusBack(bool withError) {
    returning_ = this;
    // The control the focus went to: its highlight goes when the focus
    // comes back, also when a box in between left the window inactive and
    // no focus event reaches it.
    QPointer<TQorEdit> taker = dynamic_cast<TQorEdit*>(QApplication::focusWidget());
    QTimer::singleShot(0, this, [this, withError, taker] {
        if (isVisible()) {
            if (withError) ShowError();
            setFocus(Qt::OtherFocusReason);
            if (taker && taker != this && !taker->hasFocus()) taker->RestoreLook();
        }
        if (returning_ == this) returning_ = nullptr;
    });
}

// ---- values ----------------------------------------------------------------

void TQorEdit::CompleteYear() {
    const std::string t = Text();
    const std::string done = CompletedYear(t);
    if (done == t) return;
    const bool modified = isModified();
    SetText(done);
    setModified(modified);
}

bool TQorEdit::TextIsValid() const {
    const std::string t = Text();
    switch (editType_) {
        case TEditType::etInteger: {
            int32_t v;
            return TryStrToInt(t, v);
        }
        case TEditType::etCurrency: {
            Currency c;
            return TryTextToCurrency(t, c);
        }
        case TEditType::etDate: {
            TDateTime d;
            return TryStrToDate(CompletedYear(t), d);
        }
        case TEditType::etTime: {
            TDateTime d;
            return TryStrToTime(t, d);
        }
        default: return true;
    }
}

bool TQorEdit::FinishEdit() {
    if (isReadOnly()) return true;
    if (editType_ == TEditType::etDate) CompleteYear();
    if (!TextIsValid()) {
        ShowError();
        setFocus(Qt::OtherFocusReason);
        return false;
    }
    ExitCorrections();
    return true;
}

void TQorEdit::ExitCorrections() {
    if (editType_ == TEditType::etString && firstCharUpper_ && !text().isEmpty()) {
        const std::string t = Text();
        const Utf8Char first = DecodeUtf8(t, 0);
        std::string up;
        AppendUtf8(up, UpperChar(first.code));
        if (first.valid && up != t.substr(0, first.length)) {
            const bool modified = isModified();
            SetText(up + t.substr(first.length));
            setModified(modified);
        }
    }
    ApplyPrecision();
}

void TQorEdit::ApplyPrecision() {
    if (editType_ != TEditType::etCurrency || editPrecision_ <= 0) return;
    const char sep = FormatSettings().DecimalSeparator;
    std::string t = Text();
    if (t.empty()) t = "0";
    const size_t at = t.find(sep);
    if (at == std::string::npos) {
        t += sep + std::string(static_cast<size_t>(editPrecision_), '0');
    } else {
        const size_t have = t.size() - at - 1, want = static_cast<size_t>(editPrecision_);
        if (have > want) t.resize(at + 1 + want);
        else t.append(want - have, '0');
    }
    if (t == Text()) return;
    const bool modified = isModified();
    SetText(t);
    setModified(modified);
}

void TQorEdit::ShowError() {
    if (ShowMessage) {
        ShowMessage(window(), "Error", RangeText);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), AnsiToQString(RangeText), QMessageBox::Ok,
                    window());
    box.exec();
}

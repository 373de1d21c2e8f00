#pragma once
// A one-line entry for one kind of value: free text, an integer, a currency
// amount, a date, a time or a yes/no answer. Keys are filtered as they are
// typed, dates and times behave like an input mask, the control is
// highlighted while it has the focus and checks its text when the focus
// leaves it.
#include <functional>
#include <string>
#include <string_view>

#include <QColor>
#include <QLineEdit>
#include <QPointer>

#include "base/Currency.h"
#include "base/TAlignment.h"

enum class TEditType { etString, etInteger, etCurrency, etDate, etTime, etBoolean };

// Text to currency, exact to four decimals (a fifth rounds half away from
// zero): an optional sign, digits and the process decimal separator,
// surrounding blanks allowed. False when the text is no amount or lies
// outside the currency range.
bool TryTextToCurrency(std::string_view s, Currency& out);
// As above; throws EConvertError.
Currency TextToCurrency(std::string_view s);

class TQorEdit : public QLineEdit {
public:
    // The message of the "Error" box shown when the text is not a value of
    // the control's kind.
    static const std::string RangeText;
    static constexpr int DefaultHeight = 18;

    explicit TQorEdit(QWidget* parent = nullptr);

    TEditType EditType() const { return editType_; }
    // Resets text, alignment and maximum length for the kind (only when it
    // changes).
    void SetEditType(TEditType t);

    QColor ColorFocus() const { return colorFocus_; }
    void SetColorFocus(const QColor& c) { colorFocus_ = c; }
    QColor ColorFontFocus() const { return colorFontFocus_; }
    void SetColorFontFocus(const QColor& c) { colorFontFocus_ = c; }
    // Background and font colour (while focused: the focus colours).
    QColor Color() const;
    void SetColor(const QColor& c);
    QColor FontColor() const;
    void SetFontColor(const QColor& c);

    // For etString: the only characters that may be typed (empty: any).
    const std::string& ValidChar() const { return validChar_; }
    void SetValidChar(std::string chars) { validChar_ = std::move(chars); }
    // The key that moves the focus on; Enter by default.
    char32_t EditKeyByTab() const { return editKeyByTab_; }
    void SetEditKeyByTab(char32_t c) { editKeyByTab_ = c; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    // For etCurrency: digits after the decimal separator enforced on exit
    // (0: not enforced).
    int EditPrecision() const { return editPrecision_; }
    void SetEditPrecision(int digits) { editPrecision_ = digits < 0 ? 0 : digits; }
    bool FirstCharUpper() const { return firstCharUpper_; }
    void SetFirstCharUpper(bool on) { firstCharUpper_ = on; }
    // When > 0 the control takes this width while it has the focus.
    int WidthOnFocus() const { return widthOnFocus_; }
    void SetWidthOnFocus(int w) { widthOnFocus_ = w; }
    // Select the whole text when the focus arrives by keyboard.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    // Characters, 0 = unlimited.
    int MaxLength() const;
    void SetMaxLength(int chars);

    std::string Text() const;
    void SetText(std::string_view s);

    // True when the text reads as a value of the control's kind (a
    // two-digit year counts as completed).
    bool TextIsValid() const;
    // Does what leaving the control does to its text: completes a two-digit
    // year, checks the value, upper-cases the first character, enforces the
    // currency precision. On an invalid text shows the "Error" box and
    // returns false. For an owner that closes its form while the control
    // still has the focus.
    bool FinishEdit();
    // The currency precision rule on the current text.
    void ApplyPrecision();
    // Takes the focus back once the current focus change is over; other
    // edits skip their exit checks until then.
    void KeepFocus();

    // Called after a successful exit (the focus went to another control of
    // the same window).
    std::function<void()> OnExit;
    // Shows a message box owned by parent; a test replaces it. Unset: a
    // QMessageBox with an OK button.
    std::function<void(QWidget* parent, const std::string& caption, const std::string& text)> ShowMessage;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    bool CursorKey(QKeyEvent* e);
    void KeyPress(QKeyEvent* e, char32_t ch);
    void StringKey(QKeyEvent* e, char32_t ch, const QString& typed);
    void IntegerKey(QKeyEvent* e, char32_t ch);
    void CurrencyKey(QKeyEvent* e, char32_t ch);
    void DateKey(QKeyEvent* e, char32_t ch);
    void TimeKey(QKeyEvent* e, char32_t ch);
    void BooleanKey(QKeyEvent* e, char32_t ch);
    void Reject();
    void Insert(char32_t ch);
    void MaskedDigit(char32_t ch, char32_t sep, int length, char32_t (*rule)(int, char32_t));
    void ReplaceText(const QString& s);
    int SelStart() const;
    bool TextOutsideSelectionHas(QChar c) const;
    void ShiftDate(int days);
    void CompleteYear();
    void ExitCorrections();
    void DoEnter();
    void RestoreLook();
    void ShowError();
    void TakeFocusBack(bool withError);

    TEditType editType_ = TEditType::etString;
    QColor colorFocus_;
    QColor colorFontFocus_{0x80, 0x00, 0x00};
    std::string validChar_;
    char32_t editKeyByTab_ = U'\r';
    TAlignment alignment_ = TAlignment::taLeftJustify;
    int editPrecision_ = 2;
    bool firstCharUpper_ = false;
    int widthOnFocus_ = 0;
    bool autoSelect_ = true;

    bool entered_ = false;  // highlighted: colours (and width) saved
    QColor savedColor_, savedFontColor_;
    int savedWidth_ = -1;  // -1: the width was not changed on entry
    // The edit that is taking the focus back after a refused exit.
    static QPointer<TQorEdit> returning_;
};

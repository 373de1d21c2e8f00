#pragma once
// The text viewer's modal form: a text editor filling it, in plain mode
// (fixed font, OEM toggle, font and window size keys) or in rich mode
// (ruler, formatting menu on F9 and the right button, printing). Ctrl+Enter
// confirms, Esc leaves.
#include <QDialog>
#include <functional>
#include <string>

#include "dialogs/TextViewerHooks.h"

class QAction;
class QActionGroup;
class QMenu;
class QTextCharFormat;
class QTextEdit;
class TTextRuler;

class TFrmText : public QDialog {
public:
    explicit TFrmText(QWidget* parent = nullptr);
    ~TFrmText() override;

    // The caption gets the hints of its keys; the form takes widthFactor
    // and heightFactor of the screen, centred.
    void Setup(const std::string& caption, bool readOnly, bool rich, double widthFactor, double heightFactor,
               bool wordWrap);
    // Plain mode: the bytes as text (UTF-8; with oem, CP866).
    void SetPlainBytes(std::string bytes, bool oem);
    // Rich mode: an RTF file's bytes; other bytes are shown as plain text.
    void SetRichBytes(std::string_view bytes);

    // The text shown (UTF-8, LF line breaks).
    std::string Text() const;
    // The rich text as RTF.
    std::string Rtf() const;
    bool Modified() const;
    bool Rich() const { return rich_; }
    bool ReadOnly() const { return readOnly_; }
    // True while plain mode shows the OEM-to-ANSI conversion.
    bool OemShown() const { return oemShown_; }
    bool Confirmed() const { return confirmed_; }

    QTextEdit* Editor() const { return editor_; }
    TTextRuler* Ruler() const { return ruler_; }
    QMenu* PopupMenu() const { return popup_; }
    // The menu's entry with that text, nullptr when there is none.
    QAction* MenuAction(const QString& text) const;

    TextViewerHooks Hooks;
    // Ctrl+Enter; returning false keeps the form open (a save failed).
    std::function<bool(TFrmText&)> OnConfirm;

    // Ctrl + numeric-pad '/': the text as loaded or its OEM conversion
    // (refused once the text has been edited, which would be lost).
    void ToggleOem();
    // Ctrl + numeric-pad '+' / '-': the plain text's font, 4 to 20 points.
    void StepFontSize(int delta);
    // Alt + numeric-pad '+' / '-': the form 50 pixels larger or smaller,
    // its centre kept.
    void StepWindow(int delta);
    void SaveAsText();
    void SaveAsRtf();
    void PrintText();
    void ShowPopup();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool HandleKey(QKeyEvent* key);
    void BuildMenu();
    void UpdateChecks();
    void UpdateRuler();
    void ApplyIndents(int first, int left, int right);
    void MergeFormat(const QTextCharFormat& f);
    void ToggleList(bool on);
    void StepSelectionSize(int delta);
    void Confirm();
    void SaveAs(bool rtf);
    void ShowPlain(const QString& text);
    void Message(const QString& text);

    QTextEdit* editor_;
    TTextRuler* ruler_;
    QMenu* popup_;
    QActionGroup* alignGroup_ = nullptr;
    QActionGroup* fontGroup_ = nullptr;
    std::string bytes_;
    bool oem_ = false;
    bool oemShown_ = false;
    bool rich_ = false;
    bool readOnly_ = false;
    bool confirmed_ = false;
    bool updating_ = false;
};

// Writes bytes to file as a whole (a failure leaves the older file); the
// system's reason when it fails, empty when it worked.
std::string WriteWholeFile(const std::string& file, const std::string& bytes);

#pragma once
// The form TQorDialog generates: one row per parameter, a navy prompt on
// the left and its entry control on the right, and a bottom panel with the
// confirm button. The form works on its own copy of the records; the
// dialog takes the results when the user confirms.
#include <string>
#include <vector>

#include <QDialog>

#include "dialogs/TQorDialog.h"

class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTimer;
class TQorEdit;

class TFrm_DialogInp : public QDialog {
public:
    static constexpr int FormWidth = 600;
    static constexpr int EditX = 290;

    TFrm_DialogInp(TQorDialog& owner, std::vector<TDialogParam> params, QWidget* parent = nullptr);

    int Count() const { return static_cast<int>(entries_.size()); }
    // The entry control of record i ("EDIT" followed by i): a TQorEdit, a
    // QPlainTextEdit (Memo) or a QListWidget (check lists).
    QWidget* Entry(int i) const { return entries_[static_cast<size_t>(i)]; }
    QLabel* Label(int i) const { return labels_[static_cast<size_t>(i)]; }
    QPushButton* Button() const { return button_; }
    // The scroll area around the rows when they are taller than the screen.
    QScrollArea* Scroller() const { return scroll_; }
    // The values read back when the user confirmed, one per record.
    const std::vector<Variant>& Results() const { return results_; }

    // What Ctrl+Enter and the button do: finish the focused entry, read
    // every entry back and close; an entry that does not read back keeps
    // the form open with the focus on it.
    void Confirm();
    // What F2 does in entry i: list of values, folder or file chooser.
    void LookUp(int i);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* MakeEntry(int i, int& y);
    TQorEdit* MakeEdit(int i, int y);
    QListWidget* MakeCheckList(int i, int y, int& height);
    void ToggleCheck(int i, int row);
    std::string EditText(int i) const;
    std::string Look(int i, const std::string& value);
    void ShowChoice(int i, const std::string& value);
    void ChooseDir(int i);
    void ChooseFileFor(int i);
    bool LeaveEntry(int i);
    Variant ReadValue(int i) const;
    void CaptionMessage(const std::string& text);
    void Message(const std::string& caption, const std::string& text);
    int IndexOf(const QObject* control) const;

    TQorDialog& owner_;
    std::vector<TDialogParam> params_;
    std::vector<QWidget*> entries_;
    std::vector<QLabel*> labels_;
    // The value behind an entry with a display query (or a hot-key answer):
    // the initial value, then what F2 chose.
    std::vector<Variant> work_;
    std::vector<Variant> results_;
    QWidget* rows_ = nullptr;          // the rows' parent
    QScrollArea* scroll_ = nullptr;    // holds rows_ when they do not fit the screen
    QPushButton* button_ = nullptr;
    QTimer* captionTimer_ = nullptr;
    QString savedCaption_;
};

// The items of a check list: the text cut at commas, each trimmed; an item
// in double quotes may hold commas ("" standing for one quote).
std::vector<std::string> CheckListItems(const std::string& text);
// The letter that names item k: 'A' + k.
std::string CheckListLetter(int k);

#pragma once
// The modal form of the list of values: one column of a data set's rows in a
// read-only grid, a search line above it that follows what the user types,
// and a memo under it that opens for texts too wide for the grid.
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class TDataSet;
class TField;

class TQorLovFrm : public QDialog {
public:
    // The form's first size, the grid column's margin to the form's width
    // and the height the memo opens to.
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 280;
    static constexpr int kColumnMargin = 28;
    static constexpr int kMemoHeight = 59;
    // Results of Choose.
    static constexpr int kChosen = 1;
    static constexpr int kCancelled = 2;
    static constexpr int kEmpty = 3;
    // Where the size of the last form is kept for all later ones.
    static constexpr const char* kWidthPath = "HKCU\\Software\\QorTabulon\\LovWidth";
    static constexpr const char* kHeightPath = "HKCU\\Software\\QorTabulon\\LovHeight";

    // Size and place of the form; 0 means automatic.
    struct Place {
        std::string caption;  // empty: "Выберите"
        int width = 0;
        int height = 0;
        int left = 0;
        int top = 0;
        bool storySize = true;  // start with the remembered size, remember the last one
    };

    // Shows the rows of an open data set, column show, and lets the user
    // pick one. kChosen leaves the data set on the chosen row; kCancelled
    // when the user pressed Esc or closed the form; kEmpty, after the message
    // "Список пуст...", when the data set has no rows or is not open (no form
    // then).
    static int Choose(TDataSet& dataSet, std::string_view show, const Place& place, QWidget* parent = nullptr);
    // The column show names: the field with that number (from 0) when the
    // text begins with a digit, else the field of that name. Raises
    // EDatabaseError when there is none.
    static TField& ShownField(TDataSet& dataSet, std::string_view show);

    explicit TQorLovFrm(QWidget* parent = nullptr);

    // Reads the shown column of every row; the first row becomes current.
    void Fill(TDataSet& dataSet, TField& field);
    // Size, place and caption as Choose gives them.
    void Arrange(const Place& place);

    QTableView* Grid() const { return grid_; }
    QLineEdit* SearchEdit() const { return search_; }
    QPlainTextEdit* Memo() const { return memo_; }
    int RowCount() const { return static_cast<int>(texts_.size()); }
    // -1 when there is no current row.
    int CurrentRow() const;
    std::string CurrentText() const;
    std::string SearchText() const;
    bool MemoOpen() const { return memoOpen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Moves to the first row whose text begins with text, letter case
    // ignored; stays when none does.
    void Locate(const QString& text);
    void CurrentChanged();
    void FitColumn();

    QLabel* label_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* grid_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    std::vector<QString> texts_;
    bool memoOpen_ = false;
};

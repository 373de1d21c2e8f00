#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class TConsole;
class TDataGridModel;
class TDataSource;
class TQorSQLite3Query;

// The "Grid F2" page: the table list `cbTables`, the button "Show F5" and
// `DBGrid`, a table view over `QGrid` (a query on the console's connection,
// owned by the console so that a disconnect closes it like the console's
// own query). Show opens the chosen table with its row id; edits go back
// through the query's generated statements. Failures show a message box and
// leave the grid as it was.
class TGridPage : public QWidget {
public:
    explicit TGridPage(TConsole& console, QWidget* parent = nullptr);
    ~TGridPage() override;

    QComboBox* Tables() const { return cbTables_; }
    QTableView* Grid() const { return grid_; }
    QPushButton* ShowButton() const { return button1_; }
    TQorSQLite3Query& QGrid() const { return *query_; }
    TDataGridModel& Model() const { return *model_; }

    // After each connect: every table of the database, by name; the first
    // one selected.
    void FillTables();
    // Opens the table named in `cbTables` and moves the focus to the grid.
    void Show();
    // F5 in the grid: the table read again, the position kept.
    void Refresh();
    // Insert: a new record before the current one; Ctrl+Delete: the
    // current record deleted after a question.
    void InsertRecord();
    void DeleteRecord();

    // For tests: the error box and the Yes/No question without dialogs.
    std::function<void(const std::string& message)> ErrorHook;
    std::function<bool(const std::string& question)> AskHook;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Column rules once the query is open: ROWID hidden and read-only,
    // widths at most 250 pixels.
    void AfterOpen();
    void Error(const std::string& message);
    // Posts a record being edited (closing the open editor first); false
    // when that failed.
    bool PostPending();
    void CommitEditor();
    // The view's current cell follows the data set's active record.
    void FollowDataSet();
    void CurrentRowChanged(int row, int previousColumn);
    bool GridKey(QKeyEvent* key);
    // Focus colour: white while focused.
    void Paint(QWidget* w, bool focused);

    TConsole& console_;
    TQorSQLite3Query* query_;
    std::unique_ptr<TDataSource> source_;
    TDataGridModel* model_;
    QLabel* label_;
    QComboBox* cbTables_;
    QPushButton* button1_;
    QTableView* grid_;
    bool following_ = false;
    int column_ = 0;  // the column of the current cell
};

// Workload: a table of 1,000,000 rows of (integer, float, text, date), shown
// in the "Grid F2" page offscreen and scrolled to its last row, against the
// same rows fetched by a buffered query alone (the same statement the page
// runs), both in the same window shown and drawn. One mode per process, so
// that each peak resident size is its own:
//   bench_grid prepare DB   builds the table (once)
//   bench_grid query DB     opens the buffered query
//   bench_grid grid DB      shows the table in the grid page, goes to its
//                           end and draws it
// Each run prints its seconds and peak resident size; bench/grid.sh runs
// both in turn and prints the ratios.
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/TDataGridModel.h"
#include "app/TGridPage.h"
#include "console/TConsole.h"
#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {

constexpr int kRows = 1000000;

// The console's host, silent.
class QuietHost : public IConsoleHost {
public:
    void PrintLine(std::string_view) override {}
    void ClearOutput() override {}
    int OutputLineCount() override { return 0; }
    void DeleteFirstLines(int) override {}
    bool AskYesNo(std::string_view, bool) override { return false; }
    bool AskText(std::string_view, std::string_view, std::string&) override { return false; }
    void ShowMessage(std::string_view) override {}
    void ShowProgress(std::string_view) override {}
    void HideProgress() override {}
    void SetBusyMark(int, bool, uint32_t) override {}
    bool InterruptRequested() override { return false; }
    void ShowText(std::string_view, std::string_view) override {}
};

long PeakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_grid prepare|query|grid DATABASE\n");
        return 2;
    }
    const std::string mode = argv[1], path = argv[2];
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QuietHost host;
    TConsole console(host);
    TQorSQLite3DB& db = console.Session();
    db.SetDatabase(path);
    db.Open();
    if (mode == "prepare") {
        db.ExecSQL("drop table if exists r; create table r(i integer, f float, t text, d date)");
        db.ExecSQL("begin; with recursive c(x) as (select 1 union all select x + 1 from c where x < " +
                   std::to_string(kRows) +
                   ") insert into r select x, x * 1.25, 'row text number ' || x, date('2000-01-01', '+' || (x % 9000) "
                   "|| ' days') from c; commit");
        return 0;
    }
    // Both modes run in the same window, shown and drawn: the console's
    // window is open whenever a query runs. Only what the grid adds differs.
    TGridPage page(console);
    page.resize(640, 480);
    page.show();
    page.FillTables();
    page.Tables()->setCurrentIndex(page.Tables()->findText("r"));
    app.processEvents();
    const auto t0 = std::chrono::steady_clock::now();
    int rows = 0;
    if (mode == "query") {
        TQorSQLite3Query q(&console);
        q.SetConnection(&db);
        q.SetSQLText("select *,Rowid as Rowid from r");
        q.Open();
        q.Last();
        rows = q.RecordCount();
    } else if (mode == "grid") {
        page.Show();
        QTableView* grid = page.Grid();
        // Ctrl+End: the last row becomes current and is drawn.
        grid->setCurrentIndex(page.Model().index(page.Model().rowCount() - 1, 0));
        grid->scrollToBottom();
        grid->viewport()->repaint();
        app.processEvents();
        rows = page.Model().rowCount();
        if (page.QGrid().RecNo() != rows) std::printf("the last row is not current\n");
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s: %d rows, %.3f s, peak %ld KB\n", mode.c_str(), rows, s, PeakKb());
    return rows == kRows ? 0 : 1;
}

// Workload: 1,000,000 rows of (integer, float, text, date) in a database file.
// Measures, in one run and alternating rounds:
//  - a buffered TQorSQLite3Query open (every row fetched into its record
//    layout) against a plain loop that steps the same statement and reads
//    every column's text;
//  - a unidirectional query walked with Next against the same plain loop;
//  - the memory the buffered rows take against the layout size times the
//    rows, and the unidirectional walk's growth (should be none).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "dataset/TField.h"
#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 1000000;
const char* kSelect = "select i, f, t, d from r";

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

double PlainLoop(TQorSQLite3DB& db) {
    const SQLite3Api& api = db.Api();
    const auto t0 = Clock::now();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    api.prepare(db.Handle(), kSelect, -1, &stmt, &tail);
    size_t bytes = 0;
    while (api.step(stmt) == 100)
        for (int c = 0; c < 4; ++c)
            if (const unsigned char* t = api.column_text(stmt, c)) bytes += static_cast<size_t>(api.column_bytes(stmt, c)) + (t[0] & 1);
    api.finalize(stmt);
    const double s = Seconds(t0);
    if (bytes == 0) std::printf("nothing read\n");
    return s;
}

double Buffered(TQorSQLite3DB& db, long* memory, int* rowSize) {
    TQorSQLite3Query q;
    q.SetConnection(&db);
    q.SetSQLText(kSelect);
    const long before = ResidentBytes();
    const auto t0 = Clock::now();
    q.Open();
    const double s = Seconds(t0);
    if (memory) *memory = ResidentBytes() - before;
    if (rowSize) *rowSize = q.Result()->RecordSize();
    if (q.RecordCount() != kRows) std::printf("wrong row count %d\n", q.RecordCount());
    return s;
}

double Unidirectional(TQorSQLite3DB& db, long* growth) {
    TQorSQLite3Query q;
    q.SetConnection(&db);
    q.SetUniDirectional(true);
    q.SetSQLText(kSelect);
    const auto t0 = Clock::now();
    q.Open();
    const long before = ResidentBytes();
    int n = 0;
    for (; !q.Eof(); q.Next()) ++n;
    const double s = Seconds(t0);
    if (growth) *growth = ResidentBytes() - before;
    if (n != kRows) std::printf("wrong row count %d\n", n);
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    char dir[] = "/tmp/tabulon-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string path = std::string(dir) + "/fetch.db";
    TQorSQLite3DB db;
    db.SetDatabase(path);
    db.Open();
    db.ExecSQL("create table r(i integer, f float, t text, d date)");
    db.ExecSQL("begin; with recursive c(x) as (select 1 union all select x + 1 from c where x < " +
               std::to_string(kRows) +
               ") insert into r select x, x * 1.25, 'row text number ' || x, date('2000-01-01', '+' || (x % 9000) || ' days') from c; commit");

    std::vector<double> plain, buffered, uni;
    long memory = 0, growth = 0;
    int rowSize = 0;
    for (int round = 0; round < 3; ++round) {
        plain.push_back(PlainLoop(db));
        buffered.push_back(Buffered(db, round == 0 ? &memory : nullptr, &rowSize));
        uni.push_back(Unidirectional(db, round == 0 ? &growth : nullptr));
    }
    const double p = Median(plain), b = Median(buffered), u = Median(uni);
    std::printf("plain step loop reading every column's text: %.3f s\n", p);
    std::printf("buffered query open: %.3f s, ratio %.3f (target <= 2.0)\n", b, b / p);
    std::printf("unidirectional query walk: %.3f s, ratio %.3f (target <= 1.5)\n", u, u / p);
    const double layout = static_cast<double>(rowSize) * kRows;
    std::printf("buffered rows: %.1f MB resident against %.1f MB of record layout (%d bytes a row): ratio %.3f "
                "(target <= 1.10)\n",
                memory / 1e6, layout / 1e6, rowSize, memory / layout);
    std::printf("unidirectional walk grew resident memory by %.1f MB\n", growth / 1e6);
    db.Close();
    std::remove(path.c_str());
    rmdir(dir);
    return 0;
}

// Workload: one text of 100,000 INSERT statements run inside one transaction
// on an in-memory database, through TQorSQLite3DB::ExecSQL and through a plain
// prepare/step/finalize loop over the same text written here. Prints the
// median time of each over several alternating rounds and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "sqlite/TQorSQLite3DB.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeScript(int rows) {
    std::string s;
    s.reserve(static_cast<size_t>(rows) * 60);
    for (int i = 0; i < rows; ++i)
        s += "INSERT INTO t VALUES(" + std::to_string(i) + ", 'row text " + std::to_string(i) + "', " +
             std::to_string(i) + ".5);\n";
    return s;
}

void Reset(TQorSQLite3DB& db) { db.ExecSQL("DROP TABLE IF EXISTS t; CREATE TABLE t(a integer, b text, c real)"); }

double RunExecSQL(TQorSQLite3DB& db, const std::string& script) {
    Reset(db);
    const auto t0 = Clock::now();
    db.StartTransaction();
    db.ExecSQL(script);
    db.Commit();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double RunPlainLoop(TQorSQLite3DB& db, const std::string& script) {
    Reset(db);
    const SQLite3Api& api = db.Api();
    sqlite3* h = db.Handle();
    const auto t0 = Clock::now();
    api.exec(h, "begin transaction", nullptr, nullptr, nullptr);
    const char* rest = script.c_str();
    while (*rest) {
        sqlite3_stmt* stmt = nullptr;
        if (api.prepare(h, rest, -1, &stmt, &rest) != 0 || !stmt) break;
        while (api.step(stmt) == 100) {
        }
        api.finalize(stmt);
    }
    api.exec(h, "commit transaction", nullptr, nullptr, nullptr);
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const std::string script = MakeScript(100000);
    TQorSQLite3DB db;
    db.SetDatabase(":memory:");
    db.Open();
    std::vector<double> ours, plain;
    for (int round = 0; round < 5; ++round) {
        ours.push_back(RunExecSQL(db, script));
        plain.push_back(RunPlainLoop(db, script));
    }
    if (db.SelectInt64("select count(*) from t", {}, true) != 100000) {
        std::printf("bench_exec: wrong row count\n");
        return 1;
    }
    const double a = Median(ours), b = Median(plain);
    std::printf("ExecSQL, 100000 INSERTs in one transaction: %.3f s; plain prepare/step/finalize loop: %.3f s\n", a, b);
    std::printf("ratio ExecSQL / plain loop: %.3f (target <= 1.15)\n", a / b);
    return 0;
}

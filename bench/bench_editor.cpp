// The editor's text model under the loads the console puts on it:
// - output: appending 1,000,000 result lines through Lines.Add, trimming the
//   first 2001 lines whenever the pane passes 30,000 (the console's
//   defaults), against a plain std::string plus a vector of line starts doing
//   the same in the same run;
// - input: one typed character in the middle of a coloured SQL script of
//   100 KB, 1 MB and 10 MB (edit plus re-colouring), median per keystroke;
// - loading: SetText plus full colouring of 1 MB against one pass of a bare
//   scanner over the same text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "base/TStrings.h"
#include "editor/ConsoleInputColoring.h"
#include "editor/TEditorModel.h"
#include "editor/TQorMemoStrings.h"
#include "editor/TSelectionRange.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

std::vector<std::string> ResultLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 64; ++i) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%8d  %-24s  %-10s  %12.2f  %s", i * 7919, "customer name", "2024-01-31", i * 12.5,
                      i % 3 ? "active" : "closed");
        lines.emplace_back(buf);
    }
    return lines;
}

constexpr int kLines = 1'000'000;
constexpr int kLongStr = 30'000;
constexpr int kDelStr = 2'000;

double AppendToMemo(const std::vector<std::string>& rows, bool history) {
    TMemoModel memo;
    memo.SetHistoryEnabled(history);
    TStrings& lines = memo.Lines();
    const auto t0 = Clock::now();
    for (int i = 0; i < kLines; ++i) {
        lines.Add(rows[static_cast<size_t>(i) & 63]);
        // The console drops the oldest DelStr + 1 lines in one edit.
        if (lines.Count() > kLongStr) static_cast<TQorMemoStrings&>(lines).DeleteLines(0, kDelStr + 1);
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(memo.TextLength());
    return Seconds(t0, t1);
}

double AppendToPlain(const std::vector<std::string>& rows) {
    std::string text;
    std::vector<int> starts{1};
    const auto t0 = Clock::now();
    for (int i = 0; i < kLines; ++i) {
        const std::string& row = rows[static_cast<size_t>(i) & 63];
        if (!text.empty()) {
            text += "\r\n";
            starts.push_back(static_cast<int>(text.size()) + 1);
        }
        text += row;
        if (static_cast<int>(starts.size()) > kLongStr) {
            const int cut = starts[kDelStr + 1] - 1;
            text.erase(0, static_cast<size_t>(cut));
            starts.erase(starts.begin(), starts.begin() + kDelStr + 1);
            for (int& s : starts) s -= cut;
        }
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(text.size());
    return Seconds(t0, t1);
}

void BM_OutputAppend(benchmark::State& state) {
    const auto rows = ResultLines();
    const bool history = state.range(0) != 0;
    double memo = 0, plain = 0;
    for (auto _ : state) {
        memo += AppendToMemo(rows, history);
        plain += AppendToPlain(rows);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["memo_lines_per_s"] = kLines / (memo / n);
    state.counters["memo_ns_per_line"] = memo / n / kLines * 1e9;
    state.counters["plain_ns_per_line"] = plain / n / kLines * 1e9;
    state.counters["ratio_memo_to_plain"] = memo / plain;
}
// Argument: 1 keeps the edit history (the default), 0 switches it off.
BENCHMARK(BM_OutputAppend)->Arg(1)->Arg(0)->Iterations(2)->Unit(benchmark::kMillisecond);

std::string SqlScript(size_t bytes) {
    const char* stmts[] = {
        "SELECT a.id, b.name, sum(c.total) AS total FROM orders a JOIN customers b ON a.cust = b.id\r\n",
        "  WHERE a.created >= '2024-01-01' AND (b.region IN (1, 2, 3) OR b.vip = 1) -- recent\r\n",
        "  GROUP BY a.id, b.name HAVING count(*) > 10 ORDER BY total DESC LIMIT 100;\r\n",
        "/* maintenance of the archive table,\r\n   run it weekly */\r\n",
        "INSERT INTO archive (id, total, note) VALUES (42, 3.14, 'it''s done');\r\n",
        "UPDATE customers SET vip = coalesce(vip, 0) + 1 WHERE id = $1F AND name LIKE 'A%';\r\n",
        "PRAGMA table_info(orders);\r\n",
        "\r\n",
    };
    std::string s;
    s.reserve(bytes + 200);
    for (size_t i = 0; s.size() < bytes; ++i) s += stmts[i % std::size(stmts)];
    return s;
}

void BM_TypeInScript(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0));
    TEditorModel editor;
    SetupConsoleInputColoring(editor.SyntaxColoring());
    editor.SetText(SqlScript(bytes));
    const std::string typed = "select x, (y + 1) from t where a = 'q';\r\n";
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        // The first statement at or after the middle, so that every size
        // types into SQL code rather than into a comment or a string.
        int line = editor.LineCount() / 2;
        while (line < editor.LineCount() && editor.Substr(editor.PointToOffset(1, line), 6) != "SELECT") ++line;
        editor.Selection().CollapseTo(editor.PointToOffset(1, line));
        samples.clear();
        state.ResumeTiming();
        for (int i = 0; i < 400; ++i) {
            const auto t0 = Clock::now();
            editor.Selection().SetText(std::string(1, typed[static_cast<size_t>(i) % typed.size()]));
            samples.push_back(Seconds(t0, Clock::now()));
        }
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_us_per_key"] = samples[samples.size() / 2] * 1e6;
    state.counters["p90_us_per_key"] = samples[samples.size() * 9 / 10] * 1e6;
    state.counters["tokens"] = editor.TokenCount();
}
BENCHMARK(BM_TypeInScript)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Iterations(3)->Unit(benchmark::kMillisecond);

// The classification the scanner does, without tokens: the floor for a full
// colouring pass.
size_t BareScan(std::string_view t, const TSyntaxColoring& c) {
    size_t tokens = 0;
    size_t i = 0;
    auto isWord = [](unsigned char ch) { return std::isalnum(ch) || ch == '_' || ch == '#' || ch == '$' || ch >= 192; };
    while (i < t.size()) {
        const TCustomStyle* style = c.FindStyle(t.substr(i, 20));
        if (style) {
            const size_t at = t.find(style->EndText(), i + style->BeginText().size());
            i = at == std::string_view::npos ? t.size() : at + style->EndText().size() + (style->EndText() == "\r");
            ++tokens;
        } else if (isWord(static_cast<unsigned char>(t[i]))) {
            size_t j = i;
            while (j < t.size() && isWord(static_cast<unsigned char>(t[j]))) ++j;
            tokens += c.FindWordList(t.substr(i, j - i)) != nullptr;
            i = j;
        } else {
            ++i;
        }
    }
    return tokens;
}

void BM_LoadAndColour(benchmark::State& state) {
    const std::string script = SqlScript(1 << 20);
    double load = 0, scan = 0;
    for (auto _ : state) {
        TEditorModel editor;
        SetupConsoleInputColoring(editor.SyntaxColoring());
        const auto t0 = Clock::now();
        editor.SetText(script);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(BareScan(script, editor.SyntaxColoring()));
        const auto t2 = Clock::now();
        load += Seconds(t0, t1);
        scan += Seconds(t1, t2);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = load / n * 1e3;
    state.counters["bare_scan_ms"] = scan / n * 1e3;
    state.counters["ratio_load_to_scan"] = load / scan;
}
BENCHMARK(BM_LoadAndColour)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Reading a 100,000-record DBF table (C(20), N(12,2), D, L, N(8,0)) through
// TDbfTab, every field of every record as its native value, against a plain
// loop that reads the same file at once and decodes the same fields from
// the raw bytes. Prints both times (best of five) and the ratio.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

namespace {

constexpr int Records = 100000;

struct Layout {
    int offset, length;
    char type;
};
const Layout Fields[] = {{1, 20, 'C'}, {21, 12, 'N'}, {33, 8, 'D'}, {41, 1, 'L'}, {42, 8, 'N'}};
constexpr int RecordSize = 50;

std::string MakeTable() {
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/bench_dbf_" + std::to_string(::getpid()) + ".dbf";
    TDbfTab t;
    t.SetFileName(path);
    t.AddField("NAME", 'C', 0, 20);
    t.AddField("SUM", 'N', 2, 12);
    t.AddField("BORN", 'D', 0, 0);
    t.AddField("OK", 'L', 0, 0);
    t.AddField("CNT", 'N', 0, 8);
    t.CreateTable();
    // The records go in as one block: the benchmark is about reading.
    std::string records;
    records.reserve(static_cast<size_t>(Records) * RecordSize);
    char rec[RecordSize + 1];
    for (int i = 0; i < Records; ++i) {
        std::snprintf(rec, sizeof rec, " %-20s%12.2f%04d%02d%02d%c%8d", ("name " + std::to_string(i)).c_str(),
                      i * 1.25 - 5000, 1950 + i % 70, 1 + i % 12, 1 + i % 28, i % 3 ? 'T' : 'F', i);
        records.append(rec, RecordSize);
    }
    FILE* f = std::fopen(path.c_str(), "r+b");
    std::fseek(f, 0, SEEK_END);
    std::fwrite(records.data(), 1, records.size(), f);
    unsigned char count[4] = {Records & 0xFF, (Records >> 8) & 0xFF, (Records >> 16) & 0xFF, 0};
    std::fseek(f, 4, SEEK_SET);
    std::fwrite(count, 1, 4, f);
    std::fclose(f);
    return path;
}

double Seconds(const std::function<void()>& run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

volatile double sink;

void ReadWithTable(const std::string& path) {
    TDbfTab t;
    t.SetFileName(path);
    t.SetReadOnly(true);
    t.Open();
    char value[32];
    double acc = 0;
    std::vector<TField*> fields;
    for (int i = 0; i < t.FieldCount(); ++i) fields.push_back(t.Fields()[i]);
    int n = 0;
    for (; !t.Eof(); t.Next(), ++n)
        for (TField* f : fields)
            if (f->GetData(value)) acc += static_cast<unsigned char>(value[0]);
    if (n != Records) std::abort();
    sink = acc;
}

// The same decoding, straight from the bytes: trim texts, parse numbers and
// dates, test logicals.
void ReadRaw(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    std::vector<char> bytes(static_cast<size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
    const int headerLength = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    double acc = 0;
    for (int r = 0; r < Records; ++r) {
        const char* rec = bytes.data() + headerLength + static_cast<size_t>(r) * RecordSize;
        if (rec[0] == '*') continue;
        for (const Layout& l : Fields) {
            const char* b = rec + l.offset;
            const char* e = b + l.length;
            while (b < e && static_cast<unsigned char>(*b) <= ' ') ++b;
            while (e > b && static_cast<unsigned char>(e[-1]) <= ' ') --e;
            if (b == e) continue;
            switch (l.type) {
                case 'C': acc += static_cast<unsigned char>(*b); break;
                case 'N': {
                    double v;
                    std::from_chars(b, e, v);
                    acc += v;
                    break;
                }
                case 'D': {
                    auto num = [](const char* p, int n) {
                        int v = 0;
                        for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
                        return v;
                    };
                    int y = num(b, 4), m = num(b + 4, 2), d = num(b + 6, 2);
                    y -= m <= 2;
                    const int era = y / 400, yoe = y - era * 400;
                    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
                    acc += era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 305;
                    break;
                }
                case 'L': acc += *b == 'T'; break;
            }
        }
    }
    sink = acc;
}

}  // namespace

int main() {
    const std::string path = MakeTable();
    const double raw = Seconds([&] { ReadRaw(path); });
    const double table = Seconds([&] { ReadWithTable(path); });
    std::printf("workload: %d records x 5 fields (C20, N12.2, D, L, N8), every field decoded\n", Records);
    std::printf("plain loop over the raw bytes: %.4f s\n", raw);
    std::printf("TDbfTab:                       %.4f s\n", table);
    std::printf("ratio TDbfTab / raw loop:      %.2f\n", table / raw);
    std::remove(path.c_str());
    return 0;
}

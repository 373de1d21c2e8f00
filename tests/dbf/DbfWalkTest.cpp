// Importing walks whole tables: reading must not touch the heap per record
// or per field.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "DbfFiles.h"
#include "base/Utf8.h"
#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

// Counts heap allocations of the whole test program.
static std::atomic<long> g_allocations{0};

void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(DbfWalk, ReadingEveryFieldOfEveryRecordAllocatesNothing) {
    TempDir dir;
    const int rows = 20000;  // many read-ahead windows
    std::vector<std::string> records;
    char rec[40];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(rec, sizeof rec, "%c%-10s%10.2f%04d%02d%02d%c", i % 7 == 3 ? '*' : ' ',
                      ("n" + std::to_string(i)).c_str(), i * 0.25, 1950 + i % 70, 1 + i % 12, 1 + i % 28,
                      i % 2 ? 'T' : 'F');
        // Twelve letters of CP866 are 24 bytes of UTF-8: past any string's
        // inline buffer.
        records.emplace_back(std::string(rec, 30) + "\x8F\xE0\xA8\xA2\xA5\xE2\x8F\xE0\xA8\xA2\xA5\xE2");
    }
    const std::string path = dir / "walk.dbf";
    WriteFile(path,
              DbfImage({{"S", 'C', 10}, {"X", 'N', 10, 2}, {"D", 'D', 8}, {"B", 'L', 1}, {"R", 'C', 12}}, records));

    OpenTab t(path);
    TField* s = t.FieldByName("S");
    TField* x = t.FieldByName("X");
    TField* d = t.FieldByName("D");
    TField* b = t.FieldByName("B");
    TField* r = t.FieldByName("R");
    s->AsString();  // lets the field size its value buffer once
    char text[kMaxUtf8Bytes * 12 + 1];

    const long before = g_allocations.load();
    int count = 0;
    double total = 0;
    size_t chars = 0;
    int russian = 0;
    for (; !t.Eof(); t.Next()) {
        ++count;
        chars += s->AsString().size();  // short text: no heap
        total += x->AsFloat() + d->AsDateTime() + b->AsBoolean();
        // Converted from the code page straight into the caller's buffer.
        if (t.GetFieldData(r, text)) russian += std::string_view(text) == "ПриветПривет";
    }
    for (t.Last(); !t.Bof(); t.Prior()) total -= x->AsFloat() + d->AsDateTime() + b->AsBoolean();
    const long allocations = g_allocations.load() - before;

    EXPECT_EQ(count, rows - rows / 7);
    EXPECT_EQ(russian, count);
    EXPECT_GT(chars, 0u);
    EXPECT_NEAR(total, 0.0, 1e-3);
    EXPECT_EQ(allocations, 0);
}

}  // namespace

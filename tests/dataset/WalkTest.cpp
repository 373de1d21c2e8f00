#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "ArrayDataSet.h"

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

TEST(Walk, ReadingEveryRowAllocatesNothingInTheFramework) {
    const int rows = 200000;
    ArrayDataSet ds;
    ds.AddColumn("N", ftInteger);
    ds.AddColumn("S", ftString, 15);
    ds.AddColumn("D", ftDate);
    for (int i = 0; i < rows; ++i) ds.AddRow({i, "row", Variant::FromDate(45000.0 + i % 1000)});
    ds.Open();
    TField* n = ds.FieldByName("N");
    TField* s = ds.FieldByName("S");
    TField* d = ds.FieldByName("D");
    n->AsString();  // lets each field size its value buffer once
    s->AsString();
    const int callsBefore = ds.GetRecordCalls();
    const long before = g_allocations.load();
    long sum = 0;
    double days = 0;
    for (; !ds.Eof(); ds.Next()) {
        sum += n->AsInteger() + static_cast<long>(s->AsString().size());  // short text: no heap
        days += d->AsDateTime();
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_EQ(sum, static_cast<long>(rows) * (rows - 1) / 2 + 3L * rows);
    EXPECT_GT(days, 45000.0 * rows);
    EXPECT_EQ(ds.BuffersAllocated(), 3);
    EXPECT_LE(ds.GetRecordCalls() - callsBefore, rows + 1) << "one protocol call per move";
}

}  // namespace

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
    ds.AddColumn("X", ftFloat);
    ds.AddColumn("S", ftString, 15);
    ds.AddColumn("D", ftDate);
    for (int i = 0; i < rows; ++i)
        ds.AddRow({i, i * 0.5, "row", Variant::FromDate(45000.0 + i % 1000)});
    ds.Open();
    TField* n = ds.FieldByName("N");
    TField* x = ds.FieldByName("X");
    TField* s = ds.FieldByName("S");
    TField* d = ds.FieldByName("D");
    n->AsString();  // lets each field size its value buffer once
    s->AsString();
    int callsBefore = ds.GetRecordCalls();

    long before = g_allocations.load();
    long sum = 0;
    double total = 0;
    size_t chars = 0;
    int count = 0;
    for (; !ds.Eof(); ds.Next()) {
        sum += n->AsInteger();
        total += x->AsFloat() + d->AsDateTime();
        chars += s->AsString().size();  // short text: no heap
        count += s->IsNull() ? 0 : 1;
    }
    long allocations = g_allocations.load() - before;

    EXPECT_EQ(count, rows);
    EXPECT_EQ(sum, static_cast<long>(rows) * (rows - 1) / 2);
    EXPECT_EQ(chars, 3u * rows);
    EXPECT_GT(total, 0);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(ds.BuffersAllocated(), 3);
    EXPECT_LE(ds.GetRecordCalls() - callsBefore, rows + 1) << "one protocol call per move";
}

}  // namespace

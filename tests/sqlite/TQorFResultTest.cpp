#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dataset/TStream.h"
#include "sqlite/TQorFResult.h"

namespace {
// Layout: an 8-byte integer, a text reference, a blob reference.
constexpr int kText = 8, kBlob = kText + static_cast<int>(sizeof(TQorTextRef)), kSize = kBlob + 8;

std::string Record(int64_t n, const std::string& text, TMemoryStream* blob = nullptr) {
    std::string r(kSize, '\x55');  // stale bytes must not leak into rows
    std::memcpy(r.data(), &n, 8);
    const TQorTextRef ref{text.empty() ? nullptr : text.data(), static_cast<uint32_t>(text.size())};
    std::memcpy(r.data() + kText, &ref, sizeof ref);
    std::memcpy(r.data() + kBlob, &blob, sizeof blob);
    return r;
}

std::string Text(const TQorFResult& r, int index) {
    std::string rec(kSize, '\0');
    if (!r.Read(index, rec.data())) return "<none>";
    int64_t n;
    std::memcpy(&n, rec.data(), 8);
    TQorTextRef ref;
    std::memcpy(&ref, rec.data() + kText, sizeof ref);
    return std::to_string(n) + ":" + std::string(ref.data ? ref.data : "", ref.size);
}
}  // namespace

TEST(TQorFResult, RowsKeepTheirIdsThroughInsertsDeletesAndReplacements) {
    TQorFResult r(kSize, {{0, 8, false, false}, {kText, kBlob - kText, true, false}, {kBlob, 8, false, true}});
    for (int i = 0; i < 3; ++i) {
        // The row keeps a copy: the text it was handed may go at once.
        const std::string text = "row" + std::to_string(i);
        r.Add(Record(i, text).data());
    }
    EXPECT_EQ(r.Insert(1, Record(9, "ten chars!").data()), 1);
    EXPECT_EQ(r.Insert(7, Record(8, "appended").data()), 4);  // a bad index appends
    EXPECT_EQ(Text(r, 0), "0:row0");
    EXPECT_EQ(Text(r, 1), "9:ten chars!");
    EXPECT_EQ(Text(r, 4), "8:appended");
    EXPECT_EQ(Text(r, 5), "<none>");
    // Ids are issued in order of arrival, whatever the position.
    EXPECT_EQ(r.Id(1), 3);
    EXPECT_EQ(r.Id(2), 1);
    EXPECT_EQ(r.IndexOf(3), 1);
    EXPECT_EQ(r.IndexOf(1), 2);
    EXPECT_EQ(r.IndexOf(77), -1);
    r.Replace(2, Record(1, "changed").data());
    EXPECT_EQ(Text(r, 2), "1:changed");
    EXPECT_EQ(r.Id(2), 1);
    r.Delete(0);
    r.Delete(-1);
    r.Delete(99);
    EXPECT_EQ(r.Count(), 4);
    EXPECT_EQ(r.IndexOf(0), -1);
    EXPECT_EQ(Text(r, 0), "9:ten chars!");
    r.Add(Record(7, "").data());
    EXPECT_EQ(Text(r, r.Count() - 1), "7:");

    // Blob streams belong to the rows: deleting a row or the result frees
    // them (the sanitizer build reports a leak otherwise).
    auto* s1 = new TMemoryStream;
    auto* s2 = new TMemoryStream;
    s1->WriteString("x");
    r.Add(Record(5, "b1", s1).data());
    r.Add(Record(6, "b2", s2).data());
    r.Delete(r.Count() - 2);
    EXPECT_EQ(Text(r, r.Count() - 1), "6:b2");
}

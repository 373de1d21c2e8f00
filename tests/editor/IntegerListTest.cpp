#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/TGapVector.h"
#include "editor/TIntegerList.h"

// The lazily shifted list must read like a plain vector after any mix of
// edits and tail shifts, wherever the pending partition happens to be.
TEST(TIntegerList, MatchesAPlainVectorUnderRandomEdits) {
    std::mt19937 rng(99);
    TIntegerList list;
    std::vector<int> ref;
    for (int step = 0; step < 20000; ++step) {
        const int n = static_cast<int>(ref.size());
        switch (rng() % 6) {
            case 0:
            case 1: {
                const int i = static_cast<int>(rng() % (n + 1));
                const int v = static_cast<int>(rng() % 1000);
                list.Insert(i, v);
                ref.insert(ref.begin() + i, v);
                break;
            }
            case 2:
                if (n > 0) {
                    const int i = static_cast<int>(rng() % n);
                    const int k = 1 + static_cast<int>(rng() % std::min(n - i, 5));
                    list.DeleteRange(i, k);
                    ref.erase(ref.begin() + i, ref.begin() + i + k);
                }
                break;
            case 3:
            case 4: {
                const int first = static_cast<int>(rng() % (n + 1));
                const int d = static_cast<int>(rng() % 21) - 10;
                list.AddFrom(first, d);
                for (int i = first; i < n; ++i) ref[static_cast<size_t>(i)] += d;
                break;
            }
            case 5:
                if (n > 0) {
                    const int i = static_cast<int>(rng() % n);
                    list.Put(i, 7);
                    ref[static_cast<size_t>(i)] = 7;
                }
                break;
        }
        ASSERT_EQ(list.Count(), static_cast<int>(ref.size()));
        if (step % 50 == 0 || ref.size() < 20) {
            for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(list[i], ref[static_cast<size_t>(i)]) << "step " << step;
        }
        if (ref.size() > 300) {
            list.Clear();
            ref.clear();
        }
    }
}

TEST(TGapVector, FrontTrimsAndAppendsKeepTheContent) {
    TGapVector<char> v;
    std::string ref;
    std::mt19937 rng(5);
    for (int step = 0; step < 5000; ++step) {
        const std::string piece(1 + rng() % 9, static_cast<char>('a' + step % 26));
        if (rng() % 3 == 0 && !ref.empty()) {
            const size_t n = std::min<size_t>(ref.size(), 1 + rng() % 12);
            const size_t at = rng() % 4 == 0 ? rng() % (ref.size() - n + 1) : 0;
            v.Erase(at, n);
            ref.erase(at, n);
        } else {
            const size_t at = rng() % 4 == 0 ? rng() % (ref.size() + 1) : ref.size();
            v.Insert(at, piece.data(), piece.size());
            ref.insert(at, piece);
        }
        ASSERT_EQ(v.Size(), ref.size());
        if (step % 100 == 0) {
            ASSERT_EQ(std::string(v.Contiguous(), v.Size()), ref);
        }
    }
    std::string copy(ref.size(), '\0');
    v.Copy(0, ref.size(), copy.data());
    EXPECT_EQ(copy, ref);
}

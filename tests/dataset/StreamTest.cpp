#include <gtest/gtest.h>

#include "base/Exception.h"
#include "dataset/TStream.h"

namespace {

TEST(MemoryStream, ReadsWritesSeeksGrowsAndTruncates) {
    TMemoryStream s;
    s.WriteString("hello");
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Position(), 5);
    s.Seek(-2, TSeekOrigin::soEnd);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);
    EXPECT_STREQ(buf, "lo");
    EXPECT_EQ(s.Read(buf, 1), 0);
    s.SetPosition(7);
    s.WriteString("!");
    EXPECT_EQ(s.DataString(), std::string("hello\0\0!", 8));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.DataString(), "he");
    EXPECT_THROW(s.ReadBuffer(buf, 1), Exception);
    TMemoryStream copy;
    copy.CopyFrom(s, 0);
    EXPECT_EQ(copy.DataString(), "he");
}

}  // namespace

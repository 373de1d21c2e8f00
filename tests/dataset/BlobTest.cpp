#include <gtest/gtest.h>

#include "ArrayDataSet.h"

namespace {

TEST(Blob, MemoryStreamReadsWritesSeeksAndGrows) {
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

TEST(Blob, FieldsRoundTripThroughTheDataSetStreams) {
    ArrayDataSet ds;
    ds.AddColumn("ID", ftInteger);
    ds.AddColumn("DATA", ftBlob);
    ds.AddColumn("NOTE", ftMemo);
    const std::string bytes("\x00\x01\xFF binary\r\n", 11);
    ds.AddRow({1, bytes, "first note"});
    ds.AddRow({2, Variant::Null(), Variant::Null()});
    ds.Open();

    auto* data = static_cast<TBlobField*>(ds.FieldByName("DATA"));
    auto* note = static_cast<TBlobField*>(ds.FieldByName("NOTE"));
    EXPECT_EQ(data->AsString(), bytes);
    EXPECT_EQ(data->BlobSize(), 11);
    EXPECT_EQ(note->DisplayText(), "(MEMO)");
    EXPECT_THROW(note->SetAsString("x"), EDatabaseError) << "not editing";

    ds.Edit();
    {
        std::unique_ptr<TStream> w = ds.CreateBlobStream(data, bmWrite);
        w->WriteString("new bytes");
    }
    note->SetAsString("second");
    EXPECT_TRUE(note->Modified());
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    EXPECT_FALSE(note->Modified()) << "the mark ends with the post";
    EXPECT_EQ(data->AsString(), "new bytes");
    EXPECT_EQ(note->Value().ToString(), "second");

    TMemoryStream out;
    data->SaveToStream(out);
    EXPECT_EQ(out.DataString(), "new bytes");

    ds.Next();
    EXPECT_TRUE(note->IsNull());
    EXPECT_EQ(note->DisplayText(), "(Memo)");
    EXPECT_EQ(note->AsString(), "");
    ds.Edit();
    TMemoryStream in;
    in.WriteString("loaded");
    data->LoadFromStream(in);
    ds.Post();
    EXPECT_EQ(data->AsString(), "loaded");
    ds.Edit();
    data->Clear();
    ds.Post();
    EXPECT_TRUE(data->IsNull());
    EXPECT_EQ(data->BlobSize(), 0);

    ds.Prior();
    ds.Edit();
    note->SetAsString("discarded");
    ds.Cancel();
    EXPECT_EQ(note->AsString(), "second");
}

}  // namespace

#include <gtest/gtest.h>

#include "ArrayDataSet.h"
#include "dataset/FormatFloat.h"
#include "base/FormatSettings.h"

namespace {

// One row of every scalar kind, plus a row of NULLs.
std::unique_ptr<ArrayDataSet> AllKinds() {
    auto ds = std::make_unique<ArrayDataSet>();
    ds->AddColumn("S", ftString, 5);
    ds->AddColumn("I", ftInteger);
    ds->AddColumn("SI", ftSmallint);
    ds->AddColumn("W", ftWord);
    ds->AddColumn("L", ftLargeint);
    ds->AddColumn("B", ftBoolean);
    ds->AddColumn("F", ftFloat);
    ds->AddColumn("C", ftCurrency);
    ds->AddColumn("D", ftDate);
    ds->AddColumn("T", ftTime);
    ds->AddColumn("DT", ftDateTime);
    ds->AddRow({"12", 0, -7, 65535, int64_t{3000000000}, true, 2.5, Currency::FromScaled(123450),
                Variant::FromDate(EncodeDate(2024, 1, 31)), Variant::FromDate(EncodeTime(13, 5, 9, 0)),
                Variant::FromDate(EncodeDate(1899, 12, 30) + EncodeTime(6, 0, 0, 0))});
    ds->AddRow({});
    ds->Open();
    return ds;
}

TEST(Fields, DefaultFieldClassesFollowTheDefinitions) {
    auto ds = AllKinds();
    EXPECT_NE(dynamic_cast<TStringField*>(ds->FieldByName("s")), nullptr);
    EXPECT_NE(dynamic_cast<TSmallintField*>(ds->FieldByName("SI")), nullptr);
    EXPECT_NE(dynamic_cast<TWordField*>(ds->FieldByName("W")), nullptr);
    EXPECT_NE(dynamic_cast<TLargeintField*>(ds->FieldByName("L")), nullptr);
    EXPECT_NE(dynamic_cast<TCurrencyField*>(ds->FieldByName("C")), nullptr);
    EXPECT_NE(dynamic_cast<TDateField*>(ds->FieldByName("D")), nullptr);
    EXPECT_NE(dynamic_cast<TTimeField*>(ds->FieldByName("T")), nullptr);
    TField* f = ds->FieldByName("DT");
    EXPECT_EQ(f->DataType(), ftDateTime);
    EXPECT_EQ(f->FieldNo(), 11);
    EXPECT_EQ(f->Index(), 10);
    EXPECT_EQ(f->DataSet(), ds.get());
    EXPECT_EQ(ds->FindField("nothing"), nullptr);
    try {
        ds->FieldByName("nothing");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'nothing' not found");
    }

    ArrayDataSet bad;
    bad.AddColumn("M", ftUnknown);
    EXPECT_THROW(bad.Open(), EDatabaseError);
    EXPECT_FALSE(bad.Active());
}

TEST(Fields, ValuesConvertBetweenKinds) {
    auto ds = AllKinds();
    auto F = [&](const char* n) { return ds->FieldByName(n); };
    EXPECT_EQ(F("S")->AsInteger(), 12);
    EXPECT_DOUBLE_EQ(F("S")->AsFloat(), 12.0);
    EXPECT_EQ(F("I")->AsString(), "0");
    EXPECT_FALSE(F("I")->IsNull()) << "zero is a value";
    EXPECT_EQ(F("SI")->AsInteger(), -7);
    EXPECT_EQ(F("W")->AsString(), "65535");
    EXPECT_EQ(F("L")->AsLargeInt(), 3000000000);
    EXPECT_EQ(F("L")->AsString(), "3000000000");
    EXPECT_THROW(F("L")->AsInteger(), EDatabaseError) << "never a silently truncated number";
    EXPECT_EQ(F("L")->Value().Type(), VarType::Int64);
    EXPECT_TRUE(F("B")->AsBoolean());
    EXPECT_EQ(F("B")->AsString(), "True");
    EXPECT_EQ(F("B")->AsInteger(), 1);
    EXPECT_EQ(F("F")->AsString(), "2.5");
    EXPECT_EQ(F("F")->AsInteger(), 2) << "half to even";
    EXPECT_EQ(F("C")->AsCurrency(), Currency::FromScaled(123450));
    EXPECT_EQ(F("C")->Value().Type(), VarType::Currency);
    EXPECT_EQ(F("D")->AsString(), "31.01.2024");
    EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), EncodeDate(2024, 1, 31));
    EXPECT_EQ(F("T")->AsString(), "13:05:09");
    EXPECT_EQ(F("DT")->AsString(), "30.12.1899 06:00:00");
    EXPECT_THROW(F("D")->AsBoolean(), EDatabaseError);
    try {
        F("I")->AsDateTime();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Cannot access field 'I' as type DateTime");
    }

    ds->Edit();
    F("S")->SetAsString("abcdefgh");
    EXPECT_EQ(F("S")->AsString(), "abcde") << "cut to the field size";
    F("I")->SetAsString("-42");
    EXPECT_EQ(F("I")->AsInteger(), -42);
    EXPECT_THROW(F("I")->SetAsString("4x"), EDatabaseError);
    EXPECT_THROW(F("SI")->SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(F("W")->SetAsInteger(-1), EDatabaseError);
    F("F")->SetAsString("1.25");
    EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 1.25);
    F("I")->SetAsFloat(2.5);
    EXPECT_EQ(F("I")->AsInteger(), 2);
    F("B")->SetAsString("f");
    EXPECT_FALSE(F("B")->AsBoolean());
    EXPECT_FALSE(F("B")->IsNull());
    EXPECT_THROW(F("B")->SetAsString("maybe"), EDatabaseError);
    F("D")->SetAsString("2023-02-28");
    EXPECT_EQ(F("D")->AsString(), "28.02.2023");
    F("D")->SetAsString("01.03.2023");
    EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), EncodeDate(2023, 3, 1));
    EXPECT_THROW(F("D")->SetAsString("31.02.2023"), Exception);
    F("DT")->SetAsString("2024-05-06 07:08:09");
    EXPECT_DOUBLE_EQ(F("DT")->AsDateTime(), EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0));
    F("T")->SetValue(Variant::FromDate(EncodeTime(23, 59, 58, 0)));
    EXPECT_EQ(F("T")->AsString(), "23:59:58");
    F("L")->SetValue(Variant(int64_t{-5000000000}));
    EXPECT_EQ(F("L")->AsLargeInt(), -5000000000);
    ds->Post();
    EXPECT_EQ(F("L")->AsLargeInt(), -5000000000);
}

TEST(Fields, NullReadsAsZeroEmptyAndNull) {
    auto ds = AllKinds();
    ds->Next();
    for (const auto& f : ds->Fields()) {
        SCOPED_TRACE(f->FieldName());
        EXPECT_TRUE(f->IsNull());
        EXPECT_EQ(f->AsString(), "");
        EXPECT_EQ(f->DisplayText(), "");
        EXPECT_TRUE(f->Value().IsNull());
    }
    EXPECT_EQ(ds->FieldByName("I")->AsInteger(), 0);
    EXPECT_EQ(ds->FieldByName("S")->AsInteger(), 0);
    EXPECT_DOUBLE_EQ(ds->FieldByName("F")->AsFloat(), 0.0);
    EXPECT_FALSE(ds->FieldByName("B")->AsBoolean());

    ds->Prior();
    ds->Edit();
    ds->FieldByName("I")->SetValue(Variant::Null());
    ds->FieldByName("F")->Clear();
    ds->FieldByName("D")->SetAsString("");
    EXPECT_TRUE(ds->FieldByName("I")->IsNull());
    EXPECT_TRUE(ds->FieldByName("F")->IsNull());
    EXPECT_TRUE(ds->FieldByName("D")->IsNull());
    ds->Post();
    EXPECT_TRUE(ds->FieldByName("I")->IsNull());
}

TEST(Fields, DisplayFormatsShapeDisplayTextOnly) {
    auto ds = AllKinds();
    auto* f = ds->FieldByName("F");
    f->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(f->DisplayText(), "2.50");
    EXPECT_EQ(f->AsString(), "2.5");
    ds->FieldByName("I")->SetDisplayFormat("000");
    EXPECT_EQ(ds->FieldByName("I")->DisplayText(), "000");
    ds->FieldByName("D")->SetDisplayFormat("yyyy/mm/dd");
    EXPECT_EQ(ds->FieldByName("D")->DisplayText(), "2024.01.31");
    auto* b = static_cast<TBooleanField*>(ds->FieldByName("B"));
    b->SetDisplayValues("Yes;No");
    EXPECT_EQ(b->DisplayText(), "Yes");
    ds->Edit();
    b->SetAsString("n");
    EXPECT_EQ(b->AsString(), "No");
    ds->Cancel();
    f->SetDisplayLabel("Price");
    EXPECT_EQ(f->DisplayName(), "Price");
    EXPECT_EQ(f->FieldName(), "F");
}

TEST(Fields, NativeDateValuesRoundTripOnBothSidesOf1899) {
    EXPECT_EQ(DateTimeToNativeDate(0), 693594);
    EXPECT_EQ(DateTimeToNativeDate(EncodeDate(1, 1, 1)), 1);
    EXPECT_EQ(DateTimeToNativeTime(EncodeTime(0, 0, 1, 5)), 1005);
    for (TDateTime dt : {0.0, 0.75, 45322.5, -1.25, -700.0}) {
        SCOPED_TRACE(dt);
        EXPECT_DOUBLE_EQ(NativeDateTimeToDateTime(DateTimeToNativeDateTime(dt)), dt);
    }
    // 1899-12-29 06:00 is day -1 plus a quarter, written -1.25.
    EXPECT_DOUBLE_EQ(DateTimeToNativeDateTime(-1.25), 693593.0 * MSecsPerDay + 6 * 3600000.0);
    EXPECT_DOUBLE_EQ(NativeDateToDateTime(DateTimeToNativeDate(EncodeDate(2024, 1, 31))),
                     EncodeDate(2024, 1, 31));
}

TEST(Fields, FormatFloatFollowsTheClassicPictures) {
    EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13") << "half away from zero";
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00") << "no minus on a zero";
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
    EXPECT_EQ(FormatFloat("#.##", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("0", 99.5), "100");
    EXPECT_EQ(FormatFloat("0.0;(0.0);zero", -2), "(2.0)");
    EXPECT_EQ(FormatFloat("0.0;(0.0);zero", 0), "zero");
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("0.0 \"kg\"", 5), "5.0 kg");
    EXPECT_EQ(FormatFloat("", 0.1), "0.1");
}

}  // namespace

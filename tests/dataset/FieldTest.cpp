// Field values of every kind, their conversions and display, the classic
// number pictures and SQL parameters.
#include <gtest/gtest.h>

#include "TestTable.h"
#include "dataset/FormatFloat.h"
#include "dataset/TParams.h"

namespace {

// One row of every scalar kind, plus a row of NULLs.
std::unique_ptr<ArrayDataSet> AllKinds() {
    auto ds = std::make_unique<ArrayDataSet>();
    const std::pair<const char*, TFieldType> columns[] = {
        {"S", ftString}, {"I", ftInteger},   {"SI", ftSmallint}, {"W", ftWord}, {"L", ftLargeint},   {"B", ftBoolean},
        {"F", ftFloat},  {"C", ftCurrency}, {"D", ftDate},      {"T", ftTime}, {"DT", ftDateTime}};
    for (const auto& [name, type] : columns) ds->AddColumn(name, type, type == ftString ? 5 : 0);
    ds->AddRow({"12", 0, -7, 65535, int64_t{3000000000}, true, 2.5, Currency::FromScaled(123450),
                Variant::FromDate(EncodeDate(2024, 1, 31)), Variant::FromDate(EncodeTime(13, 5, 9, 0)),
                Variant::FromDate(EncodeDate(1899, 12, 30) + EncodeTime(6, 0, 0, 0))});
    ds->AddRow({});
    ds->Open();
    return ds;
}

TEST(Fields, ValuesConvertBetweenKindsShowTheirFormatsAndReadNull) {
    auto ds = AllKinds();
    auto F = [&](const char* n) { return ds->FieldByName(n); };
    EXPECT_EQ(DatabaseError([&] { F("nothing"); }), "Field 'nothing' not found");

    const std::pair<const char*, const char*> texts[] = {
        {"S", "12"},  {"I", "0"},   {"W", "65535"},      {"L", "3000000000"},
        {"B", "True"}, {"F", "2.5"}, {"D", "31.01.2024"}, {"T", "13:05:09"}, {"DT", "30.12.1899 06:00:00"}};
    for (const auto& [name, text] : texts) EXPECT_EQ(F(name)->AsString(), text) << name;
    // A float rounds half to even.
    for (const auto& [name, value] : {std::pair{"S", 12}, {"SI", -7}, {"B", 1}, {"F", 2}})
        EXPECT_EQ(F(name)->AsInteger(), value) << name;
    EXPECT_THROW(F("L")->AsInteger(), EDatabaseError) << "never a silently truncated number";
    EXPECT_EQ(F("L")->Value().Type(), VarType::Int64);
    EXPECT_EQ(F("C")->AsCurrency(), Currency::FromScaled(123450));
    EXPECT_EQ(F("C")->Value().Type(), VarType::Currency);
    EXPECT_THROW(F("D")->AsBoolean(), EDatabaseError);
    EXPECT_EQ(DatabaseError([&] { F("I")->AsDateTime(); }), "Cannot access field 'I' as type DateTime");

    ds->Edit();
    F("S")->SetAsString("abcdefgh");
    EXPECT_EQ(F("S")->AsString(), "abcde") << "cut to the field size";
    EXPECT_THROW(F("SI")->SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(F("W")->SetAsInteger(-1), EDatabaseError);
    for (const auto& [name, text] : {std::pair{"I", "4x"}, {"B", "maybe"}, {"D", "31.02.2023"}})
        EXPECT_THROW(F(name)->SetAsString(text), Exception) << text;
    F("B")->SetAsString("f");
    EXPECT_FALSE(F("B")->AsBoolean());
    F("D")->SetAsString("2023-02-28");
    EXPECT_EQ(F("D")->AsString(), "28.02.2023");
    F("DT")->SetAsString("2024-05-06 07:08:09");
    EXPECT_DOUBLE_EQ(F("DT")->AsDateTime(), EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0));
    F("L")->SetValue(Variant(int64_t{-5000000000}));
    ds->Post();
    EXPECT_EQ(F("L")->AsLargeInt(), -5000000000);

    // Display formats shape the display text only; a boolean shows and takes
    // its display words.
    F("F")->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(F("F")->DisplayText(), "2.50");
    EXPECT_EQ(F("F")->AsString(), "2.5");
    F("D")->SetDisplayFormat("yyyy/mm/dd");
    EXPECT_EQ(F("D")->DisplayText(), "2023.02.28");
    auto* b = static_cast<TBooleanField*>(F("B"));
    b->SetDisplayValues("Yes;No");
    EXPECT_EQ(b->DisplayText(), "No");
    ds->Edit();
    b->SetAsString("y");
    EXPECT_EQ(b->AsString(), "Yes");

    // NULL is written three ways, and reads as zero, empty and NULL.
    F("I")->SetValue(Variant::Null());
    F("F")->Clear();
    F("D")->SetAsString("");
    ds->Post();
    EXPECT_TRUE(F("I")->IsNull() && F("F")->IsNull() && F("D")->IsNull());
    ds->Next();
    for (const auto& f : ds->Fields()) {
        SCOPED_TRACE(f->FieldName());
        EXPECT_TRUE(f->IsNull());
        EXPECT_EQ(f->AsString(), "");
        EXPECT_EQ(f->DisplayText(), "");
        EXPECT_TRUE(f->Value().IsNull());
    }
    EXPECT_FALSE(F("B")->AsBoolean());
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
}

TEST(Fields, FormatFloatFollowsTheClassicPictures) {
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13") << "half away from zero";
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00") << "no minus on a zero";
    EXPECT_EQ(FormatFloat("#,##0.00", -1234567.891), "-1,234,567.89");
    EXPECT_EQ(FormatFloat("#.##", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("0", 99.5), "100");
    EXPECT_EQ(FormatFloat("0.0;(0.0);zero", -2), "(2.0)");
    EXPECT_EQ(FormatFloat("0.0;(0.0);zero", 0), "zero");
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("0.0 \"kg\"", 5), "5.0 kg");
    EXPECT_EQ(FormatFloat("", 0.1), "0.1");
}

std::vector<std::string> NamesOf(const TParams& p) {
    std::vector<std::string> out;
    for (int i = 0; i < p.Count(); ++i) out.push_back(p[i].Name());
    return out;
}

// Names after a colon become "?" outside quotes and comments, one parameter
// per use, in order.
TEST(Params, ParseSqlEdgeCases) {
    const struct {
        std::string sql, parsed;
        std::vector<std::string> names;
    } cases[] = {
        {"select * from t where a=:a and b = :B_2", "select * from t where a=? and b = ?", {"a", "B_2"}},
        {"select ':x', \":y\", `:z` from t where c=:c", "select ':x', \":y\", `:z` from t where c=?", {"c"}},
        {"select 'it''s :no' || :yes", "select 'it''s :no' || ?", {"yes"}},
        {"select 1 -- at 10:30\n, :p /* :q */", "select 1 -- at 10:30\n, ? /* :q */", {"p"}},
        // "::" is one literal colon, and not the start of a name.
        {"select '2024' || 'x'::text, a::b", "select '2024' || 'x':text, a:b", {}},
        // A colon followed by a blank or a symbol is just text.
        {"select a : b, c :=d, e:", "select a : b, c :=d, e:", {}},
        // Repeated names repeat; digits and quoted names are names; a name may end the text.
        {"values (:0,:1,:a,:\"two words\",:A)", "values (?,?,?,?,?)", {"0", "1", "a", "two words", "A"}},
        // An unterminated quote or comment keeps the rest of the text as it is.
        {"select ':a", "select ':a", {}},
        {"select 1 -- :a", "select 1 -- :a", {}},
        // Letters past ASCII (here Windows-1251) belong to the name.
        {"\xC8\xEC\xFF=:\xE8\xEC\xFF", "\xC8\xEC\xFF=?", {"\xE8\xEC\xFF"}},
    };
    TParams p;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(p.ParseSQL(c.sql, true), c.parsed);
        EXPECT_EQ(NamesOf(p), c.names);
    }
    // Without creation the list stays as it was.
    EXPECT_EQ(p.ParseSQL(":q", false), "?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"\xE8\xEC\xFF"}));

    // Lookup by name ignores case; values bring their types.
    p.ParseSQL(":id :Name :id", true);
    EXPECT_EQ(&p.ParamByName("ID"), &p[0]);
    EXPECT_EQ(DatabaseError([&] { p.ParamByName("none"); }), "Parameter 'none' not found");
    TParam& name = p.ParamByName("name");
    EXPECT_FALSE(name.Bound());
    name.SetAsString("Bob");
    EXPECT_EQ(name.DataType(), ftString);
    EXPECT_TRUE(name.Bound());
    p.SetValueByName("id", 7);
    EXPECT_EQ(p[2].AsInteger(), 7);

    TParam t;
    t.SetAsDate(EncodeDate(2024, 2, 29));
    EXPECT_EQ(t.DataType(), ftDate);
    t.SetValue(Variant::Null());
    EXPECT_TRUE(t.IsNull());
    EXPECT_TRUE(t.Bound()) << "an assigned NULL counts as a value";
    t.Clear();
    EXPECT_FALSE(t.Bound());
}

}  // namespace

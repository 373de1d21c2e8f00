#include <gtest/gtest.h>

#include "base/Exception.h"
#include "dataset/TParams.h"

namespace {

std::vector<std::string> NamesOf(const TParams& p) {
    std::vector<std::string> out;
    for (int i = 0; i < p.Count(); ++i) out.push_back(p[i].Name());
    return out;
}

TEST(Params, ParseSqlReplacesNamesOutsideQuotesAndComments) {
    TParams p;
    EXPECT_EQ(p.ParseSQL("select * from t where a=:a and b = :B_2", true),
              "select * from t where a=? and b = ?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"a", "B_2"}));

    EXPECT_EQ(p.ParseSQL("select ':x', \":y\", `:z` from t where c=:c", true),
              "select ':x', \":y\", `:z` from t where c=?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"c"}));

    EXPECT_EQ(p.ParseSQL("select 'it''s :no' || :yes", true), "select 'it''s :no' || ?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"yes"}));

    EXPECT_EQ(p.ParseSQL("select 1 -- at 10:30\n, :p /* :q */", true), "select 1 -- at 10:30\n, ? /* :q */");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"p"}));
}

TEST(Params, ParseSqlEdgeCases) {
    TParams p;
    // "::" is one literal colon, and not the start of a name.
    EXPECT_EQ(p.ParseSQL("select '2024' || 'x'::text, a::b", true), "select '2024' || 'x':text, a:b");
    EXPECT_EQ(p.Count(), 0);
    // A colon followed by a blank or a symbol is just text.
    EXPECT_EQ(p.ParseSQL("select a : b, c :=d, e:", true), "select a : b, c :=d, e:");
    EXPECT_EQ(p.Count(), 0);
    // Repeated names give one parameter per use, in order; a name may end
    // the text; digits and quoted names are names.
    EXPECT_EQ(p.ParseSQL("insert into t values (:0,:1,:a,:\"two words\",:A)", true),
              "insert into t values (?,?,?,?,?)");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"0", "1", "a", "two words", "A"}));
    EXPECT_EQ(p.ParseSQL("where x=:last", true), "where x=?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"last"}));
    // Without creation the list stays as it was.
    EXPECT_EQ(p.ParseSQL(":q", false), "?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"last"}));
    // An unterminated quote keeps the rest of the text as it is.
    EXPECT_EQ(p.ParseSQL("select ':a", true), "select ':a");
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(p.ParseSQL("select 1 -- :a", true), "select 1 -- :a");
    EXPECT_EQ(p.ParseSQL("\xC8\xEC\xFF=:\xE8\xEC\xFF", true), "\xC8\xEC\xFF=?");
    EXPECT_EQ(NamesOf(p), (std::vector<std::string>{"\xE8\xEC\xFF"}));
}

TEST(Params, TypedValuesAndLookupByName) {
    TParams p;
    p.ParseSQL(":id :Name :id", true);
    EXPECT_EQ(&p.ParamByName("ID"), &p[0]);
    EXPECT_EQ(p.FindParam("none"), nullptr);
    try {
        p.ParamByName("none");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Parameter 'none' not found");
    }
    TParam& name = p.ParamByName("name");
    EXPECT_TRUE(name.IsNull());
    EXPECT_FALSE(name.Bound());
    name.SetAsString("Bob");
    EXPECT_EQ(name.DataType(), ftString);
    EXPECT_TRUE(name.Bound());
    EXPECT_EQ(name.AsString(), "Bob");

    p.SetValueByName("id", 7);
    EXPECT_EQ(p[0].AsInteger(), 7);
    EXPECT_EQ(p[2].AsInteger(), 7);
    EXPECT_EQ(p[2].DataType(), ftInteger);

    TParam t;
    t.SetAsDate(EncodeDate(2024, 2, 29));
    EXPECT_EQ(t.DataType(), ftDate);
    EXPECT_DOUBLE_EQ(t.AsDateTime(), EncodeDate(2024, 2, 29));
    t.SetAsFloat(1.5);
    EXPECT_EQ(t.AsString(), "1.5");
    t.SetValue(Variant::Null());
    EXPECT_TRUE(t.IsNull());
    EXPECT_TRUE(t.Bound()) << "an assigned NULL counts as a value";
    EXPECT_EQ(t.AsString(), "");
    t.Clear();
    EXPECT_FALSE(t.Bound());
    t.SetAsBlob(std::string("a\0b", 3));
    EXPECT_EQ(t.DataType(), ftBlob);
    EXPECT_EQ(t.AsString().size(), 3u);
}

}  // namespace

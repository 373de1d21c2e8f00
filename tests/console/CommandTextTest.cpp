// Cutting commands off the front of a run's text.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "console/CommandText.h"

namespace {

std::vector<std::string> Statements(std::string text, std::string_view delimiter = ";") {
    CommandText rest(std::move(text));
    std::vector<std::string> out;
    while (!rest.Empty()) {
        while (!rest.Empty() && static_cast<unsigned char>(rest.Front()) <= 32) rest.DropFront();
        if (!rest.Empty()) out.push_back(rest.TakeStatement(delimiter));
    }
    return out;
}

}  // namespace

TEST(CommandTextTest, StatementEndsAtDelimiterOutsideQuotesAndComments) {
    const struct {
        const char* text;
        std::vector<std::string> statements;
    } cases[] = {
        // ";" in a literal, in a "--" comment and in a "/*" comment does not
        // cut; the comments travel with the statement.
        {"INSERT INTO t VALUES ('a;b');SELECT 1;\n", {"INSERT INTO t VALUES ('a;b');", "SELECT 1;"}},
        {"UPDATE t -- note; it's fine\n\r\n SET a = 1;\nSELECT 2;\n",
         {"UPDATE t -- note; it's fine\n\r\n SET a = 1;", "SELECT 2;"}},
        {"SELECT /* a; 'b */ 1; SELECT 2;\n", {"SELECT /* a; 'b */ 1;", "SELECT 2;"}},
        // Double quotes are ordinary characters; "''" inside a literal toggles twice.
        {"SELECT \"a;b\";\nSELECT 'it''s;';\n", {"SELECT \"a;", "b\";", "SELECT 'it''s;';"}},
        // "/*/" does not close the comment it opens; a lone "-" opens none.
        {"SELECT /*/ ; */ 1;\n", {"SELECT /*/ ; */ 1;"}},
        {"SELECT 5-1; SELECT -2;\n", {"SELECT 5-1;", "SELECT -2;"}},
        // Without a delimiter the statement is the rest, trimmed; so with an
        // unterminated comment or literal.
        {"SELECT 1 \r\n\t\n", {"SELECT 1"}},
        {"SELECT 1 /* ; never closed\n;\n", {"SELECT 1 /* ; never closed\n;"}},
        {"SELECT ';\n", {"SELECT ';"}},
        {"SELECT 1 -- ;", {"SELECT 1 -- ;"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Statements(c.text), c.statements);
    }
    // Delimiters of several characters, and an empty one that must not stall.
    EXPECT_EQ(Statements("x GO y G GO", "GO"), (std::vector<std::string>{"x GO", "y G GO"}));
    EXPECT_EQ(Statements("abc \n", ""), (std::vector<std::string>{"abc"}));
}

TEST(CommandTextTest, TakeUntilIgnoresCommentsAndHonoursQuotes) {
    CommandText a("/* -- ; */ SELECT 1;\n");
    EXPECT_EQ(a.TakeUntil("*/"), "/* -- ; */");
    EXPECT_EQ(a.Rest(), " SELECT 1;\n");
    // An apostrophe inside a block comment makes the rest count as quoted.
    CommandText b("/* don't */ SELECT 1;\n");
    EXPECT_EQ(b.TakeUntil("*/"), "/* don't */ SELECT 1;");
    EXPECT_TRUE(b.Empty());
    CommandText c("a -- x; b; c");
    EXPECT_EQ(c.TakeUntil(";"), "a -- x;");

    // Lines: LF, CR LF and a lone CR each end one line; LF CR is two breaks.
    CommandText lines("  first \r\nsecond\n\rthird\rfourth\r\nfifth\rsixth");
    for (const char* line : {"first", "second", "", "third", "fourth", "fifth"}) EXPECT_EQ(lines.TakeLine(), line);
    EXPECT_EQ(lines.Rest(), "sixth");
    // No break at all: the whole rest is the line and nothing stays behind.
    EXPECT_EQ(lines.TakeLine(), "sixth");
    EXPECT_TRUE(lines.Empty());
}

TEST(CommandTextTest, BlockEndsAtEndNameSlash) {
    const std::string block =
        "CREATE OR REPLACE PROCEDURE p_one(a NUMBER) IS\r\nBEGIN\r\n  IF a > 0 THEN x := a / 2; END IF;\r\n"
        "  LOOP NULL; END LOOP;\r\nEND p_one;\r\n/\r\n\r\n";
    const struct {
        std::string text, block, rest;
    } cases[] = {
        // The block keeps every blank and line break after its "/".
        {block + "SELECT 1;\r\n", block, "SELECT 1;\r\n"},
        // Without the name, and with package bodies.
        {"BEGIN NULL; END;\n/\nSELECT 2;\n", "BEGIN NULL; END;\n/\n", "SELECT 2;\n"},
        {"create package body pk as end pk;\n/\nx", "create package body pk as end pk;\n/\n", "x"},
        // "END" with another name, or a "/" that does not follow "END", goes on.
        {"CREATE FUNCTION f RETURN 1; END g;\n/\nEND f;\n/\n", "CREATE FUNCTION f RETURN 1; END g;\n/\nEND f;\n/\n", ""},
        // A ";" right after the name does not end the scan.
        {"CREATE TRIGGER t ;BEGIN NULL; END t;\n/\nz", "CREATE TRIGGER t ;BEGIN NULL; END t;\n/\n", "z"},
        // Without a "/": everything up to the last character, which the
        // interpreter's final line feed supplies.
        {"BEGIN\n  NULL;\nEND;\nSELECT 1;\n", "BEGIN\n  NULL;\nEND;\nSELECT 1;", ""},
        {"BEGIN x; END;", "BEGIN x; END", ";"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommandText t(c.text);
        EXPECT_EQ(t.TakeBlock(), c.block);
        EXPECT_EQ(t.Rest(), c.rest);
    }
}

TEST(CommandTextTest, LargeScriptSplitsWhollyInLinearTime) {
    // Well past the old one-megabyte cap; every statement carries a comment.
    std::string script;
    const int count = 40000;
    for (int i = 0; i < count; ++i)
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'a;b', \"c\"); -- row; " + std::to_string(i) + "\r\n";
    ASSERT_GT(script.size(), 2'000'000u);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> statements = Statements(script + "SELECT 'last';");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    ASSERT_EQ(statements.size(), count + 1u);
    EXPECT_EQ(statements[1], "-- row; 0\r\nINSERT INTO t VALUES (1, 'a;b', \"c\");");
    EXPECT_EQ(statements.back(), "-- row; 39999\r\nSELECT 'last';");
    // The block cutter walks a large text as fast.
    CommandText block("BEGIN\n" + script + "END;\n/\n");
    EXPECT_EQ(block.TakeBlock().size(), script.size() + 13);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4.0);
}

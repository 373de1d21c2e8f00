// Cutting commands off the front of a run's text.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "console/CommandText.h"

namespace {

std::vector<std::string> Statements(std::string text) {
    CommandText rest(std::move(text));
    std::vector<std::string> out;
    while (!rest.Empty()) {
        while (!rest.Empty() && static_cast<unsigned char>(rest.Front()) <= 32) rest.DropFront();
        if (!rest.Empty()) out.push_back(rest.TakeStatement());
    }
    return out;
}

bool AllBlank(std::string_view s, bool lineBreaksAndBlanksOnly = false) {
    for (char c : s) {
        if (lineBreaksAndBlanksOnly ? !(c == '\t' || c == '\n' || c == '\r' || c == ' ')
                                    : static_cast<unsigned char>(c) > 32)
            return false;
    }
    return true;
}

// The statement rules applied one character at a time, as plainly as they
// read: the cutter's scan with its jumps must agree with it.
size_t PlainStatementEnd(std::string_view s, std::string_view delimiter, bool skipComments) {
    bool quoted = false;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '\'') {
            quoted = !quoted;
        } else if (!quoted && skipComments && s.substr(i, 2) == "--") {
            while (i < s.size() && s[i] != '\n' && s[i] != '\r') ++i;
            while (i < s.size() && (s[i] == '\n' || s[i] == '\r')) ++i;
            continue;
        } else if (!quoted && skipComments && s.substr(i, 2) == "/*") {
            i += 2;
            while (i < s.size() && s.substr(i, 2) != "*/") ++i;
            continue;
        } else if (!quoted && s.substr(i, delimiter.size()) == delimiter) {
            return i + delimiter.size();
        }
        ++i;
    }
    return std::string_view::npos;
}

// The block rules spelled out over the public word scanner.
size_t PlainBlockEnd(std::string_view s) {
    size_t pos = 0;
    bool atEnd = false;
    auto next = [&](WordDelims set) {
        const size_t old = pos;
        std::string w = NextWord(s, pos, set);
        const std::string_view delims = set == WordDelims::D1 ? "\t\n\r (" : set == WordDelims::D2 ? "\t\n\r ;" : "\t\n\r ";
        atEnd = w.empty() && (old >= s.size() || delims.find(s[old]) == std::string_view::npos);
        return w;
    };
    std::string w = next(WordDelims::D1);
    std::string name;
    if (w == "CREATE") {
        w = next(WordDelims::D1);
        if (w == "OR") w = next(WordDelims::D1);
        if (w == "REPLACE") w = next(WordDelims::D1);
        if (w == "PACKAGE") {
            w = next(WordDelims::D1);
            if (w == "BODY") w = next(WordDelims::D1);
        } else {
            w = next(WordDelims::D1);
        }
        name = w;
    }
    for (;;) {
        w = next(WordDelims::D2);
        if (atEnd) break;
        if (w != "END") continue;
        const size_t save = pos;
        w = next(WordDelims::D2);
        if (w == name) w = next(WordDelims::D3);
        if (w == "/") break;
        pos = save;
    }
    return pos;
}

}  // namespace

TEST(CommandTextTest, StatementEndsAtDelimiterOutsideQuotesAndComments) {
    // ";" in a literal, in a "--" comment and in a "/*" comment does not cut;
    // the comments travel with the statement.
    EXPECT_EQ(Statements("INSERT INTO t VALUES ('a;b');SELECT 1;\n"),
              (std::vector<std::string>{"INSERT INTO t VALUES ('a;b');", "SELECT 1;"}));
    EXPECT_EQ(Statements("UPDATE t -- note; it's fine\n\r\n SET a = 1;\nSELECT 2;\n"),
              (std::vector<std::string>{"UPDATE t -- note; it's fine\n\r\n SET a = 1;", "SELECT 2;"}));
    EXPECT_EQ(Statements("SELECT /* a; 'b */ 1; SELECT 2;\n"),
              (std::vector<std::string>{"SELECT /* a; 'b */ 1;", "SELECT 2;"}));
    // Double quotes are ordinary characters; "''" inside a literal toggles twice.
    EXPECT_EQ(Statements("SELECT \"a;b\";\nSELECT 'it''s;';\n"),
              (std::vector<std::string>{"SELECT \"a;", "b\";", "SELECT 'it''s;';"}));
    // "/*/" does not close the comment it opens.
    EXPECT_EQ(Statements("SELECT /*/ ; */ 1;\n"), (std::vector<std::string>{"SELECT /*/ ; */ 1;"}));
}

TEST(CommandTextTest, StatementWithoutDelimiterTakesTheRest) {
    CommandText a("SELECT 1 \r\n\t\n");
    EXPECT_EQ(a.TakeStatement(), "SELECT 1");
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(a.Front(), '\0');

    // An unterminated block comment, an unterminated literal and a "--"
    // comment on the last line all run to the end of the text.
    for (const char* text : {"SELECT 1 /* ; never closed\n;\n", "SELECT ';\n", "SELECT 1 -- ;"}) {
        CommandText t(text);
        std::string expected(text);
        while (!expected.empty() && static_cast<unsigned char>(expected.back()) <= 32) expected.pop_back();
        EXPECT_EQ(t.TakeStatement(), expected) << text;
        EXPECT_TRUE(t.Empty()) << text;
    }
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

    // Multi-character delimiters, and an empty one that must not stall.
    CommandText d("x GO y GO");
    EXPECT_EQ(d.TakeStatement("GO"), "x GO");
    CommandText e("abc \n");
    EXPECT_EQ(e.TakeStatement(""), "abc");
    EXPECT_TRUE(e.Empty());
}

TEST(CommandTextTest, TakeLineLineBreaks) {
    // LF, CR LF and a lone CR each end one line; LF CR is two breaks.
    CommandText a("  first \r\nsecond\n\rthird\rfourth\r\n\n");
    EXPECT_EQ(a.TakeLine(), "first");
    EXPECT_EQ(a.TakeLine(), "second");
    EXPECT_EQ(a.TakeLine(), "");
    EXPECT_EQ(a.TakeLine(), "third");
    EXPECT_EQ(a.TakeLine(), "fourth");
    EXPECT_EQ(a.Rest(), "\n");
    EXPECT_EQ(a.TakeLine(), "");
    EXPECT_TRUE(a.Empty());

    // A lone CR before a later CR LF ends its own line.
    CommandText cr("one\rtwo\r\nthree");
    EXPECT_EQ(cr.TakeLine(), "one");
    EXPECT_EQ(cr.TakeLine(), "two");
    EXPECT_EQ(cr.TakeLine(), "three");
    EXPECT_TRUE(cr.Empty());

    CommandText lone("one\rtwo");
    EXPECT_EQ(lone.TakeLine(), "one");
    EXPECT_EQ(lone.Rest(), "two");
    // No break at all: the whole rest is the line and nothing stays behind.
    EXPECT_EQ(lone.TakeLine(), "two");
    EXPECT_TRUE(lone.Empty());

    CommandText cls("--#CLS\r\nSELECT 1;\n");
    cls.DropLine();
    EXPECT_EQ(cls.Rest(), "SELECT 1;\n");
}

TEST(CommandTextTest, NextWord) {
    const std::string text = "create  or\r\nreplace function f(x) 'a b;' x;\t\ny";
    size_t pos = 0;
    EXPECT_EQ(NextWord(text, pos, WordDelims::D1), "CREATE");
    EXPECT_EQ(text[pos], 'o');
    EXPECT_EQ(NextWord(text, pos, WordDelims::D1), "OR");
    EXPECT_EQ(NextWord(text, pos, WordDelims::D1), "REPLACE");
    EXPECT_EQ(NextWord(text, pos, WordDelims::D1), "FUNCTION");
    EXPECT_EQ(NextWord(text, pos, WordDelims::D1), "F");  // "(" ends a D1 word
    EXPECT_EQ(NextWord(text, pos, WordDelims::D2), "X)");
    EXPECT_EQ(NextWord(text, pos, WordDelims::D2), "'A B;'");  // quotes hide delimiters
    EXPECT_EQ(NextWord(text, pos, WordDelims::D2), "X");  // the run ";\t\n" is skipped
    EXPECT_EQ(text[pos], 'y');
    // No delimiter before the end: empty word, pos on the last character.
    EXPECT_EQ(NextWord(text, pos, WordDelims::D2), "");
    EXPECT_EQ(pos, text.size() - 1);

    const std::string semi = "end;x";
    pos = 0;
    EXPECT_EQ(NextWord(semi, pos, WordDelims::D3), "");  // D3 does not stop at ";"
    EXPECT_EQ(pos, semi.size() - 1);

    // Letters of every script are upper-cased.
    const std::string cyr = "конец ";
    pos = 0;
    EXPECT_EQ(NextWord(cyr, pos, WordDelims::D3), "КОНЕЦ");
    EXPECT_EQ(pos, cyr.size());

    std::string_view empty;
    pos = 0;
    EXPECT_EQ(NextWord(empty, pos, WordDelims::D1), "");
    EXPECT_EQ(pos, 0u);
}

TEST(CommandTextTest, BlockEndsAtEndNameSlash) {
    const std::string block =
        "CREATE OR REPLACE PROCEDURE p_one(a NUMBER) IS\r\n"
        "BEGIN\r\n  IF a > 0 THEN x := a / 2; END IF;\r\n  LOOP NULL; END LOOP;\r\n"
        "END p_one;\r\n/\r\n";
    // The block keeps every blank and line break after its "/".
    CommandText a(block + "\r\nSELECT 1;\r\n");
    EXPECT_EQ(a.TakeBlock(), block + "\r\n");
    EXPECT_EQ(a.Rest(), "SELECT 1;\r\n");
    EXPECT_EQ(a.TakeStatement(), "SELECT 1;");

    // Without the name, and with package bodies.
    CommandText b("BEGIN NULL; END;\n/\nSELECT 2;\n");
    EXPECT_EQ(b.TakeBlock(), "BEGIN NULL; END;\n/\n");
    EXPECT_EQ(b.Rest(), "SELECT 2;\n");
    CommandText c("create package body pk as end pk;\n/\nx");
    EXPECT_EQ(c.TakeBlock(), "create package body pk as end pk;\n/\n");
    EXPECT_EQ(c.Rest(), "x");

    // "END" with another name, or a "/" that does not follow "END", goes on.
    CommandText d("CREATE FUNCTION f RETURN 1; END g;\n/\nEND f;\n/\n");
    EXPECT_EQ(d.TakeBlock(), "CREATE FUNCTION f RETURN 1; END g;\n/\nEND f;\n/\n");
    EXPECT_TRUE(d.Empty());

    // A ";" right after the name does not end the scan.
    CommandText e("CREATE TRIGGER t ;BEGIN NULL; END t;\n/\nz");
    EXPECT_EQ(e.TakeBlock(), "CREATE TRIGGER t ;BEGIN NULL; END t;\n/\n");
    EXPECT_EQ(e.Rest(), "z");
}

TEST(CommandTextTest, BlockWithoutSlashTakesTheRest) {
    // Everything up to the last character, which the interpreter's final
    // line feed supplies.
    CommandText a("BEGIN\n  NULL;\nEND;\nSELECT 1;\n");
    EXPECT_EQ(a.TakeBlock(), "BEGIN\n  NULL;\nEND;\nSELECT 1;");
    EXPECT_TRUE(a.Empty());

    CommandText b("BEGIN x; END;");
    EXPECT_EQ(b.TakeBlock(), "BEGIN x; END");
    EXPECT_EQ(b.Rest(), ";");
}

TEST(CommandTextTest, CutsNeverLoseOrInventCharacters) {
    // Random texts made of the characters the cuts react to, cut by a random
    // mix: what each cut takes plus what it trims is exactly what it removed.
    const std::string alphabet = "';-/*\n\r \tabEND(/";
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % 120);
        for (int i = 0; i < len; ++i) {
            if (rng() % 8 == 0) {
                static const char* words[] = {"END", "CREATE ", "OR REPLACE ", "PACKAGE BODY ", "/*", "*/", "--", "\n/\n"};
                text += words[rng() % 8];
            } else {
                text += alphabet[rng() % alphabet.size()];
            }
        }
        CommandText rest(text);
        size_t done = 0;
        while (!rest.Empty()) {
            const size_t before = rest.Size();
            const int op = static_cast<int>(rng() % 5);
            std::string piece;
            switch (op) {
            case 0: piece = rest.TakeLine(); break;
            case 1:
            case 2: {
                const std::string_view delimiter = op == 1 ? ";" : "*/";
                const size_t expected = PlainStatementEnd(rest.Rest(), delimiter, op == 1);
                piece = op == 1 ? rest.TakeStatement() : rest.TakeUntil(delimiter);
                if (expected != std::string_view::npos) {
                    ASSERT_EQ(before - rest.Size(), expected) << text;
                } else {
                    ASSERT_TRUE(rest.Empty()) << text;
                }
                break;
            }
            case 3: {
                const size_t expected = PlainBlockEnd(rest.Rest());
                piece = rest.TakeBlock();
                ASSERT_EQ(piece.size(), expected) << text;
                break;
            }
            default: rest.DropFront(1 + rng() % 3); break;
            }
            size_t taken = before - rest.Size();
            ASSERT_EQ(rest.Rest(), std::string_view(text).substr(done + taken)) << text;
            const std::string_view slice = std::string_view(text).substr(done, taken);
            if (op == 0) {
                // Taken through a line break (or to the end), trimmed.
                const size_t at = slice.find(piece);
                ASSERT_NE(at, std::string_view::npos) << text;
                ASSERT_TRUE(AllBlank(slice.substr(0, at)) && AllBlank(slice.substr(at + piece.size()))) << text;
            } else if (op != 4) {
                ASSERT_EQ(slice.substr(0, piece.size()), piece) << text;
                ASSERT_TRUE(AllBlank(slice.substr(piece.size()), op == 3)) << text;
                if (op != 3 && piece.size() < slice.size()) {
                    ASSERT_TRUE(rest.Empty()) << text;
                }
            }
            // Every cut moves on, except a block cut of a lone character.
            if (taken == 0) {
                ASSERT_TRUE(op == 3 && before == 1) << text;
                rest.DropFront();
                ++taken;
            }
            done += taken;
        }
        ASSERT_EQ(done, text.size());
    }
}

TEST(CommandTextTest, LargeScriptSplitsWhollyInLinearTime) {
    // Well past the old one-megabyte cap, with every kind of cut involved.
    std::string script;
    const int count = 40000;
    for (int i = 0; i < count; ++i) {
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'a;b', \"c\"); -- row; " + std::to_string(i) + "\r\n";
        if (i % 100 == 0) script += "/* block; comment */\r\nBEGIN x := 1; END;\r\n/\r\n";
    }
    script += "SELECT 'last';\n";
    ASSERT_GT(script.size(), 2'000'000u);

    const auto start = std::chrono::steady_clock::now();
    CommandText rest(script);
    int inserts = 0, blocks = 0, comments = 0;
    std::string last;
    while (!rest.Empty()) {
        const char c = rest.Front();
        if (c == '\r' || c == '\n' || c == ' ') {
            rest.DropFront();
        } else if (c == '-') {
            rest.TakeLine();
        } else if (c == '/') {
            rest.TakeUntil("*/");
            ++comments;
        } else if (c == 'B') {
            rest.TakeBlock();
            ++blocks;
        } else {
            last = rest.TakeStatement();
            ++inserts;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(inserts, count + 1);
    EXPECT_EQ(blocks, count / 100);
    EXPECT_EQ(comments, count / 100);
    EXPECT_EQ(last, "SELECT 'last';");
    EXPECT_LT(seconds, 2.0);
}

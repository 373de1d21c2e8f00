#include "dbf/TCalc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/DateTime.h"

namespace {

// The error text one failure on record `rec` leaves in a fresh evaluator.
std::string OneError(std::string_view message, int rec) {
    return "ОШИБКА фильтра: " + std::string(message) + " (строка " + std::to_string(rec) + ")\n";
}

struct Case {
    const char* expr;
    Variant expected;
};

testing::AssertionResult Yields(TCalc& calc, const Case& c) {
    calc.ClearErrorText();
    const Variant v = calc.Calculate(c.expr);
    if (!calc.ErrorText().empty()) return testing::AssertionFailure() << c.expr << ": " << calc.ErrorText();
    if (v.Type() != VarType::String && c.expected.Type() == VarType::String)
        return testing::AssertionFailure() << c.expr << " gave a non-text " << v.ToString();
    if (!(v == c.expected))
        return testing::AssertionFailure() << c.expr << " gave <" << v.ToString() << ">, expected <"
                                           << c.expected.ToString() << ">";
    return testing::AssertionSuccess();
}

void ExpectAll(TCalc& calc, const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_TRUE(Yields(calc, c));
}

TEST(TCalcTest, WildcardEqualityMatchesPrefixSuffixAndInfix) {
    struct W {
        const char* value;
        const char* pattern;
        bool match;
    };
    const W cases[] = {
        {"ABC", "AB%", true},   {"AB", "AB%", true},    {"XAB", "AB%", false},  {"XAB", "%AB", true},
        {"ABX", "%AB", false},  {"ABC", "%B%", true},   {"AC", "%B%", false},   {"A%C", "A%C", true},
        {"ABC", "A%C", false},  {"", "%%", true},       {"xBy", "a%B%z", true}, {"abc", "ABC", false},
    };
    TCalc calc;
    for (const W& w : cases) {
        calc.ClearVariables();
        calc.AddVariable("NAME", Variant(w.value));
        EXPECT_EQ(calc.Evaluate(std::string("NAME = '") + w.pattern + "'"), w.match) << w.value << " = " << w.pattern;
        // "<>" is plain inequality, not the negated wildcard.
        EXPECT_EQ(calc.Evaluate(std::string("NAME <> '") + w.pattern + "'"), std::string(w.value) != w.pattern);
    }
    EXPECT_EQ(calc.ErrorText(), "");
}

TEST(TCalcTest, LiteralsOperatorsAndComparisonsThatCountOnlyOneAsTrue) {
    TCalc calc;
    ExpectAll(calc, {
        {"'it''s'", Variant("it's")}, {"''''", Variant("'")}, {"2 ^ 3", Variant(8)}, {"2 ^ 0", Variant(1)},
        {"2 ^ -1", Variant(2)}, {"2 ^ 3 ^ 2", Variant(512)}, {"2 ^ 2.5", Variant(8)}, {"-7 % 3", Variant(-1)},
        {"7.5 % 2", Variant(1.5)}, {"1 + 2 * 3", Variant(7)}, {"-2 ^ 2", Variant(4)}, {"10 / 4", Variant(2.5)},
        {"1.25 * 1.25", Variant(Currency::FromScaled(15625))}, {"0.0001 * 0.5", Variant(Currency::FromScaled(1))},
        {"0.0001 * 0.4999", Variant(Currency::FromScaled(0))}, {"+5 - -3", Variant(8)},
        {"'ab' + 'cd'", Variant("abcd")}, {"'1' + 2", Variant(3)}, {"9 - 4 - 3", Variant(2)}, {"\t 3\t", Variant(3)},
        // Comparisons and logic.
        {"not 0", Variant(1)}, {"not 5", Variant(0)}, {"1 and 2", Variant(0)}, {"2 or 3", Variant(0)},
        {"1 < 2", Variant(1)}, {"2 <= 2", Variant(1)}, {"3 >= 4", Variant(0)}, {"1 <> 1", Variant(0)},
        {"3 > 2 > 0", Variant(1)}, {"'10' > 9", Variant(1)}, {"not 1 = 2", Variant(1)},
        {"1 = 1 AND 2 = 2 Or 0", Variant(1)}, {"'5' = 5", Variant(1)},
    });
    // A filter's verdict is a positive value.
    for (const char* e : {"3", "0.5", "'2'"}) EXPECT_TRUE(calc.Evaluate(e)) << e;
    for (const char* e : {"0", "-4", "1 - 1"}) EXPECT_FALSE(calc.Evaluate(e)) << e;
    EXPECT_EQ(calc.ErrorText(), "");
    EXPECT_FALSE(calc.Evaluate("'abc'"));
    EXPECT_EQ(calc.ErrorText(), OneError("Неверное арифметическое выражение", 0));
}

// Fields are found without letter case; isnull sees empty values; text
// functions count characters of every script.
TEST(TCalcTest, FunctionsOnTextOfEveryScriptAndNumbers) {
    TCalc calc;
    calc.AddVariable("S", Variant("Привет"));
    calc.AddVariable("Wide", Variant("漢字😀a"));
    calc.AddVariable("Born", Variant::FromDate(EncodeDate(2024, 1, 31)));
    calc.AddVariable("NAME", Variant(""));
    calc.AddVariable("SUM", Variant::Null());
    calc.AddVariable("NODATE", Variant::FromDate(0));
    calc.AddVariable("AGE", Variant(Currency::FromScaled(420000)));
    ExpectAll(calc, {
        {"isnull(name)", Variant(1)}, {"isnull(Sum)", Variant(1)}, {"isnull(NoDate)", Variant(1)},
        {"isnull(age)", Variant(0)}, {"age / 2", Variant(21)}, {"nvl(sum, 'none')", Variant("none")},
        {"name + 'x'", Variant("x")}, {"sum = 1", Variant(0)}, {"rpad('ab', 4, '')", Variant("ab")},
        {"rpad('ab', 0)", Variant("")}, {"lpad('ab', -2)", Variant("")}, {"substr('abcdef', 0, 2)", Variant("ab")},
        {"instr('abc', 'x')", Variant(0)}, {"length(12.5)", Variant(4)}, {"ltrim('  a ')", Variant("a ")},
        {"rtrim('  a ')", Variant("  a")}, {"trim('\ta\t')", Variant("\ta\t")}, {"round(2.5)", Variant(3)},
        {"round(2.49)", Variant(2)}, {"round(-2.5)", Variant(-3)}, {"round(10 / 4)", Variant(3)},
        {"numtostr(12.50)", Variant("12.5")}, {"numtostr('')", Variant("")}, {"strtonum('1.25') * 4", Variant(5)},
        {"nvl('', 'x')", Variant("x")}, {"nvl('a', 'x')", Variant("a")}, {"datetostr(born)", Variant("31.01.2024")},
        {"datetimetostr(strtodatetime('01.02.2024 10:30:00'))", Variant("01.02.2024 10:30:00")},
        {"strtodate('01.02.2024') - Born", Variant(1)},
        // Characters of every script, whatever their bytes.
        {"length(s)", Variant(6)}, {"length(wide)", Variant(4)}, {"length('')", Variant(0)},
        {"substr(s, 2, 3)", Variant("рив")}, {"substr(s, 1, 6)", Variant("Привет")},
        {"substr(s, 1, 7)", Variant("Привет")}, {"substr(s, 6, 1)", Variant("т")}, {"substr(s, 7, 1)", Variant("")},
        {"substr(s, -2, 2)", Variant("ет")}, {"substr(s, -6, 1)", Variant("П")}, {"substr(wide, 3, 1)", Variant("😀")},
        {"instr('жжПривет', 'т')", Variant(8)}, {"instr(wide, 'a')", Variant(4)}, {"upper('ёлка')", Variant("ЁЛКА")},
        {"upper('αβγ żółw')", Variant("ΑΒΓ ŻÓŁW")}, {"upper(wide)", Variant("漢字😀A")}, {"rpad(s, 5)", Variant("Приве")},
        {"lpad(s, 5)", Variant("ривет")}, {"rpad(s, 6)", Variant("Привет")}, {"lpad(s, 6)", Variant("Привет")},
        {"rpad(s, 7)", Variant("Привет ")}, {"lpad(s, 7)", Variant(" Привет")},
        {"rpad('Пр', 4, 'ив!')", Variant("Прив")}, {"lpad('ет', 5, 'жё')", Variant("ёжёет")},
        {"length(rpad(wide, 9, '😀'))", Variant(9)}, {"trim('  Привет ')", Variant("Привет")},
    });
    // The wildcard and equality work on whole characters as well.
    for (const char* e : {"S = 'При%'", "S = '%вет'", "S = '%рив%'", "upper(S) = 'ПРИВЕТ'"})
        EXPECT_TRUE(calc.Evaluate(e)) << e;
    EXPECT_FALSE(calc.Evaluate("S = 'при%'"));
    EXPECT_EQ(calc.ErrorText(), "");

    // The text limit counts characters: two-byte letters fill it as far as
    // ASCII does.
    const std::string longest = std::to_string(TCalc::MaxTextLength);
    EXPECT_TRUE(Yields(calc, {("length(rpad('', " + longest + ", 'я') + '')").c_str(),
                              Variant(static_cast<int32_t>(TCalc::MaxTextLength))}));
    calc.ClearErrorText();
    calc.Calculate("rpad('', " + longest + ", 'я') + 'я'");
    EXPECT_EQ(calc.ErrorText(), OneError("Неверное арифметическое выражение", 0));
}

TEST(TCalcTest, ErrorsNameTheMessageAndTheRecord) {
    struct E {
        std::string expr;
        const char* message;
    };
    const E cases[] = {
        {"upper NAME", "Должна быть скобка ("}, {"FOO = 1", "Поле <FOO> отсутствует"},
        {"(1 + 2", "Непарные круглые скобки <>"}, {"(1 + 2 'x'", "Непарные круглые скобки <x>"},
        {"1 + 2)", "Непарные круглые скобки <)>"}, {"NAME = 'abc", "Синтаксическая ошибка"},
        {"1 2", "Синтаксическая ошибка"}, {"1 +", "Синтаксическая ошибка"},
        {"concat('a', 'b')", "Синтаксическая ошибка"}, {"not not 1", "Синтаксическая ошибка"},
        {"upper('a'", "Должна быть скобка )"}, {"substr('abc' 1, 2)", "Должна быть поле, строка или выражение"},
        {"isnull('a')", "Должна быть поле, строка или выражение"}, {"isnull(BAR)", "Поле <BAR> отсутствует"},
        {"substr('abc', 'x', BAR)", "Поле <BAR> отсутствует"},  // the whole call is read first
        {"5 % 0", "Неверное арифметическое выражение"}, {"12abc", "Неверное арифметическое выражение"},
        {"'b' > 'a'", "Неверное арифметическое выражение"},
        {"strtodate('31.02.2024')", "Неверное арифметическое выражение"},
        {"NULLS - 1", "Неверное арифметическое выражение"}, {"datetostr(1)", "Неверный формат даты/времени"},
        // Hostile input ends in an error, not a crash or a hang.
        {"rpad('x', 2000000000)", "Неверное арифметическое выражение"},
        {"2 ^ 1000000000000", "Неверное арифметическое выражение"},
        {"1000000 * 1000000 * 1000000", "Неверное арифметическое выражение"},
        {"922337203685477 + 1", "Неверное арифметическое выражение"},
        {"-922337203685477 - 2", "Неверное арифметическое выражение"},
        {"round(1e300)", "Неверное арифметическое выражение"}, {"D + 1e300", "Неверное арифметическое выражение"},
        {"length(D + 9000000)", "Неверное арифметическое выражение"},
        {"numtostr(substr('a', 1e20, 1))", "Неверное арифметическое выражение"},
        // NUL, line breaks and bytes above 127 are no tokens of the language.
        {std::string("1\0", 2), "Синтаксическая ошибка"}, {"1\r\n", "Синтаксическая ошибка"},
        {"\xff", "Синтаксическая ошибка"},
    };
    TCalc calc;
    calc.AddVariable("D", Variant::FromDate(EncodeDate(2024, 1, 1)));
    calc.AddVariable("NAME", Variant("abc"));
    calc.AddVariable("NULLS", Variant::Null());
    calc.SetRecordNumber(5);
    for (const E& e : cases) {
        calc.ClearErrorText();
        EXPECT_FALSE(calc.Evaluate(e.expr));
        EXPECT_EQ(calc.ErrorText(), OneError(e.message, 5)) << e.expr;
    }

    // A second failure adds its line under the same heading; the caller clears.
    calc.ClearErrorText();
    calc.SetRecordNumber(1);
    calc.Evaluate("FOO");
    calc.SetRecordNumber(2);
    calc.Evaluate("1 / 0");
    EXPECT_EQ(calc.ErrorText(), OneError("Поле <FOO> отсутствует", 1) +
                                    "Неверное арифметическое выражение (строка 2)\n");
    // A token holding "%s" is substituted once, as written.
    calc.ClearErrorText();
    calc.Evaluate("(1 '%s%d'");
    EXPECT_EQ(calc.ErrorText(), OneError("Непарные круглые скобки <%s%d>", 2));
}

TEST(TCalcTest, DeepNestingEndsInAnErrorNotACrash) {
    TCalc calc;
    EXPECT_TRUE(Yields(calc, {"0.5 ^ 1000000000000", Variant(0)}));

    // Nesting within the limit works; beyond it is refused with a message.
    EXPECT_TRUE(Yields(calc, {(std::string(90, '(') + "1" + std::string(90, ')')).c_str(), Variant(1)}));
    const std::string deep = OneError("Слишком глубокая вложенность выражения", 0);
    std::string chain = "1";
    for (int i = 0; i < 50000; ++i) chain += "^1";
    for (const std::string& e : {std::string(100000, '(') + "1", std::string(100000, '(') + "1" + std::string(100000, ')'),
                                 std::string(30000, '(') + "upper(" + std::string(30000, '('), chain}) {
        calc.ClearErrorText();
        EXPECT_FALSE(calc.Evaluate(e));
        EXPECT_EQ(calc.ErrorText(), deep);
    }
}

}  // namespace

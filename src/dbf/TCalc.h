#pragma once
// The filter evaluator of the dBase table: one expression over the current
// record's named values, interpreted while it is parsed. Texts are UTF-8;
// the string functions count characters, never cut inside one, and upper()
// knows the letter case of every script.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Variant.h"

// One named value the expression can refer to (a field of the record).
struct TFldObj {
    std::string Name;
    Variant Value;
};

class TCalc {
public:
    // Deeper nesting (each parenthesis or function argument counts two, each
    // chained '^' one) is refused with its own message instead of exhausting
    // the stack.
    static constexpr int MaxDepth = 200;
    // No text the expression builds may grow longer than this many
    // characters (far beyond a character field's 255); a longer one is an
    // arithmetic error, so a short filter cannot claim memory by the hundred
    // megabytes.
    static constexpr std::size_t MaxTextLength = 65536;

    // True when the expression's value is greater than 0. Errors are not
    // thrown: they are appended to ErrorText() and the result is false.
    bool Evaluate(std::string_view expression);
    // The expression's value; Null after an error.
    Variant Calculate(std::string_view expression);

    // The caller fills these before each evaluation; names compare without
    // letter case and the first match wins.
    std::vector<TFldObj>& Variables() { return variables_; }
    const std::vector<TFldObj>& Variables() const { return variables_; }
    void AddVariable(std::string name, Variant value);
    void ClearVariables() { variables_.clear(); }

    // Shown in error messages as the record the filter failed on.
    int RecordNumber() const { return recordNumber_; }
    void SetRecordNumber(int n) { recordNumber_ = n; }

    // Messages accumulate across evaluations until the caller clears them.
    const std::string& ErrorText() const { return errorText_; }
    void SetErrorText(std::string text) { errorText_ = std::move(text); }
    void ClearErrorText() { errorText_.clear(); }

private:
    enum class Kind : uint8_t { None = 0, Operator = 1, Number = 2, Word = 3, String = 5, Function = 6 };
    enum Func : uint8_t {
        fnNone = 0, fnConcat = 1, fnRound = 2, fnEnd = 3, fnInstr = 4, fnSubstr = 5, fnLength = 6,
        fnUpper = 7, fnTrim = 8, fnRtrim = 9, fnLtrim = 10, fnRpad = 11, fnLpad = 12, fnNumToStr = 13,
        fnStrToNum = 14, fnStrToDate = 15, fnStrToDateTime = 16, fnDateToStr = 17,
        fnDateTimeToStr = 18, fnAnd = 19, fnOr = 20, fnNot = 21, fnIsNull = 22, fnNvl = 23
    };

    void Scan();
    bool IsOp(std::string_view op) const { return kind_ == Kind::Operator && token_ == op; }
    bool IsFunc(Func f) const { return kind_ == Kind::Function && func_ == f; }
    [[noreturn]] void Fail(int code, std::string_view arg = {});

    Variant Expression();
    Variant AndTerm();
    Variant NotTerm();
    Variant Comparison();
    Variant Sum();
    Variant Product();
    Variant Power();
    Variant Unary();
    Variant Primary();
    Variant Atom();
    Variant Call(Func f);
    Variant Argument(bool last);
    const TFldObj& Field(const std::string& name);

    std::string text_;
    std::size_t pos_ = 0;
    std::string token_;
    Kind kind_ = Kind::None;
    Func func_ = fnNone;
    int depth_ = 0;
    bool failed_ = false;  // the last evaluation reported an error

    std::vector<TFldObj> variables_;
    int recordNumber_ = 0;
    std::string errorText_;
};

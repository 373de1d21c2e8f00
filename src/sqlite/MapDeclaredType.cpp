#include "sqlite/MapDeclaredType.h"

#include <algorithm>
#include <string>

#include "base/AnsiString.h"
#include "base/NumberText.h"

namespace {

// Sizes are written by people ("numeric(10, 2)"): blanks around the number
// are allowed, and a negative size means no room at all.
int32_t SizeOf(std::string_view text) { return std::max<int32_t>(0, StrToInt(Trim(text))); }

struct Word {
    const char* word;
    TFieldType kind;
    int32_t size;
};

constexpr Word kWords[] = {
    {"date", ftDate, 10},           {"datetime", ftDateTime, 24},    {"time", ftTime, 12},
    {"boolean", ftBoolean, 1},      {"logical", ftBoolean, 1},       {"integer", ftInteger, 12},
    {"int", ftInteger, 12},         {"float", ftFloat, 17},          {"double", ftFloat, 17},
    {"real", ftFloat, 17},          {"currency", ftCurrency, 17},    {"financial", ftCurrency, 17},
    {"money", ftCurrency, 17},      {"string", ftString, 512},       {"shorttext", ftString, 512},
    {"text", ftString, 512},        {"widestring", ftWideString, 1024}, {"widetext", ftWideString, 1024},
    {"memo", ftMemo, 4},            {"clob", ftMemo, 4},             {"longtext", ftMemo, 4},
    {"blob", ftBlob, 4},            {"graphic", ftGraphic, 4},
};

}  // namespace

TDeclaredType MapDeclaredType(std::string_view declared) {
    TDeclaredType r;
    const size_t open = declared.find('(');
    if (open != std::string_view::npos) {
        const size_t close = declared.find(')');
        if (close == std::string_view::npos) {
            r.size = 256;
            return r;
        }
        const std::string base = AnsiLowerCase(declared.substr(0, open));
        const std::string_view inside =
            close > open ? declared.substr(open + 1, close - open - 1) : std::string_view();
        if (base == "varchar" || base == "char" || base == "varchar2") {
            r.size = SizeOf(inside);
        } else if (base == "nvarchar" || base == "nchar" || base == "nvarchar2") {
            r.kind = ftWideString;
            r.size = 2 * std::min<int32_t>(SizeOf(inside), 1 << 29);
        } else if (base == "numeric") {
            r.kind = ftFloat;
            size_t sep = inside.find('.');
            if (sep == std::string_view::npos) sep = inside.find(',');
            if (sep == std::string_view::npos) {
                r.size = SizeOf(inside);
            } else {
                r.size = SizeOf(inside.substr(0, sep));
                r.precision = SizeOf(inside.substr(sep + 1, 2));
            }
        }
        return r;
    }
    const std::string word = AnsiLowerCase(declared);
    for (const Word& w : kWords) {
        if (word == w.word) {
            r.kind = w.kind;
            r.size = w.size;
            return r;
        }
    }
    return r;
}

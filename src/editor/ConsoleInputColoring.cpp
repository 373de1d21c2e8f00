#include "ConsoleInputColoring.h"

#include <initializer_list>

#include "TSyntaxColoring.h"

namespace {
void AddList(TSyntaxColoring& c, TColor color, std::initializer_list<const char*> words) {
    TWordList* list = c.WordLists().Add();
    list->SetColor(color);
    list->Words().BeginUpdate();
    for (const char* w : words) list->Words().Add(w);
    list->Words().EndUpdate();
}

void AddStyle(TSyntaxColoring& c, const char* caption, const char* begin, const char* end, TColor color) {
    TCustomStyle* s = c.CustomStyles().Add();
    s->SetCaption(caption);
    s->SetBeginText(begin);
    s->SetEndText(end);
    s->SetColor(color);
}
}  // namespace

void SetupConsoleInputColoring(TSyntaxColoring& c) {
    c.BeginUpdate();
    c.SetEnabled(true);
    c.SetSymbolColor(clBlack);
    c.SetNumberColor(clRed);
    c.SetSymbolCustomStyle(false);
    c.SetNumberCustomStyle(false);
    c.SetParenthesisCustomStyle(false);
    c.ParenthesisColors().Clear();
    c.ParenthesisColors().Add("$000000");
    c.WordLists().Clear();
    c.CustomStyles().Clear();
    AddList(c, clNavy,
            {"ALL",    "AND",    "ANY",    "AS",          "ASC",   "ATTACH",  "BETWEEN", "BY",      "CONNECT",
             "DATABASE", "DELETE", "DESC",  "DETACH",     "DISTINCT", "DROP", "EXISTS",  "FROM",    "GROUP",
             "HAVING", "IN",     "INSERT", "INTO",        "IS",    "JOIN",    "LEFT",    "LIKE",    "LIMIT",
             "NOT",    "NULL",   "ON",     "OR",          "ORDER", "OUTER",   "PRAGMA",  "PRIOR",   "RIGHT",
             "ROWS",   "SELECT", "SET",    "START",       "TO",    "TRANSACTION", "UNION", "UPDATE", "VACUUM",
             "VALUES", "WHERE",  "WITH"});
    AddList(c, clBackground,
            {"ABS",        "ADD_MONTHS", "ASCII",      "AVG",        "CEIL",           "CHARTOROWID", "CHR",
             "COALESCE",   "CONCAT",     "CONVERT",    "COS",        "COSH",           "COUNT",       "CREATE",
             "CURRVAL",    "DECODE",     "DUAL",       "DUMP",       "EXP",            "FLOOR",       "FUNCTION",
             "GLOB",       "GREATEST",   "HEXTORAW",   "IFNULL",     "INITCAP",        "INSTR",       "INSTRB",
             "LAST_DAY",   "LAST_INSERT_ROWID", "LEAST", "LENGTH",   "LENGTHB",        "LEVEL",       "LIKE",
             "LN",         "LOG",        "LOWER",      "LPAD",       "LTRIM",          "MAX",         "MIN",
             "MOD",        "MONTHS_BETWEEN", "NEW_TIME", "NEXT_DAY", "NEXTVAL",        "NLS_INITCAP", "NLS_LOWER",
             "NLS_UPPER",  "NLSSORT",    "NULLIF",     "NVL",        "POWER",          "PROCEDURE",   "QUOTE",
             "RANDOM",     "RAWTOHEX",   "REPLACE",    "ROUND",      "ROWID",          "ROWIDTOCHAR", "ROWNUM",
             "RPAD",       "RTRIM",      "SIGN",       "SIN",        "SINH",           "SOUNDEX",     "SQLITE_VERSION",
             "SQRT",       "STDDEV",     "SUBSTR",     "SUBSTRB",    "SUM",            "SYSDATE",     "TAN",
             "TANH",       "TO_CHAR",    "TO_DATE",    "TO_MULTI_BYTE", "TO_NUMBER",   "TO_SINGLE_BYTE", "TOTAL",
             "TRANSLATE",  "TRUNC",      "TYPEOF",     "UID",        "USER",           "USERNV",      "VARIANCE",
             "VSIZE"});
    AddList(c, clPurple,
            {"auto_vacuum", "cache_size", "case_sensitive_like", "count_changes", "default_cache_size",
             "empty_result_callbacks", "encoding", "full_column_names", "fullfsync", "page_size", "read_uncommitted",
             "schema_version", "short_column_names", "sqlite_master", "sqlite_sequence", "sqlite_temp_master",
             "synchronous", "table_info", "temp_store", "temp_store_directory", "user_version"});
    AddStyle(c, "Strings", "'", "'", clBlue);
    AddStyle(c, "", "--", "#13", clGray);
    AddStyle(c, "", "/*", "*/", clGray);
    c.EndUpdate();
}

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The console's settings with their defaults, kept under
// "HKCU\Software\QorTabulon\".
struct ConsoleSettings {
    std::string Prompt = "SQL: ";
    int32_t Page = 0;
    std::string SqlText;
    int32_t Height = 480;
    int32_t Width = 640;
    int32_t HeightInp = 132;
    std::string DllName = "SQLite3.dll";
    int32_t LongStr = 30000;
    int32_t DelStr = 2000;
    int32_t CharLong = 50;
    int32_t LHist = 30;
    bool HeaderOn = true;
    bool EchoOn = true;
    bool ClearWind = true;
    bool WidthFld = true;
    bool StopErr = false;
    bool NumPLSQL = true;
    bool ShowTime = true;
    std::string StartSQL;
    int32_t FontOut = 10;
    int32_t FontInp = 10;
    std::string EnvLocal = " ";
    int32_t OutLookWidth = 130;
    // The database's text is Windows-1251, as 8-bit consoles wrote it:
    // statements and parameters go to the engine in that code page and its
    // text comes back as UTF-8.
    bool Win1251Db = false;

    static constexpr std::string_view kKey = "HKCU\\Software\\QorTabulon\\";

    // Reads every setting in the console's order; missing or unreadable
    // values keep their defaults.
    void Read();
    // Writes every setting in the console's order (booleans as "Y"/"N",
    // StartSql as " " when empty), as one replacement of the store's file.
    void Write() const;
    // Sets one setting from text by its name (any letter case): booleans
    // from Y/N (also yes/no, true/false, 1/0), integers from decimal text.
    // False for an unknown name or a value that does not fit.
    bool Set(std::string_view name, std::string_view value);
};

// A console text from section "Msg" of the language file tabulon-ENG.lng
// in the program's folder, or `def` when the file or entry is missing.
std::string MsgText(std::string_view key, std::string_view def);

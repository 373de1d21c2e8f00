#include "console/ConsoleSettings.h"

#include <variant>

#include "base/AnsiString.h"
#include "base/IniFile.h"
#include "base/NumberText.h"
#include "base/Platform.h"
#include "base/SettingsStore.h"

namespace {

std::string PathOf(std::string_view name) {
    std::string p(ConsoleSettings::kKey);
    p.append(name);
    return p;
}

using Member = std::variant<std::string ConsoleSettings::*, int32_t ConsoleSettings::*, bool ConsoleSettings::*>;

struct Entry {
    const char* name;
    Member member;
};

// Reading order.
const Entry kReadOrder[] = {
    {"Prompt", &ConsoleSettings::Prompt},       {"Page", &ConsoleSettings::Page},
    {"SqlText", &ConsoleSettings::SqlText},     {"Height", &ConsoleSettings::Height},
    {"Width", &ConsoleSettings::Width},         {"HeightInp", &ConsoleSettings::HeightInp},
    {"DllName", &ConsoleSettings::DllName},     {"LongStr", &ConsoleSettings::LongStr},
    {"DelStr", &ConsoleSettings::DelStr},       {"CharLong", &ConsoleSettings::CharLong},
    {"LHist", &ConsoleSettings::LHist},         {"HeaderOn", &ConsoleSettings::HeaderOn},
    {"EchoOn", &ConsoleSettings::EchoOn},       {"ClearWind", &ConsoleSettings::ClearWind},
    {"WidthFld", &ConsoleSettings::WidthFld},   {"StopErr", &ConsoleSettings::StopErr},
    {"NumPLSQL", &ConsoleSettings::NumPLSQL},   {"ShowTime", &ConsoleSettings::ShowTime},
    {"StartSQL", &ConsoleSettings::StartSQL},   {"FontOut", &ConsoleSettings::FontOut},
    {"FontInp", &ConsoleSettings::FontInp},     {"EnvLocal", &ConsoleSettings::EnvLocal},
    {"OutLookWidth", &ConsoleSettings::OutLookWidth}, {"Win1251Db", &ConsoleSettings::Win1251Db},
};

// Writing order.
const Entry kWriteOrder[] = {
    {"FontOut", &ConsoleSettings::FontOut},     {"FontInp", &ConsoleSettings::FontInp},
    {"Page", &ConsoleSettings::Page},           {"Prompt", &ConsoleSettings::Prompt},
    {"SqlText", &ConsoleSettings::SqlText},     {"Height", &ConsoleSettings::Height},
    {"Width", &ConsoleSettings::Width},         {"HeightInp", &ConsoleSettings::HeightInp},
    {"DllName", &ConsoleSettings::DllName},     {"LongStr", &ConsoleSettings::LongStr},
    {"DelStr", &ConsoleSettings::DelStr},       {"CharLong", &ConsoleSettings::CharLong},
    {"LHist", &ConsoleSettings::LHist},         {"HeaderOn", &ConsoleSettings::HeaderOn},
    {"EchoOn", &ConsoleSettings::EchoOn},       {"StopErr", &ConsoleSettings::StopErr},
    {"NumPLSQL", &ConsoleSettings::NumPLSQL},   {"ClearWind", &ConsoleSettings::ClearWind},
    {"WidthFld", &ConsoleSettings::WidthFld},   {"ShowTime", &ConsoleSettings::ShowTime},
    {"StartSql", &ConsoleSettings::StartSQL},   {"EnvLocal", &ConsoleSettings::EnvLocal},
    {"OutLookWidth", &ConsoleSettings::OutLookWidth}, {"Win1251Db", &ConsoleSettings::Win1251Db},
};

}  // namespace

void ConsoleSettings::Read() {
    for (const Entry& e : kReadOrder) {
        const std::string path = PathOf(e.name);
        std::visit(
            [&](auto member) {
                auto& field = this->*member;
                using T = std::decay_t<decltype(field)>;
                if constexpr (std::is_same_v<T, std::string>)
                    field = ReadString(path, field);
                else if constexpr (std::is_same_v<T, int32_t>)
                    field = ReadInteger(path, field);
                else
                    field = ReadString(path, field ? "Y" : "N") == "Y";
            },
            e.member);
    }
}

void ConsoleSettings::Write() const {
    SettingsWriteBatch batch;
    for (const Entry& e : kWriteOrder) {
        const std::string path = PathOf(e.name);
        std::visit(
            [&](auto member) {
                const auto& field = this->*member;
                using T = std::decay_t<decltype(field)>;
                if constexpr (std::is_same_v<T, std::string>)
                    WriteString(path, member == &ConsoleSettings::StartSQL && field.empty() ? " " : field);
                else if constexpr (std::is_same_v<T, int32_t>)
                    WriteInteger(path, field);
                else
                    WriteString(path, field ? "Y" : "N");
            },
            e.member);
    }
}

bool ConsoleSettings::Set(std::string_view name, std::string_view value) {
    for (const Entry& e : kReadOrder) {
        if (!SameText(e.name, name)) continue;
        return std::visit(
            [&](auto member) {
                auto& field = this->*member;
                using T = std::decay_t<decltype(field)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    field = std::string(value);
                    return true;
                } else if constexpr (std::is_same_v<T, int32_t>) {
                    return TryStrToInt(value, field);
                } else {
                    const std::string v = UpperCase(value);
                    if (v == "Y" || v == "YES" || v == "TRUE" || v == "1" || v == "ON") field = true;
                    else if (v == "N" || v == "NO" || v == "FALSE" || v == "0" || v == "OFF") field = false;
                    else return false;
                    return true;
                }
            },
            e.member);
    }
    return false;
}

std::string MsgText(std::string_view key, std::string_view def) {
    return IniReadString(ProgramDataFile("tabulon-ENG.lng"), "Msg", key, def);
}

#include "sqlite/SQLite3Functions.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiString.h"
#include "base/NumberText.h"
#include "sqlite/TQorSQLite3DB.h"

namespace {

// Connections in the order they registered; the functions serve the last.
std::vector<TQorSQLite3DB*>& Registered() {
    static std::vector<TQorSQLite3DB*> list;
    return list;
}

// Longest text a function builds; beyond it the result is NULL rather than
// an allocation the engine would refuse anyway.
constexpr int64_t kMaxResultLength = 100'000'000;

const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz{}";

class Call {
public:
    Call(sqlite3_context* ctx, sqlite3_value** argv) : ctx_(ctx), argv_(argv) {
        auto& reg = Registered();
        api_ = reg.empty() ? nullptr : &reg.back()->Api();
        if (api_ && !api_->result_text) api_ = nullptr;
    }
    bool Ready() const { return api_ != nullptr; }

    std::string_view Text(int i) const {
        const unsigned char* t = api_->value_text(argv_[i]);
        return t ? std::string_view(reinterpret_cast<const char*>(t)) : std::string_view();
    }
    bool IsNull(int i) const { return api_->value_type(argv_[i]) == sqlite_api::NULL_TYPE; }
    int32_t Int(int i) const { return api_->value_int(argv_[i]); }
    int64_t Int64(int i) const { return api_->value_int64(argv_[i]); }

    void Result(std::string_view s) const {
        if (static_cast<int64_t>(s.size()) > kMaxResultLength) return;
        api_->result_text(ctx_, s.data(), static_cast<int>(s.size()), sqlite_api::Transient());
    }
    void ResultInt(int32_t v) const { api_->result_int(ctx_, v); }
    void ResultInt64(int64_t v) const { api_->result_int64(ctx_, v); }
    // Leaving the result unset gives SQL NULL.

private:
    sqlite3_context* ctx_;
    sqlite3_value** argv_;
    const SQLite3Api* api_ = nullptr;
};

// Runs a function body; nothing may escape into the engine.
template <typename F>
void Guarded(sqlite3_context* ctx, sqlite3_value** argv, F body) {
    try {
        Call c(ctx, argv);
        if (c.Ready()) body(c);
    } catch (...) {
    }
}

#define TABULON_SQL_FUNCTION(name) void name(sqlite3_context* ctx, int, sqlite3_value** argv)

TABULON_SQL_FUNCTION(IntXxx) {
    Guarded(ctx, argv, [](Call& c) {
        const uint32_t v = static_cast<uint32_t>(c.Int(0));
        const char out[4] = {kAlphabet[(v >> 18) & 63], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
                             kAlphabet[v & 63]};
        c.Result(std::string_view(out, 4));
    });
}

TABULON_SQL_FUNCTION(XxxInt) {
    Guarded(ctx, argv, [](Call& c) {
        const std::string t = Trim(c.Text(0));
        int32_t v = 0;
        for (size_t i = 0; i < 4 && i < t.size(); ++i) {
            const char* p = std::find(kAlphabet, kAlphabet + 64, t[i]);
            if (p != kAlphabet + 64) v += static_cast<int32_t>(p - kAlphabet) << (6 * (3 - i));
        }
        c.ResultInt(v);
    });
}

TABULON_SQL_FUNCTION(ReplaceUpper) {
    Guarded(ctx, argv, [](Call& c) {
        const std::string s = AnsiUpperCase(Trim(c.Text(0)));
        const std::string from = AnsiUpperCase(Trim(c.Text(1)));
        const std::string to = AnsiUpperCase(Trim(c.Text(2)));
        c.Result(from.empty() ? s : ReplaceAll(s, from, to));
    });
}

TABULON_SQL_FUNCTION(EqualInt) {
    Guarded(ctx, argv, [](Call& c) { c.ResultInt(c.Int(0) == c.Int(1) ? 1 : 0); });
}

TABULON_SQL_FUNCTION(Hash) {
    Guarded(ctx, argv, [](Call& c) {
        int64_t sum = 0;
        for (unsigned char b : c.Text(0)) sum += b;
        c.ResultInt64(sum);
    });
}

TABULON_SQL_FUNCTION(LikeAnsi) {
    Guarded(ctx, argv, [](Call& c) {
        c.ResultInt(Pos(AnsiUpperCase(Trim(c.Text(1))), AnsiUpperCase(Trim(c.Text(0)))));
    });
}

TABULON_SQL_FUNCTION(UpperAnsi) {
    Guarded(ctx, argv, [](Call& c) { c.Result(AnsiUpperCase(c.Text(0))); });
}
TABULON_SQL_FUNCTION(LowerAnsi) {
    Guarded(ctx, argv, [](Call& c) { c.Result(AnsiLowerCase(c.Text(0))); });
}
TABULON_SQL_FUNCTION(TrimLeftF) {
    Guarded(ctx, argv, [](Call& c) { c.Result(TrimLeft(c.Text(0))); });
}
TABULON_SQL_FUNCTION(TrimF) {
    Guarded(ctx, argv, [](Call& c) { c.Result(Trim(c.Text(0))); });
}
TABULON_SQL_FUNCTION(TrimRightF) {
    Guarded(ctx, argv, [](Call& c) { c.Result(TrimRight(c.Text(0))); });
}

// Whole copies of pad before (left) or after the text until it is at least
// width long, then cut to width from the far side of the padding.
std::string Pad(std::string_view text, int64_t width, std::string_view pad, bool left) {
    if (pad.empty()) pad = " ";
    if (width <= 0) return {};
    const size_t w = static_cast<size_t>(width);
    if (text.size() >= w) return std::string(left ? text.substr(text.size() - w) : text.substr(0, w));
    const size_t copies = (w - text.size() + pad.size() - 1) / pad.size();
    std::string out;
    out.reserve(text.size() + copies * pad.size());
    if (!left) out.append(text);
    for (size_t i = 0; i < copies; ++i) out.append(pad);
    if (left) out.append(text);
    return left ? out.substr(out.size() - w) : out.substr(0, w);
}

void PadFunction(sqlite3_context* ctx, sqlite3_value** argv, bool left) {
    Guarded(ctx, argv, [left](Call& c) {
        const int64_t width = c.Int64(1);
        if (width > kMaxResultLength) return;
        c.Result(Pad(c.Text(0), width, c.IsNull(2) ? std::string_view() : c.Text(2), left));
    });
}

TABULON_SQL_FUNCTION(PadLeft) { PadFunction(ctx, argv, true); }
TABULON_SQL_FUNCTION(PadRight) { PadFunction(ctx, argv, false); }

TABULON_SQL_FUNCTION(ReplaceF) {
    Guarded(ctx, argv, [](Call& c) {
        const std::string_view s = c.Text(0), from = c.Text(1);
        c.Result(from.empty() ? std::string(s) : ReplaceAll(s, from, c.Text(2)));
    });
}

TABULON_SQL_FUNCTION(Translate) {
    Guarded(ctx, argv, [](Call& c) {
        const std::string_view s = c.Text(0), from = c.Text(1), to = c.Text(2);
        // Per byte: keep (-1), drop (-2) or the replacement byte.
        int map[256];
        std::fill(std::begin(map), std::end(map), -1);
        for (size_t i = from.size(); i-- > 0;) {
            const unsigned char f = static_cast<unsigned char>(from[i]);
            map[f] = i < to.size() ? static_cast<unsigned char>(to[i]) : -2;
        }
        std::string out;
        out.reserve(s.size());
        for (unsigned char ch : s) {
            const int m = map[ch];
            if (m == -1)
                out.push_back(static_cast<char>(ch));
            else if (m >= 0)
                out.push_back(static_cast<char>(m));
        }
        c.Result(out);
    });
}

TABULON_SQL_FUNCTION(Instr) {
    Guarded(ctx, argv, [](Call& c) { c.ResultInt(Pos(c.Text(1), c.Text(0))); });
}

TABULON_SQL_FUNCTION(Mod) {
    Guarded(ctx, argv, [](Call& c) {
        const int64_t a = c.Int64(0), b = c.Int64(1);
        if (b == 0) return;
        c.ResultInt64(b == -1 ? 0 : a % b);
    });
}

TABULON_SQL_FUNCTION(Div) {
    Guarded(ctx, argv, [](Call& c) {
        const int64_t a = c.Int64(0), b = c.Int64(1);
        if (b == 0 || (b == -1 && a == INT64_MIN)) return;
        c.ResultInt64(a / b);
    });
}

TABULON_SQL_FUNCTION(Sign) {
    Guarded(ctx, argv, [](Call& c) {
        const int64_t v = c.Int64(0);
        c.ResultInt64(v < 0 ? -1 : (v > 0 ? 1 : 0));
    });
}

template <typename Op>
void BitOp(sqlite3_context* ctx, sqlite3_value** argv, Op op) {
    Guarded(ctx, argv, [&](Call& c) {
        const uint64_t v = static_cast<uint64_t>(c.Int64(0));
        const int64_t n = c.Int64(1);
        if (n < 0 || n > 63) {
            c.ResultInt64(static_cast<int64_t>(v));
            return;
        }
        c.ResultInt64(static_cast<int64_t>(op(v, uint64_t{1} << n)));
    });
}

TABULON_SQL_FUNCTION(BitSet) {
    BitOp(ctx, argv, [](uint64_t v, uint64_t m) { return v | m; });
}
TABULON_SQL_FUNCTION(BitClr) {
    BitOp(ctx, argv, [](uint64_t v, uint64_t m) { return v & ~m; });
}
TABULON_SQL_FUNCTION(BitNot) {
    BitOp(ctx, argv, [](uint64_t v, uint64_t m) { return v ^ m; });
}
TABULON_SQL_FUNCTION(BitTst) {
    Guarded(ctx, argv, [](Call& c) {
        const uint64_t v = static_cast<uint64_t>(c.Int64(0));
        const int64_t n = c.Int64(1);
        c.ResultInt64(n >= 0 && n <= 63 && ((v >> n) & 1) ? 1 : 0);
    });
}

std::string UserName() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return "Unknown";
}

TABULON_SQL_FUNCTION(NameComputer) {
    Guarded(ctx, argv, [](Call& c) {
        char host[256] = {};
        c.Result(gethostname(host, sizeof host - 1) == 0 && host[0] ? host : "Unknown");
    });
}
TABULON_SQL_FUNCTION(NameUser) {
    Guarded(ctx, argv, [](Call& c) { c.Result(UserName()); });
}
// Linux has no separate network logon: the network user is the user.
TABULON_SQL_FUNCTION(NameUserNet) {
    Guarded(ctx, argv, [](Call& c) { c.Result(UserName()); });
}

TABULON_SQL_FUNCTION(Int2Hex) {
    Guarded(ctx, argv, [](Call& c) {
        const int64_t digits = std::clamp<int64_t>(c.Int64(1), 0, 1'000'000);
        c.Result(IntToHex(c.Int64(0), static_cast<int>(digits)));
    });
}

TABULON_SQL_FUNCTION(Hex2Int) {
    Guarded(ctx, argv, [](Call& c) {
        std::string t(c.Text(0));
        if (t.find('$') == std::string::npos) t.insert(0, 1, '$');
        int64_t v = 0;
        if (TryStrToInt64(t, v)) c.ResultInt64(v);
    });
}

#undef TABULON_SQL_FUNCTION

struct Def {
    const char* name;
    int args;
    sqlite_api::ScalarFunc fn;
};

const Def kFunctions[] = {
    {"IntXxx", 1, IntXxx},         {"XxxInt", 1, XxxInt},         {"ReplaceUpper", 3, ReplaceUpper},
    {"EqualInt", 2, EqualInt},     {"Hash", 1, Hash},             {"LikeAnsi", 2, LikeAnsi},
    {"UpperAnsi", 1, UpperAnsi},   {"LowerAnsi", 1, LowerAnsi},   {"TrimLeft", 1, TrimLeftF},
    {"Trim", 1, TrimF},            {"TrimRight", 1, TrimRightF},  {"PadLeft", 3, PadLeft},
    {"PadRight", 3, PadRight},     {"Replace", 3, ReplaceF},      {"Translate", 3, Translate},
    {"Instr", 2, Instr},           {"Mod", 2, Mod},               {"Div", 2, Div},
    {"Sign", 1, Sign},             {"BitSet", 2, BitSet},         {"BitClr", 2, BitClr},
    {"BitNot", 2, BitNot},         {"BitTst", 2, BitTst},         {"NameComputer", 0, NameComputer},
    {"NameUser", 0, NameUser},     {"NameUserNet", 0, NameUserNet}, {"Int2Hex", 2, Int2Hex},
    {"Hex2Int", 1, Hex2Int},
};
static_assert(std::size(kFunctions) == 28);

}  // namespace

namespace sqlite_functions {

void Register(TQorSQLite3DB& db) {
    Forget(db);
    Registered().push_back(&db);
    const SQLite3Api& api = db.Api();
    for (const Def& d : kFunctions)
        api.create_function(db.Handle(), d.name, d.args, sqlite_api::UTF8, nullptr, d.fn, nullptr, nullptr);
}

void Forget(TQorSQLite3DB& db) {
    auto& reg = Registered();
    reg.erase(std::remove(reg.begin(), reg.end(), &db), reg.end());
}

}  // namespace sqlite_functions

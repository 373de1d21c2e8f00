#include "sqlite/SQLite3Functions.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/AnsiString.h"
#include "base/NumberText.h"
#include "base/Utf8.h"
#include "sqlite/TQorSQLite3DB.h"

namespace {

const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz{}";

// Bytes of the character at byte offset i (i < s.size()).
inline size_t CharLength(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]) < 0x80 ? 1 : DecodeUtf8(s, i).length;
}

// Finds sub in s where it covers whole characters of s, walking the
// character boundaries of s once from left to right.
class CharFinder {
public:
    CharFinder(std::string_view s, std::string_view sub) : s_(s), sub_(sub) {}

    // Byte offset of the first occurrence at or after `from`, npos when none.
    // Calls must not go backwards.
    size_t Next(size_t from) {
        if (sub_.empty()) return std::string_view::npos;
        for (size_t p; (p = s_.find(sub_, from)) != std::string_view::npos; from = p + 1) {
            while (at_ < p) {
                at_ += CharLength(s_, at_);
                ++index_;
            }
            if (at_ != p) continue;  // starts inside a character
            const size_t end = p + sub_.size();
            size_t e = p;
            while (e < end) e += CharLength(s_, e);
            if (e == end) return p;  // else its last character goes on past it
        }
        return std::string_view::npos;
    }
    // Characters of s before the occurrence Next found last.
    size_t Index() const { return index_; }

private:
    std::string_view s_, sub_;
    size_t at_ = 0;     // a character boundary of s
    size_t index_ = 0;  // characters before at_
};

}  // namespace

namespace sqlite_functions {

int64_t TextPosition(std::string_view sub, std::string_view s) {
    CharFinder finder(s, sub);
    return finder.Next(0) == std::string_view::npos ? 0 : static_cast<int64_t>(finder.Index()) + 1;
}

std::string TextReplace(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    CharFinder finder(s, from);
    std::string r;
    r.reserve(s.size());
    size_t start = 0;
    for (size_t p; (p = finder.Next(start)) != std::string_view::npos; start = p + from.size()) {
        r.append(s.substr(start, p - start));
        r.append(to);
        if (static_cast<int64_t>(r.size()) > kMaxResultLength) throw std::length_error("result too long");
    }
    r.append(s.substr(start));
    return r;
}

int64_t LikePosition(std::string_view text, std::string_view sub) {
    return TextPosition(AnsiUpperCase(Trim(sub)), AnsiUpperCase(Trim(text)));
}

std::string ReplaceUpperText(std::string_view s, std::string_view from, std::string_view to) {
    return TextReplace(AnsiUpperCase(Trim(s)), AnsiUpperCase(Trim(from)), AnsiUpperCase(Trim(to)));
}

std::optional<std::string> PadText(std::string_view text, int64_t width, std::string_view pad, bool left) {
    if (pad.empty()) pad = " ";
    if (width <= 0) return std::string();
    const size_t w = static_cast<size_t>(width);
    const size_t textChars = CharCount(text);
    if (textChars >= w)
        return std::string(left ? text.substr(CharOffset(text, textChars - w)) : text.substr(0, CharOffset(text, w)));
    const size_t padChars = CharCount(pad);
    const size_t missing = w - textChars;
    const size_t copies = missing / padChars + (missing % padChars != 0);
    // The copy farthest from the text loses its outer `excess` characters.
    const size_t excess = copies * padChars - missing;
    const std::string_view part =
        left ? pad.substr(CharOffset(pad, excess)) : pad.substr(0, CharOffset(pad, padChars - excess));
    const size_t whole = copies - 1;
    const size_t limit = static_cast<size_t>(kMaxResultLength);
    if (whole > limit / pad.size()) return std::nullopt;
    const size_t bytes = text.size() + whole * pad.size() + part.size();
    if (bytes > limit) return std::nullopt;
    std::string out;
    out.reserve(bytes);
    if (left) out.append(part);
    else out.append(text);
    // The whole copies, doubling what is already there.
    const size_t fillStart = out.size(), fillBytes = whole * pad.size();
    if (whole > 0) out.append(pad);
    while (out.size() - fillStart < fillBytes) {
        const size_t done = out.size() - fillStart;
        out.append(out, fillStart, std::min(done, fillBytes - done));
    }
    if (left) out.append(text);
    else out.append(part);
    return out;
}

std::string TranslateText(std::string_view s, std::string_view from, std::string_view to) {
    std::vector<std::string_view> toChars;
    for (size_t i = 0; i < to.size();) {
        const size_t len = CharLength(to, i);
        toChars.push_back(to.substr(i, len));
        i += len;
    }
    // A character of from maps to its first position there; ASCII through
    // a table, the rest through the map.
    constexpr size_t kKeep = SIZE_MAX;
    size_t ascii[128];
    std::fill(std::begin(ascii), std::end(ascii), kKeep);
    std::unordered_map<std::string_view, size_t> other;
    for (size_t i = 0, k = 0; i < from.size(); ++k) {
        const size_t len = CharLength(from, i);
        const unsigned char b = static_cast<unsigned char>(from[i]);
        if (b < 0x80) {
            if (ascii[b] == kKeep) ascii[b] = k;
        } else {
            other.emplace(from.substr(i, len), k);
        }
        i += len;
    }
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t len = CharLength(s, i);
        const std::string_view ch = s.substr(i, len);
        i += len;
        size_t k = kKeep;
        if (const unsigned char b = static_cast<unsigned char>(ch[0]); b < 0x80) {
            k = ascii[b];
        } else if (const auto it = other.find(ch); it != other.end()) {
            k = it->second;
        }
        if (k == kKeep)
            out.append(ch);
        else if (k < toChars.size())
            out.append(toChars[k]);
    }
    return out;
}

int32_t CodeValue(std::string_view text) {
    const std::string t = Trim(text);
    int32_t v = 0;
    for (size_t i = 0, place = 0; place < 4 && i < t.size(); ++place) {
        const size_t len = CharLength(t, i);
        if (len == 1) {
            const char* p = std::find(kAlphabet, kAlphabet + 64, t[i]);
            if (p != kAlphabet + 64) v += static_cast<int32_t>(p - kAlphabet) << (6 * (3 - place));
        }
        i += len;
    }
    return v;
}

}  // namespace sqlite_functions

namespace {

using namespace sqlite_functions;

// Connections in the order they registered; the functions serve the last.
std::vector<TQorSQLite3DB*>& Registered() {
    static std::vector<TQorSQLite3DB*> list;
    return list;
}

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

    // Beyond kMaxResultLength the result is NULL rather than an allocation
    // the engine would refuse anyway.
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
    Guarded(ctx, argv, [](Call& c) { c.ResultInt(CodeValue(c.Text(0))); });
}

TABULON_SQL_FUNCTION(ReplaceUpper) {
    Guarded(ctx, argv, [](Call& c) { c.Result(ReplaceUpperText(c.Text(0), c.Text(1), c.Text(2))); });
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
    Guarded(ctx, argv, [](Call& c) { c.ResultInt(static_cast<int32_t>(LikePosition(c.Text(0), c.Text(1)))); });
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

void PadFunction(sqlite3_context* ctx, sqlite3_value** argv, bool left) {
    Guarded(ctx, argv, [left](Call& c) {
        const auto r = PadText(c.Text(0), c.Int64(1), c.IsNull(2) ? std::string_view() : c.Text(2), left);
        if (r) c.Result(*r);
    });
}

TABULON_SQL_FUNCTION(PadLeft) { PadFunction(ctx, argv, true); }
TABULON_SQL_FUNCTION(PadRight) { PadFunction(ctx, argv, false); }

TABULON_SQL_FUNCTION(ReplaceF) {
    Guarded(ctx, argv, [](Call& c) {
        c.Result(TextReplace(c.Text(0), c.Text(1), c.Text(2)));
    });
}

TABULON_SQL_FUNCTION(Translate) {
    Guarded(ctx, argv, [](Call& c) { c.Result(TranslateText(c.Text(0), c.Text(1), c.Text(2))); });
}

TABULON_SQL_FUNCTION(Instr) {
    Guarded(ctx, argv, [](Call& c) { c.ResultInt(static_cast<int32_t>(TextPosition(c.Text(1), c.Text(0)))); });
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

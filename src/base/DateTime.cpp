#include "DateTime.h"

#include <cmath>
#include <ctime>

#include "Exception.h"
#include "FormatSettings.h"

namespace {

constexpr int64_t kDateDelta = 693594;  // days from 0001-01-01 (day 1) to 1899-12-30
constexpr int kMonthDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// The classic time stamp: the value is rounded to the millisecond as a whole,
// the day is that count divided towards zero, and the time of day is the
// remainder's magnitude (so -1.5 is 1899-12-29 12:00). False for values that
// are no date at all.
bool ToStamp(TDateTime dt, int64_t& days, int64_t& ms) {
    if (!std::isfinite(dt) || std::fabs(dt) > 1e9) {
        days = 0;
        ms = 0;
        return false;
    }
    const int64_t total = static_cast<int64_t>(std::nearbyint(dt * MSecsPerDay));
    days = total / MSecsPerDay;
    ms = (total < 0 ? -total : total) % MSecsPerDay;
    return true;
}

// Date from a day count since 1899-12-30; false before year 1.
bool DaysToDate(int64_t days, int& year, int& month, int& day, int& dow) {
    int64_t t = days + kDateDelta;  // 1 = 0001-01-01
    if (t <= 0) {
        year = month = day = 0;
        dow = 0;
        return false;
    }
    dow = static_cast<int>(t % 7);  // day 1 (0001-01-01) was a Monday; 0 = Sunday
    constexpr int64_t D1 = 365, D4 = D1 * 4 + 1, D100 = D4 * 25 - 1, D400 = D100 * 4 + 1;
    --t;
    int64_t y = 1 + (t / D400) * 400;
    t %= D400;
    int64_t i = t / D100, d = t % D100;
    if (i == 4) {
        --i;
        d += D100;
    }
    y += i * 100;
    i = d / D4;
    d %= D4;
    y += i * 4;
    i = d / D1;
    d %= D1;
    if (i == 4) {
        --i;
        d += D1;
    }
    y += i;
    year = static_cast<int>(y);
    const int* table = kMonthDays[IsLeapYear(year) ? 1 : 0];
    int m = 1;
    while (d >= table[m]) {
        d -= table[m];
        ++m;
    }
    month = m;
    day = static_cast<int>(d) + 1;
    return true;
}

struct Parts {
    int year = 0, month = 0, day = 0, dow = 0;
    int hour = 0, min = 0, sec = 0, msec = 0;
};

Parts Split(TDateTime dt) {
    Parts p;
    int64_t days, ms;
    if (ToStamp(dt, days, ms)) DaysToDate(days, p.year, p.month, p.day, p.dow);
    p.hour = static_cast<int>(ms / 3600000);
    p.min = static_cast<int>(ms / 60000 % 60);
    p.sec = static_cast<int>(ms / 1000 % 60);
    p.msec = static_cast<int>(ms % 1000);
    return p;
}

void AppendNumber(std::string& out, int v, int digits) {
    char buf[16];
    int n = 0;
    unsigned u = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    do {
        buf[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0) out.push_back('-');
    for (int i = n; i < digits; ++i) out.push_back('0');
    while (n > 0) out.push_back(buf[--n]);
}

char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsNoCase(std::string_view s, size_t at, std::string_view what) {
    if (s.size() - at < what.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (Up(s[at + i]) != Up(what[i])) return false;
    return true;
}

// The classic AppendFormat: nesting through c, ddddd, dddddd, t and tt is
// allowed one level deep, so a format that names itself cannot recurse.
void AppendFormat(std::string& out, std::string_view f, const Parts& p, int level) {
    if (level >= 2) return;
    const TFormatSettings& fs = FormatSettings();
    char lastToken = ' ';
    bool use12 = false;
    size_t i = 0;
    const size_t n = f.size();
    while (i < n) {
        const char starter = f[i++];
        char token = Up(starter);
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        auto getCount = [&] {
            int c = 1;
            while (i < n && f[i] == starter) {
                ++i;
                ++c;
            }
            return c;
        };
        switch (token) {
            case 'Y': {
                const int c = getCount();
                if (c <= 2)
                    AppendNumber(out, p.year % 100, 2);
                else
                    AppendNumber(out, p.year, 4);
                break;
            }
            case 'M': {
                const int c = getCount();
                if (c <= 2)
                    AppendNumber(out, p.month, c);
                else if (p.month >= 1 && p.month <= 12)
                    out += (c == 3 ? fs.ShortMonthNames : fs.LongMonthNames)[p.month - 1];
                break;
            }
            case 'D': {
                const int c = getCount();
                if (c <= 2)
                    AppendNumber(out, p.day, c);
                else if (c == 3)
                    out += fs.ShortDayNames[p.dow];
                else if (c == 4)
                    out += fs.LongDayNames[p.dow];
                else if (c == 5)
                    AppendFormat(out, fs.ShortDateFormat, p, level + 1);
                else
                    AppendFormat(out, fs.LongDateFormat, p, level + 1);
                break;
            }
            case 'H': {
                const int c = getCount();
                // 12-hour clock when the next a/h token ahead is am/pm, a/p or ampm.
                bool quoted = false;
                for (size_t k = i; k < n; ++k) {
                    const char ch = f[k];
                    if ((ch == 'a' || ch == 'A') && !quoted) {
                        if (StartsNoCase(f, k, "AM/PM") || StartsNoCase(f, k, "A/P") || StartsNoCase(f, k, "AMPM"))
                            use12 = true;
                        break;
                    }
                    if (ch == 'h' || ch == 'H') break;
                    if (ch == '\'' || ch == '"') quoted = !quoted;
                }
                int h = p.hour;
                if (use12) {
                    if (h == 0)
                        h = 12;
                    else if (h > 12)
                        h -= 12;
                }
                AppendNumber(out, h, c > 2 ? 2 : c);
                break;
            }
            case 'N': {
                const int c = getCount();
                AppendNumber(out, p.min, c > 2 ? 2 : c);
                break;
            }
            case 'S': {
                const int c = getCount();
                AppendNumber(out, p.sec, c > 2 ? 2 : c);
                break;
            }
            case 'Z': {
                const int c = getCount();
                AppendNumber(out, p.msec, c > 3 ? 3 : c);
                break;
            }
            case 'T': {
                const int c = getCount();
                AppendFormat(out, c == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, level + 1);
                break;
            }
            case 'C': {
                getCount();
                AppendFormat(out, fs.ShortDateFormat, p, level + 1);
                if (p.hour != 0 || p.min != 0 || p.sec != 0 || p.msec != 0) {
                    out.push_back(' ');
                    AppendFormat(out, fs.LongTimeFormat, p, level + 1);
                }
                break;
            }
            case 'A': {
                const size_t at = i - 1;
                if (StartsNoCase(f, at, "AM/PM")) {
                    out.append(f.substr(at + (p.hour >= 12 ? 3 : 0), 2));
                    i = at + 5;
                    use12 = true;
                } else if (StartsNoCase(f, at, "A/P")) {
                    out.push_back(f[at + (p.hour >= 12 ? 2 : 0)]);
                    i = at + 3;
                    use12 = true;
                } else if (StartsNoCase(f, at, "AMPM")) {
                    out += p.hour < 12 ? fs.TimeAMString : fs.TimePMString;
                    i = at + 4;
                    use12 = true;
                } else if (StartsNoCase(f, at, "AAAA")) {
                    out += fs.LongDayNames[p.dow];
                    i = at + 4;
                } else if (StartsNoCase(f, at, "AAA")) {
                    out += fs.ShortDayNames[p.dow];
                    i = at + 3;
                } else {
                    out.push_back(starter);
                }
                break;
            }
            case '/':
                if (fs.DateSeparator != '\0') out.push_back(fs.DateSeparator);
                break;
            case ':':
                if (fs.TimeSeparator != '\0') out.push_back(fs.TimeSeparator);
                break;
            case '\'':
            case '"': {
                const size_t start = i;
                while (i < n && f[i] != starter) ++i;
                out.append(f.substr(start, i - start));
                if (i < n) ++i;
                break;
            }
            default:
                out.push_back(starter);
                break;
        }
    }
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const int* table = kMonthDays[IsLeapYear(year) ? 1 : 0];
    if (day > table[month]) return false;
    int64_t doy = day;
    for (int m = 1; m < month; ++m) doy += table[m];
    const int64_t y = year - 1;
    out = static_cast<TDateTime>(y * 365 + y / 4 - y / 100 + y / 400 + doy - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out) {
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    out = static_cast<TDateTime>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    const Parts p = Split(dt);
    year = p.year;
    month = p.month;
    day = p.day;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    const Parts p = Split(dt);
    hour = p.hour;
    min = p.min;
    sec = p.sec;
    msec = p.msec;
}

int DayOfWeek(TDateTime dt) { return Split(dt).dow + 1; }

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const time_t secs = ts.tv_sec;
    tm lt{};
    localtime_r(&secs, &lt);
    TDateTime d = 0, t = 0;
    TryEncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, d);
    TryEncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec > 59 ? 59 : lt.tm_sec, static_cast<int>(ts.tv_nsec / 1000000), t);
    return d + t;
}

TDateTime Date() { return std::floor(Now()); }

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    const Parts p = Split(dt);
    std::string out;
    out.reserve(24);
    AppendFormat(out, format.empty() ? std::string_view("c") : format, p, 0);
    return out;
}

std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }
std::string DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }
std::string TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }

namespace {

struct Scanner {
    std::string_view s;
    size_t i = 0;

    bool AtEnd() const { return i >= s.size(); }
    void SkipBlanks() {
        while (i < s.size() && static_cast<unsigned char>(s[i]) <= 32) ++i;
    }
    // Up to 9 digits; the number of digits read goes to len.
    bool Number(int& v, int& len) {
        v = 0;
        len = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (len == 9) return false;
            v = v * 10 + (s[i++] - '0');
            ++len;
        }
        return len > 0;
    }
    bool Char(char c) {
        if (c != '\0' && i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
};

int CurrentYear() {
    int y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool ScanDate(Scanner& sc, TDateTime& out) {
    const TFormatSettings& fs = FormatSettings();
    const size_t save = sc.i;
    auto sep = [&] { return sc.Char(fs.DateSeparator) || sc.Char('-') || sc.Char('/'); };
    int n[3], len[3], count = 0;
    if (!sc.Number(n[0], len[0])) return false;
    count = 1;
    while (count < 3) {
        const size_t before = sc.i;
        if (!sep()) break;
        if (!sc.Number(n[count], len[count])) {
            sc.i = before;
            break;
        }
        ++count;
    }
    if (count < 2) {
        sc.i = save;
        return false;
    }
    char order = 'D';
    for (char c : fs.ShortDateFormat) {
        const char u = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        if (u == 'D' || u == 'M' || u == 'Y') {
            order = u;
            break;
        }
    }
    int y, m, d, ylen = 4;
    if (count == 3 && len[0] >= 3) order = 'Y';
    if (count == 2) {
        y = CurrentYear();
        if (order == 'D') {
            d = n[0];
            m = n[1];
        } else {
            m = n[0];
            d = n[1];
        }
    } else if (order == 'Y') {
        y = n[0], ylen = len[0], m = n[1], d = n[2];
    } else if (order == 'M') {
        m = n[0], d = n[1], y = n[2], ylen = len[2];
    } else {
        d = n[0], m = n[1], y = n[2], ylen = len[2];
    }
    if (count == 3 && y <= 99 && ylen <= 2) {
        const int base = CurrentYear() - 50;
        y += base / 100 * 100;
        if (y < base) y += 100;
    }
    if (!TryEncodeDate(y, m, d, out)) {
        sc.i = save;
        return false;
    }
    return true;
}

bool ScanTime(Scanner& sc, TDateTime& out) {
    const TFormatSettings& fs = FormatSettings();
    const size_t save = sc.i;
    auto fail = [&] {
        sc.i = save;
        return false;
    };
    auto sep = [&] { return sc.Char(fs.TimeSeparator) || sc.Char(':'); };
    int h, m = 0, s = 0, ms = 0, len;
    if (!sc.Number(h, len)) return fail();
    bool haveMin = false;
    if (sep()) {
        if (!sc.Number(m, len)) return fail();
        haveMin = true;
        if (sep()) {
            if (!sc.Number(s, len)) return fail();
            if (sc.Char(fs.DecimalSeparator) || sc.Char('.')) {
                if (!sc.Number(ms, len) || len > 3) return fail();
                for (int k = len; k < 3; ++k) ms *= 10;
            }
        }
    }
    const size_t beforeAmPm = sc.i;
    sc.SkipBlanks();
    int ampm = 0;  // 1 = AM, 2 = PM
    auto word = [&](std::string_view w) {
        if (w.empty() || sc.s.size() - sc.i < w.size()) return false;
        for (size_t k = 0; k < w.size(); ++k) {
            char a = sc.s[sc.i + k], b = w[k];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
            if (a != b) return false;
        }
        sc.i += w.size();
        return true;
    };
    if (word(fs.TimeAMString) || word("AM"))
        ampm = 1;
    else if (word(fs.TimePMString) || word("PM"))
        ampm = 2;
    else
        sc.i = beforeAmPm;
    if (!haveMin && ampm == 0) return fail();
    if (ampm != 0) {
        if (h < 1 || h > 12) return fail();
        if (ampm == 1 && h == 12) h = 0;
        if (ampm == 2 && h != 12) h += 12;
    }
    if (!TryEncodeTime(h, m, s, ms, out)) return fail();
    return true;
}

}  // namespace

bool TryStrToDate(std::string_view s, TDateTime& out) {
    Scanner sc{s};
    sc.SkipBlanks();
    TDateTime d;
    if (!ScanDate(sc, d)) return false;
    sc.SkipBlanks();
    if (!sc.AtEnd()) return false;
    out = d;
    return true;
}

bool TryStrToTime(std::string_view s, TDateTime& out) {
    Scanner sc{s};
    sc.SkipBlanks();
    TDateTime t;
    if (!ScanTime(sc, t)) return false;
    sc.SkipBlanks();
    if (!sc.AtEnd()) return false;
    out = t;
    return true;
}

bool TryStrToDateTime(std::string_view s, TDateTime& out) {
    Scanner sc{s};
    sc.SkipBlanks();
    TDateTime d = 0, t = 0;
    if (ScanDate(sc, d)) {
        const size_t afterDate = sc.i;
        sc.SkipBlanks();
        if (sc.AtEnd()) {
            out = d;
            return true;
        }
        if (sc.i == afterDate && !sc.Char('T')) return false;
        if (!ScanTime(sc, t)) return false;
    } else if (!ScanTime(sc, t)) {
        return false;
    }
    sc.SkipBlanks();
    if (!sc.AtEnd()) return false;
    out = ComposeDateTime(d, t);
    return true;
}

TDateTime StrToDate(std::string_view s) {
    TDateTime r;
    if (!TryStrToDate(s, r)) throw EConvertError("'" + std::string(s) + "' is not a valid date");
    return r;
}

TDateTime StrToTime(std::string_view s) {
    TDateTime r;
    if (!TryStrToTime(s, r)) throw EConvertError("'" + std::string(s) + "' is not a valid time");
    return r;
}

TDateTime StrToDateTime(std::string_view s) {
    TDateTime r;
    if (!TryStrToDateTime(s, r)) throw EConvertError("'" + std::string(s) + "' is not a valid date and time");
    return r;
}

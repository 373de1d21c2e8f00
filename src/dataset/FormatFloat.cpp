#include "FormatFloat.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/FormatSettings.h"
#include "base/NumberText.h"

namespace {

std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> out;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            out.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(format.substr(start));
    return out;
}

// |value| rounded half away from zero to `decimals` places, from its 18
// significant decimal digits: integer digits and exactly `decimals` fraction
// digits.
void RoundDecimal(double a, int decimals, std::string& intPart, std::string& fracPart) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", a);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exp = *p == 'e' ? std::atoi(p + 1) : 0;
    int point = exp + 1;  // digits before the decimal point
    // Pad so that every position up to the rounding digit exists.
    if (point < 0) {
        digits.insert(0, static_cast<size_t>(-point), '0');
        point = 0;
    }
    size_t keep = static_cast<size_t>(point + decimals);
    if (digits.size() <= keep) digits.append(keep + 1 - digits.size(), '0');
    bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (up) {
        size_t i = digits.size();
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                break;
            }
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
        if (digits.empty()) {
            digits.assign(1, '1');
            ++point;
        }
    }
    intPart = digits.substr(0, static_cast<size_t>(point));
    fracPart = digits.substr(static_cast<size_t>(point));
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "" : intPart.substr(nz);
}

struct Section {
    std::string prefix, suffix;
    int intZeros = 0;       // '0' placeholders before the point
    int fracZeros = 0;      // fraction digits always shown
    int fracDigits = 0;     // fraction digits at most
    bool thousands = false;
    bool scientific = false;
    bool expPlusSign = false;
    int expDigits = 0;
    bool hasPlaceholder = false;
};

Section Parse(std::string_view f) {
    Section s;
    bool afterPoint = false, seenDigit = false;
    char quote = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        std::string& lit = seenDigit ? s.suffix : s.prefix;
        if (quote) {
            if (c == quote) quote = 0;
            else lit += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-') &&
                   seenDigit) {
            s.scientific = true;
            s.expPlusSign = f[i + 1] == '+';
            i += 2;
            while (i < f.size() && f[i] == '0') {
                ++s.expDigits;
                ++i;
            }
            --i;
        } else if (c == '0' || c == '#') {
            seenDigit = true;
            s.hasPlaceholder = true;
            if (afterPoint) {
                ++s.fracDigits;
                if (c == '0') s.fracZeros = s.fracDigits;
            } else if (c == '0') {
                ++s.intZeros;
            }
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
            seenDigit = true;
        } else if (c == ',') {
            s.thousands = true;
        } else {
            lit += c;
        }
    }
    return s;
}

std::string Group(const std::string& digits, char sep) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += sep;
        out += digits[static_cast<size_t>(i)];
    }
    return out;
}

std::string Apply(const Section& s, double a, bool negative) {
    const TFormatSettings& fs = FormatSettings();
    std::string intPart, fracPart, expText;
    if (s.scientific) {
        int intDigits = s.intZeros > 0 ? s.intZeros : 1;
        int exp = 0;
        if (a != 0) {
            exp = static_cast<int>(std::floor(std::log10(a))) - (intDigits - 1);
            RoundDecimal(a / std::pow(10.0, exp), s.fracDigits, intPart, fracPart);
            if (static_cast<int>(intPart.size()) > intDigits) {  // 9.99 -> 10.0
                ++exp;
                RoundDecimal(a / std::pow(10.0, exp), s.fracDigits, intPart, fracPart);
            }
        } else {
            RoundDecimal(0, s.fracDigits, intPart, fracPart);
        }
        std::string e = std::to_string(std::abs(exp));
        if (static_cast<int>(e.size()) < s.expDigits) e.insert(0, s.expDigits - e.size(), '0');
        expText = std::string("E") + (exp < 0 ? "-" : (s.expPlusSign ? "+" : "")) + e;
    } else {
        RoundDecimal(a, s.fracDigits, intPart, fracPart);
    }
    while (static_cast<int>(fracPart.size()) > s.fracZeros && !fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    if (static_cast<int>(intPart.size()) < s.intZeros)
        intPart.insert(0, static_cast<size_t>(s.intZeros) - intPart.size(), '0');
    bool zero = intPart.find_first_not_of('0') == std::string::npos &&
                fracPart.find_first_not_of('0') == std::string::npos;
    if (s.thousands) intPart = Group(intPart, fs.ThousandSeparator);
    std::string out = s.prefix;
    if (negative && !zero) out += '-';
    out += intPart;
    if (!fracPart.empty()) {
        out += fs.DecimalSeparator;
        out += fracPart;
    }
    out += expText;
    out += s.suffix;
    return out;
}

}  // namespace

std::string FormatFloat(std::string_view format, double value) {
    if (format.empty() || std::isnan(value) || std::isinf(value)) return FloatToStr(value);
    std::vector<std::string_view> sections = SplitSections(format);
    std::string_view chosen = sections[0];
    bool signInText = true;
    if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
        chosen = sections[1];
        signInText = false;  // the negative section writes its own sign
    }
    Section s = Parse(chosen);
    if (value == 0 && sections.size() > 2 && !sections[2].empty()) s = Parse(sections[2]);
    if (!s.hasPlaceholder) return s.prefix + s.suffix;
    return Apply(s, std::fabs(value), value < 0 && signInText);
}

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// 15 significant digits as the classic runtime prints them: 0.1 -> "0.1",
// 1/3 -> "0.333333333333333", 1e20 -> "1E20", 1e-5 -> "1E-5"; the decimal
// separator is the process one; NaN -> "NAN", infinities -> "INF", "-INF".
// Fixed notation while the rounded value is at least 0.0001 and has at most
// 15 integer digits (0.0001 -> "0.0001", 123456789012345 stays whole, 1e15
// -> "1E15"); otherwise "d.dddE[-]x" without '+' or leading exponent zeros.
std::string FloatToStr(double v);
// Fixed notation with `decimals` decimals, no thousands separators.
std::string FloatToStrF(double v, int decimals);

// Decimal numbers with an optional exponent, surrounding blanks allowed; the
// process decimal separator is the decimal point. Throw EConvertError
// ("'x' is not a valid floating point value") on anything else.
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& out);

// Decimal, or hexadecimal after "$" or "0x"; an optional sign; surrounding
// blanks are not allowed. Out of range or malformed: EConvertError
// ("'x' is not a valid integer value"), or the default.
int32_t StrToInt(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);
bool TryStrToInt(std::string_view s, int32_t& out);
int64_t StrToInt64(std::string_view s);
int64_t StrToInt64Def(std::string_view s, int64_t def);
bool TryStrToInt64(std::string_view s, int64_t& out);

#pragma once
#include <string>
#include <string_view>

// The classic FormatFloat: "0" digit, "#" optional digit, "." decimal point,
// "," thousands grouping, "E+00"/"E-00" scientific notation, quoted text
// ("..." or '...') and other characters as literals, up to three sections
// "positive;negative;zero". Rounds half away from zero on the decimal
// digits; an empty format gives FloatToStr's text. Uses the process decimal
// and thousands separators. Literals between digit placeholders are written
// after the number.
std::string FormatFloat(std::string_view format, double value);

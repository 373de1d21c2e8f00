#pragma once
#include <cstdint>
#include <string>

// Fixed-point money: a 64-bit integer holding the value times 10000.
struct Currency {
    int64_t scaled = 0;

    static Currency FromScaled(int64_t v) { return Currency{v}; }
    // Rounds half away from zero to four decimals; throws EConvertError when
    // the value does not fit.
    static Currency FromDouble(double v);
    double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
    // Shortest text with up to four decimals and the process decimal separator
    // ("12.5", "-0.0001", "3").
    std::string ToString() const;

    friend bool operator==(Currency a, Currency b) = default;
    friend auto operator<=>(Currency a, Currency b) = default;
};

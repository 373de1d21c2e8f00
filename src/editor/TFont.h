#pragma once
#include <cstdint>
#include <string>

#include "TColor.h"

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
// A set of TFontStyle bits; 0 is the empty set.
using TFontStyles = uint8_t;

// The attributes of a font as the text model keeps them; the control turns
// them into a real font when it draws.
struct TFont {
    std::string Name = "Courier New";
    int Size = 10;
    TFontStyles Style = 0;
    TColor Color = clWindowText;

    bool operator==(const TFont&) const = default;
};

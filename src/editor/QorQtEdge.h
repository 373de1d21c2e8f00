#pragma once
// Where the controls meet Qt: colours, fonts and text. Inside, text is
// Windows-1251 bytes; Qt sees Unicode only here.
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <string>
#include <string_view>

#include "TColor.h"
#include "base/QtText.h"
#include "TFont.h"

// System colours that only the controls need.
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clBtnHighlight = clSystemColor | 20;

// Fixed colours are 0x00BBGGRR; system colours come from the palette.
QColor ToQColor(TColor c, const QPalette& palette);
// A fixed-pitch font; a name the machine lacks is substituted by fontconfig.
QFont ToQFont(const TFont& f);

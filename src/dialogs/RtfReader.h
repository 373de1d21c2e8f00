#pragma once
// Reads RTF into the viewer's formatting: the subset RtfWriter writes and
// what word processors write for it (font tables, \plain, \pard, \u with
// \uc, \'hh in the document's code page, bullets as \pn or list tables).
// Everything else is skipped; malformed input never fails: unbalanced
// groups, cut files and absurd numbers are read as far as they make sense.
#include <string_view>

#include "dialogs/RtfDocument.h"

// True when the bytes begin as an RTF file does ("{\rtf").
bool LooksLikeRtf(std::string_view bytes);

RtfDocument ReadRtf(std::string_view rtf);

#pragma once
// Writes the viewer's formatting as RTF that word processors read: a font
// table, paragraphs with \ql \qc \qr \qj, \li \ri \fi and bullets in the
// \pn form, runs with \b \i \ul \f \fs; characters beyond ASCII as \u.
#include <string>

#include "dialogs/RtfDocument.h"

std::string WriteRtf(const RtfDocument& doc);

#pragma once
// Between Qt's rich text and the viewer's RTF formatting: what the viewer's
// menu and ruler set (bold, italic, underline, font family and size,
// alignment, indents, bullets) crosses both ways; everything else stays
// behind.
#include "dialogs/RtfDocument.h"

class QTextDocument;

RtfDocument DocumentToRtf(const QTextDocument& doc);
// Replaces the document's content.
void RtfToDocument(const RtfDocument& rtf, QTextDocument& doc);

// Qt measures indents in pixels of 1/96 inch, RTF in twips.
inline constexpr double kTwipsPerPixel = 15.0;

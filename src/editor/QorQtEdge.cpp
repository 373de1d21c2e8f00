#include "QorQtEdge.h"

QColor ToQColor(TColor c, const QPalette& palette) {
    switch (c) {
        case clWindow: return palette.color(QPalette::Base);
        case clWindowText: return palette.color(QPalette::Text);
        case clHighlight: return palette.color(QPalette::Highlight);
        case clHighlightText: return palette.color(QPalette::HighlightedText);
        case clBtnFace: return palette.color(QPalette::Button);
        case clBtnShadow: return palette.color(QPalette::Dark);
        case clBtnHighlight: return palette.color(QPalette::Light);
        case clBackground: return QColor(0x00, 0x80, 0x80);
        default: break;
    }
    if (c & clSystemColor) return palette.color(QPalette::Text);
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QFont ToQFont(const TFont& f) {
    QFont q(QString::fromStdString(f.Name));
    q.setStyleHint(QFont::TypeWriter);
    q.setFixedPitch(true);
    q.setPointSize(f.Size > 0 ? f.Size : 10);
    q.setBold(f.Style & fsBold);
    q.setItalic(f.Style & fsItalic);
    q.setUnderline(f.Style & fsUnderline);
    q.setStrikeOut(f.Style & fsStrikeOut);
    return q;
}

#include "dialogs/RtfTextDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

#include "base/QtText.h"

namespace {

RtfAlignment FromQt(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return RtfAlignment::Center;
    if (a & Qt::AlignJustify) return RtfAlignment::Justify;
    if (a & (Qt::AlignRight | Qt::AlignTrailing)) return RtfAlignment::Right;
    return RtfAlignment::Left;
}

Qt::Alignment ToQt(RtfAlignment a) {
    switch (a) {
        case RtfAlignment::Center: return Qt::AlignHCenter;
        case RtfAlignment::Right: return Qt::AlignRight;
        case RtfAlignment::Justify: return Qt::AlignJustify;
        default: return Qt::AlignLeft;
    }
}

int ToTwips(qreal px) { return static_cast<int>(std::lround(px * kTwipsPerPixel)); }
qreal ToPixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace

RtfDocument DocumentToRtf(const QTextDocument& doc) {
    RtfDocument out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        RtfParagraph p;
        const QTextBlockFormat bf = block.blockFormat();
        p.alignment = FromQt(bf.alignment());
        p.leftIndent = ToTwips(bf.leftMargin());
        p.rightIndent = ToTwips(bf.rightMargin());
        p.firstIndent = ToTwips(bf.textIndent());
        p.bullet = block.textList() != nullptr;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            QString text = f.text();
            text.replace(QChar::LineSeparator, QChar('\n'));
            text.remove(QChar::ObjectReplacementCharacter);
            if (text.isEmpty()) continue;
            const QTextCharFormat cf = f.charFormat();
            RtfRun r;
            r.text = QStringToAnsi(text);
            r.bold = cf.fontWeight() > QFont::Normal;
            r.italic = cf.fontItalic();
            r.underline = cf.fontUnderline();
            const QStringList families = cf.fontFamilies().toStringList();
            if (!families.isEmpty()) r.font = QStringToAnsi(families.first());
            if (cf.fontPointSize() > 0) r.halfPoints = static_cast<int>(std::lround(cf.fontPointSize() * 2));
            if (!p.runs.empty() && p.runs.back().SameFormat(r))
                p.runs.back().text += r.text;
            else
                p.runs.push_back(std::move(r));
        }
        out.paragraphs.push_back(std::move(p));
    }
    return out;
}

void RtfToDocument(const RtfDocument& rtf, QTextDocument& doc) {
    doc.clear();
    QTextCursor c(&doc);
    c.beginEditBlock();
    QTextList* list = nullptr;
    for (size_t i = 0; i < rtf.paragraphs.size(); ++i) {
        const RtfParagraph& p = rtf.paragraphs[i];
        QTextBlockFormat bf;
        bf.setAlignment(ToQt(p.alignment));
        bf.setLeftMargin(ToPixels(p.leftIndent));
        bf.setRightMargin(ToPixels(p.rightIndent));
        bf.setTextIndent(ToPixels(p.firstIndent));
        if (i == 0)
            c.setBlockFormat(bf);
        else
            c.insertBlock(bf, QTextCharFormat());
        if (p.bullet) {
            // Neighbouring bullets make one list.
            if (list)
                list->add(c.block());
            else
                list = c.createList(QTextListFormat::ListDisc);
        } else {
            list = nullptr;
        }
        for (const RtfRun& r : p.runs) {
            QTextCharFormat cf;
            cf.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
            cf.setFontItalic(r.italic);
            cf.setFontUnderline(r.underline);
            if (!r.font.empty()) cf.setFontFamilies({AnsiToQString(r.font)});
            if (r.halfPoints > 0) cf.setFontPointSize(r.halfPoints / 2.0);
            QString text = AnsiToQString(r.text);
            text.replace(QChar('\n'), QChar::LineSeparator);
            c.insertText(text, cf);
        }
    }
    c.endEditBlock();
    doc.setModified(false);
}

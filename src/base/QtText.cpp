#include "QtText.h"

#include <QList>

#include "CodePage.h"

QString AnsiToQString(std::string_view s) {
    QString out;
    out.reserve(static_cast<qsizetype>(s.size()));
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        out += u < 0x80 ? QChar(u) : QChar(static_cast<char16_t>(AnsiToUnicode(u)));
    }
    return out;
}

std::string QStringToAnsi(const QString& s) {
    std::string out;
    out.reserve(static_cast<size_t>(s.size()));
    const auto ucs4 = s.toUcs4();
    for (const char32_t u : ucs4) out += u < 0x80 ? static_cast<char>(u) : UnicodeToAnsi(u);
    return out;
}

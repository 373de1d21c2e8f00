#include "QtText.h"

#include "Utf8.h"

QString AnsiToQString(std::string_view s) {
    const std::string shown = DisplayText(s);
    return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
}

std::string QStringToAnsi(const QString& s) { return s.toStdString(); }

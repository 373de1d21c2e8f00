#pragma once
#include <string>
#include <string_view>

// Text placed into the XML and HTML exports (UTF-8 in, UTF-8 out).

// & < > " become entities; with `lineBreaks` each line break (LF, CR LF or CR) becomes "<br/>". Control
// characters that XML does not allow in a document become '?'.
std::string MarkupEscape(std::string_view text, bool lineBreaks);

// A column name usable as an XML element name: each character that may not
// stand in a name becomes '_', and a name that may not start with its first
// character gets a leading '_'. Letters of every script may stand in a name. Valid names come back unchanged.
std::string XmlElementName(std::string_view name);

#pragma once
// Plug-in parameter files: plain text lines "KEY = value", '#' beginning a
// comment. Read and written for plug-ins through the host callbacks
// "LoadInitOrcl" and "SaveInitOrcl".
#include <optional>
#include <string>
#include <string_view>

// The value of key: the first line (tabs taken as blanks, trimmed,
// upper-cased, "##" read as "#") that does not begin with '#' and holds the
// upper-cased, trimmed key before any '#'; the text after the key with the
// first '=' taken as a blank, trimmed. wholeLine gives all of it, otherwise
// its first word. Empty when the file, the key or the line is missing.
std::string LoadInitOrcl(const std::string& fileName, std::string_view key, bool wholeLine);

// Writes "key = value" (+ "    #comment") into the file. The first line
// that LoadInitOrcl would read for key is kept as "# <line>    # Old Value"
// below the new one; without such a line the new one is appended (a
// missing file is created). Line breaks inside key, value or comment become
// blanks, so that one call writes one line. The file is written UTF-8 with
// LF and replaced only once complete. False when the key is empty or the
// file cannot be read or written.
bool SaveInitOrcl(const std::string& fileName, std::string_view key, std::string_view value,
                  const std::optional<std::string>& comment);


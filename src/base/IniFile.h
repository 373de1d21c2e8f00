#pragma once
#include <string>
#include <string_view>
#include <vector>

// INI files with the classic profile functions' rules: "[Section]" lines,
// "key=value" lines, section and key names compared without letter case,
// blanks around names and values trimmed, ';' lines are comments, the first
// occurrence wins. Missing file, section or key gives the default.
std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view def);
// Creates the file or section when needed, replaces the key's value in place
// or appends it to its section. False on failure.
bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value);
// Keys of a section in file order.
std::vector<std::string> IniReadKeys(const std::string& file, std::string_view section);

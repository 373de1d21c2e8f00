#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The per-user settings store, addressed by registry-style path strings:
// "HKCU\Software\QorTabulon\Prompt" is root HKCU, key Software\QorTabulon,
// value Prompt. Each root prefix ("HKCR\", "HKCU\", "HKLM\") selects its own
// file under $XDG_CONFIG_HOME/tabulon/ (default ~/.config/tabulon/). Value
// and key names compare without letter case. Writes replace the file
// atomically. Failures fall back to the default on reading and are ignored
// on writing; an unknown root prefix reads the default and writes nothing.
std::string ReadString(std::string_view path, std::string_view def);
int32_t ReadInteger(std::string_view path, int32_t def);
void WriteString(std::string_view path, std::string_view text);
void WriteInteger(std::string_view path, int32_t n);

// Booleans are the strings "Y" and "N"; exactly "Y" reads as true.
bool ReadBool(std::string_view path, bool def);
void WriteBool(std::string_view path, bool v);

// While one of these lives, writes go to memory and each touched file is
// written once when the last batch ends (closing the window stores some
// sixty values; one atomic replace instead of sixty).
class SettingsWriteBatch {
public:
    SettingsWriteBatch();
    ~SettingsWriteBatch();
    SettingsWriteBatch(const SettingsWriteBatch&) = delete;
    SettingsWriteBatch& operator=(const SettingsWriteBatch&) = delete;
};

// The file that holds the settings of the root a path begins with
// ("HKCU\Software\X" -> $XDG_CONFIG_HOME/tabulon/HKCU.conf);
// empty for an unknown root. For tests and diagnostics.
std::string SettingsFilePath(std::string_view path);

#pragma once
#include <string>
#include <string_view>

// The temporary folder with a trailing '/': $TMPDIR, else "/tmp/".
std::string TempPath();
// One line on standard error, only when TABULON_DEBUG is set.
void OutputDebugString(std::string_view text);
// The process's current directory, without a trailing '/'.
std::string CurrentDir();
// Paths are UTF-8 bytes, as the file system names them.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The whole file, byte for byte; false (errno set) when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& out);
// Creates or replaces the file with exactly these bytes, through a temporary
// file beside it, so a crash or a full disk midway leaves the older file (an
// existing file keeps its permissions). False (errno set) on failure.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// The folder of the running program, with a trailing '/'.
std::string ProgramDir();
// A file the program ships (manual, language file): beside the program, as
// in the build folder, else in ../share/tabulon/ of an installed program;
// the path beside the program when neither exists.
std::string ProgramDataFile(std::string_view name);
// The running program's file name without folder and extension.
std::string ProgramBaseName();

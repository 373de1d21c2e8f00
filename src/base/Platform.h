#pragma once
#include <string>
#include <string_view>

// The temporary folder with a trailing '/': $TMPDIR, else "/tmp/".
std::string TempPath();
// One line on standard error, only when TABULON_DEBUG is set.
void OutputDebugString(std::string_view text);
// The process's current directory, without a trailing '/'.
std::string CurrentDir();
// File names inside the program are ANSI (Windows-1251) bytes like all its
// text; the file system's names are UTF-8. A path crosses that edge here:
// NativePath gives the bytes for a system call (ASCII and valid UTF-8 pass
// unchanged, so a name typed in a UTF-8 script or given on the command line
// still opens; anything else is read as ANSI). ProgramPath turns a system
// name into the program's text where every character has an ANSI byte, and
// keeps the UTF-8 bytes otherwise, so that NativePath gives the name back.
// Both work name by name between the slashes.
std::string NativePath(std::string_view path);
std::string ProgramPath(std::string_view native);

// The file functions below take program paths (NativePath is applied).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The whole file, byte for byte; false (errno set) when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& out);
// The folder of the running program, with a trailing '/'.
std::string ProgramDir();
// The running program's file name without folder and extension.
std::string ProgramBaseName();

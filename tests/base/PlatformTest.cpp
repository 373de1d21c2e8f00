#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "base/CodePage.h"
#include "base/DynamicLibrary.h"
#include "base/Platform.h"

TEST(DynamicLibrary, WindowsEngineNameMapsToTheSystemLibrary) {
    DynamicLibrary lib;
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Symbol("sqlite3_libversion"), nullptr);
    ASSERT_TRUE(lib.Load("sqlite3.DLL")) << lib.LastError();  // compared without case
    EXPECT_TRUE(lib.IsLoaded());
    using Version = const char* (*)();
    auto version = reinterpret_cast<Version>(lib.Symbol("sqlite3_libversion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version()[0], '3');
    EXPECT_EQ(lib.Symbol("no_such_entry_point"), nullptr);
    lib.Unload();
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Symbol("sqlite3_libversion"), nullptr);
    EXPECT_TRUE(lib.Load("SQLite3.dll"));
}

TEST(DynamicLibrary, OtherNamesGoToTheLoaderAsWritten) {
    DynamicLibrary lib;
    EXPECT_FALSE(lib.Load("/no/such/library.so"));
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_NE(lib.LastError().find("library.so"), std::string::npos) << lib.LastError();
    EXPECT_FALSE(lib.Load(""));
    EXPECT_FALSE(lib.LastError().empty());
    EXPECT_FALSE(lib.Load("SQLite3.dl"));  // only the exact Windows name is mapped
    ASSERT_TRUE(lib.Load("libm.so.6")) << lib.LastError();
    EXPECT_NE(lib.Symbol("cos"), nullptr);
    EXPECT_TRUE(lib.LastError().empty());
    // Loading another file replaces the first.
    ASSERT_TRUE(lib.Load("libsqlite3.so.0"));
    EXPECT_NE(lib.Symbol("sqlite3_open"), nullptr);
}

TEST(Platform, TempPathEndsWithSlash) {
    TempDir t;
    t.SetEnv("TMPDIR", "/var/x");
    EXPECT_EQ(TempPath(), "/var/x/");
    t.SetEnv("TMPDIR", "/var/y/");
    EXPECT_EQ(TempPath(), "/var/y/");
    t.SetEnv("TMPDIR", "");
    EXPECT_EQ(TempPath(), "/tmp/");
    t.SetEnv("TMPDIR", nullptr);
    EXPECT_EQ(TempPath(), "/tmp/");
}

TEST(Platform, DebugOutputOnlyWhenAsked) {
    TempDir t;
    t.SetEnv("TABULON_DEBUG", nullptr);
    testing::internal::CaptureStderr();
    OutputDebugString("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    t.SetEnv("TABULON_DEBUG", "1");
    testing::internal::CaptureStderr();
    OutputDebugString("Load library SQLite3.dll");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Load library SQLite3.dll\n");
}

TEST(Platform, FilesAndFolders) {
    TempDir t;
    const std::string file = t / "a.txt";
    std::ofstream(file) << "x";
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(t.Path()));  // a folder is no file
    EXPECT_FALSE(FileExists(t / "missing"));
    EXPECT_FALSE(FileExists(""));
    std::filesystem::create_symlink(file, t / "link");
    EXPECT_TRUE(FileExists(t / "link"));

    const std::string before = CurrentDir();
    ASSERT_EQ(::chdir(t.Path().c_str()), 0);
    EXPECT_EQ(CurrentDir(), std::filesystem::canonical(t.Path()).string());
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(CurrentDir(), "/");
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_NE(CurrentDir().back(), '/');

    const std::string dir = ProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(ProgramBaseName(), "base_tests");
    EXPECT_TRUE(FileExists(dir + ProgramBaseName()));
}

TEST(Platform, PathsCrossToTheFileSystemAsUtf8) {
    const std::string utf8 = "/tmp/\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.sql";  // "отчёт"
    const std::string ansi = "/tmp/\xEE\xF2\xF7\xB8\xF2.sql";                     // the same in Windows-1251
    EXPECT_EQ(NativePath(ansi), utf8);
    EXPECT_EQ(NativePath(utf8), utf8);  // a name typed in a UTF-8 script is used as it is
    EXPECT_EQ(NativePath("/tmp/plain.sql"), "/tmp/plain.sql");
    EXPECT_EQ(ProgramPath(utf8), ansi);
    EXPECT_EQ(NativePath(ProgramPath(utf8)), utf8);
    // A character the ANSI code page lacks keeps the UTF-8 name whole.
    const std::string han = "/tmp/\xE6\xBC\xA2.db";
    EXPECT_EQ(ProgramPath(han), han);
    EXPECT_EQ(NativePath(ProgramPath(han)), han);
    // "Рё" is D0 B8 in ANSI, which is also UTF-8 for another letter: kept as UTF-8.
    EXPECT_EQ(ProgramPath("\xD0\xA0\xD1\x91"), "\xD0\xA0\xD1\x91");
    // A folder kept as UTF-8 joined with an ANSI name: each name converts on its own.
    EXPECT_EQ(ProgramPath(han + utf8), han + ansi);
    EXPECT_EQ(NativePath(han + ansi), han + utf8);
    // Bytes that are no UTF-8 at all: read as ANSI on the way out, kept on the way in.
    EXPECT_EQ(NativePath(std::string("\xC0\xC1")), "\xD0\x90\xD0\x91");
    EXPECT_EQ(ProgramPath(std::string("\xFF\xFE")), "\xFF\xFE");
    EXPECT_EQ(NativePath(std::string("\xED\xA0\x80")), AnsiToUtf8Text("\xED\xA0\x80"));  // a surrogate is no UTF-8

    TempDir t;
    const std::string dir = t / "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "папка"
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/a.txt") << "bytes";
    const std::string programDir = ProgramPath(dir);
    EXPECT_NE(programDir, dir);
    EXPECT_TRUE(DirectoryExists(programDir));
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(DirectoryExists(programDir + "/a.txt"));
    EXPECT_TRUE(FileExists(programDir + "/a.txt"));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(programDir + "/a.txt", text));
    EXPECT_EQ(text, "bytes");
}

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
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

TEST(Platform, FileNamesAreTheFileSystemsOwnBytes) {
    TempDir t;
    const std::string dir = t / "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "папка"
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/a.txt") << "bytes";
    const std::string programDir = dir;
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(DirectoryExists(t / "\xEF\xE0\xEF\xEA\xE0"));  // the same name in Windows-1251 is another
    EXPECT_FALSE(DirectoryExists(programDir + "/a.txt"));
    EXPECT_TRUE(FileExists(programDir + "/a.txt"));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(programDir + "/a.txt", text));
    EXPECT_EQ(text, "bytes");
}

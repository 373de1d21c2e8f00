#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "base/DynamicLibrary.h"
#include "base/Platform.h"

// The Windows engine name maps to the system library, compared without case;
// every other name goes to the loader as written.
TEST(DynamicLibrary, WindowsEngineNameMapsToTheSystemLibrary) {
    DynamicLibrary lib;
    EXPECT_EQ(lib.Symbol("sqlite3_libversion"), nullptr);
    ASSERT_TRUE(lib.Load("sqlite3.DLL")) << lib.LastError();
    using Version = const char* (*)();
    auto version = reinterpret_cast<Version>(lib.Symbol("sqlite3_libversion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version()[0], '3');

    EXPECT_FALSE(lib.Load("/no/such/library.so"));
    EXPECT_NE(lib.LastError().find("library.so"), std::string::npos);
    EXPECT_FALSE(lib.Load("SQLite3.dl"));  // only the exact Windows name is mapped
    ASSERT_TRUE(lib.Load("libm.so.6")) << lib.LastError();
    EXPECT_NE(lib.Symbol("cos"), nullptr);
}

TEST(Platform, TempPathAndDebugOutputFollowTheEnvironment) {
    TempDir t;
    t.SetEnv("TMPDIR", "/var/x");
    EXPECT_EQ(TempPath(), "/var/x/");
    t.SetEnv("TMPDIR", "");
    EXPECT_EQ(TempPath(), "/tmp/");

    t.SetEnv("TABULON_DEBUG", nullptr);
    testing::internal::CaptureStderr();
    OutputDebugString("quiet");
    t.SetEnv("TABULON_DEBUG", "1");
    OutputDebugString("Load library SQLite3.dll");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Load library SQLite3.dll\n");
}

TEST(Platform, FilesAndFoldersByTheFileSystemsOwnBytes) {
    TempDir t;
    const std::string dir = t / "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "папка"
    std::filesystem::create_directory(dir);
    TempDir::Write(dir + "/a.txt", "bytes");
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(DirectoryExists(t / "\xEF\xE0\xEF\xEA\xE0"));  // the same name in Windows-1251 is another
    EXPECT_TRUE(FileExists(dir + "/a.txt"));
    EXPECT_FALSE(FileExists(dir));  // a folder is no file
    std::filesystem::create_symlink(dir + "/a.txt", t / "link");
    EXPECT_TRUE(FileExists(t / "link"));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(t / "link", text));
    EXPECT_EQ(text, "bytes");

    const std::string before = CurrentDir();
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    EXPECT_EQ(CurrentDir(), std::filesystem::canonical(dir).string());  // no slash at the end
    ASSERT_EQ(::chdir(before.c_str()), 0);

    const std::string program = ProgramDir();
    EXPECT_EQ(program.back(), '/');
    EXPECT_TRUE(FileExists(program + ProgramBaseName()));
    EXPECT_EQ(ProgramBaseName(), "base_tests");
}

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "base/SettingsFile.h"
#include "base/SettingsStore.h"

namespace {

// Every test points the store at its own folder.
struct Store {
    TempDir dir;
    Store() { dir.SetEnv("XDG_CONFIG_HOME", dir.Path().c_str()); }
    std::string File(const std::string& root = "HKCU") const { return dir.Path() + "/tabulon/" + root + ".conf"; }
    std::string Content() const { return TempDir::Read(File()); }
    // A new file (new inode), as another program would leave it.
    void Replace(const std::string& bytes) const {
        std::filesystem::create_directories(dir.Path() + "/tabulon");
        std::filesystem::remove(File());
        TempDir::Write(File(), bytes);
    }
};

const char* kKey = "HKCU\\Software\\QorTabulon\\";

std::string P(const std::string& name) { return kKey + name; }

}  // namespace

TEST(SettingsStore, NamesCompareWithoutCaseAndValuesReadBackWhole) {
    Store s;
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");  // reading creates nothing
    EXPECT_FALSE(std::filesystem::exists(s.File()));
    WriteString(P("StartSql"), "select 1;");
    WriteString("hkcu\\SOFTWARE\\qortabulon\\StartSQL", "select 2;");  // the same value
    EXPECT_EQ(ReadString(P("startsql"), ""), "select 2;");
    const std::string file = s.Content();
    EXPECT_NE(file.find("StartSql="), std::string::npos) << file;
    EXPECT_EQ(file.find("StartSQL"), std::string::npos) << file;
    // Cyrillic names fold too (the registry compares them without case).
    WriteInteger("HKCU\\Software\\Тест\\Имя", 7);
    EXPECT_EQ(ReadInteger("HKCU\\Software\\ТЕСТ\\имя", 0), 7);
    // Different keys hold different values of the same name.
    WriteString("HKCU\\Software\\Tabulon\\StartSql", "other");
    EXPECT_EQ(ReadString(P("StartSql"), ""), "select 2;");

    // Values of any length and content read back whole.
    std::string text;
    for (int i = 0; i < 40000; ++i) text.push_back(static_cast<char>(i % 256));
    text += "\r\nline\n[Section]\n#hash\n;semi\nname=s:value\\n\\\\  ";
    WriteString(P("SqlText"), text);
    EXPECT_EQ(ReadString(P("SqlText"), ""), text);
    WriteString(P("EnvLocal"), " ");  // a blank matters
    EXPECT_EQ(ReadString(P("EnvLocal"), "x"), " ");
    // Odd names: a blank start, '=' and '[' and a line break.
    WriteString(P(" [a=b]\nc"), "v");
    EXPECT_EQ(ReadString(P(" [A=B]\nC"), ""), "v");
    // The unnamed value of a key (path ending with a backslash).
    WriteString(kKey, "default value");
    EXPECT_EQ(ReadString(kKey, ""), "default value");

    WriteInteger(P("Neg"), -2147483647 - 1);
    EXPECT_EQ(ReadInteger(P("Neg"), 0), INT32_MIN);
    WriteString(P("LongStr"), " 25 ");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 25);
    WriteString(P("LongStr"), "99999999999");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 30000);
    WriteString(P("EchoOn"), "y");  // exactly "Y" is true
    EXPECT_FALSE(ReadBool(P("EchoOn"), true));
}

TEST(SettingsStore, RootsAndPathLimits) {
    Store s;
    for (const char* path : {"HKLM\\Software\\X\\A", "HKCR\\.sqb\\A", "HKCU\\Software\\X\\A"}) WriteString(path, path);
    for (const char* path : {"HKLM\\Software\\X\\A", "HKCR\\.sqb\\A", "HKCU\\Software\\X\\A"})
        EXPECT_EQ(ReadString(path, ""), path);
    // Unknown or malformed roots: the default, and nothing written.
    for (const char* bad : {"HKXX\\Software\\A", "HKCU/Software/A", "HKCU", "", "HKU\\Software\\A", "HKCUX\\A"}) {
        WriteString(bad, "no");
        EXPECT_EQ(ReadString(bad, "def"), "def") << bad;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(s.dir.Path() + "/tabulon"),
                            std::filesystem::directory_iterator()),
              3);
    // Paths up to 255 characters work; longer ones fail.
    std::string p255 = "HKCU\\Software\\" + std::string(255 - 16, 'k') + "\\v";
    ASSERT_EQ(p255.size(), 255u);
    WriteString(p255, "fits");
    EXPECT_EQ(ReadString(p255, ""), "fits");
    const std::string p256 = "HKCU\\Software\\" + std::string(256 - 16, 'k') + "\\v";
    WriteString(p256, "too long");
    EXPECT_EQ(ReadString(p256, "def"), "def");
    EXPECT_EQ(s.Content().find("too long"), std::string::npos);
}

TEST(SettingsStore, FileEditedOrBrokenByHand) {
    Store s;
    s.Replace(
        "garbage without structure\n"
        "[Software\\QorTabulon]\r\n"
        "Prompt=s:>> \\x20\r\n"
        "Height=i:not a number\n"
        "Page=i:1\n"
        "[Broken header\n"
        "[Software\\QorTabulon]\n"
        "Page=i:2\n"
        "Tail=s:trunc\\x4");  // truncated escape, no final line break
    EXPECT_EQ(ReadString(P("Prompt"), ""), ">>  ");
    EXPECT_EQ(ReadInteger(P("Height"), 480), 480);
    EXPECT_EQ(ReadInteger(P("Page"), 0), 2);  // the later line wins
    EXPECT_EQ(ReadString(P("Tail"), ""), "trunc\\x4");

    // Binary junk reads as "nothing stored".
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
    s.Replace(junk);
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");

    // A change by another program is seen on the next read; writing over a
    // broken file keeps what could be read and drops the rest.
    s.Replace("[Software\\QorTabulon]\nWidth=i:900\n\x01\x02\xFF=\n");
    WriteInteger(P("Height"), 500);
    EXPECT_EQ(ReadInteger(P("Width"), 0), 900);
    EXPECT_EQ(ReadInteger(P("Height"), 0), 500);
}

TEST(SettingsStore, WritesAreAtomicBatchedAndFailuresSilent) {
    Store s;
    {
        SettingsWriteBatch batch;
        for (int i = 0; i < 50; ++i) WriteInteger(P("N" + std::to_string(i)), i);
        {
            SettingsWriteBatch inner;
            WriteBool(P("C"), true);
        }
        // Readable at once, but not on disk until the outer batch ends.
        EXPECT_EQ(ReadInteger(P("N49"), 0), 49);
        EXPECT_EQ(s.Content().find("N49"), std::string::npos);
    }
    // Only the finished file is left: no temporary files beside it.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(s.dir.Path() + "/tabulon"))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"HKCU.conf"});
    const std::string text = s.Content();
    EXPECT_NE(text.find("N49=i:49"), std::string::npos);
    EXPECT_NE(text.find("C=s:Y"), std::string::npos);

    // The settings folder cannot be made (a file is in the way): writes are
    // ignored and reads give the defaults.
    TempDir other;
    TempDir::Write(other / "tabulon", "not a folder");
    s.dir.SetEnv("XDG_CONFIG_HOME", other.Path().c_str());
    WriteString(P("Prompt"), "lost");
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");

    // Without XDG_CONFIG_HOME the folder is ~/.config/tabulon.
    s.dir.SetEnv("XDG_CONFIG_HOME", nullptr);
    s.dir.SetEnv("HOME", s.dir.Path().c_str());
    WriteInteger(P("Page"), 1);
    EXPECT_TRUE(std::filesystem::exists(s.dir.Path() + "/.config/tabulon/HKCU.conf"));
}

TEST(SettingsFile, SerializeParsesBackExactly) {
    SettingsFile f;
    f.SetString("K\\sub", "\\x41", "\\x41");  // text that looks like an escape
    f.SetString(" odd]key[ ", "#name", " lead and trail ");
    f.SetInteger("K\\sub", "n", -5);
    EXPECT_FALSE(f.SetInteger("k\\SUB", "N", -5));  // unchanged
    SettingsFile g;
    g.Parse(f.Serialize());
    EXPECT_EQ(g.Serialize(), f.Serialize());
    std::string out;
    ASSERT_TRUE(g.GetString("k\\sub", "\\x41", out));
    EXPECT_EQ(out, "\\x41");
    ASSERT_TRUE(g.GetString(" ODD]KEY[ ", "#name", out));
    EXPECT_EQ(out, " lead and trail ");
    int32_t n = 0;
    ASSERT_TRUE(g.GetInteger("K\\sub", "n", n));
    EXPECT_EQ(n, -5);
}

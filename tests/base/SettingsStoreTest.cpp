#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "base/SettingsFile.h"
#include "base/SettingsStore.h"

namespace {

// Every test points the store at its own folder.
struct Store {
    TempDir dir;
    Store() { dir.SetEnv("XDG_CONFIG_HOME", dir.Path().c_str()); }
    std::string File(const std::string& root = "HKCU") const { return dir.Path() + "/tabulon/" + root + ".conf"; }
    std::string Content(const std::string& root = "HKCU") const {
        std::ifstream in(File(root), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void Replace(const std::string& bytes, const std::string& root = "HKCU") const {
        std::filesystem::create_directories(dir.Path() + "/tabulon");
        // A new file (new inode), as another program would leave it.
        std::filesystem::remove(File(root));
        std::ofstream(File(root), std::ios::binary) << bytes;
    }
};

const char* kKey = "HKCU\\Software\\QorTabulon\\";

std::string P(const std::string& name) { return kKey + name; }

}  // namespace

TEST(SettingsStore, DefaultsWhenNothingIsStored) {
    Store s;
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");
    EXPECT_EQ(ReadInteger(P("Height"), 480), 480);
    EXPECT_TRUE(ReadBool(P("HeaderOn"), true));
    EXPECT_FALSE(ReadBool(P("StopErr"), false));
    EXPECT_FALSE(std::filesystem::exists(s.File()));  // reading creates nothing
    EXPECT_EQ(SettingsFilePath(P("x")), s.File());
    EXPECT_EQ(SettingsFilePath("HKLM\\x"), s.File("HKLM"));
    EXPECT_EQ(SettingsFilePath("HKXX\\x"), "");
}

TEST(SettingsStore, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    Store s;
    WriteString(P("StartSql"), "select 1;");
    EXPECT_EQ(ReadString("HKCU\\SOFTWARE\\qortabulon\\STARTSQL", ""), "select 1;");
    EXPECT_EQ(ReadString("hkcu\\Software\\QorTabulon\\StartSQL", ""), "select 1;");
    WriteString(P("StartSQL"), "select 2;");  // the same value
    EXPECT_EQ(ReadString(P("startsql"), ""), "select 2;");
    const std::string text = s.Content();
    EXPECT_NE(text.find("StartSql="), std::string::npos) << text;
    EXPECT_EQ(text.find("StartSQL"), std::string::npos) << text;
    // Cyrillic names fold too (the registry compares them without case).
    const std::string key = "HKCU\\Software\\Тест\\Имя";
    WriteInteger(key, 7);
    EXPECT_EQ(ReadInteger("HKCU\\Software\\ТЕСТ\\имя", 0), 7);
    // Different keys hold different values of the same name.
    WriteString("HKCU\\Software\\Tabulon\\StartSql", "other");
    EXPECT_EQ(ReadString(P("StartSql"), ""), "select 2;");
}

TEST(SettingsStore, StringsOfAnyLengthAndContentReadBackWhole) {
    Store s;
    std::string text;
    for (int i = 0; i < 40000; ++i) text.push_back(static_cast<char>(i % 256));
    text += "\r\nline\n[Section]\n#hash\n;semi\nname=s:value\\n\\\\  ";
    WriteString(P("SqlText"), text);
    EXPECT_EQ(ReadString(P("SqlText"), ""), text);
    WriteString(P("Prompt"), "SQL: ");  // the trailing blank matters
    EXPECT_EQ(ReadString(P("Prompt"), ""), "SQL: ");
    WriteString(P("EnvLocal"), " ");
    EXPECT_EQ(ReadString(P("EnvLocal"), "x"), " ");
    WriteString(P("Empty"), "");
    EXPECT_EQ(ReadString(P("Empty"), "x"), "");
    // Odd names: a blank start, '=' and '[' and a line break.
    WriteString(P(" [a=b]\nc"), "v");
    EXPECT_EQ(ReadString(P(" [A=B]\nC"), ""), "v");
    // The unnamed value of a key (path ending with a backslash).
    WriteString(kKey, "default value");
    EXPECT_EQ(ReadString(kKey, ""), "default value");
    // All of it survives a fresh read of the file by another parser instance.
    SettingsFile f;
    f.Parse(s.Content());
    std::string out;
    ASSERT_TRUE(f.GetString("software\\qortabulon", "sqltext", out));
    EXPECT_EQ(out, text);
}

TEST(SettingsStore, IntegersAndStringsConvert) {
    Store s;
    WriteInteger(P("Width"), 640);
    WriteInteger(P("Neg"), -2147483647 - 1);
    EXPECT_EQ(ReadInteger(P("Width"), 0), 640);
    EXPECT_EQ(ReadInteger(P("Neg"), 0), INT32_MIN);
    EXPECT_EQ(ReadString(P("Width"), ""), "640");
    WriteString(P("LongStr"), "10");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 10);
    WriteString(P("LongStr"), " 25 ");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 25);
    WriteString(P("LongStr"), "ten");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 30000);
    WriteString(P("LongStr"), "99999999999");
    EXPECT_EQ(ReadInteger(P("LongStr"), 30000), 30000);
    // A write replaces the type as well.
    WriteInteger(P("LongStr"), 5);
    EXPECT_EQ(ReadString(P("LongStr"), ""), "5");
    WriteBool(P("EchoOn"), false);
    EXPECT_FALSE(ReadBool(P("EchoOn"), true));
    EXPECT_EQ(ReadString(P("EchoOn"), ""), "N");
    WriteBool(P("EchoOn"), true);
    EXPECT_TRUE(ReadBool(P("EchoOn"), false));
    WriteString(P("EchoOn"), "y");  // exactly "Y" is true
    EXPECT_FALSE(ReadBool(P("EchoOn"), true));
}

TEST(SettingsStore, RootsAndPathLimits) {
    Store s;
    WriteString("HKLM\\Software\\X\\A", "machine");
    WriteString("HKCR\\.sqb\\A", "classes");
    WriteString("HKCU\\Software\\X\\A", "user");
    EXPECT_EQ(ReadString("HKLM\\Software\\X\\A", ""), "machine");
    EXPECT_EQ(ReadString("HKCR\\.sqb\\A", ""), "classes");
    EXPECT_EQ(ReadString("HKCU\\Software\\X\\A", ""), "user");
    EXPECT_TRUE(std::filesystem::exists(s.File("HKLM")));
    EXPECT_TRUE(std::filesystem::exists(s.File("HKCR")));
    // Unknown or malformed roots: the default, and nothing written.
    for (const char* bad : {"HKXX\\Software\\A", "HKCU/Software/A", "HKCU", "", "HKU\\Software\\A", "HKCUX\\A"}) {
        WriteString(bad, "no");
        WriteInteger(bad, 1);
        EXPECT_EQ(ReadString(bad, "def"), "def") << bad;
        EXPECT_EQ(ReadInteger(bad, 3), 3) << bad;
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
        "Orphan=s:before any key\n"
        "[Software\\QorTabulon]\r\n"
        "Prompt=s:>> \\x20\r\n"
        "Height=i:not a number\n"
        "Width=i:800\n"
        "NoType=hello\n"
        "Weird=q:x\n"
        "  Indented=s:ok  \n"
        "Page=i:1\n"
        "[Broken header\n"
        "Lost=s:under a broken header\n"
        "[Software\\QorTabulon]\n"
        "Page=i:2\n"
        "Tail=s:trunc\\x4");  // truncated escape, no final line break
    EXPECT_EQ(ReadString(P("Prompt"), ""), ">>  ");
    EXPECT_EQ(ReadInteger(P("Height"), 480), 480);
    EXPECT_EQ(ReadInteger(P("Width"), 640), 800);
    EXPECT_EQ(ReadString(P("NoType"), "d"), "d");
    EXPECT_EQ(ReadString(P("Weird"), "d"), "d");
    EXPECT_EQ(ReadString(P("Indented"), ""), "ok");
    EXPECT_EQ(ReadInteger(P("Page"), 0), 2);  // the later line wins
    EXPECT_EQ(ReadString(P("Lost"), "d"), "d");
    EXPECT_EQ(ReadString("HKCU\\Orphan", "d"), "d");
    EXPECT_EQ(ReadString(P("Tail"), ""), "trunc\\x4");

    // A change by another program is seen on the next read.
    s.Replace("[Software\\QorTabulon]\nWidth=i:1024\n");
    EXPECT_EQ(ReadInteger(P("Width"), 640), 1024);

    // Binary junk and an empty file read as "nothing stored".
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
    s.Replace(junk);
    EXPECT_EQ(ReadInteger(P("Width"), 640), 640);
    s.Replace("");
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");

    // Writing over a broken file keeps what could be read and drops the rest.
    s.Replace("[Software\\QorTabulon]\nWidth=i:900\n\x01\x02\xFF=\n");
    WriteInteger(P("Height"), 500);
    EXPECT_EQ(ReadInteger(P("Width"), 0), 900);
    EXPECT_EQ(ReadInteger(P("Height"), 0), 500);
}

TEST(SettingsStore, WritesAreAtomicAndFailuresSilent) {
    Store s;
    for (int i = 0; i < 50; ++i) WriteInteger(P("N" + std::to_string(i)), i);
    // Only the finished file is left: no temporary files beside it.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(s.dir.Path() + "/tabulon"))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"HKCU.conf"});
    SettingsFile f;
    f.Parse(s.Content());
    int32_t n;
    ASSERT_TRUE(f.GetInteger("Software\\QorTabulon", "N49", n));
    EXPECT_EQ(n, 49);

    // The settings folder cannot be made (a file is in the way): writes are
    // ignored and reads give the defaults.
    TempDir other;
    std::ofstream(other / "tabulon") << "not a folder";
    s.dir.SetEnv("XDG_CONFIG_HOME", other.Path().c_str());
    WriteString(P("Prompt"), "lost");
    EXPECT_EQ(ReadString(P("Prompt"), "SQL: "), "SQL: ");

    // Without XDG_CONFIG_HOME the folder is ~/.config/tabulon.
    s.dir.SetEnv("XDG_CONFIG_HOME", nullptr);
    s.dir.SetEnv("HOME", s.dir.Path().c_str());
    WriteInteger(P("Page"), 1);
    EXPECT_TRUE(std::filesystem::exists(s.dir.Path() + "/.config/tabulon/HKCU.conf"));
    EXPECT_EQ(ReadInteger(P("Page"), 0), 1);
}

TEST(SettingsStore, BatchWritesEachFileOnce) {
    Store s;
    WriteInteger(P("Before"), 1);
    {
        SettingsWriteBatch batch;
        WriteString(P("A"), "a");
        WriteInteger(P("B"), 2);
        {
            SettingsWriteBatch inner;
            WriteBool(P("C"), true);
        }
        // Readable at once, but not on disk until the outer batch ends.
        EXPECT_EQ(ReadString(P("A"), ""), "a");
        EXPECT_EQ(s.Content().find("A=s:a"), std::string::npos);
    }
    const std::string text = s.Content();
    EXPECT_NE(text.find("A=s:a"), std::string::npos);
    EXPECT_NE(text.find("B=i:2"), std::string::npos);
    EXPECT_NE(text.find("C=s:Y"), std::string::npos);
    EXPECT_NE(text.find("Before=i:1"), std::string::npos);
}

TEST(SettingsFile, SerializeParsesBackExactly) {
    SettingsFile f;
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    f.SetString("K\\sub", "all bytes", all);
    f.SetString("K\\sub", "\\x41", "\\x41");  // text that looks like an escape
    f.SetString("", "", "root default");
    f.SetString(" odd]key[ ", "#name", " lead and trail ");
    f.SetInteger("K\\sub", "n", -5);
    EXPECT_FALSE(f.SetInteger("k\\SUB", "N", -5));  // unchanged
    EXPECT_TRUE(f.SetString("k\\SUB", "N", "-5"));   // the type changes
    EXPECT_TRUE(f.SetInteger("k\\SUB", "N", -5));
    SettingsFile g;
    g.Parse(f.Serialize());
    EXPECT_EQ(g.Serialize(), f.Serialize());
    std::string out;
    ASSERT_TRUE(g.GetString("k\\sub", "ALL BYTES", out));
    EXPECT_EQ(out, all);
    ASSERT_TRUE(g.GetString("k\\sub", "\\x41", out));
    EXPECT_EQ(out, "\\x41");
    ASSERT_TRUE(g.GetString("", "", out));
    EXPECT_EQ(out, "root default");
    ASSERT_TRUE(g.GetString(" ODD]KEY[ ", "#name", out));
    EXPECT_EQ(out, " lead and trail ");
    int32_t n;
    ASSERT_TRUE(g.GetInteger("K\\sub", "n", n));
    EXPECT_EQ(n, -5);
    EXPECT_EQ(g.KeyCount(), 3u);
    EXPECT_EQ(g.Find("K\\sub", "missing"), nullptr);
    EXPECT_EQ(g.Find("missing", "n"), nullptr);
}

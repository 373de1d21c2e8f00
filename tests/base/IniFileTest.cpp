#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "base/IniFile.h"

TEST(IniFile, ReadsWithTheProfileRules) {
    TempDir t;
    const std::string lng = t / "tabulon-ENG.lng";
    TempDir::Write(lng,
                   "; language file\r\n"
                   "[Other]\r\n"
                   "Connect=wrong section\r\n"
                   "  [ msg ]  \r\n"
                   "  Connect  =  Connected to  \r\n"
                   "Quoted=\"  spaced  \"\r\n"
                   "Single='x'\r\n"
                   "Half=\"x\r\n"
                   "Formula=a=b=c\r\n"
                   ";Commented=yes\r\n"
                   "no equals sign\r\n"
                   "connect=second occurrence\r\n"
                   "EmptyQuoted=\"\"\r\n"
                   "[Msg]\r\n"
                   "Later=in a second Msg section\r\n");
    const std::pair<const char*, const char*> rows[] = {
        {"CONNECT", "Connected to"},  // names without case, blanks trimmed, the first occurrence
        {"Quoted", "  spaced  "},
        {"Half", "\"x"},
        {"EmptyQuoted", ""},
        {"Formula", "a=b=c"},  // the first = splits
        {";Commented", "def"},
        {"no equals sign", "def"},
        {"Later", "def"},  // only the first section counts
    };
    for (const auto& [key, value] : rows) EXPECT_EQ(IniReadString(lng, "MSG", key, "def"), value) << key;
    EXPECT_EQ(IniReadString(t.Path(), "Msg", "Connect", "def"), "def");  // a folder
    EXPECT_EQ(IniReadKeys(lng, "msg"),
              (std::vector<std::string>{"Connect", "Quoted", "Single", "Half", "Formula", "EmptyQuoted"}));

    // A UTF-8 mark before the first section does not hide it, and stays; a
    // last line without a line break stays.
    TempDir::Write(lng, "\xEF\xBB\xBF[Msg]\nA=1");
    EXPECT_TRUE(IniWriteString(lng, "Msg", "B", "2"));
    EXPECT_EQ(TempDir::Read(lng), "\xEF\xBB\xBF[Msg]\nA=1\nB=2\n");
    // Only one mark is skipped: a second one belongs to the line (found by fuzzing).
    TempDir::Write(lng, "\xEF\xBB\xBF\xEF\xBB\xBF[Msg]\r\nConnect =c\r\n");
    EXPECT_EQ(IniReadString(lng, "Msg", "Connect", "def"), "def");
    EXPECT_TRUE(IniWriteString(lng, "Msg", "Connect", "new"));
    EXPECT_EQ(IniReadString(lng, "Msg", "Connect", "def"), "new");
    EXPECT_EQ(TempDir::Read(lng).substr(0, 6), "\xEF\xBB\xBF\xEF\xBB\xBF");
}

TEST(IniFile, WritesInPlaceAndAppends) {
    TempDir t;
    const std::string par = t / "plugin.par";
    EXPECT_TRUE(IniWriteString(par, "Main", "Path", "/usr/lib"));
    EXPECT_TRUE(IniWriteString(par, "main", "Count", "3"));
    EXPECT_TRUE(IniWriteString(par, "Other", "X", "1"));
    // Replacing keeps the line where it is and the key as the file spells it.
    EXPECT_TRUE(IniWriteString(par, "MAIN", "path", "/opt"));
    EXPECT_EQ(TempDir::Read(par), "[Main]\nPath=/opt\nCount=3\n\n[Other]\nX=1\n");

    // Comments, blank lines and the file's CR LF line breaks stay.
    TempDir::Write(par, "; comment\r\n[A]\r\nk=v\r\n\r\n[B]\r\n");
    EXPECT_TRUE(IniWriteString(par, "A", "n", "1"));
    EXPECT_TRUE(IniWriteString(par, "B", "m", "2"));
    EXPECT_EQ(TempDir::Read(par), "; comment\r\n[A]\r\nk=v\r\nn=1\r\n\r\n[B]\r\nm=2\r\n");

    // What could not be read back is refused and leaves the file alone.
    const std::string before = TempDir::Read(par);
    EXPECT_FALSE(IniWriteString(par, "A", "k", "two\nlines"));
    EXPECT_FALSE(IniWriteString(par, "A", ";k", "x"));
    EXPECT_EQ(TempDir::Read(par), before);
    EXPECT_FALSE(IniWriteString(t / "no/such/folder/x.ini", "A", "k", "v"));
    // No temporary file is left beside the written one.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.Path()), std::filesystem::directory_iterator()), 1);
}

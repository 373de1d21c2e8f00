// Files the table did not write: damaged headers, the real-world samples and
// the tables of independent DBF libraries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DbfFiles.h"
#include "base/DateTime.h"
#include "dataset/TField.h"
#include "dbf/EDBFError.h"
#include "dbf/TDbfTab.h"

namespace {

namespace fs = std::filesystem;

// Opens the file and reads every field of every record; the EDBFError
// message, or "" when all went well.
std::string ReadAll(const std::string& path, int* records = nullptr) {
    TDbfTab t;
    t.SetFileName(path);
    t.SetReadOnly(true);
    try {
        t.Open();
        int n = 0;
        for (; !t.Eof(); t.Next(), ++n)
            for (int i = 0; i < t.FieldCount(); ++i) (void)t.Fields()[i]->DisplayText();
        t.SetFilterText("1 = 1");
        if (records) *records = n;
    } catch (const EDBFError& e) {
        return e.Message();
    }
    return "";
}

TEST(DbfTabHeader, HeadersThatDisagreeWithTheFileAreRefused) {
    TempDir dir;
    const std::vector<RawField> fields{{"NAME", 'C', 5}, {"BORN", 'D', 8}};
    const std::string good = DbfImage(fields, {" Alice20240131", " Bob  20240201"});
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* says;  // part of the message
    };
    const std::vector<Case> cases{
        {"shorter than a header", [](std::string& s) { s.resize(20); }, "короче заголовка"},
        {"header length past the end", [](std::string& s) { s[8] = 0, s[9] = 0x10; }, "больше файла"},
        {"header length with no room for a field", [](std::string& s) { s[8] = 40, s[9] = 0; }, "ни для одного поля"},
        {"more descriptors promised than present", [](std::string& s) {
             s[8] = static_cast<char>(129);
             s += std::string(64, ' ');
         },
         "описаний только 2"},
        {"record length against the descriptors", [](std::string& s) { s[10] = 20; }, "длина записи"},
        {"record count beyond the file", [](std::string& s) { s[4] = 3; }, "обрезана"},
        {"truncated last record", [](std::string& s) { s.pop_back(); }, "обрезана"},
        {"huge record count", [](std::string& s) { s[7] = static_cast<char>(0xFF); }, "записей"},
        {"date field too short", [](std::string& s) { s[64 + 16] = 4; }, "типа D"},
        {"memo field", [](std::string& s) { s[32 + 11] = 'M'; }, "неподдерживаемый тип M"},
        {"FoxPro", [](std::string& s) { s[0] = 0x30; }, "Версия DBF файла не поддерживается программой"},
        {"dBase III with memo", [](std::string& s) { s[0] = static_cast<char>(0x83); }, "Версия DBF"},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        const std::string path = dir / "bad.dbf";
        WriteFile(path, bytes);
        const std::string m = ReadAll(path);
        EXPECT_NE(m.find(path), std::string::npos) << c.what << ": " << m;
        EXPECT_NE(m.find(c.says), std::string::npos) << c.what << ": " << m;
    }
    EXPECT_EQ(ReadAll(dir / "none.dbf"), std::string("Открытие DBF: Файл не найден: ") + (dir / "none.dbf"));
    // The undamaged file, one of version 4, and one whose record length was
    // never filled in.
    WriteFile(dir / "ok.dbf", good);
    EXPECT_EQ(ReadAll(dir / "ok.dbf"), "");
    WriteFile(dir / "v4.dbf", std::string(1, 4) + good.substr(1));
    EXPECT_EQ(ReadAll(dir / "v4.dbf"), "");
    std::string zero = good;
    zero[10] = zero[11] = 0;
    WriteFile(dir / "zero.dbf", zero + "\x1a");
    {
        OpenTab t(dir / "zero.dbf");
        EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Alice");
    }
    EXPECT_EQ(ReadFile(dir / "zero.dbf").substr(10, 2), std::string("\x0e\0", 2));  // repaired on close
}

std::string DataDir() {
    if (const char* d = std::getenv("TABULON_DBF_DATA")) return d;
    return TABULON_DBF_DATA;
}

TEST(DbfTabFiles, EveryRealFileOpensOrFailsWithAClearMessage) {
    if (!fs::is_directory(DataDir())) GTEST_SKIP() << "no sample folder " << DataDir();
    TempDir dir;
    int opened = 0;
    for (const auto& entry : fs::directory_iterator(DataDir())) {
        const std::string name = entry.path().filename().string();
        const std::string copy = dir / name;
        fs::copy_file(entry.path(), copy);
        fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
        int records = -1;
        const std::string m = ReadAll(copy, &records);
        SCOPED_TRACE(name + ": " + m);
        if (m.empty()) {
            ++opened;
            EXPECT_GE(records, 0);
        } else {
            EXPECT_NE(m.find(copy), std::string::npos);
        }
    }
    EXPECT_GE(opened, 5);

    // A few values, against what the files hold.
    OpenTab t(dir / "people.dbf");
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Alice");
    EXPECT_EQ(t.FieldByName("BIRTHDATE")->AsDateTime(), EncodeDate(1987, 3, 1));
    t.Last();
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Bob");  // the deleted third is skipped
    t.Close();
    t.SetFileName(dir / "dbftables_test.dbf");
    t.Open();
    t.SetRecNo(2);
    EXPECT_EQ(t.FieldByName("CHAR")->AsString(), "John");
    EXPECT_TRUE(t.FieldByName("BOOL")->AsBoolean());
    EXPECT_DOUBLE_EQ(t.FieldByName("FLOAT")->AsFloat(), 100.99);
    EXPECT_EQ(t.FieldByName("INTEGER")->AsInteger(), 101);
    t.Close();
    t.SetFileName(dir / "invalid_value.dbf");
    t.Open();
    const std::string bad = Message([&] { (void)t.FieldByName("BIRTHDATE")->AsDateTime(); });
    EXPECT_NE(bad.find("NotAYear"), std::string::npos) << bad;
}

}  // namespace

#include "TestDatabase.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "dataset/TField.h"

void TempFolderTest::SetUp() {
    char tmpl[] = "/tmp/tabulon-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    oldCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    setenv("TMPDIR", dir_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
}

void TempFolderTest::TearDown() {
    std::filesystem::current_path(oldCwd_);
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> TempFolderTest::TraceTexts(const std::string& path) {
    std::vector<std::string> texts;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        // "dd.mm.yyyy hh:nn:ss text", or without the time at midnight.
        if (line.empty()) {
            texts.push_back("");
            continue;
        }
        size_t p = line.find(' ');
        if (p != std::string::npos && line.size() > p + 9 && line[p + 3] == ':' && line[p + 6] == ':') p += 9;
        texts.push_back(p == std::string::npos ? line : line.substr(p + 1));
    }
    return texts;
}

void MemoryDatabaseTest::SetUp() {
    TempFolderTest::SetUp();
    db.SetDatabase(":memory:");
    db.Open();
    ASSERT_TRUE(db.Connected());
}

std::string MemoryDatabaseTest::Str(const std::string& sql) {
    std::string out;
    db.SelectString(sql, {}, true, out);
    return out;
}

int64_t MemoryDatabaseTest::Int(const std::string& sql) { return db.SelectInt64(sql, {}, true); }

void QueryDatabaseTest::SetUp() {
    MemoryDatabaseTest::SetUp();
    q = new TQorSQLite3Query(&owner);
    q->SetConnection(&db);
}

void QueryDatabaseTest::Run(const std::string& sql, const std::vector<Variant>& values) {
    q->Close();
    q->SetSQLText(sql);
    ASSERT_EQ(q->Params().Count(), static_cast<int>(values.size())) << sql;
    for (size_t i = 0; i < values.size(); ++i) q->Params()[static_cast<int>(i)].SetValue(values[i]);
    q->Open();
}

std::string QueryDatabaseTest::Row() {
    std::string out;
    for (int i = 0; i < q->FieldCount(); ++i) out += (i ? "|" : "") + q->Fields()[i]->AsString();
    return out;
}

std::string QueryDatabaseTest::Column(const std::string& field) {
    std::string out;
    for (q->First(); !q->Eof(); q->Next()) {
        const TField* f = q->FieldByName(field);
        out += (f->IsNull() ? std::string("<null>") : f->AsString()) + ";";
    }
    return out;
}

#pragma once
// Raw DBF images built byte by byte, so the tests state exactly what the
// table is given to read, and the file helpers around them.
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "../base/TempDir.h"
#include "dataset/TField.h"
#include "dbf/EDBFError.h"
#include "dbf/TDbfTab.h"

struct RawField {
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

// A version-3 file: header, descriptors, terminator and the records (each a
// full image, deletion flag first). `extraHeader` bytes follow the
// terminator and count into the header length.
inline std::string DbfImage(const std::vector<RawField>& fields, const std::vector<std::string>& records,
                            int extraHeader = 0) {
    auto le16 = [](std::string& s, size_t at, int v) {
        s[at] = static_cast<char>(v & 0xFF);
        s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    std::string s(32, '\0');
    s[0] = 3;
    s[1] = 124, s[2] = 1, s[3] = 31;
    const uint32_t count = static_cast<uint32_t>(records.size());
    for (int i = 0; i < 4; ++i) s[4 + static_cast<size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
    int recordLength = 1;
    for (const RawField& f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        s += d;
        recordLength += f.length;
    }
    s += '\r';
    s += std::string(static_cast<size_t>(extraHeader), '\0');
    le16(s, 8, 32 * static_cast<int>(fields.size()) + 33 + extraHeader);
    le16(s, 10, recordLength);
    for (const std::string& r : records) s += r;
    return s;
}

// The image with its language-driver byte (header offset 29) set: the mark
// of the code page its text is in.
inline std::string WithDriver(std::string image, unsigned char driver) {
    image[29] = static_cast<char>(driver);
    return image;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The little-endian 16-bit number at `at`.
inline uint16_t Le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

inline uint32_t FileRecordCount(const std::string& path) {
    const std::string s = ReadFile(path);
    return Le16(s, 4) | static_cast<uint32_t>(Le16(s, 6)) << 16;
}

// A table opened on an existing file.
struct OpenTab : TDbfTab {
    explicit OpenTab(const std::string& path, bool readOnly = false) {
        SetFileName(path);
        SetReadOnly(readOnly);
        Open();
    }
};

// NAME C(20), BORN D, SUM N(18,2), OK L: the table the console exports,
// created and opened.
inline void CreateSample(TDbfTab& t, const std::string& path) {
    t.SetFileName(path);
    t.AddField("name", 'C', 0, 20);
    t.AddField("born", 'D', 0, 0);
    t.AddField("sum", 'N', 2, 18);
    t.AddField("ok", 'L', 0, 0);
    t.CreateTable();
    t.Open();
}

// The message of the EDBFError that `f` throws, or "(no EDBFError)".
inline std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDBFError& e) {
        return e.Message();
    }
    return "(no EDBFError)";
}

// The current record, each field as it shows ("<null>" when empty), joined
// by '|'.
inline std::string Row(TDbfTab& t) {
    std::string out;
    for (int i = 0; i < t.FieldCount(); ++i) {
        const TField* f = t.Fields()[i];
        out += (i ? "|" : "") + (f->IsNull() ? std::string("<null>") : f->DisplayText());
    }
    return out;
}

// One field of every record the table shows, from the first.
inline std::vector<std::string> Names(TDbfTab& t, const char* field = "NAME") {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName(field)->AsString());
    return out;
}

// Runs the peer script dbf_peer.py with `args`; its exit status (3: the
// peer module is not installed), and its standard output in `out`. The
// Debian interpreter sees the Debian peer modules even when another python3
// comes first on PATH.
inline int Peer(const std::string& args, std::string* out = nullptr) {
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string cmd = python + " " TABULON_DBF_TEST_DIR "/dbf_peer.py " + args;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        if (out) out->append(buf, n);
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Arbitrary bytes as an INI file: reading never fails, and a value written
// into it reads back, with every key the section had before still listed.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/IniFile.h"

namespace {
std::string FilePath() {
    // tmpfs when there is one: each run writes the file twice.
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/tabulon-fuzz-ini-" + std::to_string(getpid()) + ".ini";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = FilePath();
    FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    IniReadString(file, "Msg", "Connect", "def");
    const auto before = IniReadKeys(file, "Msg");
    if (!IniWriteString(file, "Msg", "Connect", "Fuzzed value")) std::abort();
    if (IniReadString(file, "msg", "CONNECT", "def") != "Fuzzed value") std::abort();
    const auto after = IniReadKeys(file, "Msg");
    for (const std::string& k : before) {
        bool found = false;
        for (const std::string& a : after) found = found || a == k;
        if (!found) std::abort();
    }
    std::remove(file.c_str());
    return 0;
}

// Arbitrary bytes as CSV text, the first byte choosing the delimiter. Every
// record must consume text, the line numbers must not go back, and records
// written out again with every field quoted must read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "console/CsvReader.h"

namespace {

std::vector<std::vector<std::string>> ReadRecords(std::string_view text, char delimiter, bool& failed) {
    std::vector<std::vector<std::string>> records;
    CsvReader reader(text, delimiter);
    std::vector<std::string> fields;
    size_t position = reader.Position();
    int line = 0;
    failed = false;
    try {
        while (reader.Next(fields)) {
            if (reader.Position() <= position || reader.Position() > text.size()) std::abort();
            if (reader.RecordLine() <= line || fields.empty()) std::abort();
            size_t bytes = 0;
            for (const std::string& f : fields) bytes += f.size();
            if (bytes > reader.Position() - position) std::abort();
            position = reader.Position();
            line = reader.RecordLine();
            records.push_back(fields);
        }
    } catch (const CsvError& e) {
        if (e.Line() < 1 || e.Line() < line) std::abort();
        failed = true;
    }
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    char delimiter = static_cast<char>(data[0]);
    if (delimiter == '"' || delimiter == '\r' || delimiter == '\n') delimiter = ',';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    bool failed = false;
    const auto records = ReadRecords(text, delimiter, failed);
    if (failed) return 0;

    std::string again;
    for (const auto& record : records) {
        for (size_t i = 0; i < record.size(); ++i) {
            if (i) again.push_back(delimiter);
            again.push_back('"');
            for (char c : record[i]) {
                if (c == '"') again.push_back('"');
                again.push_back(c);
            }
            again.push_back('"');
        }
        again += "\r\n";
    }
    bool failedAgain = false;
    if (ReadRecords(again, delimiter, failedAgain) != records || failedAgain) std::abort();
    return 0;
}

// Arbitrary bytes as a DBF file: opened, every field of every record read,
// a filter over the first field applied, and the first record written back
// and deleted. Failures must be exceptions, never crashes, hangs or leaks.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

namespace {

const std::string& TempPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/fuzz_dbf_" + std::to_string(::getpid()) + ".dbf";
    }();
    return path;
}

void ReadEverything(TDbfTab& t) {
    for (t.First(); !t.Eof(); t.Next())
        for (int i = 0; i < t.FieldCount(); ++i) {
            TField* f = t.Fields()[i];
            try {
                if (!f->IsNull()) (void)f->DisplayText();
            } catch (const std::exception&) {
            }
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* out = std::fopen(TempPath().c_str(), "wb");
    if (!out) return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    TDbfTab t;
    t.SetFileName(TempPath());
    try {
        t.Open();
        (void)t.RecordCount();
        ReadEverything(t);
        if (t.FieldCount() > 0) {
            const std::string name = t.Fields()[0]->FieldName();
            try {
                t.SetFilterText(name + " = " + name + " or isnull(" + name + ")");
                ReadEverything(t);
            } catch (const std::exception&) {
            }
            t.SetFilterText("");
        }
        t.First();
        if (!t.Eof()) {
            t.Edit();
            for (int i = 0; i < t.FieldCount(); ++i) {
                TField* f = t.Fields()[i];
                try {
                    f->SetValue(f->IsNull() ? Variant::Null() : f->Value());
                } catch (const std::exception&) {
                }
            }
            t.Post();
            t.Delete();
            t.AppendRecord({Variant("x")});
        }
        t.Close();
    } catch (const std::exception&) {
    }
    return 0;
}

// Arbitrary bytes as a filter expression over one record holding a value of
// every kind the table hands to the evaluator (and a few it never does).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/DateTime.h"
#include "dbf/TCalc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TCalc* calc = [] {
        auto* c = new TCalc;
        c->AddVariable("NAME", Variant("Abc%d 'x'"));
        c->AddVariable("EMPTY", Variant(""));
        c->AddVariable("NUM", Variant(Currency::FromScaled(-123456)));
        c->AddVariable("BIG", Variant(Currency::FromScaled(INT64_MAX)));
        c->AddVariable("OK", Variant(int32_t{1}));
        c->AddVariable("I64", Variant(int64_t{INT64_MIN}));
        c->AddVariable("DBL", Variant(1e308));
        c->AddVariable("BORN", Variant::FromDate(EncodeDate(2024, 1, 31)));
        c->AddVariable("ZERO_D", Variant::FromDate(0));
        c->AddVariable("FAR_D", Variant::FromDate(1e12));
        c->AddVariable("NOTHING", Variant::Null());
        c->AddVariable("FLAG", Variant(true));
        c->AddVariable("UNSET", Variant());
        c->SetRecordNumber(7);
        return c;
    }();
    calc->ClearErrorText();
    calc->Evaluate(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

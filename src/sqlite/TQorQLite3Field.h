#pragma once
#include <cstdint>
#include <string>

// One row of the engine's table_info pragma.
struct TQorQLite3Field {
    int32_t cid = 0;
    std::string name;
    std::string type;
    int32_t notnull = 0;
    std::string dflt_value;
    int32_t pk = 0;
};

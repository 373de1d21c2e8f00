#pragma once
// The engine's C interface as the layer binds it at run time. The program
// never includes the engine's own header; these are the function types of
// the entry points it looks up, in the order they are looked up.
#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_context;
struct sqlite3_value;

namespace sqlite_api {

using Callback = int (*)(void*, int, char**, char**);
using Destructor = void (*)(void*);
using ScalarFunc = void (*)(sqlite3_context*, int, sqlite3_value**);
using FinalFunc = void (*)(sqlite3_context*);

constexpr int OK = 0;
constexpr int ERROR = 1;
constexpr int ABORT = 4;
constexpr int BUSY = 5;
constexpr int LOCKED = 6;
constexpr int MISUSE = 21;
constexpr int ROW = 100;
constexpr int DONE = 101;
constexpr int UTF8 = 1;

constexpr int INTEGER = 1;
constexpr int FLOAT = 2;
constexpr int TEXT = 3;
constexpr int BLOB = 4;
constexpr int NULL_TYPE = 5;

inline Destructor Static() { return nullptr; }
// The engine's "copy it now" marker: the pointer value -1.
inline Destructor Transient() { return reinterpret_cast<Destructor>(static_cast<intptr_t>(-1)); }

}  // namespace sqlite_api

// The 50 entry points, one member per symbol, declared in lookup order.
struct SQLite3Api {
    int (*open)(const char*, sqlite3**) = nullptr;
    int (*close)(sqlite3*) = nullptr;
    int (*exec)(sqlite3*, const char*, sqlite_api::Callback, void*, char**) = nullptr;
    const char* (*libversion)() = nullptr;
    const char* (*errmsg)(sqlite3*) = nullptr;
    int (*get_table)(sqlite3*, const char*, char***, int*, int*, char**) = nullptr;
    void (*free_table)(char**) = nullptr;
    void (*free)(void*) = nullptr;
    int (*complete)(const char*) = nullptr;
    int64_t (*last_insert_rowid)(sqlite3*) = nullptr;
    void (*interrupt)(sqlite3*) = nullptr;
    int (*busy_timeout)(sqlite3*, int) = nullptr;
    int (*busy_handler)(sqlite3*, int (*)(void*, int), void*) = nullptr;
    int (*changes)(sqlite3*) = nullptr;
    int (*prepare)(sqlite3*, const char*, int, sqlite3_stmt**, const char**) = nullptr;
    int (*finalize)(sqlite3_stmt*) = nullptr;
    int (*reset)(sqlite3_stmt*) = nullptr;
    int (*step)(sqlite3_stmt*) = nullptr;
    const void* (*column_blob)(sqlite3_stmt*, int) = nullptr;
    int (*column_bytes)(sqlite3_stmt*, int) = nullptr;
    int (*column_count)(sqlite3_stmt*) = nullptr;
    const char* (*column_decltype)(sqlite3_stmt*, int) = nullptr;
    double (*column_double)(sqlite3_stmt*, int) = nullptr;
    int (*column_int)(sqlite3_stmt*, int) = nullptr;
    int64_t (*column_int64)(sqlite3_stmt*, int) = nullptr;
    const char* (*column_name)(sqlite3_stmt*, int) = nullptr;
    const unsigned char* (*column_text)(sqlite3_stmt*, int) = nullptr;
    const void* (*column_text16)(sqlite3_stmt*, int) = nullptr;
    int (*column_type)(sqlite3_stmt*, int) = nullptr;
    int (*bind_double)(sqlite3_stmt*, int, double) = nullptr;
    int (*bind_int)(sqlite3_stmt*, int, int) = nullptr;
    int (*bind_int64)(sqlite3_stmt*, int, int64_t) = nullptr;
    int (*bind_null)(sqlite3_stmt*, int) = nullptr;
    int (*bind_text)(sqlite3_stmt*, int, const char*, int, sqlite_api::Destructor) = nullptr;
    int (*bind_blob)(sqlite3_stmt*, int, const void*, int, sqlite_api::Destructor) = nullptr;
    int (*bind_text16)(sqlite3_stmt*, int, const void*, int, sqlite_api::Destructor) = nullptr;
    int (*bind_parameter_count)(sqlite3_stmt*) = nullptr;
    int (*create_function)(sqlite3*, const char*, int, int, void*, sqlite_api::ScalarFunc,
                           sqlite_api::ScalarFunc, sqlite_api::FinalFunc) = nullptr;
    const void* (*value_blob)(sqlite3_value*) = nullptr;
    int (*value_bytes)(sqlite3_value*) = nullptr;
    double (*value_double)(sqlite3_value*) = nullptr;
    int (*value_int)(sqlite3_value*) = nullptr;
    int64_t (*value_int64)(sqlite3_value*) = nullptr;
    const unsigned char* (*value_text)(sqlite3_value*) = nullptr;
    int (*value_type)(sqlite3_value*) = nullptr;
    void (*result_double)(sqlite3_context*, double) = nullptr;
    void (*result_int)(sqlite3_context*, int) = nullptr;
    void (*result_int64)(sqlite3_context*, int64_t) = nullptr;
    void (*result_text)(sqlite3_context*, const char*, int, sqlite_api::Destructor) = nullptr;
    void (*result_value)(sqlite3_context*, sqlite3_value*) = nullptr;
};

// Symbol names in lookup order; entry i is stored in the i-th member above.
extern const char* const kSQLite3Symbols[50];

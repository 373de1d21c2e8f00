#pragma once
#include <string>

// A shared object loaded at run time (dlopen/dlsym/dlclose).
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();  // unloads
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the named file; "SQLite3.dll" (any case) means the system's
    // libsqlite3.so.0. False when it cannot be loaded (LastError tells why).
    bool Load(const std::string& name);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    // nullptr when absent.
    void* Symbol(const char* name) const;
    const std::string& LastError() const { return lastError_; }

private:
    void* handle_ = nullptr;
    std::string lastError_;
};

#include "DynamicLibrary.h"

#include <dlfcn.h>

#include "AnsiString.h"

DynamicLibrary::~DynamicLibrary() { Unload(); }

bool DynamicLibrary::Load(const std::string& name) {
    Unload();
    lastError_.clear();
    // The settings keep the Windows name of the engine; every other name is
    // the caller's file as written.
    const std::string file = AnsiSameText(name, "SQLite3.dll") ? std::string("libsqlite3.so.0") : name;
    if (file.empty()) {
        lastError_ = "empty library name";
        return false;
    }
    dlerror();
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* err = dlerror();
        lastError_ = err ? err : ("cannot load " + file);
        return false;
    }
    return true;
}

void DynamicLibrary::Unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return dlsym(handle_, name);
}

#pragma once
// The plug-in loader: finds the shared objects of the plug-in folders, loads
// those with the three entry points, hands them the host's callbacks and
// collects the functions they offer; runs a function with its property list.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tabulon/plugin.h"

class DynamicLibrary;

// One function a plug-in offers.
struct TPlugIn {
    std::string Group;          // the side bar page it belongs to
    std::string PlugInName;     // the caption shown in the list
    std::string PlugInSysName;  // the function's internal name
    DynamicLibrary* Module = nullptr;
    TabulonPlugInFunc Function = nullptr;
};

// A host callback as the plug-ins see it in their method list.
struct TPlugInMethod {
    std::string Name;
    void* Address = nullptr;
};

// The (Name, Value) pairs of one function call.
class TPlugInProperties {
public:
    TPlugInProperties();
    TPlugInProperties(const TPlugInProperties&) = delete;
    TPlugInProperties& operator=(const TPlugInProperties&) = delete;

    void Add(std::string name, std::string value);
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& Name(int i) const { return *names_.at(static_cast<size_t>(i)); }
    const std::string& Value(int i) const { return *values_.at(static_cast<size_t>(i)); }
    // What the plug-in function receives.
    TabulonPropertyList* List() { return &list_; }

private:
    static int AddFromPlugIn(TabulonPropertyList* list, const char* name, const char* value);
    // Each text has a fixed place: a plug-in may hold a pointer to one
    // across adding another.
    std::vector<std::unique_ptr<std::string>> names_;
    std::vector<std::unique_ptr<std::string>> values_;
    std::vector<TabulonProperty> items_;
    TabulonPropertyList list_{};
};

class TQorPlugIn {
public:
    TQorPlugIn();
    ~TQorPlugIn();  // unloads every library it loaded
    TQorPlugIn(const TQorPlugIn&) = delete;
    TQorPlugIn& operator=(const TQorPlugIn&) = delete;

    // A library offering more functions is cut off there.
    static constexpr int kMaxFunctions = 10000;

    // Once before the first library is loaded, when there is at least one
    // candidate: the handler fills the method list.
    std::function<void(std::vector<TPlugInMethod>& methods)> OnDLLStartLoad;
    // For every library with the three entry points; skip = true passes it over.
    std::function<void(const std::string& dllName, const std::string& autorVers, bool& skip)> OnDLLFind;
    // For every function found; num is its index in the function list.
    std::function<void(const TPlugIn& plugIn, int num)> OnFuncFind;
    // Before and after a function runs; the first may add properties.
    std::function<void(TPlugInProperties& props, const std::string& plugInName, const std::string& plugInSysName)>
        OnFuncEnter;
    std::function<void(TPlugInProperties& props, const std::string& plugInName, const std::string& plugInSysName)>
        OnFuncExit;

    // The candidates of these folders, in order: every file whose name ends
    // in ".so" (any case) and does not begin with '.', sorted by name, then
    // with recursive those of every subfolder the same way. A folder that
    // does not exist gives none; a file reached twice counts once.
    static std::vector<std::string> FindLibraries(const std::vector<std::string>& dirs, bool recursive);

    // Loads the plug-ins of the folders (once; later calls do nothing).
    // mainWindow goes to every PlugInInit.
    void Load(const std::vector<std::string>& dirs, void* mainWindow, bool recursive);

    int Count() const { return static_cast<int>(functions_.size()); }
    const TPlugIn& PlugIn(int i) const { return functions_.at(static_cast<size_t>(i)); }
    // Libraries that were loaded and accepted (not skipped).
    int LibraryCount() const { return accepted_; }
    const TabulonMethodList* Methods() const { return &methodList_; }

    // Runs function number index with a new property list holding
    // ("TestParamName", "TestParamValue"); false when there is no such function.
    bool Run(int index);

private:
    std::vector<TPlugInMethod> methods_;
    std::vector<TabulonMethod> methodItems_;
    TabulonMethodList methodList_{};
    std::vector<std::unique_ptr<DynamicLibrary>> modules_;
    std::vector<TPlugIn> functions_;
    int accepted_ = 0;
    bool loaded_ = false;
};

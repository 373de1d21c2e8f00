#include "console/TQorPlugIn.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/AnsiString.h"
#include "base/DynamicLibrary.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- properties

TPlugInProperties::TPlugInProperties() {
    list_.Version = TABULON_PLUGIN_VERSION;
    list_.Host = this;
    list_.Add = &TPlugInProperties::AddFromPlugIn;
}

void TPlugInProperties::Add(std::string name, std::string value) {
    names_.push_back(std::make_unique<std::string>(std::move(name)));
    values_.push_back(std::make_unique<std::string>(std::move(value)));
    items_.push_back({names_.back()->c_str(), values_.back()->c_str()});
    list_.Count = static_cast<int>(items_.size());
    list_.Items = items_.data();
}

int TPlugInProperties::AddFromPlugIn(TabulonPropertyList* list, const char* name, const char* value) {
    if (list == nullptr || list->Host == nullptr) return 0;
    try {
        static_cast<TPlugInProperties*>(list->Host)->Add(name ? name : "", value ? value : "");
        return 1;
    } catch (...) {
        // Nothing may unwind through the plug-in's C frames.
        return 0;
    }
}

// ---------------------------------------------------------------- loader

namespace {

bool IsCandidate(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name.empty() || name[0] == '.') return false;
    const std::string ext = file.extension().string();
    return SameText(ext, ".so");
}

void Search(const fs::path& dir, bool recursive, std::set<fs::path>& seenDirs, std::set<fs::path>& seenFiles,
            std::vector<std::string>& out) {
    std::error_code ec;
    // A folder linked into itself is searched once.
    const fs::path real = fs::weakly_canonical(dir, ec);
    if (ec || !seenDirs.insert(real).second) return;
    std::vector<fs::path> files;
    std::vector<fs::path> dirs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        const std::string name = p.filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code e2;
        if (it->is_directory(e2)) {
            if (recursive) dirs.push_back(p);
        } else if (IsCandidate(p) && it->is_regular_file(e2)) {
            files.push_back(p);
        }
    }
    // Directory order differs between file systems; the name order does not.
    std::sort(files.begin(), files.end());
    std::sort(dirs.begin(), dirs.end());
    for (const fs::path& f : files) {
        std::error_code e3;
        const fs::path key = fs::weakly_canonical(f, e3);
        if (seenFiles.insert(e3 ? f : key).second) out.push_back(f.string());
    }
    for (const fs::path& d : dirs) Search(d, recursive, seenDirs, seenFiles, out);
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

TQorPlugIn::TQorPlugIn() {
    methodList_.Version = TABULON_PLUGIN_VERSION;
}

TQorPlugIn::~TQorPlugIn() {
    functions_.clear();
    // The last loaded goes first: a later plug-in may use an earlier one.
    while (!modules_.empty()) modules_.pop_back();
}

std::vector<std::string> TQorPlugIn::FindLibraries(const std::vector<std::string>& dirs, bool recursive) {
    std::vector<std::string> out;
    std::set<fs::path> seenDirs;
    std::set<fs::path> seenFiles;
    for (const std::string& d : dirs)
        if (!d.empty()) Search(fs::path(d), recursive, seenDirs, seenFiles, out);
    return out;
}

void TQorPlugIn::Load(const std::vector<std::string>& dirs, void* mainWindow, bool recursive) {
    if (loaded_) return;
    loaded_ = true;
    const std::vector<std::string> candidates = FindLibraries(dirs, recursive);
    if (candidates.empty()) return;

    if (OnDLLStartLoad) OnDLLStartLoad(methods_);
    methodItems_.clear();
    for (const TPlugInMethod& m : methods_) methodItems_.push_back({m.Name.c_str(), m.Address});
    methodList_.Count = static_cast<int>(methodItems_.size());
    methodList_.Items = methodItems_.data();

    for (const std::string& file : candidates) {
        auto lib = std::make_unique<DynamicLibrary>();
        if (!lib->Load(file)) continue;
        auto init = reinterpret_cast<TabulonPlugInInitFn>(lib->Symbol("PlugInInit"));
        auto info = reinterpret_cast<TabulonPlugInGetInfoFn>(lib->Symbol("PlugInGetInfo"));
        auto getFunc = reinterpret_cast<TabulonPlugInGetFuncFn>(lib->Symbol("PlugInGetFunc"));
        if (!init || !info || !getFunc) continue;  // unloaded with lib

        DynamicLibrary* module = lib.get();
        // A skipped library stays loaded until the end, as an accepted one.
        modules_.push_back(std::move(lib));
        bool skip = false;
        if (OnDLLFind) OnDLLFind(file, Text(info()), skip);
        if (skip) continue;
        ++accepted_;
        init(&methodList_, mainWindow);

        for (int index = 0; index < kMaxFunctions; ++index) {
            const char* group = nullptr;
            const char* caption = nullptr;
            const char* sysName = nullptr;
            const TabulonPlugInFunc fn = getFunc(index, &group, &caption, &sysName);
            if (fn == nullptr) break;
            TPlugIn p{Text(group), Text(caption), Text(sysName), module, fn};
            const int num = static_cast<int>(functions_.size());
            if (OnFuncFind) OnFuncFind(p, num);
            functions_.push_back(std::move(p));
        }
    }
}

bool TQorPlugIn::Run(int index) {
    if (index < 0 || index >= Count()) return false;
    // A copy: a handler may not change what runs.
    const TPlugIn p = functions_[static_cast<size_t>(index)];
    TPlugInProperties props;
    props.Add("TestParamName", "TestParamValue");
    if (OnFuncEnter) OnFuncEnter(props, p.PlugInName, p.PlugInSysName);
    p.Function(props.List());
    if (OnFuncExit) OnFuncExit(props, p.PlugInName, p.PlugInSysName);
    return true;
}

#include "SettingsStore.h"
#include "Platform.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "AnsiString.h"
#include "SettingsFile.h"

namespace {

constexpr size_t kMaxPath = 255;

struct Stamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t mtimeNs = 0;
    off_t size = 0;
    bool operator==(const Stamp&) const = default;
};

// A file's parsed content, valid while the file keeps the stamp it had when
// it was read or written (another process's write changes it).
struct Cached {
    bool loaded = false;
    Stamp stamp;
    SettingsFile file;
    bool dirty = false;  // changed inside a batch, not yet written
};

std::mutex g_mutex;
std::map<std::string, Cached> g_cache;
int g_batchDepth = 0;

Stamp StampOf(const std::string& file) {
    Stamp s;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    return s;
}

std::string ConfigDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw != nullptr ? pw->pw_dir : nullptr;
        }
        if (home == nullptr || *home == '\0') return std::string();
        base = std::string(home) + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/tabulon";
}

// Root, key and value name of a path; false for an unknown root or a path
// the registry would refuse.
bool SplitPath(std::string_view path, std::string& root, std::string_view& key, std::string_view& name) {
    if (path.size() > kMaxPath || path.size() < 5 || path[4] != '\\') return false;
    root = UpperCase(path.substr(0, 4));
    if (root != "HKCR" && root != "HKCU" && root != "HKLM") return false;
    const std::string_view rest = path.substr(5);
    const size_t slash = rest.rfind('\\');
    if (slash == std::string_view::npos) {
        key = std::string_view();
        name = rest;
    } else {
        key = rest.substr(0, slash);
        name = rest.substr(slash + 1);
    }
    return true;
}

std::string FileOfRoot(const std::string& root) {
    const std::string dir = ConfigDir();
    return dir.empty() ? std::string() : dir + "/" + root + ".conf";
}


// The file's current content (re-read when it changed on disk).
Cached& Load(const std::string& file) {
    Cached& c = g_cache[file];
    if (c.dirty) return c;  // a batch holds newer content than the disk
    const Stamp now = StampOf(file);
    if (c.loaded && now == c.stamp) return c;
    std::string bytes;
    if (now.exists && ReadFileBytes(file, bytes))
        c.file.Parse(bytes);
    else
        c.file.Clear();
    c.stamp = now;
    c.loaded = true;
    return c;
}

// Replaces the file atomically: a crash leaves the old file or the new one.
void Store(const std::string& file, Cached& c) {
    c.dirty = false;
    const std::string bytes = c.file.Serialize();
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos &&
        !QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(file.substr(0, slash))))) {
        c.loaded = false;  // not written: read the disk again next time
        return;
    }
    if (!WriteFileBytes(file, bytes)) {
        c.loaded = false;
        return;
    }
    c.stamp = StampOf(file);
}

template <typename Set>
void Write(std::string_view path, Set set) {
    std::string root;
    std::string_view key, name;
    if (!SplitPath(path, root, key, name)) return;
    const std::string file = FileOfRoot(root);
    if (file.empty()) return;
    std::lock_guard lock(g_mutex);
    Cached& c = Load(file);
    if (!set(c.file, key, name)) return;  // unchanged: nothing to write
    if (g_batchDepth > 0)
        c.dirty = true;
    else
        Store(file, c);
}

}  // namespace

std::string ReadString(std::string_view path, std::string_view def) {
    std::string root;
    std::string_view key, name;
    if (!SplitPath(path, root, key, name)) return std::string(def);
    const std::string file = FileOfRoot(root);
    if (file.empty()) return std::string(def);
    std::lock_guard lock(g_mutex);
    std::string out;
    return Load(file).file.GetString(key, name, out) ? out : std::string(def);
}

int32_t ReadInteger(std::string_view path, int32_t def) {
    std::string root;
    std::string_view key, name;
    if (!SplitPath(path, root, key, name)) return def;
    const std::string file = FileOfRoot(root);
    if (file.empty()) return def;
    std::lock_guard lock(g_mutex);
    int32_t out;
    return Load(file).file.GetInteger(key, name, out) ? out : def;
}

void WriteString(std::string_view path, std::string_view text) {
    Write(path, [text](SettingsFile& f, std::string_view key, std::string_view name) {
        return f.SetString(key, name, text);
    });
}

void WriteInteger(std::string_view path, int32_t n) {
    Write(path, [n](SettingsFile& f, std::string_view key, std::string_view name) {
        return f.SetInteger(key, name, n);
    });
}

bool ReadBool(std::string_view path, bool def) { return ReadString(path, def ? "Y" : "N") == "Y"; }

void WriteBool(std::string_view path, bool v) { WriteString(path, v ? "Y" : "N"); }

SettingsWriteBatch::SettingsWriteBatch() {
    std::lock_guard lock(g_mutex);
    ++g_batchDepth;
}

SettingsWriteBatch::~SettingsWriteBatch() {
    std::lock_guard lock(g_mutex);
    if (--g_batchDepth > 0) return;
    for (auto& [file, c] : g_cache)
        if (c.dirty) Store(file, c);
}

std::string SettingsFilePath(std::string_view path) {
    if (path.size() < 5 || path[4] != '\\') return std::string();
    const std::string root = UpperCase(path.substr(0, 4));
    if (root != "HKCR" && root != "HKCU" && root != "HKLM") return std::string();
    return FileOfRoot(root);
}

#include "Platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "CodePage.h"

std::string TempPath() {
    const char* dir = std::getenv("TMPDIR");
    std::string r = dir != nullptr && *dir != '\0' ? dir : "/tmp/";
    if (r.back() != '/') r.push_back('/');
    return r;
}

void OutputDebugString(std::string_view text) {
    if (std::getenv("TABULON_DEBUG") == nullptr) return;
    std::string line(text);
    line.push_back('\n');
    // One write, so that lines from several processes do not interleave.
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

std::string CurrentDir() {
    std::string buf(256, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) {
            buf.resize(std::char_traits<char>::length(buf.c_str()));
            break;
        }
        if (errno != ERANGE) return std::string();
        buf.resize(buf.size() * 2);
    }
    // The root stays "/" (a path joined to it with '/' still works).
    if (buf.size() > 1 && buf.back() == '/') buf.pop_back();
    return buf;
}

namespace {
bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
        else return false;
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}
}  // namespace

// Each name between slashes is converted on its own, so that a folder kept
// as UTF-8 joined with an ANSI file name still gives the right path.
template <typename Convert>
std::string EachName(std::string_view path, Convert convert) {
    std::string r;
    r.reserve(path.size() * 2);
    size_t start = 0;
    for (;;) {
        const size_t slash = path.find('/', start);
        const std::string_view name = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        r += convert(name);
        if (slash == std::string_view::npos) return r;
        r += '/';
        start = slash + 1;
    }
}

std::string NativePath(std::string_view path) {
    if (IsUtf8(path)) return std::string(path);
    return EachName(path, [](std::string_view name) { return IsUtf8(name) ? std::string(name) : AnsiToUtf8Text(name); });
}

std::string ProgramPath(std::string_view native) {
    return EachName(native, [](std::string_view name) {
        if (!IsUtf8(name)) return std::string(name);
        std::string ansi = Utf8TextToAnsi(name);
        // An ANSI name that also reads as UTF-8 ("\xD0\xB8") would not come
        // back through NativePath: such a name stays UTF-8 as well.
        return AnsiToUtf8Text(ansi) == name && !(IsUtf8(ansi) && ansi != name) ? ansi : std::string(name);
    });
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {
std::string ExePath() {
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}
}  // namespace

std::string ProgramDir() {
    const std::string exe = ExePath();
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? CurrentDir() + "/" : exe.substr(0, slash + 1);
}

std::string ProgramBaseName() {
    const std::string exe = ExePath();
    const size_t slash = exe.rfind('/');
    std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

bool ReadFileBytes(const std::string& file, std::string& out) {
    const int fd = ::open(NativePath(file).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

#include "Platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>


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

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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

std::string ProgramDataFile(std::string_view name) {
    const std::string dir = ProgramDir();
    std::string beside = dir + std::string(name);
    if (FileExists(beside)) return beside;
    std::string installed = dir + "../share/tabulon/" + std::string(name);
    return FileExists(installed) ? installed : beside;
}

std::string ProgramBaseName() {
    const std::string exe = ExePath();
    const size_t slash = exe.rfind('/');
    std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFileBytes(const std::string& file, std::string_view bytes) {
    if (file.empty()) {
        errno = ENOENT;
        return false;
    }
    std::string tmp = file + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    struct stat st {};
    ::fchmod(fd, ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(tmp.c_str(), file.c_str()) != 0) {
        const int reason = errno;
        ::unlink(tmp.c_str());
        errno = reason;
        return false;
    }
    return true;
}

bool ReadFileBytes(const std::string& file, std::string& out) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    // A regular file is read straight into a buffer of its size; anything
    // else (a pipe, a file that grows meanwhile) a block at a time on top.
    struct stat st {};
    size_t size = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        out.resize(static_cast<size_t>(st.st_size));
        while (size < out.size()) {
            const ssize_t n = ::read(fd, out.data() + size, out.size() - size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ::close(fd);
                return false;
            }
            if (n == 0) break;
            size += static_cast<size_t>(n);
        }
        out.resize(size);
    }
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

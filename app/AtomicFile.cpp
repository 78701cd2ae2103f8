#include "app/AtomicFile.h"

#include "app/ProcessTag.h"

#include "app/Progress.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = 022;
        if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, f)) {
                unsigned m = 0;
                if (std::sscanf(line, "Umask: %o", &m) == 1) {
                    mask = static_cast<mode_t>(m);
                    break;
                }
            }
            std::fclose(f);
        }
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Named temporary files: ".NAME.orvtmp.HOST.PID.XXXXXX" beside the target.
std::string tempPrefix(const std::string& name, const std::string& host) {
    return "." + name + ".orvtmp." + host + ".";
}

// Removes the named temporary files of this machine in folder whose process has ended. Once per folder and
// process: a folder of many frames is not read again for every frame.
void removeOrphans(const std::string& folder) {
    if (!FirstSweepOf("saves", folder)) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string marker = ".orvtmp." + ThisHostTag() + ".";
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        const size_t at = name.find(marker);
        if (name.empty() || name[0] != '.' || at == std::string::npos) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + at + marker.size(), &end, 10);
        if (pid <= 0 || !end || *end != '.' || std::strlen(end) != 7) continue;
        // Proof that it is an orphan: its process no longer exists on this machine.
        if (!ProcessHasEnded(pid)) continue;
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

bool procFdAvailable() {
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

} // namespace

std::string ResolveWriteTarget(const std::string& target) {
    std::string path = target;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<size_t>(n) >= buf.size()) return path;
        const std::string link(buf.data(), static_cast<size_t>(n));
        path = link.front() == '/' ? link : folderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return std::string();
}

AtomicFile::~AtomicFile() {
    abort();
}

bool AtomicFile::open(const std::string& target) {
    abort();
    refused = false;
    targetPath = target;
    finalPath = ResolveWriteTarget(target);
    if (finalPath.empty()) return false;
    struct stat st {};
    const bool exists = ::stat(finalPath.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        refused = true;
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : newFileMode();
    const std::string folder = folderOf(finalPath);
    removeOrphans(folder);
    if (procFdAvailable()) fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    unnamed = fd >= 0;
    if (!unnamed && !openNamed(folder)) return false;
    ::fchmod(fd, mode);
    return true;
}

bool AtomicFile::openNamed(const std::string& folder) {
    const std::string host = ThisHostTag();
    std::string pattern =
        folder + "/" + tempPrefix(nameOf(finalPath), host) + std::to_string(::getpid()) + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd = ::mkstemp(buf.data());
    if (fd < 0) return false;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    tempPath = buf.data();
    return true;
}

std::string AtomicFile::reopenPath() const {
    if (fd < 0) return std::string();
    return unnamed ? "/proc/self/fd/" + std::to_string(fd) : tempPath;
}

namespace {

thread_local const Progress* saveStop = nullptr;

bool saveStopped() {
    if (saveStop == nullptr || !saveStop->stopRequested()) return false;
    errno = ECANCELED;
    return true;
}

} // namespace

StopSavesOn::StopSavesOn(const Progress& progress) : previous(saveStop) {
    saveStop = &progress;
}

StopSavesOn::~StopSavesOn() {
    saveStop = previous;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (fd < 0 || saveStopped()) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFile::rewind() {
    if (fd < 0) return false;
    return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0;
}

// Gives the complete unnamed file its name: directly when the target does not exist, else under a
// temporary name that is renamed over the target at once.
bool AtomicFile::linkInPlace() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, finalPath.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) return false;
    const std::string base = folderOf(finalPath) + "/" + tempPrefix(nameOf(finalPath), ThisHostTag()) +
                             std::to_string(::getpid()) + ".";
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "%06u", counter++ % 1000000u);
        const std::string name = base + suffix;
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (::rename(name.c_str(), finalPath.c_str()) == 0) return true;
        const int error = errno;
        ::unlink(name.c_str());
        errno = error;
        return false;
    }
    return false;
}

bool AtomicFile::commit() {
    if (fd < 0) return false;
    if (saveStopped()) {
        abort();
        errno = ECANCELED;
        return false;
    }
    bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    if (unnamed) {
        ok = ok && linkInPlace();
        ok = (::close(fd) == 0) && ok;
        fd = -1;
        return ok;
    }
    ok = (::close(fd) == 0) && ok;
    fd = -1;
    if (ok) ok = ::rename(tempPath.c_str(), finalPath.c_str()) == 0;
    if (!ok) ::unlink(tempPath.c_str());
    tempPath.clear();
    return ok;
}

void AtomicFile::abort() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!tempPath.empty()) {
        ::unlink(tempPath.c_str());
        tempPath.clear();
    }
}

bool writeFileAtomically(const std::string& target, const std::string& bytes) {
    AtomicFile f;
    return f.open(target) && f.write(bytes) && f.commit();
}

#include "app/AtomicFile.h"

#include <cerrno>
#include <cstdio>
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

} // namespace

AtomicFile::~AtomicFile() { abort(); }

bool AtomicFile::open(const std::string& target) {
    abort();
    targetPath = target;
    std::string pattern = target + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd = ::mkstemp(buf.data());
    if (fd < 0) return false;
    tempPath = buf.data();
    struct stat st {};
    mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();
    ::fchmod(fd, mode);
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (fd < 0) return false;
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

bool AtomicFile::commit() {
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ok = (::close(fd) == 0) && ok;
    fd = -1;
    if (ok) ok = ::rename(tempPath.c_str(), targetPath.c_str()) == 0;
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

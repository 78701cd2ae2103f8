#include "app/ProcessTag.h"

#include <cerrno>
#include <mutex>
#include <set>
#include <signal.h>
#include <unistd.h>

std::string ThisHostTag() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0]) return "host";
    std::string h = host;
    for (char& c : h)
        if (c == '.' || c == '/') c = '_';
    return h;
}

bool ProcessHasEnded(long pid) {
    if (pid <= 0 || pid == ::getpid()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool FirstSweepOf(const std::string& kind, const std::string& folder) {
    static std::mutex lock;
    static std::set<std::string> swept;
    std::lock_guard<std::mutex> guard(lock);
    return swept.insert(kind + '\n' + folder).second;
}

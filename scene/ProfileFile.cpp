#include "scene/ProfileFile.h"

#include "app/CFormat.h"
#include "app/PrivateProfile.h"

#include <mutex>
#include <sys/stat.h>
#include <time.h>

namespace {

const char* const kSection = "Param";

// What identifies one state of the file on disk: a rewrite through a temporary file changes the inode, an
// edit in place the size or the modification time.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeSec = 0;
    long long mtimeNsec = 0;

    bool operator==(const FileIdentity&) const = default;

    static FileIdentity of(const std::string& path) {
        FileIdentity id;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.mtimeSec = static_cast<long long>(st.st_mtim.tv_sec);
        id.mtimeNsec = static_cast<long long>(st.st_mtim.tv_nsec);
        return id;
    }
};

// True when the file was last modified more than a second ago.
bool settled(const FileIdentity& id) {
    if (!id.exists) return true;
    struct timespec clock {};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    return static_cast<long long>(clock.tv_sec) - id.mtimeSec > 1;
}

} // namespace

struct ProfileFile::Cache {
    std::mutex mutex;
    PrivateProfile profile;
    FileIdentity identity;
    bool valid = false;
    bool deferred = false;
    bool dirty = false;
    bool unreadable = false; // deferred writes started on a file that could not be read

    // The profile as it stands now (caller holds the mutex).
    const PrivateProfile& current(const std::string& path) {
        if (deferred) return profile;
        FileIdentity now = FileIdentity::of(path);
        if (!valid || !(now == identity)) {
            if (!profile.load(path)) profile = PrivateProfile();
            // The parse counts as current only when nothing changed meanwhile, and only once the file's
            // time stamp lies clearly in the past: file times are coarse, so a rewrite of the same size
            // within the same tick would otherwise go unnoticed.
            identity = FileIdentity::of(path);
            valid = identity == now && settled(identity);
        }
        return profile;
    }
};

ProfileFile::ProfileFile(std::string path) : fileName(std::move(path)), cache(std::make_unique<Cache>()) {}

ProfileFile::~ProfileFile() = default;

bool ProfileFile::store(const std::string& key, const std::string* value) {
    std::lock_guard<std::mutex> lock(cache->mutex);
    if (cache->deferred) {
        if (value)
            cache->profile.set(kSection, key, *value);
        else
            cache->profile.remove(kSection, key);
        cache->dirty = true;
        return true;
    }
    PrivateProfile p;
    cache->valid = false;
    if (!p.load(fileName)) return false;
    if (value)
        p.set(kSection, key, *value);
    else if (!p.remove(kSection, key))
        return true;
    return p.save(fileName);
}

bool ProfileFile::WriteString(const std::string& key, const std::string& text) {
    return store(key, &text);
}

bool ProfileFile::WriteInt(const std::string& key, int n) {
    return WriteString(key, cformat("%d", n));
}

bool ProfileFile::WriteReal(const std::string& key, double x) {
    return WriteString(key, cformat("%f", x));
}

bool ProfileFile::DeleteKey(const std::string& key) {
    return store(key, nullptr);
}

std::string ProfileFile::ReadString(const std::string& key) const {
    std::lock_guard<std::mutex> lock(cache->mutex);
    return cache->current(fileName).get(kSection, key).value_or("");
}

bool ProfileFile::HasKey(const std::string& key) const {
    std::lock_guard<std::mutex> lock(cache->mutex);
    return cache->current(fileName).get(kSection, key).has_value();
}

int ProfileFile::ReadInt(const std::string& key) const {
    std::string text = ReadString(key);
    return atoiC(text.c_str());
}

void ProfileFile::ReadReal(const std::string& key, double& x) const {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(cache->mutex);
        text = cache->current(fileName).get(kSection, key).value_or("0.0");
    }
    if (text.empty()) {
        x = 0.0;
        return;
    }
    double v = 0;
    if (scanReal(text.c_str(), v) > 0) x = v;
}

bool ProfileFile::ReadPoint(int i, double& x, double& y) const {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(cache->mutex);
        text = cache->current(fileName).get(kSection, PointKey(i)).value_or("-1.0,-1.0");
    }
    // "%lf,%lf": a number, a comma right after it, a second number.
    size_t n = scanReal(text.c_str(), x);
    if (n == 0) return false;
    if (text.c_str()[n] != ',') return false;
    if (scanReal(text.c_str() + n + 1, y) == 0) return false;
    return x != -1.0;
}

void ProfileFile::deferWrites() {
    std::lock_guard<std::mutex> lock(cache->mutex);
    if (cache->deferred) return;
    cache->unreadable = !cache->profile.load(fileName);
    if (cache->unreadable) cache->profile = PrivateProfile();
    cache->deferred = true;
    cache->dirty = false;
}

bool ProfileFile::flush() {
    std::lock_guard<std::mutex> lock(cache->mutex);
    if (!cache->deferred) return true;
    cache->deferred = false;
    cache->valid = false;
    if (!cache->dirty) return true;
    cache->dirty = false;
    // A file that could not be read is not replaced by one that would lack its other entries.
    if (cache->unreadable) return false;
    return cache->profile.save(fileName);
}

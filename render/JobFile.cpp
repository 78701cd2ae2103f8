#include "render/JobFile.h"

#include "app/ProcessTag.h"
#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <unistd.h>
#include <vector>

std::string JobFile::TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') return dir;
    return "/tmp";
}

namespace {

// Job files are named "ORVA" PID "." HOST "." XXXXXX. A run killed outright leaves its job file behind;
// the first job of a later process removes those of this machine whose process has ended.
void removeOrphanedJobs(const std::string& folder, const std::string& host) {
    if (!FirstSweepOf("jobs", folder)) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string suffix = "." + host + ".";
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind("ORVA", 0) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + 4, &end, 10);
        const size_t at = static_cast<size_t>(end - name.c_str());
        if (at == 4 || name.size() != at + suffix.size() + 6 || name.compare(at, suffix.size(), suffix) != 0)
            continue;
        if (ProcessHasEnded(pid)) ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

} // namespace

std::unique_ptr<JobFile> JobFile::Create(const CSceneParams& scene, const std::string& sceneFile) {
    std::string pattern = TempFolder();
    if (pattern.back() != '/') pattern += '/';
    const std::string host = ThisHostTag();
    removeOrphanedJobs(pattern, host);
    pattern += "ORVA" + std::to_string(::getpid()) + "." + host + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return nullptr;
    close(fd);
    // From here on the object owns the name: every failure below removes the file.
    std::unique_ptr<JobFile> job(new JobFile(name.data()));

    // The key order of the scene's saved file (every key empty for a scene never saved) ...
    if (!CopySceneKeys(sceneFile, job->path())) return nullptr;
    // ... with the scene's current values written over it.
    if (!scene.WriteJobValues(job->path())) return nullptr;
    // Point keys that the copy brought in beyond the current list are removed.
    ProfileFile profile(job->path());
    profile.deferWrites();
    for (int i = scene.lastIndex + 1; i < kMaxPathPoints; ++i)
        if (profile.HasKey(PointKey(i))) profile.DeleteKey(PointKey(i));
    if (!profile.flush()) return nullptr;
    return job;
}

JobFile::~JobFile() {
    std::remove(fileName.c_str());
}

#include "render/JobFile.h"

#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

std::string JobFile::TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') return dir;
    return "/tmp";
}

std::unique_ptr<JobFile> JobFile::Create(const CSceneParams& scene, const std::string& sceneFile) {
    std::string pattern = TempFolder();
    if (pattern.back() != '/') pattern += '/';
    pattern += "ORVAXXXXXX";
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

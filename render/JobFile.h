#pragma once
// The render job file: a temporary script file ("ORVA<pid>.<host>.XXXXXX" in $TMPDIR or /tmp, created
// exclusively; a later process removes those whose process was killed) that holds
// the scene exactly as the render launch writes it: the keys of the scene's own file in their order, every
// value of the scene written over them, the job-ready key = 1, and exactly the scene's current path points.
// The object owns the file: it is removed when the object goes (the run removes it earlier).

#include <memory>
#include <string>

class CSceneParams;

class JobFile {
public:
    // Writes the job for scene. sceneFile is the scene's script file, or "" for a scene never saved. Returns
    // nothing when the temporary file cannot be made or written (nothing is left behind then).
    static std::unique_ptr<JobFile> Create(const CSceneParams& scene, const std::string& sceneFile);

    ~JobFile();
    JobFile(const JobFile&) = delete;
    JobFile& operator=(const JobFile&) = delete;

    const std::string& path() const { return fileName; }

    // The folder in which job files are made: $TMPDIR when set and not empty, else /tmp.
    static std::string TempFolder();

private:
    explicit JobFile(std::string name) : fileName(std::move(name)) {}
    std::string fileName;
};

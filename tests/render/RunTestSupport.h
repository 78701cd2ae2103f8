#pragma once
// Small terrains, images and scenes for the render run tests.

#include "app/Settings.h"
#include "image/TGAFile.h"
#include "render/JobFile.h"
#include "render/RenderRun.h"
#include "scene/SceneParams.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

// Writes a 24-bit TGA; pixel(x, y) gives 0x00RRGGBB-free bytes as {b, g, r} for stored row y (0 = bottom).
inline void writeTga(const std::string& path, int w, int h, const std::function<uint32_t(int, int)>& bgr) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(w & 0xFF);
    bytes[13] = static_cast<char>(w >> 8);
    bytes[14] = static_cast<char>(h & 0xFF);
    bytes[15] = static_cast<char>(h >> 8);
    bytes[16] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = bgr(x, y); // blue in the low byte, as an elevation is stored
            bytes += static_cast<char>(v & 0xFF);
            bytes += static_cast<char>((v >> 8) & 0xFF);
            bytes += static_cast<char>((v >> 16) & 0xFF);
        }
    TempDir::write(path, bytes);
}

// A 33 x 33 elevation file: a hill of about 400 units in the middle.
inline void writeHill(const std::string& path) {
    writeTga(path, 33, 33, [](int x, int y) {
        const double dx = x - 16, dy = y - 16;
        const double h = 400.0 - (dx * dx + dy * dy);
        return static_cast<uint32_t>(h > 0 ? h : 0);
    });
}

// A straight scene over the hill file that renders `frames` frames into folder at 32 x 24.
inline CSceneParams hillScene(const TempDir& dir, int frames) {
    writeHill(dir.path("hill.tga"));
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = dir.path("hill.tga");
    s.OutputFileName = dir.path("frame%03d.tga");
    s.SizeX = 32;
    s.SizeY = 24;
    s.Total = frames;
    s.From = 0;
    s.To = frames - 1;
    s.XA = -20, s.YA = -20, s.ZA = 80;
    s.XE = -10, s.YE = -20, s.ZE = 90;
    s.HeadingA = s.HeadingE = 45;
    s.PitchA = s.PitchE = -25;
    s.FocalLengthA = s.FocalLengthE = 40;
    s.ElevScaleZA = s.ElevScaleZE = 0.1;
    s.GridX = s.GridY = 32;
    return s;
}

// Observer that records what it hears.
class RecordingObserver : public RenderObserver {
public:
    int planned = -1;
    std::vector<int> started;
    std::vector<std::string> names;
    std::vector<std::string> written;
    std::vector<std::vector<WireSegment>> wires;
    int ended = 0;
    RunResult last;

    void framesPlanned(int count) override { planned = count; }
    void frameStarting(int index, const std::string& name) override {
        started.push_back(index);
        names.push_back(name);
    }
    void wireModel(const std::vector<WireSegment>& s) override { wires.push_back(s); }
    void frameWritten(const std::string& path) override { written.push_back(path); }
    void runEnded(const RunResult& r) override {
        ++ended;
        last = r;
    }
};

// Points TMPDIR at dir for the lifetime of the object, so that a test's job files land where it can count
// them; the previous value comes back afterwards.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const std::string& dir) {
        const char* old = std::getenv("TMPDIR");
        hadOld = old != nullptr;
        if (old) saved = old;
        setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (hadOld)
            setenv("TMPDIR", saved.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    ScopedTmpDir(const ScopedTmpDir&) = delete;
    ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

private:
    std::string saved;
    bool hadOld = false;
};

// The job files ("ORVA...") left in dir.
inline int jobFilesIn(const std::string& dir) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("ORVA", 0) == 0) ++n;
    return n;
}

// What a run test keeps: its job files in a temporary folder of its own (so that leftovers can be counted),
// the output folder, the platform, settings, progress and observer the runs talk to, and the run's picture.
template <class PlatformT = ScriptedPlatform, class ProgressT = RecordingProgress> struct RunSetup {
    int jobFilesLeft() const { return jobFilesIn(tmp.path()); }

    // The scene's job file (in tmp).
    std::unique_ptr<JobFile> makeJob(const CSceneParams& scene) {
        auto job = JobFile::Create(scene, "");
        EXPECT_TRUE(job);
        return job;
    }
    // Runs job with options; the recorder goes to the output folder and writes '.' as decimal separator
    // unless options say otherwise. watcher: another observer than the set-up's own.
    RunResult runJob(const JobFile& job, RunOptions options, RenderObserver* watcher = nullptr) {
        if (options.recorderFolder.empty()) options.recorderFolder = out.path();
        if (!options.decimalSeparator) options.decimalSeparator = '.';
        return RunJob(job.path(), picture, options, platform, settings, progress,
                      watcher ? *watcher : observer);
    }
    RunResult runScene(const CSceneParams& scene, const RunOptions& options,
                       RenderObserver* watcher = nullptr) {
        auto job = makeJob(scene);
        return job ? runJob(*job, options, watcher) : RunResult{};
    }

    TempDir tmp, out;
    ScopedTmpDir tmpDirScope{tmp.path()};
    PlatformT platform;
    MemorySettings settings;
    ProgressT progress;
    RecordingObserver observer;
    CTGAFile picture{platform};
};

#include "render/PartRun.h"

#include "app/CFormat.h"
#include "render/CameraPath.h"
#include "scene/SceneParams.h"

#include <cstdint>

FrameSpan PartFrames(int first, int frames, int index, int count) {
    // Each part ends where the next one starts: index * frames / count, rounded down.
    const auto start = [&](int k) { return static_cast<int>(static_cast<long long>(k) * frames / count); };
    return {first + start(index), start(index + 1) - start(index)};
}

FrameSpan DrawnFrames(const CSceneParams& job, const RunPart& part) {
    const int frames = PlannedFrameCount(job.PathType, job.From, job.To, job.Total);
    if (part.count <= 0) return {job.From, frames};
    return PartFrames(job.From, frames, part.index, part.count);
}

std::string RecorderPartPath(const std::string& recorderPath, int index, int count) {
    return cformat("%s.part-%d-of-%d", recorderPath.c_str(), index, count);
}

std::string RecorderPartStamp(const std::string& sceneBytes, int from, int to, int index, int count) {
    // FNV-1a: a changed scene file gives another stamp.
    uint64_t hash = 14695981039346656037ull;
    for (const char c : sceneBytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return cformat("Orvantis recorder part %d/%d of frames %d-%d, scene %016llx", index, count, from, to,
                   static_cast<unsigned long long>(hash));
}

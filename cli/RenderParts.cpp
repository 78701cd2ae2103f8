#include "cli/RenderParts.h"

#include "cli/ConsolePlatform.h"
#include "cli/RenderVideo.h"

#include "app/AtomicFile.h"
#include "app/CFormat.h"
#include "image/TGAFile.h"
#include "render/FlightRecorder.h"
#include "render/RenderRun.h"
#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr int maxParts = 100000;
const char* const partUsage = "--part needs K/N (K from 0 to N - 1), auto/N or auto";

bool partCount(const std::string& text, int& n) {
    return parseIntStrict(text, n) && n >= 1 && n <= maxParts;
}

std::string partSyntax(const std::string& value) {
    const size_t slash = value.find('/');
    if (slash == std::string::npos) return value == "auto" ? "" : partUsage;
    int count = 0, index = 0;
    if (!partCount(value.substr(slash + 1), count)) return partUsage;
    const std::string k = value.substr(0, slash);
    return k == "auto" || (parseIntStrict(k, index) && index >= 0 && index < count) ? "" : partUsage;
}

// The files of frame index by the scene's output format (TGA, YUV or both).
std::vector<std::string> frameFiles(const CSceneParams& scene, int index) {
    const std::string name = RunFrameName(scene, index);
    std::vector<std::string> files;
    if (scene.OutputFileFormat != 1) files.push_back(name);
    if (scene.OutputFileFormat != 0) files.push_back(CTGAFile::YuvFileName(name));
    return files;
}

// Appends the recorder rows of a part's file to rows; what is wrong with the file ("" when nothing).
std::string readRows(const std::string& path, const std::string& stamp, int frames, std::string& rows) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "missing recorder rows " + path;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string first = stamp + "\r\n";
    if (text.compare(0, first.size(), first) != 0)
        return path + " was written for another scene, frame range or number of parts";
    text.erase(0, first.size());
    // A part that was stopped has closed its file early.
    const auto lines = std::count(text.begin(), text.end(), '\n');
    if (lines != frames || (!text.empty() && text.back() != '\n'))
        return cformat("%s holds %lld rows for %d frames", path.c_str(), static_cast<long long>(lines),
                       frames);
    rows += text;
    return "";
}

std::string spanText(const FrameSpan& span) {
    return span.count == 0 ? "no frames" : cformat("frames %d-%d", span.first, span.last());
}

// Encodes the frame files of span into the video of --video.
bool encodeVideo(const Args& args, const CSceneParams& scene, const FrameSpan& span) {
    std::string error;
    std::unique_ptr<RenderVideo> video = RenderVideo::open(args, scene, error);
    if (!video) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ConsolePlatform platform;
    CTGAFile frame(platform);
    for (int i = span.first; i <= span.last(); ++i) {
        const std::string name = RunFrameName(scene, i);
        if (!frame.OpenImage(name)) return false; // the loader has said why
        if (frame.GetWidth() != scene.SizeX || frame.GetHeight() != scene.SizeY) {
            std::fprintf(stderr, "%s is %d x %d pixels, not the scene's %d x %d\n", name.c_str(),
                         frame.GetWidth(), frame.GetHeight(), scene.SizeX, scene.SizeY);
            return false;
        }
        if (!video->addFrame(frame)) return false;
    }
    return video->end();
}

} // namespace

std::vector<Option> partOptions() {
    return {{"--part", true, partSyntax},
            {"--merge-parts", true, [](const std::string& v) {
                 int n = 0;
                 return partCount(v, n) ? "" : "--merge-parts needs the number of parts, 1 to 100000";
             }}};
}

std::string partUsageMistake(const Args& args) {
    if (args.has("--part") && args.has("--merge-parts")) return "--part and --merge-parts exclude each other";
    if (args.has("--part") && args.has("--video")) return "--video goes with --merge-parts, not with --part";
    if (args.has("--merge-parts") && args.has("--frames"))
        return "--frames goes with a render, not with --merge-parts";
    return "";
}

std::string partFromArgs(const Args& args, RunPart& part) {
    const std::string value = args.value("--part");
    const size_t slash = value.find('/');
    if (slash == std::string::npos) {
        const char* count = std::getenv("SLURM_ARRAY_TASK_COUNT");
        if (count == nullptr || !partCount(count, part.count))
            return "--part auto takes the number of parts from SLURM_ARRAY_TASK_COUNT (a Slurm array job); "
                   "give it as --part auto/N elsewhere";
    } else {
        parseIntStrict(value.substr(slash + 1), part.count);
    }
    if (value.compare(0, 4, "auto") != 0) {
        parseIntStrict(value.substr(0, slash), part.index);
        return "";
    }
    const char* name = "SLURM_ARRAY_TASK_ID";
    const char* index = std::getenv(name);
    if (index == nullptr) index = std::getenv(name = "JOB_COMPLETION_INDEX");
    if (index == nullptr)
        return "--part auto takes the part from SLURM_ARRAY_TASK_ID (Slurm) or JOB_COMPLETION_INDEX "
               "(Kubernetes); neither is set";
    if (!parseIntStrict(index, part.index) || part.index < 0 || part.index >= part.count)
        return cformat("%s=%s is not a part of %d: parts count from 0 (sbatch --array=0-%d)", name, index,
                       part.count, part.count - 1);
    return "";
}

int mergeParts(const Args& args, const CSceneParams& scene, const std::string& sceneBytes,
               const std::string& outputFolder) {
    int parts = 0;
    parseIntStrict(args.value("--merge-parts"), parts);
    if (args.has("--video") && scene.OutputFileFormat == 1) {
        std::fprintf(stderr, "--video is made from the TGA frames, and this scene writes YUV files only\n");
        return ExitFailure;
    }
    RunOptions where;
    where.recorderFolder = outputFolder;
    const std::string recorderPath = RunRecorderPath(scene, where);
    const FrameSpan whole = DrawnFrames(scene, {});

    // Everything missing is named before the merge gives up, so that one look says which parts to re-run.
    std::string rows;
    std::vector<std::string> partFiles;
    std::vector<int> incomplete;
    std::error_code ec;
    for (int k = 0; k < parts; ++k) {
        const FrameSpan span = PartFrames(whole.first, whole.count, k, parts);
        bool complete = true;
        for (int i = span.first; i <= span.last(); ++i)
            for (const std::string& file : frameFiles(scene, i))
                if (!fs::is_regular_file(file, ec)) {
                    std::fprintf(stderr, "missing frame %s\n", file.c_str());
                    complete = false;
                }
        if (scene.UseRecorder != 0) {
            const std::string path = RecorderPartPath(recorderPath, k, parts);
            const std::string stamp = RecorderPartStamp(sceneBytes, scene.From, scene.To, k, parts);
            if (const std::string problem = readRows(path, stamp, span.count, rows); !problem.empty()) {
                std::fprintf(stderr, "%s\n", problem.c_str());
                complete = false;
            }
            partFiles.push_back(path);
        }
        if (!complete) incomplete.push_back(k);
    }
    for (const int k : incomplete)
        std::fprintf(stderr, "part %d/%d (%s) is not complete: render it again with --part %d/%d\n", k, parts,
                     spanText(PartFrames(whole.first, whole.count, k, parts)).c_str(), k, parts);
    if (!incomplete.empty()) return ExitFailure;

    // The part files stay until the video and the recorder file are in place: a failed merge can be re-run.
    if (args.has("--video") && !encodeVideo(args, scene, whole)) return ExitFailure;
    if (scene.UseRecorder != 0) {
        AtomicFile out;
        if (!out.open(recorderPath) || !out.write(RecorderHeaderText() + "\r\n" + rows) || !out.commit()) {
            std::fprintf(stderr, "%s\n", FormatString(IDS_RECORDER_CANNOT_WRITE, recorderPath).c_str());
            return ExitFailure;
        }
        for (const std::string& file : partFiles) fs::remove(file, ec);
        std::printf("%s\n", recorderPath.c_str());
    }
    return ExitOk;
}

} // namespace cli

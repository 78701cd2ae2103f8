// orvantis-cli render SCENE.ovs: renders a scene's frames without the desktop, as the Raw and Final commands
// of a scene window do.

#include "cli/Command.h"
#include "cli/ConsolePlatform.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "cli/RenderParts.h"
#include "cli/RenderVideo.h"

#include "app/AtomicFile.h"
#include "app/CFormat.h"
#include "app/IniSettings.h"
#include "app/Progress.h"
#include "app/SettingsDefaults.h"
#include "image/TGAFile.h"
#include "render/CameraPath.h"
#include "render/FlightProfile.h"
#include "render/JobFile.h"
#include "render/RenderRun.h"
#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class CliProgress : public Progress {
public:
    explicit CliProgress(cli::ProgressBar& b) : bar(b) {}
    void report(int percent) override { bar.setPercent(percent); }
    bool stopRequested() const override { return cli::InterruptGuard::requested(); }

private:
    cli::ProgressBar& bar;
};

class CliObserver : public RenderObserver {
public:
    explicit CliObserver(cli::ProgressBar& b) : bar(b) {}
    void framesPlanned(int count) override { bar.setFrameCount(count); }
    void frameStarting(int index, const std::string&) override { bar.startFrame(index); }
    void frameWritten(const std::string& path) override {
        bar.clear();
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }
    void frameRecorded(int index, const RecorderRow& row) override { profile.push_back({index, row}); }
    void runEnded(const RunResult&) override { bar.finish(); }

    std::vector<ProfileSample> profile;

private:
    cli::ProgressBar& bar;
};

// A frame number for --from and --to.
std::string frameNumber(const std::string& option, const std::string& value) {
    int n = 0;
    return parseIntStrict(value, n) ? "" : option + " needs a frame number";
}

int runRender(const cli::Args& args) {
    // Every frame allocates and frees its scratch (the pixel owners, the kept triangles, the pictures of
    // frames in flight), megabytes at a time: keep freed memory for the next frame instead of handing it
    // back to the system and faulting it in again.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);

    for (const std::string& mistake : {cli::RenderVideo::usageMistake(args), cli::partUsageMistake(args)})
        if (!mistake.empty()) return cli::usageError("render", mistake);
    // A part holds some of the frames, a merge renders none: the profile is that of a whole run.
    if (args.has("--profile") && (args.has("--part") || args.has("--merge-parts")))
        return cli::usageError("render", "--profile goes with a whole run, not with --part or --merge-parts");
    const std::string& scenePath = args.positional[0];
    const std::string outputFolder = args.value("--output-dir");
    CSceneParams scene;
    scene.NewScene();
    std::error_code ec;
    if (!fs::is_regular_file(scenePath, ec) || !scene.LoadScript(scenePath)) {
        std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_OPEN_FILE, scenePath).c_str());
        return ExitFailure;
    }
    if (args.has("--from")) parseIntStrict(args.value("--from"), scene.From);
    if (args.has("--to")) parseIntStrict(args.value("--to"), scene.To);
    if (args.has("--supersample")) parseIntStrict(args.value("--supersample"), scene.Supersampling);

    // Input names are taken relative to the scene's folder; the frames and the recorder file go to the
    // output folder (the scene's folder unless one is given).
    const fs::path sceneDir = fs::absolute(scenePath, ec).parent_path();
    const fs::path outputDir = outputFolder.empty() ? sceneDir : fs::absolute(outputFolder, ec);
    // A relative output name stays inside the folder it was given (an absolute one goes where it says).
    if (const fs::path name = scene.OutputFileName; !outputFolder.empty() && name.is_relative()) {
        const fs::path folder = (outputDir / "").lexically_normal();
        const fs::path where = (outputDir / name).lexically_normal();
        if (where.string().compare(0, folder.string().size(), folder.string()) != 0) {
            std::fprintf(
                stderr, "%s\n",
                FormatString(IDS_OUTPUT_LEAVES_FOLDER, scene.OutputFileName, outputDir.string()).c_str());
            return ExitFailure;
        }
    }
    // The folders made for the output are removed again when the run fails with them still empty.
    std::vector<fs::path> madeFolders;
    if (!outputFolder.empty() && !fs::is_directory(outputDir, ec)) {
        for (fs::path p = outputDir; !p.empty() && !fs::exists(p, ec) && p != p.parent_path();
             p = p.parent_path())
            madeFolders.push_back(p);
        fs::create_directories(outputDir, ec);
        if (ec) {
            std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_OPEN_FILE, outputFolder).c_str());
            return ExitFailure;
        }
    }
    struct EmptyFolderRemover {
        const std::vector<fs::path>& folders;
        bool keep = false;
        ~EmptyFolderRemover() {
            std::error_code ignored;
            if (!keep)
                for (const fs::path& folder : folders) fs::remove(folder, ignored); // only when empty
        }
    } remover{madeFolders};
    CSceneParams output;
    output.OutputFileName = scene.OutputFileName;
    ResolveSceneRelativePaths(output, outputDir.string());
    ResolveSceneRelativePaths(scene, sceneDir.string());
    scene.OutputFileName = output.OutputFileName;

    const SceneCheck check = scene.ValidateScene();
    if (!check.ok) {
        std::fprintf(stderr, "%s\n", check.message.c_str());
        return ExitFailure;
    }

    // The parts of a flight and their merge tell by the scene's bytes that they belong together.
    RunPart part;
    std::string sceneBytes;
    if (args.has("--part") || args.has("--merge-parts")) {
        std::ifstream in(scenePath, std::ios::binary);
        sceneBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (args.has("--merge-parts")) return cli::mergeParts(args, scene, sceneBytes, outputDir.string());
    if (args.has("--part")) {
        if (const std::string mistake = cli::partFromArgs(args, part); !mistake.empty())
            return cli::usageError("render", mistake);
        part.stamp = RecorderPartStamp(sceneBytes, scene.From, scene.To, part.index, part.count);
    }

    // The video encoder is set up before any frame is rendered.
    std::unique_ptr<cli::RenderVideo> video;
    if (args.has("--video")) {
        std::string error;
        video = cli::RenderVideo::open(args, scene, error);
        if (!video) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return ExitFailure;
        }
    }

    ConsolePlatform platform;
    IniSettings settings;
    cli::InterruptGuard interrupt;
    cli::ProgressBar bar(stderr, !args.has("--quiet") && !args.has("-q") && isatty(STDERR_FILENO));
    CliProgress progress(bar);
    CliObserver observer(bar);

    std::unique_ptr<JobFile> job = JobFile::Create(scene, scenePath);
    if (!job) {
        std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_CREATE_JOB, JobFile::TempFolder()).c_str());
        return ExitFailure;
    }
    CTGAFile picture(platform, settings::ReadAntialiasing(settings));
    RunOptions options;
    options.mode = args.value("--mode") == "raw" ? RenderMode::Raw : RenderMode::Final;
    options.recorderFolder = outputDir.string();
    options.sceneFile = scenePath;
    // No window watches the frames grow: each pixel is shaded once, at the end of its frame.
    options.deferShading = true;
    options.frameSink = video.get();
    options.writeFrameFiles = !video || args.has("--frames");
    options.part = part;
    // Several frames at once; a single frame is shared by picture rows instead.
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (args.has("--jobs")) parseIntStrict(args.value("--jobs"), jobs);
    if (DrawnFrames(scene, part).count > 1)
        options.frameThreads = jobs;
    else
        options.rowThreads = jobs;
    const RunResult result = RunJob(job->path(), picture, options, platform, settings, progress, observer);
    const bool videoEnded = !video || video->end();
    bool profileWritten = true;
    if (args.has("--profile") && result.outcome == RunOutcome::Completed) {
        const std::string path = args.value("--profile");
        profileWritten = writeFileAtomically(path, ProfileSvg(LayoutProfile(observer.profile, 960, 600)));
        if (profileWritten) {
            std::printf("%s\n", path.c_str());
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "%s\n", FormatString(IDS_PROFILE_CANNOT_WRITE, path).c_str());
        }
    }

    remover.keep = !result.written.empty();
    if (result.outcome == RunOutcome::Stopped) return cli::InterruptGuard::exitStatus();
    if (result.outcome == RunOutcome::Failed || result.writeFailures > 0 || !videoEnded || !profileWritten)
        return ExitFailure;
    // A flight recorder file that could not be written is lost data too (the run has said so).
    if (result.recorderFailed) return ExitFailure;
    return ExitOk;
}

} // namespace

// The options of render without those of the video.
static CliCommand renderFrameCommand() {
    return {"render",
            {{{"--mode", true,
               [](const std::string& v) {
                   return v == "raw" || v == "final" ? "" : "--mode must be raw or final";
               }},
              {"--from", true, [](const std::string& v) { return frameNumber("--from", v); }},
              {"--to", true, [](const std::string& v) { return frameNumber("--to", v); }},
              {"--output-dir", true,
               [](const std::string& v) { return v.empty() ? "--output-dir needs a folder" : ""; }},
              {"--jobs", true,
               [](const std::string& v) {
                   int n = 0;
                   return parseIntStrict(v, n) && n >= 1 && n <= 256
                              ? ""
                              : "--jobs needs a number of threads from 1 to 256";
               }},
              {"--supersample", true,
               [](const std::string& v) {
                   int k = 0;
                   return parseIntStrict(v, k) && k >= 1 && k <= kMaxSupersampling
                              ? ""
                              : "--supersample needs a factor from 1 to 4";
               }},
              {"--profile", true,
               [](const std::string& v) { return v.empty() ? "--profile needs a file name" : ""; }},
              {"--quiet", false},
              {"-q", false}},
             1,
             "missing scene file",
             "only one scene file can be rendered",
             true},
            runRender};
}

CliCommand renderCommand() {
    CliCommand command = renderFrameCommand();
    const std::vector<cli::Option> video = cli::RenderVideo::options();
    command.args.options.insert(command.args.options.end(), video.begin(), video.end());
    const std::vector<cli::Option> parts = cli::partOptions();
    command.args.options.insert(command.args.options.end(), parts.begin(), parts.end());
    return command;
}

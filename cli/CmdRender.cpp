// orvantis-cli render SCENE.ovs: renders a scene's frames without the desktop, as the Raw and Final commands
// of a scene window do.

#include "cli/Command.h"
#include "cli/ConsolePlatform.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"

#include "app/CFormat.h"
#include "app/IniSettings.h"
#include "app/Progress.h"
#include "app/SettingsDefaults.h"
#include "image/TGAFile.h"
#include "render/CameraPath.h"
#include "render/JobFile.h"
#include "render/RenderRun.h"
#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <thread>
#include <unistd.h>

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
    void runEnded(const RunResult&) override { bar.finish(); }

private:
    cli::ProgressBar& bar;
};

struct RenderArgs {
    std::string scene;
    RenderMode mode = RenderMode::Final;
    bool hasFrom = false, hasTo = false;
    int from = 0, to = 0;
    std::string outputDir;
    bool quiet = false;
    int jobs = 0; // 0: the number of cores
};

int parseArgs(const std::vector<std::string>& args, RenderArgs& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (cli::takeOptionValue(args, i, "--mode", value)) {
            if (value == "raw")
                out.mode = RenderMode::Raw;
            else if (value == "final")
                out.mode = RenderMode::Final;
            else
                return cli::usageError("render", "--mode must be raw or final");
        } else if (cli::takeOptionValue(args, i, "--from", value)) {
            if (!parseIntStrict(value, out.from))
                return cli::usageError("render", "--from needs a frame number");
            out.hasFrom = true;
        } else if (cli::takeOptionValue(args, i, "--to", value)) {
            if (!parseIntStrict(value, out.to)) return cli::usageError("render", "--to needs a frame number");
            out.hasTo = true;
        } else if (cli::takeOptionValue(args, i, "--output-dir", value)) {
            if (value.empty()) return cli::usageError("render", "--output-dir needs a folder");
            out.outputDir = value;
        } else if (cli::takeOptionValue(args, i, "--jobs", value)) {
            if (!parseIntStrict(value, out.jobs) || out.jobs < 1 || out.jobs > 256)
                return cli::usageError("render", "--jobs needs a number of threads from 1 to 256");
        } else if (a == "--quiet" || a == "-q") {
            out.quiet = true;
        } else if (a == "--mode" || a == "--from" || a == "--to" || a == "--output-dir" || a == "--jobs") {
            return cli::usageError("render", a + " needs a value");
        } else if (a.size() > 1 && a[0] == '-') {
            return cli::usageError("render", "unknown option '" + a + "'");
        } else if (!out.scene.empty()) {
            return cli::usageError("render", "only one scene file can be rendered");
        } else {
            out.scene = a;
        }
    }
    if (out.scene.empty()) return cli::usageError("render", "missing scene file");
    return ExitOk;
}

int runRender(const std::vector<std::string>& args) {
    // Every frame allocates and frees its scratch (the pixel owners, the kept triangles, the pictures of
    // frames in flight), megabytes at a time: keep freed memory for the next frame instead of handing it
    // back to the system and faulting it in again.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);

    RenderArgs opt;
    if (int usage = parseArgs(args, opt); usage != ExitOk) return usage;

    CSceneParams scene;
    scene.NewScene();
    std::error_code ec;
    if (!fs::is_regular_file(opt.scene, ec) || !scene.LoadScript(opt.scene)) {
        std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_OPEN_FILE, opt.scene.c_str()).c_str());
        return ExitFailure;
    }
    if (opt.hasFrom) scene.From = opt.from;
    if (opt.hasTo) scene.To = opt.to;

    // Input names are taken relative to the scene's folder; the frames and the recorder file go to the
    // output folder (the scene's folder unless one is given).
    const fs::path sceneDir = fs::absolute(opt.scene, ec).parent_path();
    const fs::path outputDir = opt.outputDir.empty() ? sceneDir : fs::absolute(opt.outputDir, ec);
    if (!opt.outputDir.empty() && !fs::is_directory(outputDir, ec)) {
        fs::create_directories(outputDir, ec);
        if (ec) {
            std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_OPEN_FILE, opt.outputDir.c_str()).c_str());
            return ExitFailure;
        }
    }
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

    ConsolePlatform platform;
    IniSettings settings;
    cli::InterruptGuard interrupt;
    cli::ProgressBar bar(stderr, !opt.quiet && isatty(STDERR_FILENO));
    CliProgress progress(bar);
    CliObserver observer(bar);

    std::unique_ptr<JobFile> job = JobFile::Create(scene, opt.scene);
    if (!job) {
        std::fprintf(stderr, "%s\n",
                     FormatString(IDS_CANNOT_CREATE_JOB, JobFile::TempFolder().c_str()).c_str());
        return ExitFailure;
    }
    CTGAFile picture(platform, settings::ReadAntialiasing(settings));
    RunOptions options;
    options.mode = opt.mode;
    options.recorderFolder = outputDir.string();
    // No window watches the frames grow: each pixel is shaded once, at the end of its frame.
    options.deferShading = true;
    // Several frames at once; a single frame is shared by picture rows instead.
    const int jobs =
        opt.jobs > 0 ? opt.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (PlannedFrameCount(scene.PathType, scene.From, scene.To, scene.Total) > 1)
        options.frameThreads = jobs;
    else
        options.rowThreads = jobs;
    const RunResult result = RunJob(job->path(), picture, options, platform, settings, progress, observer);

    if (result.outcome == RunOutcome::Stopped) return ExitStopped;
    if (result.outcome == RunOutcome::Failed || result.writeFailures > 0) return ExitFailure;
    // A flight recorder file that could not be written is lost data too (the run has said so).
    if (result.recorderFailed) return ExitFailure;
    return ExitOk;
}

CliCommandRegistration reg{CliCommand{
    "render",
    "render SCENE.ovs [--mode raw|final] [--from N] [--to N] [--output-dir DIR] [--jobs N] [--quiet]",
    "Usage: orvantis-cli render SCENE.ovs [--mode raw|final] [--from N] [--to N] [--output-dir DIR] "
    "[--jobs N] [--quiet]\n"
    "Renders the frames of a scene script, as the Raw and Final commands of a scene window do.\n\n"
    "The scene is checked first, with the desktop application's rules and messages. File names inside the\n"
    "scene that are not absolute are taken relative to the scene file's folder.\n\n"
    "  --mode raw|final   raw draws every other grid cell in every other row; final (the default) all.\n"
    "  --from N, --to N   render only the frames N (0-based) up to N, instead of the scene's range; they "
    "are\n"
    "                     checked like the scene's own values.\n"
    "  --output-dir DIR   where the frames and the flight recorder file OVRECORD.XLS go (created when\n"
    "                     missing); by default the scene file's folder. Output names that are absolute "
    "stay.\n"
    "  --jobs N           render N frames at once, each in a thread of its own (a single frame is shared\n"
    "                     by N threads, by picture rows); by default the number of processor cores. The\n"
    "                     files are the same, byte for byte, and are written and listed in frame order.\n"
    "  --quiet            no progress line.\n\n"
    "Prints the path of every written file on stdout, one per line. On a terminal a progress line on stderr\n"
    "shows the frame, the percentage of the frame, frames per second and the time left.\n"
    "Files that cannot be written are not retried. Ctrl+C stops after the frame in progress is abandoned "
    "(it\n"
    "is not written); the flight recorder file is closed and the job file removed.\n\n"
    "Exit status: 0 all frames written, 1 failure (the message on stderr), 2 bad usage, 130 stopped by "
    "Ctrl+C.\n",
    runRender}};

} // namespace

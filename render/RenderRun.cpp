#include "render/RenderRun.h"

#include "app/Platform.h"
#include "app/Progress.h"
#include "app/Settings.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "render/CameraPath.h"
#include "render/FlightRecorder.h"
#include "render/JobValues.h"
#include "render/WorkerPool.h"
#include "renderer/RenderCamera.h"
#include "renderer/TerrainRenderer.h"
#include "renderer/TextureSampler.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>

namespace {

// A frame rendered by one of the run's frame threads while the run goes on computing the next camera
// values and writing the frames before it.
struct FrameTask {
    PathFrame frame;
    std::string name;
    std::unique_ptr<RenderCamera> camera;
    std::unique_ptr<CTGAFile> image;
    std::atomic<int> percent{0};
    bool done = false;   // guarded by the run's task mutex
    bool failed = false; // the thread ran out of memory
};

// What a frame's thread reports: its percentage for the progress display, and the run's stop request.
class TaskProgress : public Progress {
public:
    TaskProgress(std::atomic<int>& percent_, const std::atomic<bool>& stop_)
        : percent(percent_), stop(stop_) {}
    void report(int p) override { percent.store(p, std::memory_order_relaxed); }
    bool stopRequested() const override { return stop.load(std::memory_order_relaxed); }

private:
    std::atomic<int>& percent;
    const std::atomic<bool>& stop;
};

// One run: the state a rendering window keeps while a job runs. Its members are released when it goes,
// whichever way the run left.
class RenderRun : public PathFrameSink {
public:
    RenderRun(const std::string& jobFile, CTGAFile& picture, const RunOptions& options, Platform& platform,
              SettingsStore& settings, Progress& control, RenderObserver& observer)
        : jobFile(jobFile), picture(picture), options(options), platform(platform), control(control),
          observer(observer), antialiasing(settings.getInt("Settings", "Antialiasing", 10)),
          recorder(platform, options.decimalSeparator ? *options.decimalSeparator : UserDecimalSeparator()) {}
    ~RenderRun() override { abandonTasks(); }

    void execute();
    RunResult result;

    // PathFrameSink
    bool stopRequested() const override { return control.stopRequested(); }
    void beginLoop() override;
    void drawFrame(const PathFrame& frame) override;
    void endLoop() override;

private:
    bool setUp();
    void renderFrame(const std::string& name);
    void fillBackground(CTGAFile& image) const;
    FrameInputs frameInputs(const RenderCamera& frameCamera, CTGAFile& image, const PathFrame& f) const;
    void saveFrame(const std::string& name);
    // Frames in parallel.
    bool inParallel() const { return options.mode != RenderMode::Preview && options.frameThreads > 1; }
    void queueFrame(const PathFrame& f, const std::string& name);
    void renderTask(FrameTask& task);
    size_t framesInFlight() const;
    void collectOldest();
    void abandonTasks();
    double heightAt(double x, double y) const { return elevation->ElevationAt(x, y); }
    std::string recorderPath() const;

    const std::string& jobFile;
    CTGAFile& picture;
    const RunOptions& options;
    Platform& platform;
    Progress& control;
    RenderObserver& observer;
    int antialiasing;

    JobValues job;
    Vector4 light;
    std::unique_ptr<RenderCamera> camera;
    std::unique_ptr<CTGAFile> mask;
    std::unique_ptr<CTGAFile> texture;
    std::unique_ptr<TextureSampler> sampler; // of the texture, for every frame of the run
    std::unique_ptr<CGelaende> elevation;
    std::unique_ptr<WireModel> wire;
    double extentX = 0, extentY = 0;
    double gridX = 0, gridY = 0;
    double zScale = 1.0;
    double dust = 0.0;
    FlightRecorder recorder;
    bool reportedBadTemplate = false;

    std::deque<std::unique_ptr<FrameTask>> tasks; // in frame order
    std::vector<std::unique_ptr<CTGAFile>> spareImages;
    std::mutex taskMutex;
    std::condition_variable taskDone;
    std::atomic<bool> stopTasks{false};
    std::unique_ptr<WorkerPool> pool; // declared last: it goes first, finishing the jobs of the tasks above
    bool stopped = false;             // a frame was stopped: the frames after it are dropped
    std::exception_ptr loopError;
};

bool RenderRun::setUp() {
    const bool inMemory = options.mode != RenderMode::Preview;
    {
        ProfileFile profile(jobFile);
        job = ReadJobValues(profile);
    }

    light = Vector4::Direction(job.lightX, job.lightY, job.lightZ);
    const double length = Length3(light);
    if (length != 0.0) light = light / length;

    const int width = job.width, height = job.height;
    if (!picture.hasImage() || picture.GetWidth() != width || picture.GetHeight() != height) {
        if (width <= 0 || height <= 0 || !picture.CreateImage(width, height)) return false;
    }
    // The screen centre in whole pixels: an odd size puts it on the pixel left of and above the middle.
    camera = std::make_unique<RenderCamera>(light, width, height, static_cast<double>(width / 2),
                                            static_cast<double>(-(height / 2)));

    if (job.useMask != 0) {
        mask = std::make_unique<CTGAFile>(platform, antialiasing);
        if (!mask->OpenImage(job.maskFile)) {
            platform.error(FormatString(IDS_CANNOT_OPEN_FILE, job.maskFile.c_str()));
            return false;
        }
        if (mask->GetWidth() != width || mask->GetHeight() != height) {
            platform.error(LoadString(IDS_MASK_SIZE_DIFFERS));
            result.closeWindow = true;
            return false;
        }
    }

    if (job.useTexture != 0 && !job.textureFile.empty()) {
        texture = std::make_unique<CTGAFile>(platform, antialiasing, inMemory, job.scaleX, job.scaleY);
        if (!texture->OpenImage(job.textureFile)) return false;
        if (inMemory) sampler = std::make_unique<TextureSampler>(*texture, antialiasing);
    }

    elevation = std::make_unique<CGelaende>(platform, job.scaleX, job.scaleY, inMemory, antialiasing);
    if (!elevation->OpenImage(job.elevationFile)) return false;
    extentX = elevation->GetExtentX();
    extentY = elevation->GetExtentY();
    gridX = job.gridX;
    gridY = job.gridY;

    if (options.mode == RenderMode::Preview) {
        gridX = PreviewGridDivision(gridX);
        gridY = PreviewGridDivision(gridY);
        wire = std::make_unique<WireModel>(extentX, extentY, gridX, gridY);
    }

    if (job.pathType != 0 && job.points.size() < 3) {
        platform.error(LoadString(IDS_CURVE_NEEDS_THREE_POINTS));
        return false;
    }
    picture.FillGray(255);
    observer.pictureChanged();
    return true;
}

void RenderRun::execute() {
    picture.setModified(true);
    picture.setBusy(true);
    if (!setUp()) {
        result.outcome = RunOutcome::Failed;
        return;
    }

    const WorldHeightLookup lookup = [this](double x, double y) { return heightAt(x, y); };
    if (job.pathType == 0) {
        observer.framesPlanned(std::max(0, job.to - job.from + 1));
        RunStraightPath(job, lookup, *this);
    } else {
        // The curve produces the frame indices 0 ... Total - 2.
        observer.framesPlanned(std::max(0, std::min(job.to, std::max(job.total - 2, 0)) - job.from + 1));
        RunCurvedPath(job, extentY, lookup, *this);
    }
    if (loopError) std::rethrow_exception(loopError);
    result.outcome = control.stopRequested() ? RunOutcome::Stopped : RunOutcome::Completed;
}

std::string RenderRun::recorderPath() const {
    const std::string fileName = LoadString(IDS_RECORDER_FILE_NAME);
    std::filesystem::path folder = options.recorderFolder;
    if (folder.empty()) {
        const auto first = FormatOutputName(job.outputTemplate, job.offset + job.from);
        if (first) folder = std::filesystem::path(*first).parent_path();
    }
    return folder.empty() ? fileName : (folder / fileName).string();
}

void RenderRun::beginLoop() {
    if (job.recorder != 0) recorder.Open(recorderPath());
}

void RenderRun::endLoop() {
    // The frames still in flight are finished (or dropped after a stop) before the recorder closes.
    try {
        while (!tasks.empty()) collectOldest();
    } catch (...) {
        abandonTasks();
        loopError = std::current_exception();
    }
    recorder.Close();
}

void RenderRun::drawFrame(const PathFrame& f) {
    const auto formatted = FormatOutputName(job.outputTemplate, job.offset + f.index);
    const std::string name = formatted ? *formatted : std::string();
    if (inParallel()) {
        queueFrame(f, name);
        return;
    }

    camera->Set(Vector4::Point(f.x, f.y, f.z), f.heading, f.pitch, f.focalLength, f.roll);
    zScale = f.zScale;
    elevation->SetZScale(zScale);
    dust = f.dust;
    observer.frameStarting(f.index, name);

    if (options.mode == RenderMode::Preview) {
        control.pump();
        const auto lookup = [this](double x, double y) { return heightAt(x, y); };
        observer.wireModel(wire->Project(*camera, zScale, lookup, control));
    } else {
        renderFrame(name);
    }
    ++result.framesDrawn;
    if (job.recorder != 0) recorder.WriteRow(f.recorder);
}

void RenderRun::fillBackground(CTGAFile& image) const {
    if (job.useBackground != 0) {
        uint32_t colour = 0;
        if (job.BackgroundColour(colour)) image.FillColor(colour);
    } else {
        const double level = std::trunc(std::fabs(light.z) * 256.0);
        image.FillGray(static_cast<uint8_t>(std::min(level, 255.0)));
    }
}

FrameInputs RenderRun::frameInputs(const RenderCamera& frameCamera, CTGAFile& image,
                                   const PathFrame& f) const {
    FrameInputs in;
    in.camera = &frameCamera;
    in.elevation = elevation.get();
    in.zScale = f.zScale;
    in.texture = texture.get();
    in.sampler = sampler.get();
    in.output = &image;
    in.hq = job.highQuality != 0;
    in.light = light;
    in.dust = f.dust;
    in.gridX = gridX;
    in.gridY = gridY;
    in.mode = options.mode;
    in.threads = std::max(1, options.rowThreads);
    // Without a texture a pixel is shaded about as cheaply as its owner is remembered: no deferral then.
    in.deferShading = options.deferShading && texture != nullptr;
    return in;
}

void RenderRun::renderFrame(const std::string& name) {
    picture.setPathName(name);
    fillBackground(picture);
    PathFrame f;
    f.zScale = zScale;
    f.dust = dust;
    RenderTerrainFrame(frameInputs(*camera, picture, f), control);

    control.report(100);
    observer.pictureChanged();
    if (control.stopRequested()) return; // a stopped frame is not written
    if (mask) picture.ApplyMask(*mask);
    saveFrame(name);
}

// Frames queued, rendering or rendered but not yet written. More frames than threads keep every thread busy
// while the oldest frame is being written or a short frame has overtaken a long one; the pictures waiting
// are bounded to a few hundred megabytes.
size_t RenderRun::framesInFlight() const {
    constexpr size_t budget = size_t{512} << 20;
    const size_t threads = static_cast<size_t>(options.frameThreads);
    const size_t pictureBytes = std::max<size_t>(1, 3 * static_cast<size_t>(picture.GetWidth()) *
                                                        static_cast<size_t>(picture.GetHeight()));
    return std::clamp(budget / pictureBytes, threads, 2 * threads);
}

void RenderRun::queueFrame(const PathFrame& f, const std::string& name) {
    if (!pool) pool = std::make_unique<WorkerPool>(options.frameThreads);
    while (tasks.size() >= framesInFlight()) collectOldest();
    if (stopped) return;

    auto task = std::make_unique<FrameTask>();
    task->frame = f;
    task->name = name;
    task->camera = std::make_unique<RenderCamera>(*camera);
    task->camera->Set(Vector4::Point(f.x, f.y, f.z), f.heading, f.pitch, f.focalLength, f.roll);
    if (!spareImages.empty()) {
        task->image = std::move(spareImages.back());
        spareImages.pop_back();
    } else {
        task->image = std::make_unique<CTGAFile>(platform, antialiasing);
        if (!task->image->CreateImage(picture.GetWidth(), picture.GetHeight())) throw std::bad_alloc();
    }
    FrameTask& t = *task;
    tasks.push_back(std::move(task));
    if (!pool->submit([this, &t] { renderTask(t); }))
        renderTask(t); // no thread to be had: rendered here and now
}

void RenderRun::renderTask(FrameTask& t) {
    try {
        // A frame that was still waiting when the run stopped is not started at all.
        if (!stopTasks.load(std::memory_order_relaxed)) {
            fillBackground(*t.image);
            TaskProgress progress(t.percent, stopTasks);
            RenderTerrainFrame(frameInputs(*t.camera, *t.image, t.frame), progress);
        }
    } catch (...) {
        t.failed = true;
    }
    std::lock_guard<std::mutex> lock(taskMutex);
    t.done = true;
    taskDone.notify_all();
}

void RenderRun::collectOldest() {
    std::unique_ptr<FrameTask> owned = std::move(tasks.front());
    tasks.pop_front();
    FrameTask& t = *owned;
    // However this is left, the frame's thread is done with it first (told to stop when an exception leaves).
    struct Waiter {
        RenderRun& run;
        FrameTask& task;
        ~Waiter() {
            if (std::uncaught_exceptions() > 0) run.stopTasks.store(true);
            std::unique_lock<std::mutex> lock(run.taskMutex);
            run.taskDone.wait(lock, [this] { return task.done; });
        }
    } waiter{*this, t};
    if (!stopped) observer.frameStarting(t.frame.index, t.name);
    {
        // Meanwhile the window stays responsive and shows how far this frame is.
        std::unique_lock<std::mutex> lock(taskMutex);
        while (!taskDone.wait_for(lock, std::chrono::milliseconds(50), [&] { return t.done; })) {
            lock.unlock();
            if (!stopped) {
                control.report(t.percent.load(std::memory_order_relaxed));
                control.pump();
                if (control.stopRequested()) stopTasks.store(true);
            }
            lock.lock();
        }
    }
    if (t.failed) throw std::bad_alloc();
    if (!stopped) {
        // The frame goes through the run's own picture, as a frame rendered there would.
        picture.setPathName(t.name);
        fillBackground(picture);
        const size_t rowBytes = 3 * static_cast<size_t>(picture.GetWidth());
        for (int y = 0; y < picture.GetHeight(); ++y)
            std::memcpy(picture.pixelAt(0, y), t.image->pixelAt(0, y), rowBytes);
        control.report(100);
        observer.pictureChanged();
        if (control.stopRequested()) {
            // A stopped frame is not written; the frames after it are dropped.
            stopped = true;
            stopTasks.store(true);
        } else {
            if (mask) picture.ApplyMask(*mask);
            saveFrame(t.name);
        }
        ++result.framesDrawn;
        if (job.recorder != 0) recorder.WriteRow(t.frame.recorder);
    }
    spareImages.push_back(std::move(t.image));
}

void RenderRun::abandonTasks() {
    stopTasks.store(true);
    pool.reset(); // finishes (or skips) every queued frame and joins the threads
    tasks.clear();
}

void RenderRun::saveFrame(const std::string& name) {
    if (name.empty()) {
        // Only a template that the scene check would refuse gets here.
        if (!reportedBadTemplate) platform.error(LoadString(IDS_CHECK_OUTPUT_TEMPLATE));
        reportedBadTemplate = true;
        ++result.writeFailures;
        return;
    }
    auto save = [&](int format, const std::string& writtenName) {
        if (picture.SaveImageAs(name, format)) {
            result.written.push_back(writtenName);
            observer.frameWritten(writtenName);
        } else {
            ++result.writeFailures;
        }
    };
    switch (job.OutputFormat()) {
    case 1:
        save(1, CTGAFile::YuvFileName(name));
        break;
    case 2:
        save(0, name);
        save(1, CTGAFile::YuvFileName(name));
        break;
    default:
        save(0, name);
        break;
    }
}

} // namespace

RunResult RunJob(const std::string& jobFile, CTGAFile& picture, const RunOptions& options, Platform& platform,
                 SettingsStore& settings, Progress& control, RenderObserver& observer) {
    // The job file goes however the run ends, also when it ends by an exception.
    struct JobFileRemover {
        const std::string& name;
        ~JobFileRemover() { std::remove(name.c_str()); }
    } remover{jobFile};

    RunResult result;
    {
        auto run =
            std::make_unique<RenderRun>(jobFile, picture, options, platform, settings, control, observer);
        try {
            run->execute();
        } catch (const std::bad_alloc&) {
            run->result.outcome = RunOutcome::Failed;
            platform.error(FormatString(IDS_RUN_OUT_OF_MEMORY));
        }
        result = run->result;
        // Leaving the scope releases the images, the camera, the wire model and the recorder file.
    }
    std::remove(jobFile.c_str());
    picture.setModified(false);
    picture.setBusy(false);
    // A run that was asked to stop closes its window, even when the request came after the last frame.
    if (control.stopRequested()) result.closeWindow = true;
    observer.runEnded(result);
    return result;
}

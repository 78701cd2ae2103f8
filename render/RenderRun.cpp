#include "render/RenderRun.h"

#include "app/Progress.h"
#include "app/SettingsDefaults.h"
#include "render/CameraPath.h"
#include "render/RunParts.h"
#include "render/WorkerPool.h"
#include "res/StringTable.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <new>

namespace {

// k: the supersampling factor; the focal distance grows with the picture, so that it shows the same view.
void SetView(RenderCamera& camera, PathFrame f, int k) {
    f.focalLength = f.focalLength * k;
    SetFrameView(camera, f);
}

// The camera of the picture a frame is rendered in: the output's size times the supersampling factor k.
RenderCamera RunCamera(const RenderContext& context) {
    const int k = context.supersampling;
    return PictureCamera(context.frame.light, k * context.job.SizeX, k * context.job.SizeY);
}

// A frame rendered by one of the frame threads while the run goes on computing the next camera values and
// finishing the frames before it. Its thread reports the frame's percentage here and hears the stop request.
struct FrameTask : Progress {
    FrameTask(const PathFrame& f, const std::string& name, const std::atomic<bool>& stop)
        : frame(f), name(name), stop(stop) {}
    void report(int p) override { percent.store(p, std::memory_order_relaxed); }
    bool stopRequested() const override { return stop.load(std::memory_order_relaxed); }

    PathFrame frame;
    std::string name;
    const std::atomic<bool>& stop;
    std::unique_ptr<CTGAFile> image;
    std::atomic<int> percent{0};
    bool done = false;        // guarded by the production's task mutex
    std::exception_ptr error; // what the frame's thread threw
};

// The sink of the path's frames: Preview projects the wire model; Raw and Final render each frame into the
// picture, or, pipelined, several frames at once in frame threads, collected in frame order.
class Production : public PathFrameSink {
public:
    Production(const RenderContext& context, const RunCaller& caller, RunOutput& output, FrameSpan drawn)
        : context(context), caller(caller), picture(caller.picture), control(caller.control), output(output),
          drawn(drawn),
          pipelined(caller.options.mode != RenderMode::Preview && caller.options.frameThreads > 1),
          k(context.supersampling), camera(RunCamera(context)) {}
    ~Production() override { abandonTasks(); }

    std::exception_ptr loopError; // what ended the loop while the frames in flight were collected
    const WorldHeightLookup height = [this](double x, double y) {
        return context.elevation->ElevationAt(x, y);
    };

    bool stopRequested() const override { return control.stopRequested(); }
    bool drawsFrame(int index) const override { return drawn.first <= index && index <= drawn.last(); }
    void beginLoop() override {
        exceptionsBefore = std::uncaught_exceptions();
        output.openRecorder();
    }

    void drawFrame(const PathFrame& f) override {
        const std::string name = output.frameName(f.index);
        if (pipelined) return queueFrame(f, name);
        SetView(camera, f, k);
        caller.observer.frameStarting(f.index, name);
        if (caller.options.mode == RenderMode::Preview) {
            control.pump();
            caller.observer.wireModel(context.wire->Project(camera, f.zScale, height, control));
            recordFrame(f);
        } else {
            startPicture(picture, name);
            if (k == 1) {
                RenderTerrainFrame(frameInputs(camera, picture, f), control);
            } else {
                if (!large) large = makeImage();
                startPicture(*large, name);
                RenderTerrainFrame(frameInputs(camera, *large, f), control);
                picture.AverageBlocksOf(*large, k);
            }
            finishFrame(f, name);
        }
    }

    void endLoop() override {
        // The frames still in flight are finished (or dropped after a stop) before the recorder closes. When
        // an error ends the loop they are dropped too: their threads were told to stop, so they may hold
        // nothing but the background, and the frames after a failed one are not written.
        if (std::uncaught_exceptions() > exceptionsBefore) {
            abandonTasks();
        } else {
            try {
                while (!tasks.empty()) collectOldest();
            } catch (...) {
                abandonTasks();
                loopError = std::current_exception();
            }
        }
        output.closeRecorder();
    }

private:
    // An image of the size frames are rendered at (the picture's times the supersampling factor).
    std::unique_ptr<CTGAFile> makeImage() const {
        auto image = std::make_unique<CTGAFile>(caller.platform, context.antialiasing);
        if (!image->CreateImage(k * picture.GetWidth(), k * picture.GetHeight())) throw std::bad_alloc();
        return image;
    }

    void startPicture(CTGAFile& image, const std::string& name) const {
        image.setPathName(name);
        StartFramePicture(context.job, context.frame.light, image);
    }

    FrameInputs frameInputs(const RenderCamera& view, CTGAFile& image, const PathFrame& f) const {
        FrameInputs in = context.frame;
        in.camera = &view;
        in.output = &image;
        in.zScale = f.zScale;
        in.dust = f.dust;
        return in;
    }

    // Every rendered frame ends here, in frame order, with its pixels in the picture: shown, then written
    // unless the user stopped meanwhile (a stopped frame is not written; the frames after it are dropped),
    // or an input file changed meanwhile (the run ends: see InputChanged).
    void finishFrame(const PathFrame& f, const std::string& name) {
        control.report(100);
        caller.observer.pictureChanged();
        if (control.stopRequested()) {
            stopped = true;
            stopTasks.store(true);
        } else {
            CheckInputsUnchanged(context);
            output.writeFrame(name);
        }
        recordFrame(f);
    }

    void recordFrame(const PathFrame& f) {
        ++caller.result.framesDrawn;
        output.recordRow(f.recorder);
        caller.observer.frameRecorded(f.index, f.recorder);
    }

    // Frames queued, rendering or rendered but not yet finished. More frames than threads keep every thread
    // busy while the oldest frame is being written or a short frame has overtaken a long one; the pictures
    // waiting are bounded to a few hundred megabytes.
    size_t framesInFlight() const {
        constexpr size_t budget = size_t{512} << 20;
        const size_t threads = static_cast<size_t>(caller.options.frameThreads);
        const size_t pictureBytes = std::max<size_t>(1, 3 * static_cast<size_t>(k * picture.GetWidth()) *
                                                            static_cast<size_t>(k * picture.GetHeight()));
        return std::clamp(budget / pictureBytes, threads, 2 * threads);
    }

    void queueFrame(const PathFrame& f, const std::string& name) {
        if (!pool) pool = std::make_unique<WorkerPool>(caller.options.frameThreads);
        while (tasks.size() >= framesInFlight()) collectOldest();
        if (stopped) return;
        auto task = std::make_unique<FrameTask>(f, name, stopTasks);
        if (!spareImages.empty()) {
            task->image = std::move(spareImages.back());
            spareImages.pop_back();
        } else {
            task->image = makeImage();
        }
        FrameTask& t = *task;
        tasks.push_back(std::move(task));
        if (!pool->submit([this, &t] { renderTask(t); }))
            renderTask(t); // no thread to be had: rendered here and now
    }

    void renderTask(FrameTask& t) {
        try {
            // A frame that was still waiting when the run stopped is not started at all.
            if (!stopTasks.load(std::memory_order_relaxed)) {
                RenderCamera view = camera; // not moved while frames are pipelined
                SetView(view, t.frame, k);
                startPicture(*t.image, t.name);
                RenderTerrainFrame(frameInputs(view, *t.image, t.frame), t);
            }
        } catch (...) {
            t.error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(taskMutex);
        t.done = true;
        taskDone.notify_all();
    }

    void collectOldest() {
        std::unique_ptr<FrameTask> owned = std::move(tasks.front());
        tasks.pop_front();
        FrameTask& t = *owned;
        // However this is left, the frame's thread is done with it first (told to stop by an exception).
        struct Waiter {
            Production& run;
            FrameTask& task;
            ~Waiter() {
                if (std::uncaught_exceptions() > 0) run.stopTasks.store(true);
                std::unique_lock<std::mutex> lock(run.taskMutex);
                run.taskDone.wait(lock, [this] { return task.done; });
            }
        } waiter{*this, t};
        if (!stopped) caller.observer.frameStarting(t.frame.index, t.name);
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
        if (t.error) std::rethrow_exception(t.error);
        if (!stopped) {
            // The frame goes through the run's own picture, as a frame rendered there would.
            startPicture(picture, t.name);
            picture.AverageBlocksOf(*t.image, k); // a copy without supersampling
            finishFrame(t.frame, t.name);
        }
        spareImages.push_back(std::move(t.image));
    }

    void abandonTasks() {
        stopTasks.store(true);
        pool.reset(); // finishes (or skips) every queued frame and joins the threads
        tasks.clear();
    }

    const RenderContext& context;
    const RunCaller& caller;
    CTGAFile& picture;
    Progress& control;
    RunOutput& output;
    const FrameSpan drawn;
    const bool pipelined;
    const int k;                     // the supersampling factor
    RenderCamera camera;             // the view of the frame drawn here; the frame threads copy it
    std::unique_ptr<CTGAFile> large; // supersampling, one frame at a time: the frame before it is shrunk

    std::deque<std::unique_ptr<FrameTask>> tasks; // in frame order
    std::vector<std::unique_ptr<CTGAFile>> spareImages;
    std::mutex taskMutex;
    std::condition_variable taskDone;
    std::atomic<bool> stopTasks{false};
    std::unique_ptr<WorkerPool> pool; // declared last: it goes first, finishing the jobs of the tasks above
    bool stopped = false;             // a frame was stopped: the frames after it are dropped
    int exceptionsBefore = 0;         // already on their way when the loop began (a run in an unwinding)
};

// Flies the job's path and makes its frames in the picture. What a frame thread throws is rethrown here.
void ProduceFrames(const RenderContext& context, const RunCaller& caller, RunOutput& output) {
    const CSceneParams& job = context.job;
    const FrameSpan drawn = DrawnFrames(job, caller.options.part);
    caller.observer.framesPlanned(drawn.count);
    Production production(context, caller, output, drawn);
    if (job.PathType == 0)
        RunStraightPath(job, production.height, production);
    else
        RunCurvedPath(job, context.elevation->GetExtentY(), production.height, production);
    if (production.loopError) std::rethrow_exception(production.loopError);
}

} // namespace

RenderCamera PictureCamera(const Vector4& light, int width, int height) {
    // The screen centre in whole pixels: an odd size puts it on the pixel left of and above the middle.
    return RenderCamera(light, width, height, static_cast<double>(width / 2),
                        static_cast<double>(-(height / 2)));
}

void SetFrameView(RenderCamera& camera, const PathFrame& f) {
    camera.Set(Vector4::Point(f.x, f.y, f.z), f.heading, f.pitch, f.focalLength, f.roll);
}

void StartFramePicture(const CSceneParams& job, const Vector4& light, CTGAFile& picture) {
    if (job.UseBackgroundColor != 0) {
        picture.FillColor(job.BackgroundColor);
    } else {
        const double level = std::trunc(std::fabs(light.z) * 256.0);
        picture.FillGray(static_cast<uint8_t>(std::min(level, 255.0)));
    }
}

RunResult RunJob(const std::string& jobFile, CTGAFile& picture, const RunOptions& options, Platform& platform,
                 SettingsStore& settings, Progress& control, RenderObserver& observer) {
    picture.setModified(true);
    picture.setBusy(true);
    RunResult result;
    {
        // The job file goes however the run ends (also by an exception), after the images, the wire model and
        // the recorder file have been released.
        struct JobFileRemover {
            const std::string& name;
            ~JobFileRemover() { std::remove(name.c_str()); }
        } remover{jobFile};
        const RunCaller caller{picture, options, platform, control, observer, result};
        RenderContext context;
        RunOutput output(context, caller);
        try {
            if (SetUpRun(jobFile, settings::ReadAntialiasing(settings), caller, context)) {
                picture.FillGray(255);
                observer.pictureChanged();
                ProduceFrames(context, caller, output);
                result.outcome = control.stopRequested() ? RunOutcome::Stopped : RunOutcome::Completed;
            }
        } catch (const std::bad_alloc&) {
            result.outcome = RunOutcome::Failed;
            platform.error(FormatString(IDS_RUN_OUT_OF_MEMORY));
        } catch (const InputChanged& changed) {
            result.outcome = RunOutcome::Failed;
            platform.error(FormatString(IDS_INPUT_CHANGED, changed.file.c_str()));
        }
    }
    picture.setModified(false);
    picture.setBusy(false);
    // A run that was asked to stop closes its window, even when the request came after the last frame.
    if (control.stopRequested()) result.closeWindow = true;
    observer.runEnded(result);
    return result;
}

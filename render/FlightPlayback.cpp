#include "render/FlightPlayback.h"

#include "render/FramePacer.h"

#include "app/Progress.h"
#include "render/RunParts.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps every drawn frame of the flight.
class FrameCollector : public PathFrameSink {
public:
    explicit FrameCollector(std::vector<PathFrame>& f) : frames(f) {}
    bool stopRequested() const override { return false; }
    void drawFrame(const PathFrame& f) override { frames.push_back(f); }

private:
    std::vector<PathFrame>& frames;
};

class NoObserver : public RenderObserver {};

} // namespace

FlightPlayback::FlightPlayback() : context(std::make_unique<RenderContext>()) {}
FlightPlayback::~FlightPlayback() = default;

std::unique_ptr<FlightPlayback> FlightPlayback::Load(const CSceneParams& job, Platform& platform,
                                                     int antialiasing) {
    std::unique_ptr<FlightPlayback> playback(new FlightPlayback());
    RenderContext& context = *playback->context;
    context.job = job;
    // Nothing is written: names of output files are no concern of the player's.
    context.job.OutputFileName.clear();
    context.job.UseRecorder = 0;
    // Set-up as for a Final run; its picture is only needed while the job's size is checked.
    CTGAFile setUpPicture(platform, antialiasing);
    RunOptions options;
    NullProgress progress;
    NoObserver observer;
    RunResult result;
    const RunCaller caller{setUpPicture, options, platform, progress, observer, result};
    if (!SetUpJob(antialiasing, caller, context)) return nullptr;

    const CGelaende& elevation = *context.elevation;
    playback->wire =
        std::make_unique<WireModel>(elevation.GetExtentX(), elevation.GetExtentY(),
                                    PreviewGridDivision(job.GridX), PreviewGridDivision(job.GridY));
    const WorldHeightLookup height = [&elevation](double x, double y) { return elevation.ElevationAt(x, y); };
    FrameCollector collector(playback->frames);
    if (job.PathType == 0)
        RunStraightPath(context.job, height, collector);
    else
        RunCurvedPath(context.job, elevation.GetExtentY(), height, collector);
    return playback;
}

double FlightPlayback::FitScale(int maxWidth, int maxHeight) const {
    const CSceneParams& job = context->job;
    return std::min({1.0, double(maxWidth) / job.SizeX, double(maxHeight) / job.SizeY});
}

double FlightPlayback::framesPerSecond() const {
    return context->job.VideoFps > 0 ? context->job.VideoFps : kPlaybackFramesPerSecond;
}

void FlightPlayback::RenderShaded(int position, double scale, CTGAFile& picture, int threads,
                                  Progress& progress) const {
    const CSceneParams& job = context->job;
    const PathFrame& f = frame(position);
    const int width = std::max(1, static_cast<int>(std::lround(job.SizeX * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(job.SizeY * scale)));
    if (!picture.hasImage() || picture.GetWidth() != width || picture.GetHeight() != height)
        picture.CreateImage(width, height);
    // A smaller picture sees the same view: the focal distance, in pixels, shrinks with it.
    PathFrame scaled = f;
    if (width != job.SizeX || height != job.SizeY) scaled.focalLength = f.focalLength * width / job.SizeX;
    RenderCamera camera = PictureCamera(context->frame.light, width, height);
    SetFrameView(camera, scaled);
    StartFramePicture(job, context->frame.light, picture);
    FrameInputs in = context->frame;
    in.camera = &camera;
    in.output = &picture;
    in.zScale = f.zScale;
    in.dust = f.dust;
    in.threads = std::max(1, threads);
    RenderTerrainFrame(in, progress);
    if (context->mask && width == job.SizeX && height == job.SizeY) picture.ApplyMask(*context->mask);
}

std::vector<WireSegment> FlightPlayback::WireFrame(int position) const {
    const CSceneParams& job = context->job;
    const PathFrame& f = frame(position);
    RenderCamera camera = PictureCamera(context->frame.light, job.SizeX, job.SizeY);
    SetFrameView(camera, f);
    const CGelaende& elevation = *context->elevation;
    NullProgress never;
    return wire->Project(
        camera, f.zScale, [&elevation](double x, double y) { return elevation.ElevationAt(x, y); }, never);
}

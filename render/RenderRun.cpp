#include "render/RenderRun.h"

#include "app/Platform.h"
#include "app/Progress.h"
#include "app/Settings.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "render/CameraPath.h"
#include "render/FlightRecorder.h"
#include "render/JobValues.h"
#include "renderer/RenderCamera.h"
#include "renderer/TerrainRenderer.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>

namespace {

// One run: the state a rendering window keeps while a job runs. Its members are released when it goes,
// whichever way the run left.
class RenderRun : public PathFrameSink {
public:
    RenderRun(const std::string& jobFile, CTGAFile& picture, const RunOptions& options, Platform& platform,
              SettingsStore& settings, Progress& control, RenderObserver& observer)
        : jobFile(jobFile), picture(picture), options(options), platform(platform), control(control),
          observer(observer), antialiasing(settings.getInt("Settings", "Antialiasing", 10)),
          recorder(platform, options.decimalSeparator ? *options.decimalSeparator : UserDecimalSeparator()) {}

    void execute();
    RunResult result;

    // PathFrameSink
    bool stopRequested() const override { return control.stopRequested(); }
    void beginLoop() override;
    void drawFrame(const PathFrame& frame) override;
    void endLoop() override { recorder.Close(); }

private:
    bool setUp();
    void renderFrame(const std::string& name);
    void saveFrame(const std::string& name);
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
    std::unique_ptr<CGelaende> elevation;
    std::unique_ptr<WireModel> wire;
    double extentX = 0, extentY = 0;
    double gridX = 0, gridY = 0;
    double zScale = 1.0;
    double dust = 0.0;
    FlightRecorder recorder;
    bool reportedBadTemplate = false;
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

void RenderRun::drawFrame(const PathFrame& f) {
    camera->Set(Vector4::Point(f.x, f.y, f.z), f.heading, f.pitch, f.focalLength, f.roll);
    zScale = f.zScale;
    elevation->SetZScale(zScale);
    dust = f.dust;

    const auto formatted = FormatOutputName(job.outputTemplate, job.offset + f.index);
    const std::string name = formatted ? *formatted : std::string();
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

void RenderRun::renderFrame(const std::string& name) {
    picture.setPathName(name);

    if (job.useBackground != 0) {
        uint32_t colour = 0;
        if (job.BackgroundColour(colour)) picture.FillColor(colour);
    } else {
        const double level = std::trunc(std::fabs(light.z) * 256.0);
        picture.FillGray(static_cast<uint8_t>(std::min(level, 255.0)));
    }

    FrameInputs in;
    in.camera = camera.get();
    in.elevation = elevation.get();
    in.zScale = zScale;
    in.texture = texture.get();
    in.output = &picture;
    in.hq = job.highQuality != 0;
    in.light = light;
    in.dust = dust;
    in.gridX = gridX;
    in.gridY = gridY;
    in.mode = options.mode;
    RenderTerrainFrame(in, control);

    control.report(100);
    observer.pictureChanged();
    if (control.stopRequested()) return; // a stopped frame is not written
    if (mask) picture.ApplyMask(*mask);
    saveFrame(name);
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

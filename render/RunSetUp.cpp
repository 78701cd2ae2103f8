#include "render/RunParts.h"
#include "res/StringTable.h"
#include "scene/SceneSchema.h"

#include <algorithm>
#include <future>
#include <system_error>

bool SetUpRun(const std::string& jobFile, int antialiasing, const RunCaller& caller, RenderContext& context) {
    context.job = ReadJobValues(jobFile);
    return SetUpJob(antialiasing, caller, context);
}

bool SetUpJob(int antialiasing, const RunCaller& caller, RenderContext& context) {
    // Preview draws the wire model straight from the files; Raw and Final keep the pixels in memory.
    const RunOptions& options = caller.options;
    const bool inMemory = options.mode != RenderMode::Preview;
    Platform& platform = caller.platform;
    const CSceneParams& job = context.job;
    context.antialiasing = antialiasing;
    if (inMemory) {
        if (const std::string overInput = OutputOverInput(job, options); !overInput.empty()) {
            platform.error(overInput);
            return false;
        }
    }
    // A real that is not finite gives meaningless or endless frames. The scene check refuses it; a
    // hand-edited job can still hold one.
    for (const SceneFieldRow& row : SceneSchema()) {
        if (!HoldsFiniteValue(job, row)) {
            platform.error(FormatString(IDS_JOB_VALUE_NOT_FINITE, row.name));
            return false;
        }
    }
    // The scene check's supersampling rules, for a hand-edited job; Preview draws at the output size.
    static_assert(kMaxRenderPixels == Image24::maxPixels);
    if (inMemory) {
        const SceneCheck check = CheckSupersampling(job);
        if (!check.ok) {
            platform.error(check.message);
            return false;
        }
        context.supersampling = job.Supersampling;
    }
    FrameInputs& frame = context.frame;

    frame.light = Vector4::Direction(job.LightX, job.LightY, job.LightZ);
    const double length = Length3(frame.light);
    if (length != 0.0) frame.light = frame.light / length;

    const int width = job.SizeX, height = job.SizeY;
    CTGAFile& picture = caller.picture;
    const bool sized = picture.hasImage() && picture.GetWidth() == width && picture.GetHeight() == height;
    if (!sized && (width <= 0 || height <= 0 || !picture.CreateImage(width, height))) return false;

    if (job.UseMaskFile != 0) {
        context.mask = std::make_unique<CTGAFile>(platform, antialiasing);
        if (!context.mask->OpenImage(job.MaskFileName)) return false; // the loader has said why
        if (context.mask->GetWidth() != width || context.mask->GetHeight() != height) {
            platform.error(LoadString(IDS_MASK_SIZE_DIFFERS));
            caller.result.closeWindow = true;
            return false;
        }
    }

    // With more than one thread, the elevation file is read and its pyramid made (by as many threads)
    // while the texture is opened; a file that cannot be read is opened again below, with the questions
    // and messages.
    struct ElevationRead {
        std::unique_ptr<CGelaende> elevation;
        std::unique_ptr<ElevationPyramid> pyramid;
    };
    // The elevation and texture files are mapped rather than read: a render only reads them, often not
    // all of the texture, and starts sooner. (Before a frame is written, CheckInputsUnchanged makes sure
    // they stayed as they were.)
    auto newElevation = [&platform, &job, inMemory, antialiasing] {
        auto elevation =
            std::make_unique<CGelaende>(platform, job.ElevScaleX, job.ElevScaleY, inMemory, antialiasing);
        elevation->MapPixels(true);
        return elevation;
    };
    std::future<ElevationRead> elevationRead;
    if (inMemory && std::max(options.rowThreads, options.frameThreads) > 1) {
        try {
            const int threads = std::max(options.rowThreads, options.frameThreads);
            elevationRead = std::async(std::launch::async, [&job, newElevation, threads] {
                ElevationRead done;
                CTGAFile::Read read = CTGAFile::ReadFile(job.ElevationFileName, true, true);
                if (read.error != TgaError::None) return done;
                done.elevation = newElevation();
                done.elevation->OpenRead(job.ElevationFileName, std::move(read));
                done.pyramid = std::make_unique<ElevationPyramid>(*done.elevation, threads);
                return done;
            });
        } catch (const std::system_error&) {
            // (no thread to be had: read after the texture)
        }
    }

    if (job.UseTextureFile != 0 && !job.TextureFileName.empty()) {
        context.texture =
            std::make_unique<CTGAFile>(platform, antialiasing, inMemory, job.ElevScaleX, job.ElevScaleY);
        context.texture->MapPixels(true);
        if (!context.texture->OpenImage(job.TextureFileName)) return false;
        if (inMemory) context.sampler = std::make_unique<TextureSampler>(*context.texture, antialiasing);
    }

    ElevationRead done;
    if (elevationRead.valid()) done = elevationRead.get();
    context.pyramid = std::move(done.pyramid);
    context.elevation = std::move(done.elevation);
    if (!context.elevation) {
        context.elevation = newElevation();
        if (!context.elevation->OpenImage(job.ElevationFileName)) return false;
    }
    frame.gridX = inMemory ? job.GridX : PreviewGridDivision(job.GridX);
    frame.gridY = inMemory ? job.GridY : PreviewGridDivision(job.GridY);
    if (!inMemory)
        context.wire = std::make_unique<WireModel>(context.elevation->GetExtentX(),
                                                   context.elevation->GetExtentY(), frame.gridX, frame.gridY);

    if (job.PathType != 0 && job.lastIndex < 2) {
        platform.error(LoadString(IDS_CURVE_NEEDS_THREE_POINTS));
        return false;
    }
    frame.elevation = context.elevation.get();
    if (inMemory && !context.pyramid)
        context.pyramid = std::make_unique<ElevationPyramid>(*context.elevation);
    frame.pyramid = context.pyramid.get();
    frame.texture = context.texture.get();
    frame.sampler = context.sampler.get();
    frame.hq = job.HQ != 0;
    frame.mode = options.mode;
    frame.threads = std::max(1, options.rowThreads);
    // Without a texture a pixel is shaded about as cheaply as its owner is remembered: no deferral then.
    frame.deferShading = options.deferShading && context.texture != nullptr;
    frame.skipHidden = frame.deferShading;
    frame.collinear = options.collinear;
    return true;
}

#include "render/RunParts.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"

#include <algorithm>

bool SetUpRun(const std::string& jobFile, int antialiasing, const RunCaller& caller, RenderContext& context) {
    // Preview draws the wire model straight from the files; Raw and Final keep the pixels in memory.
    const RunOptions& options = caller.options;
    const bool inMemory = options.mode != RenderMode::Preview;
    Platform& platform = caller.platform;
    const JobValues& job = context.job = ReadJobValues(ProfileFile(jobFile));
    context.antialiasing = antialiasing;
    FrameInputs& frame = context.frame;

    frame.light = Vector4::Direction(job.lightX, job.lightY, job.lightZ);
    const double length = Length3(frame.light);
    if (length != 0.0) frame.light = frame.light / length;

    const int width = job.width, height = job.height;
    CTGAFile& picture = caller.picture;
    const bool sized = picture.hasImage() && picture.GetWidth() == width && picture.GetHeight() == height;
    if (!sized && (width <= 0 || height <= 0 || !picture.CreateImage(width, height))) return false;

    if (job.useMask != 0) {
        context.mask = std::make_unique<CTGAFile>(platform, antialiasing);
        if (!context.mask->OpenImage(job.maskFile)) return false; // the loader has said why
        if (context.mask->GetWidth() != width || context.mask->GetHeight() != height) {
            platform.error(LoadString(IDS_MASK_SIZE_DIFFERS));
            caller.result.closeWindow = true;
            return false;
        }
    }

    if (job.useTexture != 0 && !job.textureFile.empty()) {
        context.texture =
            std::make_unique<CTGAFile>(platform, antialiasing, inMemory, job.scaleX, job.scaleY);
        if (!context.texture->OpenImage(job.textureFile)) return false;
        if (inMemory) context.sampler = std::make_unique<TextureSampler>(*context.texture, antialiasing);
    }

    context.elevation = std::make_unique<CGelaende>(platform, job.scaleX, job.scaleY, inMemory, antialiasing);
    if (!context.elevation->OpenImage(job.elevationFile)) return false;
    frame.gridX = inMemory ? job.gridX : PreviewGridDivision(job.gridX);
    frame.gridY = inMemory ? job.gridY : PreviewGridDivision(job.gridY);
    if (!inMemory)
        context.wire = std::make_unique<WireModel>(context.elevation->GetExtentX(),
                                                   context.elevation->GetExtentY(), frame.gridX, frame.gridY);

    if (job.pathType != 0 && job.points.size() < 3) {
        platform.error(LoadString(IDS_CURVE_NEEDS_THREE_POINTS));
        return false;
    }
    frame.elevation = context.elevation.get();
    frame.texture = context.texture.get();
    frame.sampler = context.sampler.get();
    frame.hq = job.highQuality != 0;
    frame.mode = options.mode;
    frame.threads = std::max(1, options.rowThreads);
    // Without a texture a pixel is shaded about as cheaply as its owner is remembered: no deferral then.
    frame.deferShading = options.deferShading && context.texture != nullptr;
    frame.collinear = options.collinear;
    return true;
}

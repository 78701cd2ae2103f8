#include "renderer/TerrainRenderer.h"

#include "app/Progress.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "renderer/GridFrame.h"
#include "renderer/SharedFrame.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <algorithm>

namespace {

// The frame in one thread: the whole traversal, writing only the rows of `rows`.
FrameStats RenderAlone(const FrameInputs& in, const RowSelection& rows, Progress& progress) {
    TriangleShader shader(*in.camera, in.texture, in.hq, in.light, in.texture ? in.sampler : nullptr);
    TriangleRasterizer rasterizer(*in.camera, shader, *in.output, rows);
    rasterizer.SetDeferred(in.deferShading);
    GridFrame frame(*in.camera, *in.elevation, in.zScale, in.gridX, in.gridY, in.dust, in.mode, rasterizer,
                    progress);
    frame.Run();
    rasterizer.Finish(progress);
    FrameStats stats;
    stats.trianglesDrawn = rasterizer.TrianglesDrawn();
    stats.pixelsWritten = rasterizer.PixelsWritten();
    return stats;
}

} // namespace

FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress) {
    if (!in.camera || !in.elevation || !in.output || !in.output->hasImage()) return {};
    if (in.mode == RenderMode::Preview) return {};

    const int count = std::max(1, std::min(in.threads, 64));
    if (count == 1) return RenderAlone(in, RowSelection{in.firstRow, in.endRow}, progress);
    return RenderSharedFrame(in, count, progress);
}

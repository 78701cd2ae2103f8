#include "renderer/TerrainRenderer.h"

#include "app/Progress.h"
#include "image/Gelaende.h"
#include "renderer/GridFrame.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress) {
    FrameStats stats;
    if (!in.camera || !in.elevation || !in.output || !in.output->hasImage()) return stats;
    if (in.mode == RenderMode::Preview) return stats;

    TriangleShader shader(*in.camera, in.texture, in.hq, in.light);
    TriangleRasterizer rasterizer(*in.camera, shader, *in.output, in.firstRow, in.endRow);
    GridFrame frame(*in.camera, *in.elevation, in.zScale, in.gridX, in.gridY, in.dust, in.mode, rasterizer,
                    progress);
    frame.Run();

    stats.trianglesDrawn = rasterizer.TrianglesDrawn();
    stats.pixelsWritten = rasterizer.PixelsWritten();
    return stats;
}

#include "renderer/TerrainRenderer.h"

#include "image/TGAFile.h"
#include "renderer/FrameFill.h"
#include "renderer/GridFrame.h"
#include "renderer/SharedFrame.h"

#include <algorithm>

FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress) {
    if (!in.camera || !in.elevation || !in.output || !in.output->hasImage()) return {};
    if (in.mode == RenderMode::Preview) return {};

    const int count = std::max(1, std::min(in.threads, 64));
    if (count > 1) return RenderSharedFrame(in, count, progress);
    // The frame in one thread: the whole walk, writing only the rows asked for.
    FrameFill fill(in, RowSelection{in.firstRow, in.endRow});
    const WalkPlan plan = PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode);
    CellWalker walker(plan, *in.elevation, in.zScale, in.dust, fill.Rasterizer());
    WalkFrame(plan, walker, progress);
    return fill.Finish(progress);
}

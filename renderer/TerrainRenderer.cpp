#include "renderer/TerrainRenderer.h"

#include "image/TGAFile.h"
#include "renderer/ElevationPyramid.h"
#include "renderer/FrameFill.h"
#include "renderer/GridFrame.h"
#include "renderer/SharedFrame.h"

#include <algorithm>
#include <optional>

ViewCull FrameCull(const FrameInputs& in, const WalkPlan& plan) {
    return ViewCull(*in.camera, *in.pyramid, plan, in.zScale, in.dust, in.output->GetWidth(),
                    in.output->GetHeight(), in.firstRow, in.endRow);
}

FrameInputs WithPyramid(const FrameInputs& in, std::optional<ElevationPyramid>& own) {
    FrameInputs frame = in;
    if (frame.viewCulling && !frame.pyramid) frame.pyramid = &own.emplace(*in.elevation);
    frame.viewCulling = frame.viewCulling && !frame.pyramid->Empty();
    return frame;
}

FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress) {
    if (!in.camera || !in.elevation || !in.output || !in.output->hasImage()) return {};
    if (in.mode == RenderMode::Preview) return {};

    std::optional<ElevationPyramid> own;
    const FrameInputs frame = WithPyramid(in, own);

    const int count = std::max(1, std::min(in.threads, 64));
    // A large picture's pixel owners for all its rows at once would weigh more than the walk gains from
    // one range: one thread takes the ranges of rows in turn too.
    const bool large =
        static_cast<long long>(in.output->GetWidth()) * in.output->GetHeight() > kOneRangePixels;
    if (frame.deferShading && frame.skipHidden && large) return RenderRowRangeFrame(frame, count, progress);
    if (count > 1)
        return frame.deferShading ? RenderRowRangeFrame(frame, count, progress)
                                  : RenderSharedFrame(frame, count, progress);
    // The frame in one thread: the whole walk, writing only the rows asked for.
    FrameFill fill(in, RowSelection{in.firstRow, in.endRow});
    const WalkPlan plan = PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode);
    CellWalker walker(plan, *in.elevation, in.zScale, in.dust, fill.Rasterizer());
    std::optional<ViewCull> cull;
    if (frame.viewCulling) walker.SetCull(&cull.emplace(FrameCull(frame, plan)));
    fill.Walk(frame, plan, walker, cull.has_value(), progress);
    return fill.Finish(progress);
}

#pragma once
// The fill of one frame into a selection of picture rows: a shader and a rasteriser made from the frame's
// inputs. A frame in one thread has one; each thread of a shared frame has one per band of rows it writes.

#include "renderer/GridFrame.h"
#include "renderer/TerrainRenderer.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

class FrameFill {
public:
    FrameFill(const FrameInputs& in, const RowSelection& rows)
        : shader(*in.camera, in.texture, in.hq, in.light, in.texture ? in.sampler : nullptr, in.collinear),
          rasterizer(*in.camera, shader, *in.output, rows) {
        rasterizer.SetDeferred(in.deferShading);
    }
    FrameFill(const FrameFill&) = delete;
    FrameFill& operator=(const FrameFill&) = delete;

    TriangleRasterizer& Rasterizer() { return rasterizer; }
    // Walks the frame into the fill: near to far when the inputs ask to skip what is hidden and the fill
    // defers its shading (the walker's cull set), else far to near.
    void Walk(const FrameInputs& in, const WalkPlan& plan, CellWalker& walker, bool culled,
              Progress& progress) {
        if (in.skipHidden && culled && rasterizer.Deferred()) {
            rasterizer.SetFirstOwnerWins(true);
            walker.SetCoverage(&rasterizer);
            WalkFrameNearToFar(plan, walker, progress);
        } else {
            WalkFrame(plan, walker, progress);
        }
    }
    // Shades what deferred shading has recorded; returns the triangles that reached the fill and the
    // pixels written.
    FrameStats Finish(Progress& progress) {
        rasterizer.Finish(progress);
        return {rasterizer.TrianglesDrawn(), rasterizer.PixelsWritten()};
    }

private:
    TriangleShader shader;
    TriangleRasterizer rasterizer;
};

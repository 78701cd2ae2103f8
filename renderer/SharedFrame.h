#pragma once
// One frame rendered by several threads together. The walk over the grid is cut into units (rows of cells
// and strips); whichever thread is free builds the next unit's triangles (cells, culling, projection),
// and every thread fills the triangles of every unit, in the walk's order, into the rows of its own bands.
// So the walk is done once, shared out, and each picture row still sees the triangles in the painter's
// order: the picture is the same byte for byte as one thread's.

#include "renderer/ElevationPyramid.h"
#include "renderer/TerrainRenderer.h"

#include <optional>
#include <vector>

class Progress;
class ViewCull;
struct WalkPlan;

// Renders the frame with `threads` threads (at least 2), the calling thread being one of them: it reports
// the progress at each unit, pumps messages and sees the stop request, which it passes on to the others.
// unitsAhead: how many units may be built ahead of the slowest thread (0: as many as hold about 2^18
// triangles; never fewer than the threads).
FrameStats RenderSharedFrame(const FrameInputs& in, int threads, Progress& progress, size_t unitsAhead = 0);

// Renders the frame in ranges of rows: each range is walked as a whole frame of its own, leaving out what
// cannot reach its rows, by whichever of the `threads` threads (the calling thread being one) is free
// next, the ranges that look busiest first. Nothing passes between the threads: for deferred shading,
// where nobody watches the picture grow. The calling thread reports the progress over all ranges, pumps
// messages and passes a stop request on. With one thread it keeps a large picture's pixel owners for one
// range at a time.
FrameStats RenderRowRangeFrame(const FrameInputs& in, int threads, Progress& progress);

// A picture of more pixels than this is rendered in ranges of rows even by one thread: the pixel owners of
// one range at a time weigh less than those of the whole picture.
constexpr long long kOneRangePixels = 1LL << 22;

// How RenderRowRangeFrame cuts the stored rows [first, end): the ranges' bounds (range r is
// [bounds[r], bounds[r + 1])) and the order the threads take them in, the busiest-looking first.
struct RowRanges {
    std::vector<int> bounds;
    std::vector<int> order;
};
// blocksPerRow: per stored row of the picture, how many blocks of cells may reach it (empty: unknown);
// no range holds more than mostRows rows.
RowRanges CutRows(int first, int end, int threads, const std::vector<int>& blocksPerRow, int mostRows);

// The inputs with a pyramid for the cull: in's, or one made into `own` when in has none.
FrameInputs WithPyramid(const FrameInputs& in, std::optional<ElevationPyramid>& own);

// The cull of a frame whose inputs hold a pyramid: the whole picture's rows [firstRow, endRow).
ViewCull FrameCull(const FrameInputs& in, const WalkPlan& plan);

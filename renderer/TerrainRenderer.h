#pragma once
// The terrain renderer's entry: renders one frame of the height field into the frame picture. Everything a
// frame needs is passed in; nothing is kept between calls, so frames may be rendered in parallel threads
// (each call has its own shader, rasteriser scratch and filter cache and only reads the elevation data, the
// texture and the camera).

#include "renderer/CollinearShading.h"
#include "renderer/RenderCamera.h"
#include "renderer/RenderMode.h"
#include "renderer/Vector4.h"

#include <climits>
#include <cstdint>
#include <optional>

class CGelaende;
class CTGAFile;
class ElevationPyramid;
class Progress;
class TextureSampler;

struct FrameInputs {
    const RenderCamera* camera = nullptr; // Set() already called for this frame
    const CGelaende* elevation = nullptr; // pixels in memory
    double zScale = 1.0;                  // the frame's elevation z scale
    const CTGAFile* texture = nullptr;    // nullptr when the job uses none
    // A sampler made for `texture` (see TextureSampler; shared by every frame and thread): the texels are
    // then read through it, the same bytes sooner; nullptr: through the document's own samplers.
    const TextureSampler* sampler = nullptr;
    CTGAFile* output = nullptr;          // the frame picture, background already filled
    bool hq = false;                     // exact texture lookup (the scene's HQ)
    Vector4 light;                       // normalised (or zero)
    double dust = 10000.0;               // dust distance of this frame
    double gridX = 16.0, gridY = 16.0;   // grid divisions
    RenderMode mode = RenderMode::Final; // Raw or Final
    // The stored rows of the picture this call may write, [firstRow, endRow). Every call walks the same
    // cells and triangles; only the pixel writes are limited.
    int firstRow = 0;
    int endRow = INT_MAX;
    // Threads that share the frame (1: the calling thread alone). The walk over the cells is shared out in
    // units (rows of cells, strips); the stored rows are dealt out round robin in bands of kRowBandHeight
    // rows, and every thread fills all triangles, in the walk's order, into the rows of its bands only, so
    // the picture is the same byte for byte. The calling thread is one of them: progress, the pump and the
    // stop request stay on it.
    int threads = 1;
    // Shade every pixel once, with the triangle that covers it last, after the traversal (the same bytes;
    // the picture keeps its background until the traversal has ended, so a window watching the picture
    // grow would see it appear at once).
    bool deferShading = false;
    // How triangles whose corners project onto one line are coloured (see CollinearShading.h); only
    // comparisons with earlier versions and diagnosis choose anything but the default.
    CollinearShading collinear = CollinearShading::SumOfNormals;
    // The elevation pyramid of `elevation` (see ElevationPyramid; shared by every frame and thread), with
    // which the walk leaves out blocks of cells that cannot reach the picture; nullptr: one is made for the
    // frame. viewCulling false walks every cell (the same bytes; for comparisons).
    const ElevationPyramid* pyramid = nullptr;
    bool viewCulling = true;
    // With deferred shading and view culling: walk near to far, the first triangle to cover a pixel keeping
    // it, and leave out the blocks of cells whose pixels are all kept already (hidden behind nearer
    // terrain). The same bytes; the counts (FrameStats) then hold only what was drawn.
    bool skipHidden = false;
};

// The height of the row bands that the threads of one frame take in turn.
constexpr int kRowBandHeight = 8;

// What a frame cost: triangles that reached the picture's rows (after culling and projection) and pixels
// written.
struct FrameStats {
    int64_t trianglesDrawn = 0;
    int64_t pixelsWritten = 0;
};

// Renders the frame: the eight back-to-front passes over the grid cells, each cell's two triangles culled,
// projected, filled and shaded. Reports progress per row, pumps messages per cell and ends the quadrant
// passes early when progress.stopRequested(); with several threads the calling thread reports and pumps
// per unit of the walk (and while it waits), and all threads end at the next unit once it has seen the
// request. Returns nothing useful to the user but the counts (the triangles as one thread counts them,
// the pixels of all threads).
FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress);

#pragma once
// The terrain renderer's entry: renders one frame of the height field into the frame picture. Everything a
// frame needs is passed in; nothing is kept between calls, so frames may be rendered in parallel threads
// (each call has its own shader, rasteriser scratch and filter cache and only reads the elevation data, the
// texture and the camera).

#include "renderer/RenderCamera.h"
#include "renderer/RenderMode.h"
#include "renderer/Vector4.h"

#include <climits>
#include <cstdint>

class CGelaende;
class CTGAFile;
class Progress;

struct FrameInputs {
    const RenderCamera* camera = nullptr; // Set() already called for this frame
    const CGelaende* elevation = nullptr; // pixels in memory
    double zScale = 1.0;                  // the frame's elevation z scale
    const CTGAFile* texture = nullptr;    // nullptr when the job uses none
    CTGAFile* output = nullptr;           // the frame picture, background already filled
    bool hq = false;                      // exact texture lookup (GenauRechnen)
    Vector4 light;                        // normalised (or zero)
    double dust = 10000.0;                // dust distance of this frame
    double gridX = 16.0, gridY = 16.0;    // grid divisions
    RenderMode mode = RenderMode::Final;  // Raw or Final
    // The stored rows of the picture this call may write, [firstRow, endRow). Every call walks the same
    // cells and triangles; only the pixel writes are limited, so a frame can be split over workers by rows.
    int firstRow = 0;
    int endRow = INT_MAX;
};

// What a frame cost: triangles handed to the fill (after culling and projection) and pixels written.
struct FrameStats {
    int64_t trianglesDrawn = 0;
    int64_t pixelsWritten = 0;
};

// Renders the frame: the eight back-to-front passes over the grid cells, each cell's two triangles culled,
// projected, filled and shaded. Reports progress per row, pumps messages per cell and ends the quadrant
// passes early when progress.stopRequested(). Returns nothing useful to the user but the counts.
FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress);

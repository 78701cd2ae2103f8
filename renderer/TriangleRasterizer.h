#pragma once
// TriangleRasterizer: draws one terrain triangle into the frame picture. It culls the triangle when it faces
// away from the eye, projects its corners (dropping it whole when a corner lies behind the eye or more than
// 16384 pixels off the screen), truncates the screen positions, sorts the corners by screen row and fills
// the triangle in two parts (from the bottom corner up to the middle row, from the top corner down to it),
// asking the shader for every pixel's colour. There is no depth test: later triangles overwrite.
//
// Screen row r goes to stored row (picture height - r); only stored rows in [firstRow, endRow) are written
// (all rows by default), and of those, when the rows are dealt out in bands to several rasterisers, only
// the rows of this rasteriser's bands; so several rasterisers can share one frame by rows.

#include "renderer/RenderCamera.h"
#include "renderer/TriangleShader.h"
#include "renderer/Vector4.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

class CTGAFile;
class Progress;

// The rows of a picture one rasteriser writes: stored row s when firstRow <= s < endRow and, with the rows
// dealt out in bands of bandHeight rows to bandCount rasterisers, (s / bandHeight) % bandCount = bandIndex.
struct RowSelection {
    int firstRow = 0;
    int endRow = INT_MAX;
    int bandHeight = 1;
    int bandCount = 1;
    int bandIndex = 0;

    bool Contains(int stored) const {
        return stored >= firstRow && stored < endRow &&
               (bandCount == 1 || (stored / bandHeight) % bandCount == bandIndex);
    }
    // Whether any stored row of [low, high] is selected.
    bool Meets(int low, int high) const;
    // The selection within a picture of imageHeight rows (as a rasteriser uses it).
    RowSelection ClampedTo(int imageHeight) const;
    // Where a selected stored row goes in storage kept only for the selected rows (the rows of the other
    // bands left out), and how many such rows a picture of `height` rows needs at most.
    int Slot(int stored) const {
        if (bandCount == 1) return stored - std::max(firstRow, 0);
        const int period = bandHeight * bandCount;
        return stored / period * bandHeight + stored % bandHeight;
    }
    int SlotCount(int height) const {
        if (bandCount == 1) return std::max(std::min(endRow, height) - std::max(firstRow, 0), 0);
        const int period = bandHeight * bandCount;
        return (height + period - 1) / period * bandHeight;
    }
};

// A corner's projection, kept for the triangles that share the corner (the two triangles of a cell, and
// the next cell along a row), since projecting it again would give the same values.
struct ProjectedCorner {
    int state = 0;  // 0 not projected yet, 1 on the screen, -1 behind the eye or too far off
    Vector4 screen; // column and row (truncated), Z and W
};

// A triangle's corner: where it is, its normal, and its projection once made.
struct Corner {
    Vector4 point;
    Vector4 normal;
    ProjectedCorner projected;
    bool normalPending = false; // the normal is not made yet (the cell walk makes it when it draws)
};

// A triangle culled and projected, its corners sorted by screen row (row 0 <= row 1 <= row 2): what the
// fill needs. One thread may prepare the triangles that others fill.
struct PreparedTriangle {
    Vector4 screen[3]; // column and row (truncated), Z and W
    Vector4 world[3];
    Vector4 normals[3];
    double f = 0.0; // the cell's dust factor
};

// Projects the corner unless it is projected already; false when it lies behind the eye or too far off.
bool ProjectCorner(const RenderCamera& camera, Corner& c);

// Culls the triangle (a, b, c) when it faces away from the eye and projects its corners, keeping each
// corner's projection in (or taking it from) the corner; false when the triangle is dropped, else out holds
// it, sorted. f is the cell's dust factor.
bool PrepareTriangle(const RenderCamera& camera, const Vector4& eye, Corner& a, Corner& b, Corner& c,
                     double f, PreparedTriangle& out);

// Whether filling t on a screen of screenHeight rows touches a row of `rows` (clamped to the picture): a
// triangle that does not is not even set up.
bool ReachesRows(const PreparedTriangle& t, int screenHeight, const RowSelection& rows);

// What the grid traversal hands its triangles to.
class TriangleSink {
public:
    virtual ~TriangleSink() = default;
    virtual void DrawTriangle(Corner& a, Corner& b, Corner& c, double f) = 0;
};

class TriangleRasterizer final : public TriangleSink {
public:
    TriangleRasterizer(const RenderCamera& camera, TriangleShader& shader, CTGAFile& output, int firstRow = 0,
                       int endRow = INT_MAX);
    TriangleRasterizer(const RenderCamera& camera, TriangleShader& shader, CTGAFile& output,
                       const RowSelection& rows);

    // Draws the triangle (a, b, c) with dust factor f.
    void DrawTriangle(Corner& a, Corner& b, Corner& c, double f) override;
    // Fills a triangle that PrepareTriangle let through.
    void DrawPrepared(const PreparedTriangle& t) { Fill(t); }
    // Several rasterisers sharing a frame by ranges of rows count a triangle only in the range holding its
    // lowest row of the frame's rows, which start at frameFirstRow (by default this rasteriser's first).
    void CountFrom(int frameFirstRow) { countFrom = frameFirstRow; }

    // Deferred shading (off by default): the fill only records which triangle covers each pixel last, and
    // Finish shades every covered pixel once, with that triangle. The picture is the same byte for byte;
    // the pixels that nearer triangles overwrite are not shaded in vain. Until Finish the picture keeps its
    // background.
    void SetDeferred(bool on, size_t maxKeptTriangles = kMaxKeptTriangles);
    // Shades the recorded pixels into the picture, row by row; stops early when progress.stopRequested()
    // (the frame is then not finished anyway). Nothing to do without deferred shading.
    void Finish(Progress& progress);

    // Deferred shading keeps at most this many triangles (each about 200 bytes with its cursor); when a
    // frame has more, the pixels covered so far are shaded and the count starts again. The bytes are the
    // same: a pixel shaded then and covered again later is shaded again with its new triangle.
    static constexpr size_t kMaxKeptTriangles = size_t{1} << 17;
    // When the first triangle to cover a pixel keeps it, at most this many (about 0.8 MB).
    static constexpr size_t kFirstOwnerBatch = size_t{1} << 12;
    // A picture larger than this (8 bytes of owner per pixel) is shaded at once instead.
    static constexpr long long kMaxDeferredPixels = 1LL << 24;

    bool Deferred() const { return deferred; }
    const RenderCamera& Camera() const { return camera; }
    // Deferred shading only (else ignored): the first triangle to cover a pixel keeps it, for a walk near to
    // far, where that is the triangle the walk far to near covers it with last. A pixel once kept stays kept
    // when the kept triangles are shaded in between.
    void SetFirstOwnerWins(bool on);
    // With the first owner winning: whether every pixel that a triangle whose (unrounded) corners lie within
    // the screen columns [cLow, cHigh] and rows [rLow, rHigh] may write here is kept already (nothing drawn
    // there can show).
    bool Covered(double cLow, double cHigh, double rLow, double rHigh) const;
    // Covered for a rectangle of positions already widened and truncated (by Truncated).
    bool TruncatedCovered(int c0, int c1, int r0, int r1) const;
    // A corner projected more than this many pixels off the screen drops its triangle.
    static constexpr double kScreenLimit = 16384.0;
    // A screen position truncated as Covered takes it (positions far off the screen, which are dropped with
    // their triangle anyway, limited first; the conversion truncates towards zero).
    static int Truncated(double v) {
        return static_cast<int>(std::clamp(v, -2.0 * kScreenLimit, 2.0 * kScreenLimit));
    }

    // Triangles that reached the rows written (see CountFrom), and pixels written, since construction.
    int64_t TrianglesDrawn() const { return trianglesDrawn; }
    int64_t PixelsWritten() const { return pixelsWritten; }

private:
    void Fill(const PreparedTriangle& t);
    // Shades the recorded pixels and forgets them (deferred shading).
    void ShadeRecorded(Progress* progress);
    void FillPart(double xStart, double slopeA, double slopeB, int firstRow, int lastRow, int step);

    const RenderCamera& camera;
    TriangleShader& shader;
    CTGAFile& output;
    Vector4 eye;
    int outputHeight;
    int imageWidth, imageHeight;
    RowSelection rows;

    PreparedTriangle scratch; // the triangle being drawn

    int64_t trianglesDrawn = 0;
    int64_t pixelsWritten = 0;
    int countFrom;

    bool deferred = false;
    size_t maxKept = kMaxKeptTriangles;
    // Per stored row of the picture: its place among the selected rows (RowSelection::Slot), or -1 when
    // it is not selected (a table look-up instead of two divisions per row of every triangle).
    std::vector<int> rowSlot;
    // Deferred: per pixel of the selected rows, its last triangle and span.
    std::vector<TriangleShader::PixelOwner> owners;
    // Deferred: per selected row, the columns recorded since they were last shaded.
    struct Span {
        int low = INT_MAX, high = -1;
    };
    std::vector<Span> recorded;
    int currentTriangle = -1;
    bool currentCovered = false;
    // First owner wins: per pixel of the selected rows whether it is kept, and per tile of kTile x kTile
    // pixels how many of its pixels are kept and how many it has.
    static constexpr int kTile = 8;
    // What Covered adds around a rectangle of unrounded positions, for their rounding against the corners'
    // own projections.
    static constexpr double kCoverMargin = 0.01;
    bool firstWins = false;
    std::vector<uint8_t> taken;
    std::vector<uint8_t> tileTaken, tileSize;
    int tileColumns = 0;
};

#pragma once
// The cells of a row as the walk steps along it, made from the elevation data.
//
// The cell whose lowest corner is A = (x0, y0) has two triangles, T1 = (A, C, D) and T2 = (A, D, B). A
// corner's normal also needs its four neighbours on the grid, the eight points around the cell:
//
//            N0  N1            y0 + 2 sy
//       W1   C   D   E1        y0 + sy
//       W0   A   B   E0        y0
//            S0  S1            y0 - sy
//   x0 - sx  x0  x0+sx x0+2sx
//
// The corners are sampled as the cell is made; the neighbours and the normals only when it is drawn
// (Complete): most cells of a large terrain far away are found hidden before that. Along a row the next
// cell shares a column of two corners with the one before, so the corners live in a ring of columns: a
// step samples the one new column and moves nothing. Several cells can be made ahead (Prepare), so that
// the walk can ask whether any of them can show before it draws them one by one (Next). With a camera
// given, each point is also placed on the screen as it is made, for the walk's kept-pixel tests.

#include "image/Gelaende.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/Vector4.h"

#include <cstddef>

class RenderCamera;

class CellBuilder {
public:
    // The most cells one Prepare makes.
    static constexpr int kMostPrepared = 8;

    CellBuilder(const CGelaende& elevation, double zScale, double sx, double sy);

    // Places every point made from now on on the screen of `camera` too (none: not placed).
    void SetCamera(const RenderCamera* camera);

    // Makes the next n cells of the row at y0 (x0 at xs[0], xs[stride], ...), walked towards +x when east.
    // fresh: the first one from scratch, else each from the one before (the current cell first). Every
    // point gets the coordinates the steps along the row give it, so a cell is the same whether the
    // ones before it were drawn or not.
    void Prepare(const double* xs, ptrdiff_t stride, int n, double y0, bool east, bool fresh);
    // How far from the corners' own projections the points' screen places may lie, in pixels, at most
    // (their sums are taken in another order: far less, but for a camera very far out in its world).
    static constexpr double kPlaceMargin = 1e-4;

    // The lowest and highest screen column and row of the corners of the cells made by the last Prepare
    // (PreparedBounds) or of the current cell (CellBounds), widened by kPlaceMargin and truncated as
    // TriangleRasterizer::TruncatedCovered takes them; false when a corner lies behind the eye or too
    // near its plane (or no camera is set).
    bool PreparedBounds(int (&bounds)[4]) const { return Bounds(preparedFirst, made, bounds); }
    bool CellBounds(int (&bounds)[4]) const { return Bounds(current, current + 1, bounds); }
    // Moves on to the next cell made.
    void Next() { ++current; }
    // Makes the current cell's normals not made yet (a corner's neighbours are the same in every cell
    // that holds it, so its normal does not depend on which cell makes it).
    void Complete();

    Corner& A() { return ring[(current + (east ? 0 : 1)) & kMask].low; }
    Corner& B() { return ring[(current + (east ? 1 : 0)) & kMask].low; }
    Corner& C() { return ring[(current + (east ? 0 : 1)) & kMask].high; }
    Corner& D() { return ring[(current + (east ? 1 : 0)) & kMask].high; }

    double CellWidth() const { return sx; }
    double CellHeight() const { return sy; }

private:
    // The corners at y0 and at y0 + sy of one x, and what the cell that starts at this column (on the
    // side the walk comes from) needs to know: its x0 and whether it was made from scratch.
    struct Column {
        Corner low, high;
        double cellX = 0.0;
        bool fresh = true;
        bool placed = false; // on the screen, both points
        int columnLow = 0, columnHigh = 0, rowLow = 0, rowHigh = 0;
    };
    static constexpr int kRing = 16; // (a power of two above the columns in use: 3 + kMostPrepared + 1)
    static constexpr int kMask = kRing - 1;

    Vector4 Sample(double x, double y) const;
    void Make(size_t column, double x);
    // Sets the row terms of the screen placement (after y0 changes).
    void PlaceRow();
    bool Bounds(size_t first, size_t last, int (&bounds)[4]) const;

    const ElevationLookup::Fixed elevation;
    const double zScale, sx, sy;
    Column ring[kRing];
    // Columns are counted along the row; column i lives at ring[i & kMask]. The current cell spans columns
    // current (the side the walk came from) and current + 1, and the column before is the one it left.
    size_t current = 0;
    size_t made = 1;          // the last column made
    size_t preparedFirst = 0; // the first column of the cells of the last Prepare
    bool east = true;
    double y0 = 0.0;
    // The projection's terms: a point's screen x, y and w are x * m[0] + z * m[8] + the row's term, and so
    // on (an affine map: not the corners' own arithmetic, so the tests allow for the difference).
    const double* projection = nullptr;
    double rowTerms[2][3] = {}; // for the points at y0 and at y0 + sy
};

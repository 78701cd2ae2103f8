#include "renderer/CellBuilder.h"

#include "image/Gelaende.h"
#include "renderer/RenderCamera.h"
#include "renderer/TriangleShader.h"

#include <algorithm>
#include <cmath>

CellBuilder::CellBuilder(const CGelaende& elevation_, double zScale_, double sx_, double sy_)
    : elevation(elevation_.Lookup()), zScale(zScale_), sx(sx_), sy(sy_) {}

Vector4 CellBuilder::Sample(double x, double y) const {
    return Vector4::Point(x, y, elevation.at(x, y) * zScale);
}

void CellBuilder::SetCamera(const RenderCamera* camera) {
    projection = camera ? camera->Projection().m : nullptr;
    PlaceRow();
}

void CellBuilder::PlaceRow() {
    if (!projection) return;
    const double* m = projection;
    for (int k = 0; k < 2; ++k) {
        const double y = k == 0 ? y0 : y0 + sy;
        rowTerms[k][0] = y * m[4] + m[12];
        rowTerms[k][1] = y * m[5] + m[13];
        rowTerms[k][2] = y * m[7] + m[15];
    }
}

void CellBuilder::Make(size_t column, double x) {
    Column& c = ring[column & kMask];
    c.low.point = Sample(x, y0);
    c.high.point = Sample(x, y0 + sy);
    c.low.normalPending = c.high.normalPending = true;
    c.low.projected.state = c.high.projected.state = 0; // (not projected: the rest is not read)
    if (!projection) return;
    const double* m = projection;
    bool placed = true;
    double columns[2], rows[2];
    for (int k = 0; k < 2; ++k) {
        const double z = (k == 0 ? c.low : c.high).point.z;
        const double px = x * m[0] + z * m[8] + rowTerms[k][0];
        const double py = x * m[1] + z * m[9] + rowTerms[k][1];
        const double pw = x * m[3] + z * m[11] + rowTerms[k][2];
        // (As the view cull: a point this near the eye's plane is not placed.)
        placed &= pw > 1e-7 * (std::fabs(px) + std::fabs(py) + std::fabs(pw) + 1.0);
        const double inverse = 1.0 / pw;
        columns[k] = px * inverse;
        rows[k] = -(py * inverse);
    }
    c.placed = placed;
    if (!placed) return; // (its places may not be numbers)
    c.columnLow = TriangleRasterizer::Truncated(std::min(columns[0], columns[1]) - kPlaceMargin);
    c.columnHigh = TriangleRasterizer::Truncated(std::max(columns[0], columns[1]) + kPlaceMargin);
    c.rowLow = TriangleRasterizer::Truncated(std::min(rows[0], rows[1]) - kPlaceMargin);
    c.rowHigh = TriangleRasterizer::Truncated(std::max(rows[0], rows[1]) + kPlaceMargin);
}

bool CellBuilder::Bounds(size_t first, size_t last, int (&bounds)[4]) const {
    if (!projection) return false;
    const Column& f = ring[first & kMask];
    bounds[0] = f.columnLow, bounds[1] = f.columnHigh, bounds[2] = f.rowLow, bounds[3] = f.rowHigh;
    bool placed = f.placed;
    for (size_t i = first + 1; i <= last; ++i) {
        const Column& c = ring[i & kMask];
        placed &= c.placed;
        bounds[0] = std::min(bounds[0], c.columnLow);
        bounds[1] = std::max(bounds[1], c.columnHigh);
        bounds[2] = std::min(bounds[2], c.rowLow);
        bounds[3] = std::max(bounds[3], c.rowHigh);
    }
    return placed;
}

void CellBuilder::Prepare(const double* xs, ptrdiff_t stride, int n, double y, bool towardsEast, bool fresh) {
    if (n <= 0) return;
    if (fresh) {
        // A new chain after every column made so far: the cell's own two columns.
        if (y != y0) {
            y0 = y;
            PlaceRow();
        }
        east = towardsEast;
        const size_t first = made + 1;
        const double x = xs[0];
        Make(first, east ? x : x + sx);
        Make(first + 1, east ? x + sx : x);
        ring[first & kMask].cellX = x;
        ring[first & kMask].fresh = true;
        made = first + 1;
        current = first - 1; // (Next moves onto it)
        preparedFirst = first;
    } else {
        preparedFirst = current + 1;
    }
    // Each further cell starts at the column the one before ended with, and adds the column where the
    // cell before placed its neighbours beyond it: at its x0 + 2 sx (east) or its x0 - sx (west).
    for (int k = fresh ? 1 : 0; k < n; ++k) {
        const double before = ring[(made - 1) & kMask].cellX;
        Make(made + 1, east ? before + 2.0 * sx : before - sx);
        ring[made & kMask].cellX = xs[k * stride];
        ring[made & kMask].fresh = false;
        ++made;
    }
}

void CellBuilder::Complete() {
    Corner &A_ = A(), &B_ = B(), &C_ = C(), &D_ = D();
    if (!(A_.normalPending || B_.normalPending || C_.normalPending || D_.normalPending)) return;
    const Column& cell = ring[current & kMask];
    const Column& behind = ring[(current - 1) & kMask]; // the cell before's other column (after a step)
    const double x0 = cell.cellX, before = behind.cellX;
    const bool fromWest = !cell.fresh && east, fromEast = !cell.fresh && !east;
    // The neighbours where the cells before placed them: the column the step left is the cell before's
    // corners, and the points below and above the shared column are the cell before's.
    const double xS0 = fromWest ? before + sx : x0;
    const double xS1 = fromEast ? before : x0 + sx;
    auto west = [&](bool high) {
        return fromWest ? (high ? behind.high.point : behind.low.point)
                        : Sample(x0 - sx, high ? y0 + sy : y0);
    };
    auto eastOf = [&](bool high) {
        return fromEast ? (high ? behind.high.point : behind.low.point)
                        : Sample(x0 + 2.0 * sx, high ? y0 + sy : y0);
    };
    // (CornerNormal takes the neighbours at +x, +y, -x and -y, in this order.)
    if (A_.normalPending) {
        A_.normal = CornerNormal(A_.point, B_.point, C_.point, west(false), Sample(xS0, y0 - sy));
        A_.normalPending = false;
    }
    if (B_.normalPending) {
        B_.normal = CornerNormal(B_.point, eastOf(false), D_.point, A_.point, Sample(xS1, y0 - sy));
        B_.normalPending = false;
    }
    if (C_.normalPending) {
        C_.normal = CornerNormal(C_.point, D_.point, Sample(xS0, y0 + 2.0 * sy), west(true), A_.point);
        C_.normalPending = false;
    }
    if (D_.normalPending) {
        D_.normal = CornerNormal(D_.point, eastOf(true), Sample(xS1, y0 + 2.0 * sy), C_.point, B_.point);
        D_.normalPending = false;
    }
}

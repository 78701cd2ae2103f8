#include "renderer/CellBuilder.h"

#include "image/Gelaende.h"
#include "renderer/TriangleShader.h"

CellBuilder::CellBuilder(const CGelaende& elevation_, double zScale_, double sx_, double sy_)
    : elevation(elevation_), zScale(zScale_), sx(sx_), sy(sy_) {}

Vector4 CellBuilder::Sample(double x, double y) const {
    return Vector4::Point(x, y, elevation.ElevationAt(x, y) * zScale);
}

void CellBuilder::MakeColumn(Column& c, double x) const {
    for (Corner* k : {&c.low, &c.high}) {
        k->point = Sample(x, k == &c.low ? y0 : y0 + sy);
        k->normalPending = true;
        k->projected = ProjectedCorner{};
    }
}

void CellBuilder::Start(double x, double y) {
    x0 = x;
    y0 = y;
    came = Came::Fresh;
    MakeColumn(ring[a], x);
    MakeColumn(ring[(a + 1) % 3], x + sx);
}

// The new column lies where the cell before placed its neighbours beyond it: at its x0 + 2 sx (east) or
// its x0 - sx (west).
void CellBuilder::StepEast(double x) {
    xBefore = x0;
    x0 = x;
    came = Came::FromWest;
    a = (a + 1) % 3; // the old B-D column is the new A-C, the old A-C the one left behind
    MakeColumn(ring[(a + 1) % 3], xBefore + 2.0 * sx);
}

void CellBuilder::StepWest(double x) {
    xBefore = x0;
    x0 = x;
    came = Came::FromEast;
    a = (a + 2) % 3; // the old A-C column is the new B-D, the old B-D the one left behind
    MakeColumn(ring[a], xBefore - sx);
}

void CellBuilder::Complete() {
    Corner &A_ = A(), &B_ = B(), &C_ = C(), &D_ = D();
    if (!(A_.normalPending || B_.normalPending || C_.normalPending || D_.normalPending)) return;
    const Column& behind = ring[(a + 2) % 3];
    // The neighbours where the cells before placed them: the column the step left behind is the cell
    // before's corners, and the points below and above the shared column are the cell before's.
    const double xS0 = came == Came::FromWest ? xBefore + sx : x0;
    const double xS1 = came == Came::FromEast ? xBefore : x0 + sx;
    auto west = [&](bool high) {
        return came == Came::FromWest ? (high ? behind.high.point : behind.low.point)
                                      : Sample(x0 - sx, high ? y0 + sy : y0);
    };
    auto east = [&](bool high) {
        return came == Came::FromEast ? (high ? behind.high.point : behind.low.point)
                                      : Sample(x0 + 2.0 * sx, high ? y0 + sy : y0);
    };
    // (CornerNormal takes the neighbours at +x, +y, -x and -y, in this order.)
    if (A_.normalPending) {
        A_.normal = CornerNormal(A_.point, B_.point, C_.point, west(false), Sample(xS0, y0 - sy));
        A_.normalPending = false;
    }
    if (B_.normalPending) {
        B_.normal = CornerNormal(B_.point, east(false), D_.point, A_.point, Sample(xS1, y0 - sy));
        B_.normalPending = false;
    }
    if (C_.normalPending) {
        C_.normal = CornerNormal(C_.point, D_.point, Sample(xS0, y0 + 2.0 * sy), west(true), A_.point);
        C_.normalPending = false;
    }
    if (D_.normalPending) {
        D_.normal = CornerNormal(D_.point, east(true), Sample(xS1, y0 + 2.0 * sy), C_.point, B_.point);
        D_.normalPending = false;
    }
}

#include "renderer/GridFrame.h"

#include "app/Progress.h"
#include "image/Gelaende.h"
#include "renderer/RenderCamera.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <cmath>

namespace {

constexpr double kEyeShift = 0.00008;
constexpr double kEpsilon = 0.00001;
constexpr double kDustLimit = 7.0;

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Cell records

CellBuilder::CellBuilder(const CGelaende& elevation_, double zScale_, double sx_, double sy_)
    : elevation(elevation_), zScale(zScale_), sx(sx_), sy(sy_) {}

Vector4 CellBuilder::Sample(double x, double y) const {
    return Vector4::Point(x, y, elevation.ElevationAt(x, y) * zScale);
}

void CellBuilder::Full(double x0, double y0, CellRecord& c) const {
    c.N0 = Sample(x0, y0 - sy);
    c.N1 = Sample(x0 + sx, y0 - sy);
    c.W0 = Sample(x0 - sx, y0);
    c.A = Sample(x0, y0);
    c.B = Sample(x0 + sx, y0);
    c.E0 = Sample(x0 + 2.0 * sx, y0);
    c.W1 = Sample(x0 - sx, y0 + sy);
    c.C = Sample(x0, y0 + sy);
    c.D = Sample(x0 + sx, y0 + sy);
    c.E1 = Sample(x0 + 2.0 * sx, y0 + sy);
    c.S0 = Sample(x0, y0 + 2.0 * sy);
    c.S1 = Sample(x0 + sx, y0 + 2.0 * sy);
    c.nA = CornerNormal(c.A, c.B, c.C, c.W0, c.N0);
    c.nB = CornerNormal(c.B, c.E0, c.D, c.A, c.N1);
    c.nC = CornerNormal(c.C, c.D, c.S0, c.W1, c.A);
    c.nD = CornerNormal(c.D, c.E1, c.S1, c.C, c.B);
    c.pA = c.pB = c.pC = c.pD = ProjectedCorner{};
}

void CellBuilder::ShiftedFromLeft(double x0, double y0, CellRecord& c) const {
    // The previous cell's A, B column becomes this cell's W, A column and its B, E column this cell's
    // A, B column; the column at x0 + sx above and below and the column at x0 + 2 sx are new.
    c.W0 = c.A;
    c.W1 = c.C;
    c.N0 = c.N1;
    c.A = c.B;
    c.C = c.D;
    c.S0 = c.S1;
    c.B = c.E0;
    c.D = c.E1;
    c.N1 = Sample(x0 + sx, y0 - sy);
    c.S1 = Sample(x0 + sx, y0 + 2.0 * sy);
    c.E0 = Sample(x0 + 2.0 * sx, y0);
    c.E1 = Sample(x0 + 2.0 * sx, y0 + sy);
    c.nA = c.nB;
    c.nC = c.nD;
    c.nB = CornerNormal(c.B, c.E0, c.D, c.A, c.N1);
    c.nD = CornerNormal(c.D, c.E1, c.S1, c.C, c.B);
    c.pA = c.pB;
    c.pC = c.pD;
    c.pB = c.pD = ProjectedCorner{};
}

void CellBuilder::ShiftedFromRight(double x0, double y0, CellRecord& c) const {
    // Mirror image: the previous cell's A, B column becomes this cell's B, E column and its W, A column
    // this cell's A, B column; the column at x0 above and below and the column at x0 - sx are new.
    c.E0 = c.B;
    c.E1 = c.D;
    c.N1 = c.N0;
    c.B = c.A;
    c.D = c.C;
    c.S1 = c.S0;
    c.A = c.W0;
    c.C = c.W1;
    c.N0 = Sample(x0, y0 - sy);
    c.S0 = Sample(x0, y0 + 2.0 * sy);
    c.W0 = Sample(x0 - sx, y0);
    c.W1 = Sample(x0 - sx, y0 + sy);
    c.nB = c.nA;
    c.nD = c.nC;
    c.nA = CornerNormal(c.A, c.B, c.C, c.W0, c.N0);
    c.nC = CornerNormal(c.C, c.D, c.S0, c.W1, c.A);
    c.pB = c.pA;
    c.pD = c.pC;
    c.pA = c.pC = ProjectedCorner{};
}

// ---------------------------------------------------------------------------------------------------------
// The frame

GridFrame::GridFrame(const RenderCamera& camera_, const CGelaende& elevation_, double zScale, double gridX,
                     double gridY, double dust_, RenderMode mode_, TriangleSink& sink_, Progress& progress_)
    : camera(camera_), sink(sink_), progress(progress_),
      builder(elevation_, zScale, elevation_.GetExtentX() / gridX, elevation_.GetExtentY() / gridY),
      Ex(elevation_.GetExtentX()), Ey(elevation_.GetExtentY()), Nx(gridX), Ny(gridY), sx(Ex / Nx),
      sy(Ey / Ny), dust(dust_), mode(mode_) {}

void GridFrame::Run() {
    // Walked here and now, the units need no progress counted ahead: the walk counts it as it goes.
    if (!PlanUnits(false)) return;
    percent = 0.0;
    int stoppedPass = PassCount;
    for (const Unit& u : units) {
        if (u.pass == stoppedPass) continue;
        if (!Walk(u)) stoppedPass = u.pass;
    }
}

bool GridFrame::Plan() {
    return PlanUnits(true);
}

bool GridFrame::PlanUnits(bool countProgress) {
    units.clear();
    countingProgress = countProgress;
    // A grid without cells (or one too fine to step through) draws nothing.
    if (!(Nx > 0.0 && Nx <= 1e6 && Ny > 0.0 && Ny <= 1e6 && sx > 0.0 && sy > 0.0 && std::isfinite(sx) &&
          std::isfinite(sy)))
        return false;

    // 1. The traversal's eye.
    eye = camera.Eye();
    eye.x += kEyeShift;
    eye.y += kEyeShift;

    ComputeVisibleBox();
    ComputeQuadrants();

    // 6. The eight passes, as units; the progress is counted through them as the walk will count it.
    increment = 100.0 / ((Nx + 1.0) * (Ny + 1.0));
    percent = 0.0;
    rowCounter = 0;
    const Bounds& q0 = quadrants[0];
    const Bounds& q1 = quadrants[1];
    const Bounds& q2 = quadrants[2];
    const Bounds& q3 = quadrants[3];
    if (!Guarded(Q0)) PlanQuadrant(Q0, true, false, true);
    if (!Guarded(Q1)) PlanQuadrant(Q1, false, false, false);
    if (!Guarded(Q2)) PlanQuadrant(Q2, false, true, false);
    if (!Guarded(Q3)) PlanQuadrant(Q3, true, true, true);
    if (!Guarded(Strip1)) AddUnit({Unit::ColumnStrip, Strip1, false, true, q0.xHigh + sx, 0.0});
    if (!Guarded(Strip2)) AddUnit({Unit::RowStrip, Strip2, false, false, q1.yLow - sy, 0.0});
    if (!Guarded(Strip3)) AddUnit({Unit::ColumnStrip, Strip3, true, false, q2.xLow - sx, 0.0});
    if (!Guarded(Strip4)) AddUnit({Unit::RowStrip, Strip4, true, true, q3.yHigh + sy, 0.0});
    return true;
}

void GridFrame::PlanQuadrant(Pass p, bool xUp, bool yUp, bool t1First) {
    // In a raw frame every other row of cells is left out (counted over all four quadrants).
    const Bounds& q = quadrants[p];
    const double e = kEpsilon;
    const bool raw = mode == RenderMode::Raw;
    for (double y = yUp ? q.yLow : q.yHigh; yUp ? y < q.yHigh + e : !(q.yLow - e > y);
         y = yUp ? y + sy : y - sy) {
        const bool skipRow = raw && (rowCounter & 1) != 0;
        ++rowCounter;
        if (!skipRow) AddUnit({Unit::QuadrantRow, p, xUp, t1First, y, 0.0});
    }
}

void GridFrame::AddUnit(Unit u) {
    u.percent = percent;
    units.push_back(u);
    if (!countingProgress) return;
    walkMode = WalkMode::Counting;
    Walk(u);
    walkMode = WalkMode::Live;
}

void GridFrame::TakePlanOf(const GridFrame& planner) {
    eye = planner.eye;
    box = planner.box;
    for (int q = 0; q < 4; ++q) quadrants[q] = planner.quadrants[q];
    increment = planner.increment;
    units = planner.units;
}

void GridFrame::WalkUnit(const Unit& unit) {
    walkMode = WalkMode::Quiet;
    percent = unit.percent;
    Walk(unit);
    walkMode = WalkMode::Live;
}

void GridFrame::ReplayProgress(const Unit& unit) {
    walkMode = WalkMode::Replay;
    percent = unit.percent;
    Walk(unit);
    walkMode = WalkMode::Live;
}

bool GridFrame::Walk(const Unit& u) {
    switch (u.kind) {
    case Unit::QuadrantRow:
        return WalkQuadrantRow(u);
    case Unit::ColumnStrip:
        return WalkColumnStrip(u);
    case Unit::RowStrip:
        WalkRowStrip(u);
        return true;
    }
    return true;
}

void GridFrame::ComputeVisibleBox() {
    // 2. The part of the terrain rectangle that the view pyramid can reach.
    box = {Ex, 0.0, Ey, 0.0};
    auto widen = [this](double x, double y) {
        if (x < box.xLow) box.xLow = x;
        if (x > box.xHigh) box.xHigh = x;
        if (y < box.yLow) box.yLow = y;
        if (y > box.yHigh) box.yHigh = y;
    };
    const Vector4 cameraEye = camera.Eye();
    const double W = camera.Width(), H = camera.Height();
    const double corners[4][2] = {{0.0, H}, {W, H}, {W, 0.0}, {0.0, 0.0}};
    const Vector4 o = Vector4::Point(0, 0, 0);
    const RayPlane ground = RayPlane::Through(cameraEye, o, Vector4::Point(1, 0, 0), Vector4::Point(0, 1, 0));
    const RayPlane sides[4] = {
        RayPlane::Through(cameraEye, o, Vector4::Point(0, 1, 0), Vector4::Point(0, 0, 1)),
        RayPlane::Through(cameraEye, o, Vector4::Point(1, 0, 0), Vector4::Point(0, 0, 1)),
        RayPlane::Through(cameraEye, Vector4::Point(Ex, 0, 0), Vector4::Point(Ex, 1, 0),
                          Vector4::Point(Ex, 0, 1)),
        RayPlane::Through(cameraEye, Vector4::Point(0, Ey, 0), Vector4::Point(1, Ey, 0),
                          Vector4::Point(0, Ey, 1)),
    };
    for (const auto& corner : corners) {
        const Vector4 ray = camera.ViewRay(corner[0], corner[1]);
        const double t = ground.HitParameter(ray);
        if (t > 0.0) widen(cameraEye.x + t * ray.x, cameraEye.y + t * ray.y);
    }
    for (const auto& corner : corners) {
        const Vector4 ray = camera.ViewRay(corner[0], corner[1]);
        for (const RayPlane& side : sides) {
            const double t = side.HitParameter(ray);
            if (t > 0.0 && cameraEye.z + t * ray.z > 0.0)
                widen(cameraEye.x + t * ray.x, cameraEye.y + t * ray.y);
        }
    }
    widen(eye.x, eye.y);
    if (box.xLow < 0.0) box.xLow = 0.0;
    if (box.yLow < 0.0) box.yLow = 0.0;
    if (box.xHigh > Ex) box.xHigh = Ex;
    if (box.yHigh > Ey) box.yHigh = Ey;
}

void GridFrame::ComputeQuadrants() {
    // 3. The four quadrants around the eye's ground position.
    const double ex = eye.x, ey = eye.y;
    quadrants[0] = {box.xLow, ex, ey, box.yHigh};
    quadrants[1] = {ex, box.xHigh, ey, box.yHigh};
    quadrants[2] = {ex, box.xHigh, box.yLow, ey};
    quadrants[3] = {box.xLow, ex, box.yLow, ey};

    // 4. Clamped into the visible box.
    auto clamp = [](double& v, double low, double high) {
        if (v < low) v = low;
        if (v > high) v = high;
    };
    for (Bounds& q : quadrants) {
        clamp(q.xLow, box.xLow, box.xHigh);
        clamp(q.xHigh, box.xLow, box.xHigh);
        clamp(q.yLow, box.yLow, box.yHigh);
        clamp(q.yHigh, box.yLow, box.yHigh);
    }

    // 5. Snapped to the grid, each quadrant stopping one cell short of the eye's column and row.
    const double e = kEpsilon;
    auto down = [e](double v, double s) { return s * std::trunc((v - e) / s); };
    auto downPlusOne = [e](double v, double s) { return s * std::trunc((v - e) / s + 1.0); };
    auto upMinusOne = [e](double v, double s) { return s * std::trunc((v + e) / s - 1.0); };
    auto up = [e](double v, double s) { return s * std::trunc((v + e) / s); };
    Bounds* q = quadrants;
    q[0].xLow = down(q[0].xLow, sx);
    q[3].xLow = down(q[3].xLow, sx);
    q[1].xLow = downPlusOne(q[1].xLow, sx);
    q[2].xLow = downPlusOne(q[2].xLow, sx);
    q[0].xHigh = upMinusOne(q[0].xHigh, sx);
    q[3].xHigh = upMinusOne(q[3].xHigh, sx);
    q[1].xHigh = up(q[1].xHigh, sx);
    q[2].xHigh = up(q[2].xHigh, sx);
    q[0].yLow = downPlusOne(q[0].yLow, sy);
    q[1].yLow = downPlusOne(q[1].yLow, sy);
    q[2].yLow = down(q[2].yLow, sy);
    q[3].yLow = down(q[3].yLow, sy);
    q[0].yHigh = up(q[0].yHigh, sy);
    q[1].yHigh = up(q[1].yHigh, sy);
    q[2].yHigh = upMinusOne(q[2].yHigh, sy);
    q[3].yHigh = upMinusOne(q[3].yHigh, sy);
}

bool GridFrame::Guarded(Pass p) const {
    const double e = kEpsilon;
    const Bounds& q0 = quadrants[0];
    const Bounds& q1 = quadrants[1];
    const Bounds& q2 = quadrants[2];
    const Bounds& q3 = quadrants[3];
    switch (p) {
    case Q0:
        return q0.xLow == q1.xLow || q3.yHigh == q0.yHigh || q0.yLow - e > q0.yHigh;
    case Q1:
        return q1.xHigh == q0.xHigh || q2.yHigh == q1.yHigh || q1.yLow - e > q1.yHigh;
    case Q2:
        return q2.xHigh == q3.xHigh || q1.yLow == q2.yLow || q2.yLow >= q2.yHigh + e;
    case Q3:
        return q3.xLow == q2.xLow || q0.yLow == q3.yLow || q3.yLow >= q3.yHigh + e;
    case Strip1:
        return q0.xLow == q1.xLow || q3.yHigh == q0.yHigh || q1.xHigh == q0.xHigh || q2.yHigh == q1.yHigh ||
               q0.yLow - e > q0.yHigh;
    case Strip2:
        return q0.xHigh == q1.xHigh || q1.yHigh == q2.yHigh || q3.xHigh == q2.xHigh || q2.yLow == q1.yLow;
    case Strip3:
        return q3.xHigh == q2.xHigh || q1.yLow == q2.yLow || q3.xLow == q2.xLow || q3.yLow == q0.yLow ||
               q2.yLow >= q2.yHigh + e;
    case Strip4:
        return q2.xLow == q3.xLow || q3.yLow == q0.yLow || q0.xLow == q1.xLow || q0.yHigh == q3.yHigh;
    default:
        return true;
    }
}

void GridFrame::BuildCell(double x, double y, bool first, bool xUp) {
    if (first || alwaysFull || mode == RenderMode::Raw)
        builder.Full(x, y, cell);
    else if (xUp)
        builder.ShiftedFromLeft(x, y, cell);
    else
        builder.ShiftedFromRight(x, y, cell);
    cellX = x;
    cellY = y;
}

void GridFrame::DrawCell(Pass p, bool t1First) {
    const Vector4 toEye = eye - cell.A;
    const double delta = Length3(toEye) / dust;
    // Beyond seven dust distances the cell is lost in the haze (and a cell whose distance cannot be
    // measured, 0 / 0, is not drawn either).
    const bool drawn = delta < kDustLimit;
    if (trace) trace->push_back({p, cellX, cellY, true, drawn});
    if (!drawn) return;
    ++cellsDrawn[p];
    const double f = 1.0 - std::exp(-delta);
    CellRecord& c = cell;
    const bool t1Shown = !(c.A.z < 0.0 && c.C.z < 0.0 && c.D.z < 0.0);
    const bool t2Shown = !(c.A.z < 0.0 && c.D.z < 0.0 && c.B.z < 0.0);
    if (t1First) {
        if (t1Shown) sink.DrawTriangle(c.A, c.C, c.D, c.nA, c.nC, c.nD, f, c.pA, c.pC, c.pD);
        if (t2Shown) sink.DrawTriangle(c.A, c.D, c.B, c.nA, c.nD, c.nB, f, c.pA, c.pD, c.pB);
    } else {
        if (t2Shown) sink.DrawTriangle(c.A, c.D, c.B, c.nA, c.nD, c.nB, f, c.pA, c.pD, c.pB);
        if (t1Shown) sink.DrawTriangle(c.A, c.C, c.D, c.nA, c.nC, c.nD, f, c.pA, c.pC, c.pD);
    }
}

void GridFrame::Skip(Pass p, double x, double y) {
    if (trace) trace->push_back({p, x, y, false, false});
}

bool GridFrame::WalkQuadrantRow(const Unit& u) {
    const Bounds& q = quadrants[u.pass];
    const double e = kEpsilon;
    const bool raw = mode == RenderMode::Raw;
    const bool xUp = u.up;
    const double y = u.at;
    if (Reports()) progress.report(static_cast<int>(percent));
    if (walkMode == WalkMode::Live && progress.stopRequested()) return false;
    columnCounter = 0;
    bool first = true;
    for (double x = xUp ? q.xLow : q.xHigh; xUp ? x < q.xHigh + e : x >= q.xLow - e;
         x = xUp ? x + sx : x - sx) {
        percent += increment;
        if (Reports()) progress.pump();
        if (!Draws()) continue;
        // In a raw frame every other cell of a row is left out.
        const bool skipCell = raw && (columnCounter & 1) != 0;
        ++columnCounter;
        if (skipCell) {
            Skip(u.pass, x, y);
            continue;
        }
        BuildCell(x, y, first, xUp);
        first = false;
        DrawCell(u.pass, u.t1First);
    }
    return true;
}

bool GridFrame::WalkColumnStrip(const Unit& u) {
    // Strip 1 runs down the eye's column above the eye and may be stopped; strip 3 runs up below it.
    const Bounds& q = quadrants[u.pass == Strip1 ? 0 : 2];
    const double e = kEpsilon;
    const bool yUp = u.up;
    const double x = u.at;
    for (double y = yUp ? q.yLow : q.yHigh; yUp ? y < q.yHigh + e : !(q.yLow - e > y);
         y = yUp ? y + sy : y - sy) {
        if (Reports()) progress.report(static_cast<int>(percent));
        if (walkMode == WalkMode::Live && u.pass == Strip1 && progress.stopRequested()) return false;
        percent += increment;
        if (Reports()) progress.pump();
        if (!Draws()) continue;
        BuildCell(x, y, true, true);
        DrawCell(u.pass, u.t1First);
    }
    return true;
}

void GridFrame::WalkRowStrip(const Unit& u) {
    // Strip 2 runs along the eye's row right of the eye towards it; strip 4 from the left up to the cell
    // under the eye, which is drawn last of all.
    const double e = kEpsilon;
    const bool xUp = u.up;
    const double y = u.at;
    double xFrom, xEnd;
    if (u.pass == Strip2) {
        xFrom = quadrants[1].xHigh;
        xEnd = quadrants[1].xLow - e;
    } else {
        xFrom = quadrants[3].xLow;
        xEnd = quadrants[3].xHigh + sx + e;
    }
    if (Reports()) progress.report(static_cast<int>(percent));
    bool first = true;
    for (double x = xFrom; xUp ? x < xEnd : x >= xEnd; x = xUp ? x + sx : x - sx) {
        percent += increment;
        if (Reports()) progress.pump();
        if (!Draws()) continue;
        BuildCell(x, y, first, xUp);
        first = false;
        DrawCell(u.pass, u.t1First);
    }
}

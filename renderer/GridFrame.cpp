#include "renderer/GridFrame.h"

#include "app/Progress.h"
#include "image/Gelaende.h"
#include "renderer/ElevationPyramid.h"
#include "renderer/RenderCamera.h"
#include "renderer/Shares.h"
#include "renderer/TriangleShader.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEyeShift = 0.00008;
constexpr double kEpsilon = 0.00001;
constexpr double kDustLimit = 7.0;
// The cells the cull looks at together: blocks along a unit, then smaller blocks within a block it could
// not leave out.
constexpr int64_t kCullBlock = 64;
constexpr int64_t kCullSubBlock = 8;
// Walking backwards: blocks of 512 cells, then of 64 within those, then of 8.
constexpr int kCullLevels = 3;
constexpr int64_t kFirstCullBlock = 512;
constexpr int64_t kCullBlocks[kCullLevels] = {kFirstCullBlock, kCullBlock, kCullSubBlock};
static_assert(kCullSubBlock <= CellBuilder::kMostPrepared);
// What the cull adds around a block's projection, in pixels.
constexpr double kScreenMargin = 1.5;

using Bounds = WalkPlan::Bounds;

// A projected point's screen x, y and w before the division (the parts of point * P the cull needs).
struct Affine {
    double x, y, w;
    Affine operator+(const Affine& o) const { return {x + o.x, y + o.y, w + o.w}; }
    double Size() const { return std::fabs(x) + std::fabs(y) + std::fabs(w); }
};

// The part of the terrain rectangle that the view pyramid can reach, widened to hold the eye.
Bounds VisibleBox(const RenderCamera& camera, const Vector4& eye, double Ex, double Ey) {
    Bounds box = {Ex, 0.0, Ey, 0.0};
    auto widen = [&box](double x, double y) {
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
    return box;
}

// A quadrant edge snapped to the grid: its cell index, and its coordinate (the index times the cell size)
// where the walk starts or ends.
struct Snapped {
    int64_t index;
    double at;
};
Snapped Snap(double cells, double s) {
    const double k = std::trunc(cells);
    return {static_cast<int64_t>(k), s * k};
}
struct Edges {
    Snapped xLow, xHigh, yLow, yHigh;
};

// The four quadrants around the eye's ground position, clamped into the visible box and snapped to the
// grid, each stopping one cell short of the eye's column and row.
void SnapQuadrants(const Bounds& box, double ex, double ey, double sx, double sy, Edges (&q)[4]) {
    Bounds b[4] = {{box.xLow, ex, ey, box.yHigh},
                   {ex, box.xHigh, ey, box.yHigh},
                   {ex, box.xHigh, box.yLow, ey},
                   {box.xLow, ex, box.yLow, ey}};
    auto clamp = [](double& v, double low, double high) {
        if (v < low) v = low;
        if (v > high) v = high;
    };
    for (Bounds& r : b) {
        clamp(r.xLow, box.xLow, box.xHigh);
        clamp(r.xHigh, box.xLow, box.xHigh);
        clamp(r.yLow, box.yLow, box.yHigh);
        clamp(r.yHigh, box.yLow, box.yHigh);
    }
    const double e = kEpsilon;
    auto down = [e](double v, double s) { return Snap((v - e) / s, s); };
    auto downPlusOne = [e](double v, double s) { return Snap((v - e) / s + 1.0, s); };
    auto upMinusOne = [e](double v, double s) { return Snap((v + e) / s - 1.0, s); };
    auto up = [e](double v, double s) { return Snap((v + e) / s, s); };
    // A quadrant's outer edges are snapped outwards, its edges at the eye one cell in (so the eye's column
    // and row are left to the strips). Q0 and Q3 lie west of the eye, Q2 and Q3 south of it.
    for (int i = 0; i < 4; ++i) {
        const bool west = i == 0 || i == 3, south = i >= 2;
        q[i].xLow = west ? down(b[i].xLow, sx) : downPlusOne(b[i].xLow, sx);
        q[i].xHigh = west ? upMinusOne(b[i].xHigh, sx) : up(b[i].xHigh, sx);
        q[i].yLow = south ? down(b[i].yLow, sy) : downPlusOne(b[i].yLow, sy);
        q[i].yHigh = south ? upMinusOne(b[i].yHigh, sy) : up(b[i].yHigh, sy);
    }
}

// A line of cells: the first cell's coordinate, the step and the number of cells, counted with the very
// additions the walk makes, so that the walk visits exactly these.
struct Line {
    double from, step;
    int64_t cells;
};
Line Upwards(double low, double high, double s) {
    Line line{low, s, 0};
    for (double v = low; v < high + kEpsilon; v += s) ++line.cells;
    return line;
}
Line Downwards(double low, double high, double s) {
    Line line{high, -s, 0};
    for (double v = high; !(low - kEpsilon > v); v -= s) ++line.cells;
    return line;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// The plan

WalkPlan PlanWalk(const RenderCamera& camera, const CGelaende& elevation, double Nx, double Ny,
                  RenderMode mode) {
    WalkPlan plan;
    const double Ex = elevation.GetExtentX(), Ey = elevation.GetExtentY();
    const double sx = plan.sx = Ex / Nx, sy = plan.sy = Ey / Ny;
    // A grid without cells (or one too fine to step through) draws nothing.
    if (!(Nx > 0.0 && Nx <= 1e6 && Ny > 0.0 && Ny <= 1e6 && sx > 0.0 && sy > 0.0 && std::isfinite(sx) &&
          std::isfinite(sy)))
        return plan;

    plan.eye = camera.Eye();
    plan.eye.x += kEyeShift;
    plan.eye.y += kEyeShift;
    plan.box = VisibleBox(camera, plan.eye, Ex, Ey);
    // A camera that is not finite (NaN or an infinity in a hand-edited job) sees nothing: stepping through
    // its box would never end.
    const WalkPlan::Bounds& box = plan.box;
    if (!(std::isfinite(plan.eye.x) && std::isfinite(plan.eye.y) && std::isfinite(box.xLow) &&
          std::isfinite(box.xHigh) && std::isfinite(box.yLow) && std::isfinite(box.yHigh)))
        return plan;
    Edges q[4];
    SnapQuadrants(plan.box, plan.eye.x, plan.eye.y, sx, sy, q);
    for (int i = 0; i < 4; ++i)
        plan.quadrants[i] = {q[i].xLow.at, q[i].xHigh.at, q[i].yLow.at, q[i].yHigh.at};
    plan.increment = 100.0 / ((Nx + 1.0) * (Ny + 1.0));

    // A quadrant is empty when the visible box ends at the eye's column or row on its side (the eye at or
    // beyond an edge of the box), and so is a strip next to an empty quadrant. The edges are compared as
    // cell indices: two snapped edges lie on the same grid line exactly when their indices are equal.
    const bool empty[4] = {
        q[0].xLow.index == q[1].xLow.index || q[3].yHigh.index == q[0].yHigh.index,
        q[1].xHigh.index == q[0].xHigh.index || q[2].yHigh.index == q[1].yHigh.index,
        q[2].xHigh.index == q[3].xHigh.index || q[1].yLow.index == q[2].yLow.index,
        q[3].xLow.index == q[2].xLow.index || q[0].yLow.index == q[3].yLow.index,
    };

    const bool raw = mode == RenderMode::Raw;
    auto add = [&](WalkUnit::Kind kind, WalkUnit::Pass pass, bool t1First, double at, const Line& line,
                   bool everyOther = false) {
        const bool shifted = kind != WalkUnit::ColumnStrip && !raw;
        plan.units.push_back(
            {kind, pass, t1First, shifted, everyOther, at, line.from, line.step, line.cells});
    };

    // The quadrants, from the far corner towards the eye: Q0 x up and y down, Q1 x and y down, Q2 x down
    // and y up, Q3 x and y up. In a raw frame every other row is left out, counted over all four.
    int64_t rowCounter = 0;
    for (int i = 0; i < 4; ++i) {
        if (empty[i]) continue;
        const Bounds& b = plan.quadrants[i];
        const bool xUp = i == 0 || i == 3, yUp = i >= 2;
        const Line rows = yUp ? Upwards(b.yLow, b.yHigh, sy) : Downwards(b.yLow, b.yHigh, sy);
        const Line cells = xUp ? Upwards(b.xLow, b.xHigh, sx) : Downwards(b.xLow, b.xHigh, sx);
        double y = rows.from;
        // (The triangle farther from the eye first: T1 where x runs up, T2 where it runs down.)
        for (int64_t r = 0; r < rows.cells; ++r, y += rows.step)
            if (!(raw && (rowCounter++ & 1) != 0))
                add(WalkUnit::QuadrantRow, WalkUnit::Pass(i), xUp, y, cells, raw);
    }

    // The cross through the eye: its column above the eye (down towards it), its row right of it (leftwards),
    // its column below it (up) and its row left of it up to the cell under the eye, which comes last.
    const Bounds &b0 = plan.quadrants[0], &b1 = plan.quadrants[1], &b2 = plan.quadrants[2],
                 &b3 = plan.quadrants[3];
    if (const Line l = Downwards(b0.yLow, b0.yHigh, sy); !empty[0] && !empty[1] && l.cells > 0)
        add(WalkUnit::ColumnStrip, WalkUnit::Strip1, true, b0.xHigh + sx, l);
    if (!empty[1] && !empty[2])
        add(WalkUnit::RowStrip, WalkUnit::Strip2, false, b1.yLow - sy, Downwards(b1.xLow, b1.xHigh, sx));
    if (const Line l = Upwards(b2.yLow, b2.yHigh, sy); !empty[2] && !empty[3] && l.cells > 0)
        add(WalkUnit::ColumnStrip, WalkUnit::Strip3, false, b2.xLow - sx, l);
    if (!empty[3] && !empty[0])
        add(WalkUnit::RowStrip, WalkUnit::Strip4, true, b3.yHigh + sy, Upwards(b3.xLow, b3.xHigh + sx, sx));
    return plan;
}

std::vector<double> UnitPercents(const WalkPlan& plan) {
    std::vector<double> starts;
    starts.reserve(plan.units.size());
    double percent = 0.0;
    for (const WalkUnit& u : plan.units) {
        starts.push_back(percent);
        for (int64_t i = 0; i < u.cells; ++i) percent += plan.increment;
    }
    return starts;
}

// ---------------------------------------------------------------------------------------------------------
// Leaving out what cannot be seen

ViewCull::ViewCull(const RenderCamera& camera_, const ElevationPyramid& pyramid_, const WalkPlan& plan,
                   double zScale_, double dust, int imageWidth, int imageHeight, int firstRow, int endRow)
    : camera(camera_), pyramid(pyramid_), eye(plan.eye), zScale(zScale_),
      dustCut(dust > 0.0 && std::isfinite(dust) ? kDustLimit * dust * (1.0 + 1e-9) : 0.0) {
    // A span writes the columns [0, min(width, picture width - 1)] and the screen rows whose stored rows
    // (screen height - row) are selected; a corner's column and row are truncated towards zero, and the
    // span's edges are stepped from them, so a margin of a pixel and a half covers the truncation and any
    // rounding. An end of a span may lie one column beyond its corners' (see
    // TriangleRasterizer::TruncatedCovered): a triangle whose corners all lie beside the picture's first or
    // last column may still write it, so the margin of the columns is one column wider.
    const int height = camera.Height();
    columnLow = -kScreenMargin - 1.0;
    columnHigh = std::min(camera.Width(), imageWidth - 1) + kScreenMargin + 1.0;
    const int storedLow = std::max(firstRow, 0), storedHigh = std::min(endRow, imageHeight) - 1;
    rowLow = std::max(0, height - storedHigh) - kScreenMargin;
    rowHigh = std::min(height, height - storedLow) + kScreenMargin;
}

ViewCull::Reach ViewCull::Screen(double xLow, double xHigh, double yLow, double yHigh,
                                 double (&rect)[4]) const {
    double zLow, zHigh;
    pyramid.Range(xLow, xHigh, yLow, yHigh, zLow, zHigh);
    zLow *= zScale;
    zHigh *= zScale;
    if (zLow > zHigh) std::swap(zLow, zHigh);
    // (The corners' coordinates come from additions and an interpolation: allow for their rounding.)
    const double mx = 1e-7 * (std::fabs(xLow) + std::fabs(xHigh) + 1.0);
    const double my = 1e-7 * (std::fabs(yLow) + std::fabs(yHigh) + 1.0);
    const double mz = 1e-7 * (std::fabs(zLow) + std::fabs(zHigh) + 1.0);
    xLow -= mx, xHigh += mx, yLow -= my, yHigh += my, zLow -= mz, zHigh += mz;
    if (!(std::isfinite(xLow) && std::isfinite(xHigh) && std::isfinite(yLow) && std::isfinite(yHigh) &&
          std::isfinite(zLow) && std::isfinite(zHigh)))
        return Reach::Unknown;

    // Beyond the dust: a cell is drawn only when its corner A is nearer than seven dust distances. (The
    // cut's margin is far above the rounding of comparing squares.)
    if (dustCut > 0.0) {
        const double dx = std::max({xLow - eye.x, 0.0, eye.x - xHigh});
        const double dy = std::max({yLow - eye.y, 0.0, eye.y - yHigh});
        const double dz = std::max({zLow - eye.z, 0.0, eye.z - zHigh});
        if (dx * dx + dy * dy + dz * dz > dustCut * dustCut) return Reach::None;
    }

    // A triangle with a corner behind the eye (W <= 0) is dropped; W is affine, so when every corner of
    // the box lies behind the eye, so does every point in it. With every corner in front, the box's
    // projection holds the projection of every point in it.
    // (The corners from the lowest one and the box's three edges: point * P is linear in the point. The
    // rounding of that, and of multiplying by 1 / W, is far below the margins below and in Covered.)
    const double* m = camera.Projection().m;
    const double dx = xHigh - xLow, dy = yHigh - yLow, dz = zHigh - zLow;
    const Affine base = {xLow * m[0] + yLow * m[4] + zLow * m[8] + m[12],
                         xLow * m[1] + yLow * m[5] + zLow * m[9] + m[13],
                         xLow * m[3] + yLow * m[7] + zLow * m[11] + m[15]};
    const Affine ex = {dx * m[0], dx * m[1], dx * m[3]}, ey = {dy * m[4], dy * m[5], dy * m[7]},
                 ez = {dz * m[8], dz * m[9], dz * m[11]};
    const Affine corners[8] = {base,      base + ex,      base + ey,      base + ex + ey,
                               base + ez, base + ex + ez, base + ey + ez, base + ex + ey + ez};
    // A point this near the eye's plane is not placed: one margin for all eight corners, from a bound on
    // what each corner's own would be (a larger margin only leaves out less).
    const double wMargin = 1e-7 * (base.Size() + ex.Size() + ey.Size() + ez.Size() + 1.0);
    // (The corners are counted first and divided after, each step over all eight without a branch: the
    // divisions then go in pairs.)
    int behind = 0, inFront = 0;
    for (const Affine& p : corners) {
        behind += p.w < -wMargin;
        inFront += p.w > wMargin;
    }
    if (inFront != 8) return behind == 8 ? Reach::None : Reach::Unknown;
    double columns[8], rows[8];
    for (int k = 0; k < 8; ++k) {
        const double inverse = 1.0 / corners[k].w;
        columns[k] = corners[k].x * inverse;
        rows[k] = -(corners[k].y * inverse);
    }
    double cLow = HUGE_VAL, cHigh = -HUGE_VAL, rLow = HUGE_VAL, rHigh = -HUGE_VAL;
    for (int k = 0; k < 8; ++k) {
        cLow = std::min(cLow, columns[k]);
        cHigh = std::max(cHigh, columns[k]);
        rLow = std::min(rLow, rows[k]);
        rHigh = std::max(rHigh, rows[k]);
    }
    if (!(std::isfinite(cLow) && std::isfinite(cHigh) && std::isfinite(rLow) && std::isfinite(rHigh)))
        return Reach::Unknown;
    if (cHigh < columnLow || cLow > columnHigh || rHigh < rowLow || rLow > rowHigh) return Reach::None;
    rect[0] = cLow, rect[1] = cHigh, rect[2] = rLow, rect[3] = rHigh;
    return Reach::Rectangle;
}

bool ViewCull::Hidden(double xLow, double xHigh, double yLow, double yHigh,
                      const TriangleRasterizer* covered) const {
    double rect[4];
    const Reach reach = Screen(xLow, xHigh, yLow, yHigh, rect);
    return reach == Reach::None ||
           (reach == Reach::Rectangle && covered && covered->Covered(rect[0], rect[1], rect[2], rect[3]));
}

bool ViewCull::StoredRows(double xLow, double xHigh, double yLow, double yHigh, int& low, int& high) const {
    double rect[4];
    const Reach reach = Screen(xLow, xHigh, yLow, yHigh, rect);
    if (reach == Reach::None) return false;
    // Screen row r is stored row (height - r); the rows kept by the cull are the limits.
    const double rLow = reach == Reach::Unknown ? rowLow : std::max(rect[2] - kScreenMargin, rowLow);
    const double rHigh = reach == Reach::Unknown ? rowHigh : std::min(rect[3] + kScreenMargin, rowHigh);
    const int height = camera.Height();
    low = height - static_cast<int>(std::ceil(rHigh));
    high = height - static_cast<int>(std::floor(rLow));
    return low <= high;
}

// ---------------------------------------------------------------------------------------------------------
// Walking units

WalkProgress::WalkProgress(Progress& progress_, double increment_, bool obeyStop_)
    : progress(progress_), increment(increment_), obeyStop(obeyStop_) {}

bool WalkProgress::EnterUnit(const WalkUnit& u) {
    // Rows report once at their start (a column strip at each cell); a quadrant row may be stopped there.
    if (u.kind == WalkUnit::ColumnStrip) return true;
    progress.report(static_cast<int>(percent));
    return !(obeyStop && u.Stoppable() && progress.stopRequested());
}

bool WalkProgress::EnterCell(const WalkUnit& u) {
    if (u.kind == WalkUnit::ColumnStrip) {
        progress.report(static_cast<int>(percent));
        if (obeyStop && u.Stoppable() && progress.stopRequested()) return false;
    }
    percent += increment;
    progress.pump();
    return true;
}

bool WalkProgress::SkipCells(const WalkUnit& u, int64_t n) {
    if (u.kind == WalkUnit::ColumnStrip) {
        for (int64_t i = 0; i < n; ++i)
            if (!EnterCell(u)) return false;
        return true;
    }
    percent += static_cast<double>(n) * increment;
    progress.pump();
    return true;
}

void WalkProgress::Replay(const WalkUnit& u, double start) {
    percent = start;
    EnterUnit(u);
    for (int64_t i = 0; i < u.cells; ++i) EnterCell(u);
}

CellWalker::CellWalker(const WalkPlan& plan, const CGelaende& elevation, double zScale, double dust_,
                       TriangleSink& sink_)
    : eye(plan.eye), dust(dust_), builder(elevation, zScale, plan.sx, plan.sy), sink(sink_) {}

bool CellWalker::WalkCells(const WalkUnit& u, int64_t first, int64_t end, double v, WalkProgress* progress) {
    if (progress && !progress->EnterUnit(u)) return false;
    const bool alongY = u.kind == WalkUnit::ColumnStrip;
    const double sAlong = alongY ? builder.CellHeight() : builder.CellWidth();
    const double sAcross = alongY ? builder.CellWidth() : builder.CellHeight();
    // Whether the cells [i, end) can be left out. (Their coordinates are the unit's additions; the block's
    // rectangle is widened by half a cell for the difference from a multiplication.)
    auto hidden = [&](int64_t i, int64_t end, double v) {
        const double last = v + static_cast<double>(end - 1 - i) * u.step;
        const double low = std::min(v, last) - 0.5 * sAlong, high = std::max(v, last) + 1.5 * sAlong;
        return alongY ? cull->Hidden(u.at, u.at + sAcross, low, high)
                      : cull->Hidden(low, high, u.at, u.at + sAcross);
    };
    int64_t blockEnd = first, subBlockEnd = first, hiddenEnd = first;
    bool fresh = true; // the next cell built needs the full build (none before it, or some left out)
    for (int64_t i = first; i < end; ++i, v += u.step) {
        if (progress && !progress->EnterCell(u)) return false;
        const double x = alongY ? u.at : v, y = alongY ? v : u.at;
        if (cull && i >= hiddenEnd) {
            if (i >= blockEnd) {
                blockEnd = std::min(i + kCullBlock, end);
                if (hidden(i, blockEnd, v)) hiddenEnd = blockEnd;
            }
            if (i >= hiddenEnd && i >= subBlockEnd) {
                subBlockEnd = std::min(i + kCullSubBlock, end);
                if (hidden(i, subBlockEnd, v)) hiddenEnd = subBlockEnd;
            }
        }
        if ((u.everyOther && (i & 1) != 0) || i < hiddenEnd) {
            if (trace) trace->push_back({u.pass, x, y, false, false});
            fresh = fresh || i < hiddenEnd;
            continue;
        }
        BuildAndDraw(u, fresh, u.step > 0.0, x, y, false);
        fresh = false;
    }
    return true;
}

const std::vector<double>& UnitCoordinates::Of(const WalkUnit& u) {
    const size_t cells = static_cast<size_t>(std::max<int64_t>(u.cells, 0));
    if (along.size() != cells || from != u.from || step != u.step) {
        along.resize(cells);
        double v = from = u.from;
        step = u.step;
        for (double& a : along) {
            a = v;
            v += u.step;
        }
    }
    return along;
}

BlockRows::BlockRows(const WalkPlan& plan, const ViewCull& cull, int threads) {
    // Every unit's blocks have their places in the table first, so that threads can fill shares of the
    // units at once.
    size_t blocks = 0;
    for (const WalkUnit& u : plan.units) {
        unitFirst.push_back(blocks);
        blocks +=
            static_cast<size_t>((std::max<int64_t>(u.cells, 0) + kFirstCullBlock - 1) / kFirstCullBlock);
    }
    rows.assign(blocks, Rows{1, 0});
    unitRows.assign(plan.units.size(), Rows{INT_MAX, INT_MIN});
    // Shares of about as many blocks each, the calling thread filling the first.
    const size_t count =
        static_cast<size_t>(std::clamp<int64_t>(threads, 1, std::max<int64_t>(blocks / 4096, 1)));
    std::vector<size_t> shares{0};
    for (size_t k = 1; k < count; ++k)
        shares.push_back(static_cast<size_t>(
            std::upper_bound(unitFirst.begin(), unitFirst.end(), blocks * k / count) - unitFirst.begin()));
    shares.push_back(plan.units.size());
    RunShares(count, [&](size_t k) {
        UnitCoordinates coordinates;
        for (size_t unit = shares[k]; unit < shares[k + 1]; ++unit) FillUnit(plan, cull, unit, coordinates);
    });
}

void BlockRows::FillUnit(const WalkPlan& plan, const ViewCull& cull, size_t unit,
                         UnitCoordinates& coordinates) {
    const WalkUnit& u = plan.units[unit];
    const bool alongY = u.kind == WalkUnit::ColumnStrip;
    const double sAlong = alongY ? plan.sy : plan.sx, sAcross = alongY ? plan.sx : plan.sy;
    const std::vector<double>& along = coordinates.Of(u);
    Rows& all = unitRows[unit];
    size_t at = unitFirst[unit];
    for (int64_t top = u.cells - 1; top >= 0; top -= kFirstCullBlock, ++at) {
        const int64_t bottom = std::max<int64_t>(top - kFirstCullBlock + 1, 0);
        const double a = along[static_cast<size_t>(bottom)], b = along[static_cast<size_t>(top)];
        const double from = std::min(a, b), to = std::max(a, b) + sAlong; // (as the walker's blocks)
        Rows r{1, 0};
        if (alongY ? !cull.StoredRows(u.at, u.at + sAcross, from, to, r.low, r.high)
                   : !cull.StoredRows(from, to, u.at, u.at + sAcross, r.low, r.high))
            r = Rows{1, 0};
        rows[at] = r;
        if (r.low <= r.high) all = Rows{std::min(all.low, r.low), std::max(all.high, r.high)};
    }
}

std::vector<int> BlockRows::BlocksPerRow(int height) const {
    std::vector<int> count(static_cast<size_t>(std::max(height, 0)) + 1, 0);
    for (const Rows& r : rows) {
        const int low = std::max(r.low, 0), high = std::min(r.high, height - 1);
        if (low > high) continue;
        ++count[static_cast<size_t>(low)];
        --count[static_cast<size_t>(high) + 1];
    }
    for (size_t i = 1; i < count.size(); ++i) count[i] += count[i - 1];
    count.pop_back();
    return count;
}

bool CellWalker::WalkReversed(const WalkUnit& u, WalkProgress* progress, size_t unit) {
    if (progress && !progress->EnterUnit(u)) return false;
    unitIndex = unit;
    along = &coordinates.Of(u);
    // A unit none of whose cells can reach the rows walked is passed over whole.
    if (cull && blockRows && !blockRows->UnitMeets(unit, rowsLow, rowsHigh))
        return u.cells <= 0 || LeaveOut(u, 0, u.cells - 1, progress);
    bool fresh = true; // as in WalkCells
    return WalkBackwards(u, 0, u.cells - 1, cull ? 0 : kCullLevels, fresh, progress);
}

bool CellWalker::WalkBackwards(const WalkUnit& u, int64_t low, int64_t high, int level, bool& fresh,
                               WalkProgress* progress) {
    const bool alongY = u.kind == WalkUnit::ColumnStrip;
    auto at = [&](int64_t i) { return (*along)[static_cast<size_t>(i)]; };
    if (level == kCullLevels) {
        for (int64_t i = high; i >= low; --i) {
            if (progress && !progress->EnterCell(u)) return false;
            const double x = alongY ? u.at : at(i), y = alongY ? at(i) : u.at;
            if (u.everyOther && (i & 1) != 0) {
                if (trace) trace->push_back({u.pass, x, y, false, false});
                fresh = true;
                continue;
            }
            // (Backwards, a row walked towards +x goes towards -x.)
            BuildAndDraw(u, fresh, !(u.step > 0.0), x, y, true);
            fresh = false;
        }
        return true;
    }
    const double sAlong = alongY ? builder.CellHeight() : builder.CellWidth();
    const double sAcross = alongY ? builder.CellWidth() : builder.CellHeight();
    const int64_t size = kCullBlocks[level];
    // The finest blocks of a row of the final frame are made ahead and asked by their own corners: tighter
    // than their box, and what they make is drawn from if they can show.
    if (level == kCullLevels - 1 && u.shifted && coverage && !alwaysFull)
        return WalkMadeAhead(u, low, high, fresh, progress);
    for (int64_t top = high; top >= low; top -= size) {
        const int64_t bottom = std::max(top - size + 1, low);
        // (The cells' corners lie at the walk's own coordinates and one cell beyond, but for the rounding
        // of the shifted build's sums, which the cull allows for.)
        const double from = std::min(at(bottom), at(top)), to = std::max(at(bottom), at(top)) + sAlong;
        const bool hidden =
            (level == 0 && blockRows &&
             !blockRows->Meets(unitIndex, (high - top) / kFirstCullBlock, rowsLow, rowsHigh)) ||
            (alongY ? cull->Hidden(u.at, u.at + sAcross, from, to, coverage)
                    : cull->Hidden(from, to, u.at, u.at + sAcross, coverage));
        if (!hidden) {
            if (!WalkBackwards(u, bottom, top, level + 1, fresh, progress)) return false;
            continue;
        }
        if (!LeaveOut(u, bottom, top, progress)) return false;
        fresh = true;
    }
    return true;
}

bool CellWalker::LeaveOut(const WalkUnit& u, int64_t bottom, int64_t top, WalkProgress* progress) {
    if (progress && !progress->SkipCells(u, top - bottom + 1)) return false;
    if (trace) {
        const bool alongY = u.kind == WalkUnit::ColumnStrip;
        for (int64_t i = top; i >= bottom; --i) {
            const double v = (*along)[static_cast<size_t>(i)];
            trace->push_back({u.pass, alongY ? u.at : v, alongY ? v : u.at, false, false});
        }
    }
    return true;
}

bool CellWalker::WalkMadeAhead(const WalkUnit& u, int64_t low, int64_t high, bool& fresh,
                               WalkProgress* progress) {
    const std::vector<double>& xs = *along;
    auto x = [&xs](int64_t i) { return xs[static_cast<size_t>(i)]; };
    // (Backwards, a row walked towards +x goes towards -x.)
    const bool east = !(u.step > 0.0);
    // Whether every pixel the cells [bottom, top] could write is kept already: by their box first, then, the
    // cells made, by their corners.
    auto hidden = [&](int64_t bottom, int64_t top) {
        const double from = std::min(x(bottom), x(top)),
                     to = std::max(x(bottom), x(top)) + builder.CellWidth();
        if (cull->Hidden(from, to, u.at, u.at + builder.CellHeight(), coverage)) return true;
        builder.Prepare(&xs[static_cast<size_t>(top)], -1, static_cast<int>(top - bottom + 1), u.at, east,
                        fresh);
        int b[4];
        return builder.PreparedBounds(b) && coverage->TruncatedCovered(b[0], b[1], b[2], b[3]);
    };
    for (int64_t top = high; top >= low; top -= kCullSubBlock) {
        const int64_t bottom = std::max(top - kCullSubBlock + 1, low);
        if (hidden(bottom, top)) {
            if (!LeaveOut(u, bottom, top, progress)) return false;
            fresh = true;
            continue;
        }
        for (int64_t i = top; i >= bottom; --i) {
            if (progress && !progress->EnterCell(u)) return false;
            builder.Next();
            DrawCell(u.pass, u.t1First, x(i), u.at, true);
        }
        fresh = false;
    }
    return true;
}

void CellWalker::BuildAndDraw(const WalkUnit& u, bool fresh, bool east, double x, double y, bool reversed) {
    builder.Prepare(&x, 0, 1, y, east, fresh || !u.shifted || alwaysFull);
    builder.Next();
    DrawCell(u.pass, u.t1First, x, y, reversed);
}

void CellWalker::DrawCell(WalkUnit::Pass pass, bool t1First, double x, double y, bool reversed) {
    // Backwards, a cell whose pixels are all kept already is hidden behind nearer terrain. That is asked
    // before the distance (a square root): most cells far away are hidden. (A traced cell is measured
    // still, for the trace.)
    int b[4];
    const bool kept =
        reversed && coverage && builder.CellBounds(b) && coverage->TruncatedCovered(b[0], b[1], b[2], b[3]);
    if (kept && !trace) return;
    Corner &A = builder.A(), &B = builder.B(), &C = builder.C(), &D = builder.D();
    const double delta = Length3(eye - A.point) / dust;
    // Beyond seven dust distances the cell is lost in the haze (and a cell whose distance cannot be
    // measured, 0 / 0, is not drawn either).
    const bool drawn = delta < kDustLimit;
    if (trace) trace->push_back({pass, x, y, true, drawn});
    if (!drawn || kept) return;
    builder.Complete();
    const double f = 1.0 - std::exp(-delta);
    const bool t1Shown = !(A.point.z < 0.0 && C.point.z < 0.0 && D.point.z < 0.0);
    const bool t2Shown = !(A.point.z < 0.0 && D.point.z < 0.0 && B.point.z < 0.0);
    // (Backwards, the triangle nearer the eye first.)
    if (t1First != reversed && t1Shown) sink.DrawTriangle(A, C, D, f);
    if (t2Shown) sink.DrawTriangle(A, D, B, f);
    if (t1First == reversed && t1Shown) sink.DrawTriangle(A, C, D, f);
}

void WalkFrame(const WalkPlan& plan, CellWalker& walker, Progress& progress) {
    WalkProgress live(progress, plan.increment, true);
    int stoppedPass = WalkUnit::PassCount;
    for (const WalkUnit& u : plan.units)
        if (u.pass != stoppedPass && !walker.Walk(u, &live)) stoppedPass = u.pass;
}

void WalkFrameNearToFar(const WalkPlan& plan, CellWalker& walker, Progress& progress) {
    WalkProgress live(progress, plan.increment, true);
    int stoppedPass = WalkUnit::PassCount;
    for (size_t k = plan.units.size(); k-- > 0;) {
        const WalkUnit& u = plan.units[k];
        if (u.pass != stoppedPass && !walker.WalkReversed(u, &live, k)) stoppedPass = u.pass;
    }
}

#pragma once
// The traversal of one frame. The height field is cut into Nx x Ny cells; each cell becomes two triangles
// split along its diagonal A-D. With no depth buffer, the cells are visited from the far side of the
// visible terrain towards the eye, in eight passes: four quadrants around the eye (each walked towards the
// eye's column and row), then the eye's column and row as four strips, the cell under the eye last.
//
// PlanWalk works out the whole order once, as a list of walk units (a row of a quadrant, a column strip,
// a row strip), each with its first cell, its step and its cell count. A CellWalker builds and draws the
// cells of one unit; WalkProgress makes the progress reports, pumps and stop checks of a unit as one thread
// walking alone makes them. WalkFrame puts the three together for one thread; SharedFrame shares the units
// out. docs/renderer.md explains the order and why it works.

#include "renderer/CellBuilder.h"
#include "renderer/RenderMode.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/Vector4.h"

#include <climits>
#include <cstdint>
#include <vector>

class CGelaende;
class ElevationPyramid;
class Progress;
class RenderCamera;

// A piece of the walk that starts from scratch (its first cell is built in full). Units can be walked
// apart, in any thread, and give the same triangles.
struct WalkUnit {
    enum Pass { Q0, Q1, Q2, Q3, Strip1, Strip2, Strip3, Strip4, PassCount };
    enum Kind : uint8_t { QuadrantRow, ColumnStrip, RowStrip };
    Kind kind;
    Pass pass;
    bool t1First;    // which of the cell's triangles is drawn first
    bool shifted;    // each cell built from the one before (along a row of a final frame)
    bool everyOther; // only the cells at even places are drawn (the quadrant rows of a raw frame)
    double at;       // the y of a row, the x of a column strip
    double from;     // the first cell's x (y for a column strip); the next ones are from + step + step ...
    double step;
    int64_t cells;

    // A stop request ends the unit's pass (the quadrants and the first strip); the other strips are
    // walked to their end regardless.
    bool Stoppable() const { return pass <= Strip1; }
};

// The order of a frame's walk: made once, then only read (several threads may share it).
struct WalkPlan {
    struct Bounds {
        double xLow, xHigh, yLow, yHigh;
    };

    Vector4 eye; // the camera's eye plus 0.00008 in x and y
    double sx = 0.0, sy = 0.0;
    Bounds box{};           // the visible part of the terrain
    Bounds quadrants[4]{};  // snapped to the grid, each stopping one cell short of the eye's column and row
    double increment = 0.0; // the progress per cell
    std::vector<WalkUnit> units;
};

// The plan of the frame seen by `camera` over `elevation` cut into gridX x gridY cells; no units when the
// grid has no cells to walk. A raw frame leaves out every other quadrant row (counted over all four).
WalkPlan PlanWalk(const RenderCamera& camera, const CGelaende& elevation, double gridX, double gridY,
                  RenderMode mode);
// The progress at each unit's start, as one thread walking the units in order counts it (a sum per cell).
std::vector<double> UnitPercents(const WalkPlan& plan);

// The progress side of walking units: the reports, pumps and stop checks one thread walking the frame
// alone makes. The percentage runs on from unit to unit.
class WalkProgress {
public:
    // obeyStop: whether a stop request ends a unit (false: the request is not even asked for).
    WalkProgress(Progress& progress, double increment, bool obeyStop);

    // At the start of a unit and before each of its cells; false when a stop request ends the unit.
    bool EnterUnit(const WalkUnit& u);
    bool EnterCell(const WalkUnit& u);
    // In place of n calls of EnterCell for cells left out: the same percentage, one pump (a column strip's
    // reports and stop checks per cell).
    bool SkipCells(const WalkUnit& u, int64_t n);
    // The reports and pumps of a whole unit, starting at percentage `start` (see UnitPercents).
    void Replay(const WalkUnit& u, double start);

private:
    Progress& progress;
    const double increment;
    const bool obeyStop;
    double percent = 0.0;
};

// What the walk may leave out: a block of cells none of whose triangles can write a pixel, because the
// block lies wholly behind the eye, wholly outside the picture (left, right, above or below it, with the
// heights of its cells bounded by the elevation pyramid) or wholly beyond seven dust distances. Every test
// keeps a margin, so a block is left out only when no triangle of it could reach the picture.
class ViewCull {
public:
    // The picture's stored rows [firstRow, endRow) of a picture of imageWidth x imageHeight pixels may be
    // written; zScale is the frame's.
    ViewCull(const RenderCamera& camera, const ElevationPyramid& pyramid, const WalkPlan& plan, double zScale,
             double dust, int imageWidth, int imageHeight, int firstRow = 0, int endRow = INT_MAX);

    // Whether the cells whose corners lie in the world rectangle [xLow, xHigh] x [yLow, yHigh] can be left
    // out.
    // With `covered` given, also when every pixel their projection may reach is kept there already.
    bool Hidden(double xLow, double xHigh, double yLow, double yHigh,
                const TriangleRasterizer* covered = nullptr) const;
    // The stored rows [low, high] those cells may write, roughly (with a margin); false when none.
    bool StoredRows(double xLow, double xHigh, double yLow, double yHigh, int& low, int& high) const;

private:
    enum class Reach { None, Rectangle, Unknown };
    // Whether the cells reach the picture; for Rectangle, rect holds the columns and rows their box
    // projects onto (low and high of each).
    Reach Screen(double xLow, double xHigh, double yLow, double yHigh, double (&rect)[4]) const;

    const RenderCamera& camera;
    const ElevationPyramid& pyramid;
    Vector4 eye;
    double zScale;
    double dustCut;               // no cut when not positive
    double columnLow, columnHigh; // the screen columns that may be written, widened by a margin
    double rowLow, rowHigh;       // the screen rows likewise
};

// The coordinates of a unit's cells along it, by the very additions of the walk (from, from + step, ...):
// kept while the next unit lies on the same line, as every row of a quadrant does.
class UnitCoordinates {
public:
    const std::vector<double>& Of(const WalkUnit& u);

private:
    std::vector<double> along;
    double from = 0.0, step = 0.0;
};

// The stored rows each block of kFirstCullBlock cells of every unit may write, as the whole picture's cull
// finds them (walking backwards: the blocks from each unit's last cell on): made once per frame, so that
// the threads walking a frame in ranges of rows pass over the blocks that cannot reach their rows without
// projecting them again.
class BlockRows {
public:
    // Made by as many threads as given (the calling thread being one).
    BlockRows(const WalkPlan& plan, const ViewCull& cull, int threads = 1);
    // Whether block `block` of unit `unit` may write a stored row of [low, high].
    bool Meets(size_t unit, int64_t block, int low, int high) const {
        return rows[unitFirst[unit] + static_cast<size_t>(block)].Meets(low, high);
    }
    // Whether any block of unit `unit` may.
    bool UnitMeets(size_t unit, int low, int high) const { return unitRows[unit].Meets(low, high); }
    // Per stored row of a picture of `height` rows, how many blocks may write it.
    std::vector<int> BlocksPerRow(int height) const;

private:
    struct Rows {
        int low, high; // none when low > high
        bool Meets(int from, int to) const { return low <= to && high >= from; }
    };
    // Fills the rows of the blocks of plan.units[unit].
    void FillUnit(const WalkPlan& plan, const ViewCull& cull, size_t unit, UnitCoordinates& coordinates);

    std::vector<size_t> unitFirst;
    std::vector<Rows> rows;
    std::vector<Rows> unitRows; // per unit, the rows of all its blocks
};

// Builds and draws the cells of walk units into a sink.
class CellWalker {
public:
    // One visited cell, for tests: the pass, the cell corner, whether its record was built (false for a
    // cell skipped in a raw frame) and whether its triangles went to the sink (false also for a cell
    // beyond seven dust distances).
    struct Visit {
        WalkUnit::Pass pass;
        double x, y;
        bool built, drawn;
    };

    CellWalker(const WalkPlan& plan, const CGelaende& elevation, double zScale, double dust,
               TriangleSink& sink);

    // Walks the unit's cells, with the progress's reports, pumps and stop checks when it is given; false
    // when a stop request ended the unit.
    bool Walk(const WalkUnit& u, WalkProgress* progress = nullptr) {
        return WalkCells(u, 0, u.cells, u.from, progress);
    }
    // Walks the unit's cells [first, end) only, starting from scratch; v is the coordinate of cell `first`
    // (u.from + u.step + u.step ..., the additions the whole walk makes).
    bool WalkCells(const WalkUnit& u, int64_t first, int64_t end, double v, WalkProgress* progress = nullptr);

    // Walks the unit backwards, near to far: its cells in the reverse order and each cell's triangles too,
    // for a rasteriser where the first triangle to cover a pixel keeps it (see SetCoverage).
    // `unit` is the unit's place in the plan (for SetBlockRows).
    bool WalkReversed(const WalkUnit& u, WalkProgress* progress = nullptr, size_t unit = 0);
    // Walking backwards, also leaves out the blocks of cells whose pixels are all kept in `r` (with the
    // cull set; none by default).
    void SetCoverage(const TriangleRasterizer* r) {
        coverage = r;
        builder.SetCamera(r ? &r->Camera() : nullptr);
    }
    // Walking backwards with the cull set, leaves out the blocks that cannot write a stored row of
    // [low, high] by the table alone.
    void SetBlockRows(const BlockRows* b, int low, int high) {
        blockRows = b;
        rowsLow = low;
        rowsHigh = high;
    }

    // Builds every cell with the full twelve-point build (a check that the shifted build changes nothing).
    void SetAlwaysFullBuild(bool on) { alwaysFull = on; }
    // Records every visited cell into trace (none by default).
    void SetTrace(std::vector<Visit>* t) { trace = t; }
    // Leaves out the blocks of cells the cull finds hidden (none by default); their cells are visited
    // (progress, trace) but not built.
    void SetCull(const ViewCull* c) { cull = c; }

private:
    // Builds the cell at (x, y), from scratch when fresh, else from the one before it (a step towards +x
    // when east), and draws it.
    void BuildAndDraw(const WalkUnit& u, bool fresh, bool east, double x, double y, bool reversed);
    void DrawCell(WalkUnit::Pass pass, bool t1First, double x, double y, bool reversed);
    // Walks cells [low, high] of the unit backwards, in blocks of the cull's level `level` and finer; the
    // blocks the cull finds hidden are left out whole.
    bool WalkBackwards(const WalkUnit& u, int64_t low, int64_t high, int level, bool& fresh,
                       WalkProgress* progress);
    // Leaves out cells [bottom, top] of the unit walked backwards (their progress and trace).
    bool LeaveOut(const WalkUnit& u, int64_t bottom, int64_t top, WalkProgress* progress);
    // Walks cells [low, high] of a row backwards in blocks of the finest level, each made ahead and left
    // out whole when every pixel its corners could reach is kept.
    bool WalkMadeAhead(const WalkUnit& u, int64_t low, int64_t high, bool& fresh, WalkProgress* progress);

    const Vector4 eye;
    const double dust;
    CellBuilder builder;
    TriangleSink& sink;
    bool alwaysFull = false;
    std::vector<Visit>* trace = nullptr;
    const ViewCull* cull = nullptr;
    const TriangleRasterizer* coverage = nullptr;
    const BlockRows* blockRows = nullptr;
    int rowsLow = 0, rowsHigh = 0;
    size_t unitIndex = 0;                       // walking backwards: the unit's place in the plan
    UnitCoordinates coordinates;                // walking backwards
    const std::vector<double>* along = nullptr; // the current unit's
};

// The whole walk in one thread: every unit in order, reporting progress, pumping messages per cell; a stop
// request leaves out the rest of the pass it ends.
void WalkFrame(const WalkPlan& plan, CellWalker& walker, Progress& progress);
// The same walk backwards (units, cells and triangles in the reverse order), for a rasteriser where the
// first owner wins: every pixel ends with the same triangle. A stop request ends a pass likewise.
void WalkFrameNearToFar(const WalkPlan& plan, CellWalker& walker, Progress& progress);

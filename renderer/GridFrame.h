#pragma once
// GridFrame: the traversal of one frame. The height field is cut into Nx x Ny cells; each cell becomes two
// triangles split along its diagonal A-D. With no depth buffer, the cells are visited from the far side of
// the visible terrain towards the eye, in eight passes: four quadrants around the eye (each walked towards
// the eye's column and row), then the eye's column and row as four strips, the cell under the eye last.
// docs/renderer.md explains the order and why it works.

#include "renderer/RenderMode.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/Vector4.h"

#include <cstdint>
#include <vector>

class CGelaende;
class Progress;
class RenderCamera;
class TriangleRasterizer;

// The twelve grid points around the cell whose lowest corner is A = (x0, y0), with their heights as z, and
// the normals of the four corners. Triangles: T1 = (A, C, D), T2 = (A, D, B).
//
//            S0  S1            y0 + 2 sy
//       W1   C   D   E1        y0 + sy
//       W0   A   B   E0        y0
//            N0  N1            y0 - sy
//   x0 - sx  x0  x0+sx x0+2sx
struct CellRecord {
    Vector4 N0, N1, W0, A, B, E0, W1, C, D, E1, S0, S1;
    Vector4 nA, nB, nC, nD;
    ProjectedCorner pA, pB, pC, pD; // the corners' projections, made when a triangle first needs them
};

// Builds cell records from the elevation data. Along a row the next cell shares eight points and two
// corner normals with the previous one, so only the new column of points is sampled.
class CellBuilder {
public:
    CellBuilder(const CGelaende& elevation, double zScale, double sx, double sy);

    // All twelve points sampled and all four normals computed.
    void Full(double x0, double y0, CellRecord& c) const;
    // c holds the cell at x0 - sx (a pass running towards +x); makes it the cell at x0.
    void ShiftedFromLeft(double x0, double y0, CellRecord& c) const;
    // c holds the cell at x0 + sx (a pass running towards -x); makes it the cell at x0.
    void ShiftedFromRight(double x0, double y0, CellRecord& c) const;

private:
    Vector4 Sample(double x, double y) const;

    const CGelaende& elevation;
    double zScale, sx, sy;
};

class GridFrame {
public:
    enum Pass { Q0, Q1, Q2, Q3, Strip1, Strip2, Strip3, Strip4, PassCount };

    struct Bounds {
        double xLow, xHigh, yLow, yHigh;
    };

    // One visited cell, for tests: the pass, the cell corner, whether its record was built (false for a
    // cell skipped in a raw frame) and whether its triangles went to the rasteriser (false also for a cell
    // beyond seven dust distances).
    struct Visit {
        Pass pass;
        double x, y;
        bool built, drawn;
    };

    // A piece of the walk that starts from scratch (its first cell is built in full): a row of a quadrant,
    // a column strip or a row strip. The passes are these units in order; units can be walked apart, in
    // any thread, and give the same triangles.
    struct Unit {
        enum Kind : uint8_t { QuadrantRow, ColumnStrip, RowStrip };
        Kind kind;
        Pass pass;
        bool up;        // along the unit towards +x (rows) or +y (the column strips)
        bool t1First;   // which of the cell's triangles is drawn first
        double at;      // the y of a row, the x of a column strip
        double percent; // the progress at the unit's start
    };

    GridFrame(const RenderCamera& camera, const CGelaende& elevation, double zScale, double gridX,
              double gridY, double dust, RenderMode mode, TriangleSink& sink, Progress& progress);

    // Runs the whole frame: visible box, quadrant table, the eight passes.
    void Run();

    // The walk in units, for sharing it out: Plan computes the visible box, the quadrant table and the
    // units (false when the grid has no cells to walk); another GridFrame of the same frame can take the
    // plan over, and WalkUnit then walks one unit into its sink (without progress, pump or stop request).
    // ReplayProgress makes the progress reports and pumps of a unit as Run would, building nothing.
    bool Plan();
    void TakePlanOf(const GridFrame& planner);
    const std::vector<Unit>& Units() const { return units; }
    void WalkUnit(const Unit& unit);
    void ReplayProgress(const Unit& unit);
    // Whether a stop request ends the unit's pass (the quadrants and the first strip); the other strips
    // are walked to their end regardless.
    static bool Stoppable(const Unit& unit) { return unit.pass <= Strip1; }

    // Builds every cell with the full twelve-point build (a check that the shifted build changes nothing).
    void SetAlwaysFullBuild(bool on) { alwaysFull = on; }
    // Records every visited cell into trace (none by default).
    void SetTrace(std::vector<Visit>* t) { trace = t; }

    // After Run: the visible box, the snapped quadrant table and the eye the traversal used.
    Bounds VisibleBox() const { return box; }
    Bounds Quadrant(int q) const { return quadrants[q]; }
    Vector4 TraversalEye() const { return eye; }
    int CellsDrawn(Pass p) const { return cellsDrawn[p]; }

private:
    void ComputeVisibleBox();
    void ComputeQuadrants();
    bool Guarded(Pass p) const;
    // Plan, with each unit's starting progress counted only when countProgress.
    bool PlanUnits(bool countProgress);
    void PlanQuadrant(Pass p, bool xUp, bool yUp, bool t1First);
    void AddUnit(Unit u);
    // Walks a unit; false when a stop request ended it (the rest of its pass is then left out).
    bool Walk(const Unit& u);
    bool WalkQuadrantRow(const Unit& u);
    bool WalkColumnStrip(const Unit& u);
    void WalkRowStrip(const Unit& u);
    void BuildCell(double x, double y, bool first, bool xUp);
    void DrawCell(Pass p, bool t1First);
    void Skip(Pass p, double x, double y);

    const RenderCamera& camera;
    TriangleSink& sink;
    Progress& progress;
    CellBuilder builder;

    double Ex, Ey;
    double Nx, Ny, sx, sy;
    double dust;
    RenderMode mode;
    bool alwaysFull = false;
    std::vector<Visit>* trace = nullptr;

    Vector4 eye; // the camera's eye plus 0.00008 in x and y
    Bounds box{};
    Bounds quadrants[4]{};

    std::vector<Unit> units;
    // How a unit is walked: Live as Run walks it; Counting only counts the progress (Plan); Quiet builds
    // and draws without progress, pump or stop request (WalkUnit); Replay only reports and pumps.
    enum class WalkMode { Live, Counting, Quiet, Replay };
    WalkMode walkMode = WalkMode::Live;
    bool countingProgress = true; // Plan counts each unit's starting progress
    bool Reports() const { return walkMode == WalkMode::Live || walkMode == WalkMode::Replay; }
    bool Draws() const { return walkMode == WalkMode::Live || walkMode == WalkMode::Quiet; }

    double percent = 0.0, increment = 0.0;
    int64_t rowCounter = 0, columnCounter = 0;
    CellRecord cell;
    double cellX = 0.0, cellY = 0.0;
    int cellsDrawn[PassCount] = {};
};

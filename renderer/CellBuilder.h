#pragma once
// The cell the walk stands on, made from the elevation data.
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
// cell shares a column of two corners with the one before, so the corners live in a ring of three
// columns (the cell's two and the one it came from): a step samples the new column and moves nothing.

#include "renderer/TriangleRasterizer.h"
#include "renderer/Vector4.h"

class CGelaende;

class CellBuilder {
public:
    CellBuilder(const CGelaende& elevation, double zScale, double sx, double sy);

    // Makes the cell at (x0, y0) from scratch.
    void Start(double x0, double y0);
    // Makes the next cell along the row, at x0: east of the current one (a row walked towards +x), or
    // west of it. Each point gets the coordinates the cells before gave it, so a cell is the same whether
    // the ones before it were drawn or not.
    void StepEast(double x0);
    void StepWest(double x0);
    // Makes the corners' normals not made yet (a corner's neighbours are the same in every cell that holds
    // it, so its normal does not depend on which cell makes it).
    void Complete();

    Corner& A() { return ring[a].low; }
    Corner& B() { return ring[(a + 1) % 3].low; }
    Corner& C() { return ring[a].high; }
    Corner& D() { return ring[(a + 1) % 3].high; }

    double CellWidth() const { return sx; }
    double CellHeight() const { return sy; }

private:
    // The corners at y0 and at y0 + sy of one x.
    struct Column {
        Corner low, high;
    };
    // Where the current cell came from: made from scratch, or a step from the cell west (east) of it.
    enum class Came { Fresh, FromWest, FromEast };

    Vector4 Sample(double x, double y) const;
    void MakeColumn(Column& c, double x) const;

    const CGelaende& elevation;
    const double zScale, sx, sy;
    Column ring[3];
    int a = 0;             // the ring's A-C column; B-D follows it, and the third is the one the step left
    Came came = Came::Fresh;
    double x0 = 0.0, y0 = 0.0;
    double xBefore = 0.0; // the x0 of the cell before (after a step)
};

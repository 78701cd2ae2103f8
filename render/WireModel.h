#pragma once
// The wire model of a Preview: for every node of a coarse grid over the terrain a small cross on the ground
// and a stalk from the ground up to the terrain height, projected through the frame's camera into line
// segments for the window to draw (the crosses with the default black pen, the stalks in blue).

#include "renderer/Vector4.h"

#include <functional>
#include <vector>

class Progress;
class RenderCamera;

struct WireSegment {
    enum Kind { Cross, Stalk };
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // screen columns and rows
    Kind kind = Cross;
    bool operator==(const WireSegment&) const = default;
};

// The Preview grid: each division reduced to a tenth and capped at 25.
double PreviewGridDivision(double division);

class WireModel {
public:
    // Nodes at x = 0, cell x, 2 cell x, ... while x < extent x + cell x / 2, in rows of y likewise; six
    // points per node: the two arms of the cross, the stalk's foot and its top (height set per frame).
    WireModel(double extentX, double extentY, double divisionsX, double divisionsY);

    // The segments of one frame, rows of nodes in order; the stop flag is tested before each row.
    // height gives the terrain height (file units) at a world point; the stalk of the node at (x, y) reaches
    // height(x, extent y - y) * zScale.
    std::vector<WireSegment> Project(const RenderCamera& camera, double zScale,
                                     const std::function<double(double x, double y)>& height,
                                     const Progress& stop) const;

    size_t nodeCount() const { return points.size() / 6; }
    size_t rowCount() const { return rows; }
    const std::vector<Vector4>& nodePoints() const { return points; }
    double cellX() const { return cellSizeX; }
    double cellY() const { return cellSizeY; }

private:
    double extentY;
    double cellSizeX, cellSizeY;
    size_t rows = 0, columns = 0;
    std::vector<Vector4> points; // six per node
};

#pragma once
// Surface interpolation: a picture with isocontour lines painted in pure red (the red byte is the
// contour's level) becomes a continuous grey surface, every row filled by linear interpolation between
// its contour pixels, with a third of a grey level of extra precision in the green and blue bytes.

#include "tools/ToolCommon.h"

#include <string>
#include <vector>

// Fills the gaps of one row: values equal to the marker have no value. The knots are the known values
// with their positions; a row that does not start (end) with a known value is extended flat to its first
// (last) pixel.
class RowInterpolator {
public:
    RowInterpolator(double* values, int count, double marker);

    // Overwrites the values with the interpolated ones. A row without any known value becomes 0.
    void Fill();

    int knotCount() const { return static_cast<int>(positions.size()); }
    double knotPosition(int k) const { return positions[static_cast<size_t>(k)]; }
    double knotValue(int k) const { return knotValues[static_cast<size_t>(k)]; }

private:
    double* values;
    int count;
    std::vector<double> positions;
    std::vector<double> knotValues;
};

// The pixel for value d (0..254 after clamping): red g = trunc(d), green and blue g or g + 1 so that the
// channel sum is 3g + trunc(3 * fraction).
Bgr EncodeSurfaceLevel(double d);

ToolResult SurfaceInterpolation(const std::string& from, const std::string& to, const ToolEnv& env);

#pragma once
// Rectify: straightens a distorted picture by the bilinear transform that maps four points of the
// corrected output onto where they appear in the distorted input:
//     x' = a11 x + a12 y + a13 x y + a14,   y' = a21 x + a22 y + a23 x y + a24,
// with y = H - r for pixel row r from the bottom (the same for the primed points in the input). Every
// output pixel is the input's filtered sample at (x', H - y'); near and beyond the input's edges that is
// the outside colour (white).

#include "tools/ToolCommon.h"

#include <functional>
#include <string>

class SettingsStore;

// The four point pairs: (x[i], y[i]) in the output, (xs[i], ys[i]) ("x'", "y'") in the distorted input.
struct RectifyCorners {
    double x[4] = {}, y[4] = {};
    double xs[4] = {}, ys[4] = {};
};

// The values remembered in section "RectifyCorners" (keys "x1", "y1" ... "x4'", "y4'"), 0.0 when absent.
RectifyCorners LoadRectifyCorners(const SettingsStore& store);
// Writes all sixteen values with "%f". False when one could not be stored.
bool SaveRectifyCorners(SettingsStore& store, const RectifyCorners& corners);

// Gaussian elimination with row exchange (the pivot is the largest magnitude in its column) and back
// substitution on an n x (n + 1) matrix, row-major, the right-hand side in the last column. A pivot
// smaller than 1e-12 in magnitude makes the system degenerate: the step then goes on with a stand-in
// factor (times 1e12, or 1 when that would be 0). Returns true when that happened.
bool SolveLinear(int n, double* matrix, double* solution);

// The coefficients a11..a14 (x) and a21..a24 (y).
struct RectifyTransform {
    double a[4] = {}, b[4] = {};
    bool degenerateX = false, degenerateY = false;
};
RectifyTransform SolveRectify(const RectifyCorners& corners);

// Whether to go on when the system of a coordinate has no unique solution (asked for x, then for y, before
// any file is opened); false ends the run as cancelled.
enum class RectifyAxis { X, Y };
using RectifyGoOn = std::function<bool(RectifyAxis)>;
// The question the desktop asks for an axis.
std::string RectifyIndefiniteText(RectifyAxis axis);

ToolResult Rectify(const std::string& from, const std::string& to, const RectifyCorners& corners,
                   const ToolEnv& env, const RectifyGoOn& goOn);
// The run as the desktop makes it: the question with OK and Cancel through the platform.
ToolResult Rectify(const std::string& from, const std::string& to, const RectifyCorners& corners,
                   const ToolEnv& env);

#pragma once
// Fills the holes of an elevation grid from the valid cells around them.
//
// The fill is a membrane (each filled cell ends up near the mean of its four neighbours, valid cells
// unchanged), solved coarse to fine so that holes of any size are filled in time proportional to the
// grid: a pyramid of half-size grids is built whose cells average the valid cells below them, down to
// the first level without holes; then, from the coarsest level up, the hole cells of each level start
// from a bilinear interpolation of the level above and are relaxed a few times towards the mean of their
// neighbours. A filled area therefore meets its border without a step, spans it like a stretched sheet,
// and never rises above or falls below the valid values around it.
//
// Memory: one bit per cell of the grid plus the pyramid (a third of the grid's floats).

#include <functional>

namespace geodata {

// cells: width x height values, row after row; NaN marks a hole. Fills every hole when at least one cell
// is valid and returns the number filled. step(fraction) reports progress and returns false to stop
// (the grid is then left part filled and -1 returned).
long long FillNodata(float* cells, int width, int height, const std::function<bool(double)>& step = {});

} // namespace geodata

#pragma once
// The polyline the editor draws for the closed curve through the path points: the curve the camera flies,
// stepped 128 times around the loop. The positions are map pixels, truncated toward zero as a drawing
// position is.

#include "path/PathText.h"

#include <vector>

// The frame count the editor steps the curve with.
constexpr int kEditorCurveSteps = 128;

// Empty for two points or fewer (no curve is drawn then). Otherwise the curve's first position followed by
// every further position up to the step that reports the loop finished; the closing line back to the
// first point is not part of it.
std::vector<MapPoint> PathCurvePolyline(const std::vector<MapPoint>& points);

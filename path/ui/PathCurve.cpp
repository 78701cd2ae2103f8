#include "path/ui/PathCurve.h"

#include "render/ClosedCurve.h"

#include <cmath>

namespace {

// A drawing position: truncated toward zero, kept within the range of int (points may be pasted anywhere).
int toPixel(double v) {
    if (std::isnan(v)) return 0;
    double t = std::trunc(v);
    if (t < -2147483648.0) return -2147483647 - 1;
    if (t > 2147483647.0) return 2147483647;
    return static_cast<int>(t);
}

} // namespace

std::vector<MapPoint> PathCurvePolyline(const std::vector<MapPoint>& points) {
    std::vector<MapPoint> line;
    if (points.size() <= 2) return line;
    std::vector<Vector2> curvePoints;
    curvePoints.reserve(points.size());
    for (const MapPoint& p : points) curvePoints.emplace_back(p.x, p.y);
    CurveState state;
    ClosedCurve curve(curvePoints, kEditorCurveSteps, state);
    auto here = [&state] { return MapPoint{toPixel(state.position.x), toPixel(state.position.y)}; };
    if (curve.Step()) return line;
    line.push_back(here());
    while (!curve.Step()) line.push_back(here());
    return line;
}

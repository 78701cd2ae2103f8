#include "render/WireModel.h"

#include "app/Progress.h"
#include "renderer/RenderCamera.h"

double PreviewGridDivision(double division) {
    const double reduced = division * 0.1;
    return reduced > 25.0 ? 25.0 : reduced;
}

WireModel::WireModel(double extentX, double extentYValue, double divisionsX, double divisionsY)
    : extentY(extentYValue), cellSizeX(extentX / divisionsX), cellSizeY(extentYValue / divisionsY) {
    // A cell size that is zero, negative or not a number would never end the loops.
    if (!(cellSizeX > 0.0) || !(cellSizeY > 0.0)) return;
    for (double y = 0.0; y < extentY + cellSizeY / 2.0; y += cellSizeY) {
        ++rows;
        columns = 0;
        for (double x = 0.0; x < extentX + cellSizeX / 2.0; x += cellSizeX) {
            ++columns;
            points.push_back(Vector4::Point(x - 0.1 * cellSizeX, y, 0.0));
            points.push_back(Vector4::Point(x + 0.1 * cellSizeX, y, 0.0));
            points.push_back(Vector4::Point(x, y - 0.1 * cellSizeY, 0.0));
            points.push_back(Vector4::Point(x, y + 0.1 * cellSizeY, 0.0));
            points.push_back(Vector4::Point(x, y, 0.0));
            points.push_back(Vector4::Point(x, y, 0.0));
        }
    }
}

std::vector<WireSegment> WireModel::Project(const RenderCamera& camera, double zScale,
                                            const std::function<double(double x, double y)>& height,
                                            const Progress& stop) const {
    std::vector<WireSegment> segments;
    // Both ends must project, strictly inside +-16384 pixels.
    auto onScreen = [&](const Vector4& p, int& x, int& y) {
        return camera.ProjectToScreen(p, x, y) && x > -16384 && x < 16384 && y > -16384 && y < 16384;
    };
    auto line = [&](const Vector4& a, const Vector4& b, WireSegment::Kind kind) {
        WireSegment s;
        s.kind = kind;
        if (onScreen(a, s.x0, s.y0) && onScreen(b, s.x1, s.y1)) segments.push_back(s);
    };
    const size_t perRow = columns * 6;
    for (size_t r = 0; r < rows; ++r) {
        if (stop.stopRequested()) break;
        for (size_t i = r * perRow; i < (r + 1) * perRow; i += 6) {
            line(points[i], points[i + 1], WireSegment::Cross);
            line(points[i + 2], points[i + 3], WireSegment::Cross);
            Vector4 top = points[i + 5];
            top.z = height(top.x, extentY - top.y) * zScale;
            line(points[i + 4], top, WireSegment::Stalk);
        }
    }
    return segments;
}

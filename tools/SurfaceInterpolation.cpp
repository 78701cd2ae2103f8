#include "tools/SurfaceInterpolation.h"

#include <cmath>

RowInterpolator::RowInterpolator(double* v, int n, double marker) : values(v), count(n) {
    positions.reserve(static_cast<size_t>(n) + 1);
    knotValues.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        if (values[i] == marker) continue;
        if (positions.empty() && i != 0) {
            positions.push_back(0);
            knotValues.push_back(values[i]);
        }
        positions.push_back(i);
        knotValues.push_back(values[i]);
    }
    if (!positions.empty() && n > 0 && values[n - 1] == marker) {
        positions.push_back(n - 1);
        knotValues.push_back(knotValues.back());
    }
}

void RowInterpolator::Fill() {
    if (count <= 0) return;
    if (positions.empty()) {
        for (int i = 0; i < count; ++i) values[i] = 0.0;
        return;
    }
    values[0] = knotValues[0];
    const size_t knots = positions.size();
    for (int i = 1; i < count; ++i) {
        if (knots == 1) {
            values[i] = knotValues[0];
            continue;
        }
        size_t e = 1;
        while (e + 1 < knots && positions[e] < i) ++e;
        const double p0 = positions[e - 1], p1 = positions[e];
        const double v0 = knotValues[e - 1], v1 = knotValues[e];
        const double difference = v1 - v0;
        values[i] = p1 == p0 ? v0 + difference * (i - p0) * 1e10 : v0 + difference * (i - p0) / (p1 - p0);
    }
}

Bgr EncodeSurfaceLevel(double d) {
    if (d >= 254) d = 254;
    if (d < 0 || std::isnan(d)) d = 0;
    const int g = static_cast<int>(d);
    const int h = static_cast<int>((d - std::floor(d)) * 3);
    Bgr p;
    p.r = static_cast<uint8_t>(g);
    p.g = static_cast<uint8_t>(h >= 1 ? g + 1 : g);
    p.b = static_cast<uint8_t>(h == 2 ? g + 1 : g);
    return p;
}

ToolResult SurfaceInterpolation(const std::string& from, const std::string& to, const ToolEnv& env) {
    std::unique_ptr<CTGAFile> input = OpenToolInput(env, from);
    if (!input) return ToolStatus::Failed;
    const int width = input->GetWidth();
    std::vector<double> row(static_cast<size_t>(width));
    return WriteOutputByRows(env, *input, to, [&](int y, uint8_t* out) {
        const uint8_t* in = input->pixelAt(0, y);
        for (int x = 0; x < width; ++x, in += 3) {
            const bool contour = in[2] != 0 && in[1] == 0 && in[0] == 0;
            row[static_cast<size_t>(x)] = contour ? in[2] : -1.0;
        }
        RowInterpolator interpolator(row.data(), width, -1.0);
        interpolator.Fill();
        for (int x = 0; x < width; ++x, out += 3) {
            Bgr p = EncodeSurfaceLevel(row[static_cast<size_t>(x)]);
            out[0] = p.b;
            out[1] = p.g;
            out[2] = p.r;
        }
    });
}

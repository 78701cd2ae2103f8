#include "image/Gelaende.h"

#include <cmath>

double ElevationLookup::at(double x, double y) const {
    const double u = x * xScaleReciprocal;
    const double v = y * yScaleReciprocal;
    // The last column and row have no right or upper neighbour: they count as outside.
    if (!(u >= 0.0) || u >= image.maxX() || !(v >= 0.0) || v >= image.maxY()) return 0.0;
    const double fx = u - std::floor(u);
    const double fy = v - std::floor(v);
    const int c = static_cast<int>(u);
    const int r = static_cast<int>(v);

    uint32_t e00, e10, e01, e11;
    if (const uint8_t* bottom = image.pixelData()) {
        bottom += static_cast<size_t>(r) * static_cast<size_t>(image.stride()) + 3 * static_cast<size_t>(c);
        const uint8_t* top = bottom + image.stride();
        e00 = decode(bottom);
        e10 = decode(bottom + 3);
        e01 = decode(top);
        e11 = decode(top + 3);
    } else {
        uint8_t rows[12];
        image.pixelFile().readPixels(c, r, 2, rows);
        image.pixelFile().readPixels(c, r + 1, 2, rows + 6);
        e00 = decode(rows);
        e10 = decode(rows + 3);
        e01 = decode(rows + 6);
        e11 = decode(rows + 9);
    }
    return (1 - fy) * ((1 - fx) * e00 + fx * e10) + fy * ((1 - fx) * e01 + fx * e11);
}

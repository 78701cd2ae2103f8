#include "image/Gelaende.h"

#include <cmath>
#include <cstring>

double ElevationLookup::interpolated(double u, double v) const {
    // The last column and row have no right or upper neighbour: they count as outside.
    if (!(u >= 0.0) || u >= image.maxX() || !(v >= 0.0) || v >= image.maxY()) return 0.0;
    const double fx = u - std::floor(u), fy = v - std::floor(v);
    const int c = static_cast<int>(u), r = static_cast<int>(v);
    // On a pixel the interpolation gives the pixel's own elevation (times 1, plus zeros); a grid of one
    // cell per pixel samples only such points.
    if (fx == 0.0 && fy == 0.0) {
        if (const uint8_t* p = image.pixelData())
            return decode(p + static_cast<size_t>(r) * static_cast<size_t>(image.stride()) +
                          3 * static_cast<size_t>(c));
    }

    uint8_t rows[12]; // the two pixels of row r from column c, then the two above them
    if (const uint8_t* bottom = image.pixelData()) {
        bottom += static_cast<size_t>(r) * static_cast<size_t>(image.stride()) + 3 * static_cast<size_t>(c);
        std::memcpy(rows, bottom, 6);
        std::memcpy(rows + 6, bottom + image.stride(), 6);
    } else {
        image.pixelFile().readPixels(c, r, 2, rows);
        image.pixelFile().readPixels(c, r + 1, 2, rows + 6);
    }
    const uint32_t e00 = decode(rows), e10 = decode(rows + 3), e01 = decode(rows + 6), e11 = decode(rows + 9);
    return (1 - fy) * ((1 - fx) * e00 + fx * e10) + fy * ((1 - fx) * e01 + fx * e11);
}

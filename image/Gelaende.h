#pragma once
// CGelaende: an elevation file (a 24-bit TGA whose pixels hold elevations, blue the low byte, green the
// middle byte, red the high byte) with its x, y and z scales, answering the height at any world point by
// bilinear interpolation.

#include "image/TGAFile.h"

class CGelaende : public CTGAFile {
public:
    CGelaende(Platform& platform, double xScale, double yScale, bool loadPixels, int antialiasing = 10);

    void SetZScale(double z) { zScale = z; }
    double GetZScale() const { return zScale; }
    double GetExtentX() const;
    double GetExtentY() const;

    // The interpolated elevation at world point (x, y) in file units; 0.0 outside [0, w-1) x [0, h-1).
    // Thread-safe: in memory it only reads; in header-only mode it uses positioned reads.
    double ElevationAt(double x, double y) const;

    // The elevation of one pixel (in memory or from the file).
    static uint32_t decode(const uint8_t* bgr) { return bgr[0] | (bgr[1] << 8) | (uint32_t(bgr[2]) << 16); }

private:
    double zScale = 1.0;
};

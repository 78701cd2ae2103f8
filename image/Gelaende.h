#pragma once
// CGelaende: an elevation file, the image document with its x, y and z scales, answering the height at
// any world point through its ElevationLookup.

#include "image/ElevationLookup.h"
#include "image/TGAFile.h"

class CGelaende : public CTGAFile {
public:
    CGelaende(Platform& platform, double xScale, double yScale, bool loadPixels, int antialiasing = 10)
        : CTGAFile(platform, antialiasing, loadPixels), lookup(*this, xScale, yScale) {}

    void SetZScale(double z) { zScale = z; }
    double GetZScale() const { return zScale; }
    double GetExtentX() const { return lookup.extentX(); }
    double GetExtentY() const { return lookup.extentY(); }

    // The interpolated elevation at world point (x, y) in file units (see ElevationLookup::at).
    double ElevationAt(double x, double y) const { return lookup.at(x, y); }

    // The elevation of one pixel (in memory or from the file).
    static uint32_t decode(const uint8_t* bgr) { return ElevationLookup::decode(bgr); }

private:
    ElevationLookup lookup;
    double zScale = 1.0;
};

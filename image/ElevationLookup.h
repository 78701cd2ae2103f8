#pragma once
// ElevationLookup: the height at a world point of an elevation image (a 24-bit image whose pixels hold
// elevations, blue the low byte, green the middle byte, red the high byte), interpolated bilinearly
// between the four pixels around it. It reads the image where its document keeps the pixels: in memory,
// or from the open file of a header-only document.

#include <cstdint>

class CTGAFile;

class ElevationLookup {
public:
    ElevationLookup(const CTGAFile& image, double xScale, double yScale);

    // The world size of the image.
    double extentX() const;
    double extentY() const;
    // The interpolated elevation at world point (x, y) in file units; 0.0 outside [0, w-1) x [0, h-1).
    // Thread-safe: in memory it only reads; from the file it uses positioned reads.
    double at(double x, double y) const;

    // The elevation of one pixel.
    static uint32_t decode(const uint8_t* bgr) { return bgr[0] | (bgr[1] << 8) | (uint32_t(bgr[2]) << 16); }

private:
    const CTGAFile& image;
    double xScaleReciprocal, yScaleReciprocal;
};

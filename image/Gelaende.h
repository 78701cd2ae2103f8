#pragma once
// Elevation files: 24-bit images whose pixels hold elevations, blue the low byte, green the middle byte,
// red the high byte.

#include "image/TGAFile.h"

#include <bit>
#include <cstdint>
#include <cstring>

// The height at a world point of an elevation image, interpolated bilinearly between the four pixels
// around it. It reads the image where its document keeps the pixels: in memory, or from the open file of
// a header-only document.
class ElevationLookup {
public:
    ElevationLookup(const CTGAFile& image, double xScale, double yScale)
        : image(image), xScaleReciprocal(1.0 / xScale), yScaleReciprocal(1.0 / yScale) {}

    // The world size of the image.
    double extentX() const { return image.headerWidth() / xScaleReciprocal; }
    double extentY() const { return image.headerHeight() / yScaleReciprocal; }
    // The interpolated elevation at world point (x, y) in file units; 0.0 outside [0, w-1) x [0, h-1).
    // Thread-safe: in memory it only reads; from the file it uses positioned reads.
    double at(double x, double y) const { return Fixed(*this).at(x, y); }

    // The lookup while the image stays as it is (for a frame, say): the same answers, with what at()
    // asks the document for every point asked once.
    class Fixed {
    public:
        explicit Fixed(const ElevationLookup& l)
            : lookup(l), pixels(l.image.pixelData()), stride(static_cast<size_t>(l.image.stride())),
              maxX(l.image.maxX()), maxY(l.image.maxY()) {}
        double at(double x, double y) const {
            const double u = x * lookup.xScaleReciprocal, v = y * lookup.yScaleReciprocal;
            // A point on a pixel of an image in memory (every point of a grid of one cell per pixel) is
            // that pixel, read here without a call; the interpolation would give the same.
            if (pixels && u >= 0.0 && v >= 0.0 && u < maxX && v < maxY) {
                // (Signed: the conversions are single instructions; u and v are not negative here.)
                const int64_t c = static_cast<int64_t>(u), r = static_cast<int64_t>(v);
                if (static_cast<double>(c) == u && static_cast<double>(r) == v)
                    return decode(pixels + static_cast<size_t>(r) * stride + 3 * static_cast<size_t>(c));
            }
            return lookup.interpolated(u, v);
        }

    private:
        const ElevationLookup& lookup;
        const uint8_t* pixels;
        size_t stride;
        double maxX, maxY;
    };
    // The pixel coordinates at(x, y) interpolates at.
    double columnOf(double x) const { return x * xScaleReciprocal; }
    double rowOf(double y) const { return y * yScaleReciprocal; }

    // The elevation of one pixel.
    static uint32_t decode(const uint8_t* bgr) { return bgr[0] | (bgr[1] << 8) | (uint32_t(bgr[2]) << 16); }
    // The same for a pixel that another pixel follows in its row (one load of four bytes where the
    // processor stores the low byte first).
    static uint32_t decodeFollowed(const uint8_t* bgr) {
        if constexpr (std::endian::native == std::endian::little) {
            uint32_t four;
            std::memcpy(&four, bgr, sizeof four);
            return four & 0xFFFFFFu;
        } else {
            return decode(bgr);
        }
    }

private:
    // at() at pixel coordinates (u, v).
    double interpolated(double u, double v) const;

    const CTGAFile& image;
    double xScaleReciprocal, yScaleReciprocal;
};

// CGelaende: the elevation document, with its x, y and z scales, answering through its lookup.
class CGelaende : public CTGAFile {
public:
    CGelaende(Platform& platform, double xScale, double yScale, bool loadPixels, int antialiasing = 10)
        : CTGAFile(platform, antialiasing, loadPixels), lookup(*this, xScale, yScale) {}

    void SetZScale(double z) { zScale = z; }
    double GetZScale() const { return zScale; }
    double GetExtentX() const { return lookup.extentX(); }
    double GetExtentY() const { return lookup.extentY(); }
    double ElevationAt(double x, double y) const { return lookup.at(x, y); }
    const ElevationLookup& Lookup() const { return lookup; }
    static uint32_t decode(const uint8_t* bgr) { return ElevationLookup::decode(bgr); }

private:
    ElevationLookup lookup;
    double zScale = 1.0;
};

#pragma once
// The lowest and highest elevation over blocks of an elevation image, at every power-of-two block size:
// what the walk asks to leave out blocks of cells that cannot reach the picture (GridFrame's ViewCull).
// Made once per elevation image (a render run keeps one for all its frames and threads; it is only read),
// in file units, so the frame's z scale is applied when asked.

#include <cstddef>
#include <cstdint>
#include <vector>

class CGelaende;

class ElevationPyramid {
public:
    // The image must keep its pixels in memory; an image that does not gives an empty pyramid (Empty()).
    // With threads > 1 the finest level is made by that many threads (the same pyramid).
    explicit ElevationPyramid(const CGelaende& elevation, int threads = 1);

    bool Empty() const { return levels.empty(); }

    // The range of what CGelaende::ElevationAt answers anywhere in the world rectangle [x0, x1] x [y0, y1]
    // (either order), in file units; 0 counts too where the rectangle reaches outside the image.
    void Range(double x0, double x1, double y0, double y1, double& low, double& high) const;

    // Bytes held (the pyramid is about 1/32 of the image).
    size_t Bytes() const;

private:
    struct Level {
        int width = 0, height = 0;     // in blocks
        std::vector<uint32_t> lowHigh; // per block its lowest then its highest elevation
    };
    // The finest level's block rows [low, high) from the pixels.
    void MakeFinest(Level& first, int low, int high) const;

    const CGelaende& elevation;
    const uint8_t* pixels; // the image's rows (null: not in memory), fixed while the pyramid lives
    size_t stride;
    int cellsX = 0, cellsY = 0; // pixel cells (a cell is the square between four pixels)
    std::vector<Level> levels;  // levels[k]: blocks of 8 * 2^k by 8 * 2^k cells
};

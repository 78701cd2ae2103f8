#pragma once
// Converts frames as the program holds them (24-bit blue-green-red rows) to planar YUV 4:2:0, the form
// the video encoders take. The video has even sizes (4:2:0 halves both): an odd width loses its rightmost
// column and an odd height its bottom row. Colours use the BT.709 matrix in limited range, as the written
// streams declare.

#include <cstdint>
#include <vector>

struct SwsContext;

namespace video {

// One frame: width x height pixels B, G, R, rows stride bytes apart, the bottom row first when bottomUp
// (the layout of a TGA document: rows bottom first, each padded to four bytes).
struct BgrFrame {
    const uint8_t* pixels = nullptr;
    long long stride = 0;
    bool bottomUp = true;
};

struct Yuv420Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> y, u, v; // tightly packed planes; u and v are width/2 x height/2
};

class BgrToYuv420 {
public:
    // Sizes of at least 2 x 2; the video size is evenWidth() x evenHeight().
    BgrToYuv420(int width, int height);
    ~BgrToYuv420();
    BgrToYuv420(const BgrToYuv420&) = delete;
    BgrToYuv420& operator=(const BgrToYuv420&) = delete;

    // False when the conversion could not be set up (memory).
    bool valid() const { return context != nullptr; }
    int evenWidth() const { return outWidth; }
    int evenHeight() const { return outHeight; }

    // Writes the three planes (Y, U, V with their line sizes).
    void convert(const BgrFrame& frame, uint8_t* const planes[3], const int lineSizes[3]);
    Yuv420Picture convert(const BgrFrame& frame);

private:
    SwsContext* context = nullptr;
    int inHeight = 0;
    int outWidth = 0, outHeight = 0;
};

} // namespace video

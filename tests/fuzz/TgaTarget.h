#pragma once
// The TGA reader, in both modes: pixels in memory (CTGAFile, CGelaende; read, or mapped from the file as
// renders open their inputs) and header-only lookups from the open file (CGelaende). Checks: a refused file
// shows exactly one message and leaves no image; a file that loads shows none; all modes answer the same
// elevations; a small image survives a save and a reopen
// unchanged; a YUV frame has the size its planes need.

#include "fuzz/FuzzSupport.h"
#include "image/Gelaende.h"

#include <algorithm>
#include <vector>

namespace fuzz {

// Inputs declaring more pixels than this are only opened header-only (which allocates nothing).
constexpr long long kTgaMaxFuzzPixels = 1LL << 22;
// Images up to this many pixels are saved and read back.
constexpr long long kTgaRoundTripPixels = 1 << 14;

inline std::string FuzzTga(const uint8_t* data, size_t size) {
    InputFile input(data, size);
    long long declared = 0;
    if (size >= 18)
        declared = static_cast<long long>(data[12] | (data[13] << 8)) * (data[14] | (data[15] << 8));

    // Header-only mode opens what the loading mode opens, and more (any size).
    CountingPlatform diskPlatform;
    CGelaende onDisk(diskPlatform, 1.0, 1.0, false);
    const bool diskOpen = onDisk.OpenImage(input.path());
    FUZZ_REQUIRE(diskPlatform.messages == (diskOpen ? 0 : 1), "header-only open: one message when refused");
    FUZZ_REQUIRE(diskPlatform.waitDepth == 0, "header-only open: wait cursor balanced");
    FUZZ_REQUIRE(!onDisk.hasImage(), "header-only open keeps no pixels");
    if (diskOpen) {
        FUZZ_REQUIRE(onDisk.headerWidth() > 0 && onDisk.headerHeight() > 0, "opened image has a size");
        // Lookups anywhere, also outside and on the edges, never fail.
        for (double x : {-1.0, 0.0, 0.5, onDisk.maxX() - 0.5, onDisk.maxX(), onDisk.maxX() + 3})
            for (double y : {-1.0, 0.0, 0.25, onDisk.maxY() - 0.25, onDisk.maxY(), 1e9}) {
                double e = onDisk.ElevationAt(x, y);
                FUZZ_REQUIRE(e >= 0.0 && e <= 16777215.0, "elevation within 24 bits");
            }
    }
    if (declared > kTgaMaxFuzzPixels) return "";

    CountingPlatform memPlatform;
    CGelaende inMemory(memPlatform, 1.0, 1.0, true);
    const bool memOpen = inMemory.OpenImage(input.path());
    FUZZ_REQUIRE(memPlatform.messages == (memOpen ? 0 : 1), "open: one message when refused");
    FUZZ_REQUIRE(memPlatform.waitDepth == 0, "open: wait cursor balanced");
    FUZZ_REQUIRE(memOpen == inMemory.hasImage(), "an image exactly when the open succeeded");
    if (!memOpen) return "";
    FUZZ_REQUIRE(diskOpen, "a file that loads also opens header-only");
    const int w = inMemory.GetWidth(), h = inMemory.GetHeight();
    FUZZ_REQUIRE(w == onDisk.headerWidth() && h == onDisk.headerHeight(), "both modes see the same size");

    CountingPlatform mapPlatform;
    CGelaende mapped(mapPlatform, 1.0, 1.0, true);
    mapped.MapPixels(true);
    FUZZ_REQUIRE(mapped.OpenImage(input.path()) && mapPlatform.messages == 0, "a file that loads also maps");

    // Every mode gives the same elevation at every probed point.
    const int stepX = std::max(1, w / 16), stepY = std::max(1, h / 16);
    for (int y = 0; y < h; y += stepY)
        for (int x = 0; x < w; x += stepX)
            for (double f : {0.0, 0.375}) {
                double a = inMemory.ElevationAt(x + f, y + f), b = onDisk.ElevationAt(x + f, y + f);
                FUZZ_REQUIRE(a == b, "in-memory and header-only elevations agree");
                FUZZ_REQUIRE(a == mapped.ElevationAt(x + f, y + f), "read and mapped elevations agree");
            }
    // Every sampler answers for points in and around the picture.
    unsigned sum = 0;
    for (int y = -2; y <= h + 1; y += stepY)
        for (int x = -2; x <= w + 1; x += stepX) {
            sum += inMemory.GetPixel(x, y).b;
            sum += inMemory.SampleFiltered(x + 0.5, y + 0.5).g;
            const double five[5][2] = {{x - 0.5, y - 0.5},
                                       {x + 0.5, y - 0.5},
                                       {x - 0.5, y + 0.5},
                                       {x + 0.5, y + 0.5},
                                       {x * 1.0, y * 1.0}};
            sum += inMemory.SampleAverage5(five).r;
        }
    (void)sum;

    if (static_cast<long long>(w) * h > kTgaRoundTripPixels) return "";
    // A loaded image is written back as the plain 24-bit bottom-up file and reads back unchanged.
    const std::string copy = ScratchFolder::file("copy.tga");
    removeFile(copy);
    FUZZ_REQUIRE(inMemory.SaveImage(copy), "a loaded image can be saved");
    FUZZ_REQUIRE(readFile(copy).size() == 18 + 3 * static_cast<size_t>(w) * h, "saved file size");
    CountingPlatform againPlatform;
    CTGAFile again(againPlatform);
    FUZZ_REQUIRE(again.OpenImage(copy), "a saved image opens again");
    FUZZ_REQUIRE(again.GetWidth() == w && again.GetHeight() == h, "reopened size");
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            FUZZ_REQUIRE(again.GetPixel(x, y) == inMemory.GetPixel(x, y), "reopened pixels");

    // The YUV frame: luma rows for every row pair, two chroma planes of half width.
    const std::string frame = ScratchFolder::file("frame.yuv");
    removeFile(frame);
    FUZZ_REQUIRE(inMemory.SaveImageAs(frame, 1), "a loaded image can be written as a YUV frame");
    const size_t pairs = static_cast<size_t>(h + 1) / 2;
    FUZZ_REQUIRE(readFile(frame).size() == 2 * pairs * w + 2 * pairs * (w / 2), "YUV frame size");
    return "";
}

} // namespace fuzz

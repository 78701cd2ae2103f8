#include "image/Gelaende.h"

#include "ImageTestUtil.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

using namespace imgtest;

namespace {

// Elevation pixels: blue the low byte, green the middle, red the high byte.
void putElevation(std::vector<uint8_t>& px, size_t index, uint32_t e) {
    px[3 * index] = static_cast<uint8_t>(e);
    px[3 * index + 1] = static_cast<uint8_t>(e >> 8);
    px[3 * index + 2] = static_cast<uint8_t>(e >> 16);
}

} // namespace

TEST(Gelaende, DecodesAndInterpolatesElevations) {
    const uint8_t tenThousand[3] = {0x10, 0x27, 0x00};
    EXPECT_EQ(CGelaende::decode(tenThousand), 10000u);
    const uint8_t top[3] = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CGelaende::decode(top), 16777215u);

    // 4 x 3, elevation of (x, y) = 1000 * x + 100000 * y, the last column very high.
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 4, h = 3;
    std::vector<uint8_t> px(3 * w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) putElevation(px, y * w + x, 1000 * x + 100000 * y);
    std::string file = dir.path("elev.tga");
    TempDir::write(file, tgaFile(w, h, px));

    for (bool load : {true, false}) {
        CGelaende g(platform, 2.0, 0.5, load);
        ASSERT_TRUE(g.OpenImage(file));
        EXPECT_DOUBLE_EQ(g.GetExtentX(), 8.0);
        EXPECT_DOUBLE_EQ(g.GetExtentY(), 1.5);
        EXPECT_DOUBLE_EQ(g.GetZScale(), 1.0);
        g.SetZScale(3.5);
        EXPECT_DOUBLE_EQ(g.GetZScale(), 3.5);
        // x scale 2: world x 3.0 is halfway between columns 1 and 2.
        EXPECT_DOUBLE_EQ(g.ElevationAt(3.0, 0.0), 1500.0);
        // Integer cells give the pixel's own value.
        EXPECT_DOUBLE_EQ(g.ElevationAt(2.0, 0.5), 101000.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(1.0, 0.25), 0.5 * 100000 + 500);
        // The last column and row, and anything outside, give 0.
        EXPECT_DOUBLE_EQ(g.ElevationAt(6.0, 0.0), 0.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(5.999, 0.0), 2999.5);
        EXPECT_DOUBLE_EQ(g.ElevationAt(0.0, 1.0), 0.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(-0.001, 0.0), 0.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(0.0, -0.001), 0.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(std::nan(""), 0.0), 0.0);
        EXPECT_DOUBLE_EQ(g.ElevationAt(1e300, 0.0), 0.0);
    }
    EXPECT_TRUE(platform.shown.empty());
}

// The same file gives the same terrain whether its pixels are kept in memory or read from the file, also
// when an image ID field precedes the pixels or the rows are stored top row first.
TEST(Gelaende, InMemoryAndHeaderOnlyLookupsAgree) {
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 50, h = 40;
    std::mt19937 rng(1234);
    std::vector<uint8_t> px(3 * w * h);
    for (auto& b : px) b = static_cast<uint8_t>(rng());
    struct Variant {
        int idLength;
        bool topFirst;
    };
    for (Variant v : {Variant{0, false}, Variant{17, false}, Variant{255, false}, Variant{9, true}}) {
        std::string file = dir.path("terrain.tga");
        TempDir::write(file, tgaFile(w, h, px, v.idLength, v.topFirst));
        CGelaende mem(platform, 1.5, 2.5, true);
        CGelaende onDisk(platform, 1.5, 2.5, false);
        ASSERT_TRUE(mem.OpenImage(file));
        ASSERT_TRUE(onDisk.OpenImage(file));
        EXPECT_EQ(onDisk.GetWidth(), w);
        EXPECT_FALSE(onDisk.hasImage());
        // Pixel (x, y) of the file reads back as (x, y), y counted from the bottom row.
        EXPECT_DOUBLE_EQ(mem.ElevationAt(3 * 1.5, 7 * 2.5), CGelaende::decode(&px[3 * (7 * w + 3)]));
        std::uniform_real_distribution<double> ux(-5, w * 1.5 + 5), uy(-5, h * 2.5 + 5);
        int inside = 0;
        for (int i = 0; i < 10000; ++i) {
            double x = ux(rng), y = uy(rng);
            double a = mem.ElevationAt(x, y);
            ASSERT_EQ(a, onDisk.ElevationAt(x, y)) << x << ", " << y << " id " << v.idLength;
            inside += a != 0.0;
        }
        EXPECT_GT(inside, 7000);
    }
}

TEST(Gelaende, HeaderOnlyLookupIsThreadSafe) {
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 64, h = 64;
    std::vector<uint8_t> px(3 * w * h);
    for (int i = 0; i < w * h; ++i) putElevation(px, i, 7919u * i);
    std::string file = dir.path("t.tga");
    TempDir::write(file, tgaFile(w, h, px));
    CGelaende mem(platform, 1, 1, true), onDisk(platform, 1, 1, false);
    ASSERT_TRUE(mem.OpenImage(file));
    ASSERT_TRUE(onDisk.OpenImage(file));
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 rng(t);
            std::uniform_real_distribution<double> d(0, 63);
            for (int i = 0; i < 5000; ++i) {
                double x = d(rng), y = d(rng);
                mismatches[t] += mem.ElevationAt(x, y) != onDisk.ElevationAt(x, y);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

// An elevation file too large to keep in memory is refused for loading but works header-only.
TEST(Gelaende, HugeFileWorksHeaderOnly) {
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 20000, h = 20000;
    std::string file = dir.path("huge.tga");
    TempDir::write(file, tgaHeader(w, h));
    std::filesystem::resize_file(file, 18 + 3ULL * w * h); // sparse: reads as zeros
    {
        // Pixel (w - 2, h - 2) = 10000.
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(18 + 3ULL * ((h - 2ULL) * w + (w - 2))));
        f.write("\x10\x27\x00", 3);
    }
    CGelaende loaded(platform, 1, 1, true);
    EXPECT_FALSE(loaded.OpenImage(file));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "TGA file is too large.");

    CGelaende onDisk(platform, 1, 1, false);
    ASSERT_TRUE(onDisk.OpenImage(file));
    EXPECT_DOUBLE_EQ(onDisk.GetExtentX(), w);
    EXPECT_DOUBLE_EQ(onDisk.ElevationAt(w - 2, h - 2), 10000.0);
    EXPECT_DOUBLE_EQ(onDisk.ElevationAt(w - 2.5, h - 2), 5000.0);
    EXPECT_DOUBLE_EQ(onDisk.ElevationAt(10, 10), 0.0);
}

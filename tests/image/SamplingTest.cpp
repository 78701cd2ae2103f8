#include "image/TGAFile.h"

#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

void put(CTGAFile& doc, int x, int y, Bgr c) {
    uint8_t* p = doc.pixelAt(x, y);
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

Bgr at(const CTGAFile& doc, int x, int y) {
    const uint8_t* p = doc.pixelAt(x, y);
    return Bgr{p[0], p[1], p[2]};
}

} // namespace

TEST(TGASampling, GetPixelTruncatesTowardZeroAndUsesOutsideColour) {
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(4, 3));
    put(doc, 0, 0, {1, 2, 3});
    put(doc, 3, 2, {4, 5, 6});
    put(doc, 1, 1, {7, 8, 9});
    // Default outside colour: white.
    EXPECT_EQ(doc.GetPixel(4, 0), (Bgr{255, 255, 255}));
    doc.FillColor(0x00332211); // every pixel and the outside colour become this colour
    put(doc, 0, 0, {1, 2, 3});
    put(doc, 3, 2, {4, 5, 6});
    put(doc, 1, 1, {7, 8, 9});
    const Bgr outside{0x33, 0x22, 0x11}; // o2, o1, o0
    EXPECT_EQ(doc.GetPixel(-0.5, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(doc.GetPixel(0, -0.99), (Bgr{1, 2, 3}));
    EXPECT_EQ(doc.GetPixel(1.99, 1.5), (Bgr{7, 8, 9}));
    EXPECT_EQ(doc.GetPixel(3.999, 2.999), (Bgr{4, 5, 6}));
    EXPECT_EQ(doc.GetPixel(-1, 0), outside);
    EXPECT_EQ(doc.GetPixel(4, 0), outside);
    EXPECT_EQ(doc.GetPixel(0, 3), outside);
    EXPECT_EQ(doc.GetPixel(1e30, 0), outside);
    EXPECT_EQ(doc.GetPixel(std::nan(""), 0), outside);

    const double points[5][2] = {{0, 0}, {1, 1}, {3, 2}, {9, 9}, {1.5, 1.2}};
    // (1 + 7 + 4 + 0x33 + 7) / 5 etc., truncated.
    EXPECT_EQ(doc.SampleAverage5(points),
              (Bgr{(1 + 7 + 4 + 0x33 + 7) / 5, (2 + 8 + 5 + 0x22 + 8) / 5, (3 + 9 + 6 + 0x11 + 9) / 5}));
    doc.UnlockImage();
    EXPECT_EQ(doc.GetWidth(), 0);
    EXPECT_EQ(doc.GetHeight(), 0);
    EXPECT_EQ(doc.GetPixel(0, 0), outside);
}

TEST(TGASampling, FilteredSamplerBoundsAndOutsideByteOrder) {
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(10, 10));
    doc.FillColor(0x00C08040);
    FilterCache cache;
    // Inside: 1.5 <= x < width - 1.5.
    EXPECT_EQ(doc.SampleFiltered(5.0, 5.0, cache), (Bgr{0xC0, 0x80, 0x40}));
    EXPECT_EQ(doc.SampleFiltered(1.5, 8.49, cache), (Bgr{0xC0, 0x80, 0x40}));
    // Outside, the outside colour comes back as o0, o1, o2.
    const Bgr outside{0x40, 0x80, 0xC0};
    EXPECT_EQ(doc.SampleFiltered(8.6, 5.0, cache), outside);
    EXPECT_EQ(doc.SampleFiltered(8.5, 5.0, cache), outside);
    EXPECT_EQ(doc.SampleFiltered(1.49, 5.0, cache), outside);
    EXPECT_EQ(doc.SampleFiltered(5.0, 1.49, cache), outside);
    EXPECT_EQ(doc.SampleFiltered(5.0, 8.5, cache), outside);
    EXPECT_EQ(doc.SampleFiltered(std::nan(""), 5.0, cache), outside);
}

TEST(TGASampling, FilteredSamplerKeepsFlatLevelsAndWeighsByDistance) {
    ScriptedPlatform platform;
    for (int level : {0, 1, 100, 254, 255}) {
        CTGAFile doc(platform);
        ASSERT_TRUE(doc.CreateImage(8, 8));
        doc.FillGray(static_cast<uint8_t>(level));
        for (double x : {2.0, 3.3, 4.77})
            EXPECT_EQ(doc.SampleFiltered(x, 3.9).g, level) << "level " << level << " at " << x;
    }

    // One bright pixel at (5, 5) seen from its centre: its weight over the sum of the block's weights,
    // the weights being e^(-i/A) at i = 1 + trunc(10 d^2).
    for (int antialiasing : {0, 1, 10, 40}) {
        CTGAFile doc(platform, antialiasing);
        ASSERT_TRUE(doc.CreateImage(12, 12));
        put(doc, 5, 5, {255, 255, 255});
        const double a = antialiasing == 0 ? 1 : antialiasing;
        double sum = 0;
        for (int dy = -1; dy <= 2; ++dy)
            for (int dx = -1; dx <= 2; ++dx) sum += std::exp(-(1 + 10 * (dx * dx + dy * dy)) / a);
        const double expected = 255 * std::exp(-1 / a) / (sum + 1e-8);
        EXPECT_EQ(doc.SampleFiltered(5.5, 5.5).r, static_cast<int>(expected + 0.5)) << antialiasing;
    }
    // A wider filter takes more from the neighbours.
    CTGAFile sharp(platform, 1), soft(platform, 40);
    for (CTGAFile* d : {&sharp, &soft}) {
        ASSERT_TRUE(d->CreateImage(12, 12));
        put(*d, 5, 5, {255, 255, 255});
    }
    EXPECT_GT(sharp.SampleFiltered(5.5, 5.5).r, soft.SampleFiltered(5.5, 5.5).r);
    EXPECT_LT(sharp.SampleFiltered(6.5, 5.5).r, soft.SampleFiltered(6.5, 5.5).r);
}

// A cache follows the block it was filled from; a cache handed to another image or kept across a change of
// the pixels refills itself.
TEST(TGASampling, FilterCacheNeverServesStalePixels) {
    ScriptedPlatform platform;
    CTGAFile a(platform), b(platform);
    std::mt19937 rng(7);
    for (CTGAFile* d : {&a, &b}) {
        ASSERT_TRUE(d->CreateImage(20, 16));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 20; ++x)
                put(*d, x, y,
                    {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())});
    }
    std::uniform_real_distribution<double> ux(1.5, 18.4), uy(1.5, 14.4);
    FilterCache shared;
    for (int i = 0; i < 2000; ++i) {
        double x = ux(rng), y = uy(rng);
        CTGAFile& doc = (i % 3 == 0) ? b : a;
        FilterCache fresh;
        ASSERT_EQ(doc.SampleFiltered(x, y, shared), doc.SampleFiltered(x, y, fresh)) << i;
    }
    FilterCache cache;
    Bgr before = a.SampleFiltered(6.2, 6.2, cache);
    a.FillGray(9);
    EXPECT_NE(a.SampleFiltered(6.2, 6.2, cache), before);
    EXPECT_EQ(a.SampleFiltered(6.2, 6.2, cache), (Bgr{9, 9, 9}));
}

TEST(TGASampling, FillsWriteEveryPixelInTheColoursOwnOrder) {
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(3, 2));
    doc.FillGray(77);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(at(doc, x, y), (Bgr{77, 77, 77}));
    // 0x00BBGGRR: pure blue stays blue.
    doc.FillColor(0x00FF0000);
    EXPECT_EQ(doc.outsideColour(), (std::array<uint8_t, 4>{0x00, 0x00, 0xFF, 0x00}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(at(doc, x, y), (Bgr{0xFF, 0, 0}));
    doc.FillColor(0x12345678);
    EXPECT_EQ(doc.outsideColour(), (std::array<uint8_t, 4>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(at(doc, 2, 1), (Bgr{0x34, 0x56, 0x78}));
    EXPECT_EQ(doc.outsidePixel(), (Bgr{0x34, 0x56, 0x78}));
    // Padding bytes stay zero (stride 12 for 3 pixels).
    EXPECT_EQ(doc.pixelData()[9], 0);
    EXPECT_EQ(doc.pixelData()[11], 0);
}

TEST(TGASampling, MaskMakesTransparentBrighterDarkerOrOpaque) {
    ScriptedPlatform platform;
    CTGAFile image(platform), mask(platform);
    ASSERT_TRUE(image.CreateImage(6, 2));
    ASSERT_TRUE(mask.CreateImage(6, 1)); // one row: row 1 of the image lies outside the mask
    const Bgr transparent{0, 0, 0}, brighter{255, 0, 0}, darker{0, 255, 0};
    put(mask, 0, 0, transparent);
    put(mask, 1, 0, brighter);
    put(mask, 2, 0, darker);
    put(mask, 3, 0, brighter);
    put(mask, 4, 0, darker);
    put(mask, 5, 0, {10, 20, 30});
    const Bgr source[6] = {{5, 6, 7}, {200, 100, 191}, {50, 64, 63}, {192, 0, 255}, {255, 65, 0}, {1, 1, 1}};
    for (int x = 0; x < 6; ++x) {
        put(image, x, 0, source[x]);
        put(image, x, 1, source[x]);
    }
    image.ApplyMask(mask);
    EXPECT_EQ(at(image, 0, 0), (Bgr{5, 6, 7}));
    EXPECT_EQ(at(image, 1, 0), (Bgr{255, 164, 255}));
    EXPECT_EQ(at(image, 2, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(at(image, 3, 0), (Bgr{255, 64, 255}));
    EXPECT_EQ(at(image, 4, 0), (Bgr{191, 1, 0}));
    EXPECT_EQ(at(image, 5, 0), (Bgr{10, 20, 30}));
    // Beyond the mask its outside colour (white) is opaque.
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(image, x, 1), (Bgr{255, 255, 255})) << x;

    // A mask narrower than 3 pixels: the missing references are white, so white pixels are brighter.
    CTGAFile narrow(platform), target(platform);
    ASSERT_TRUE(narrow.CreateImage(1, 1));
    ASSERT_TRUE(target.CreateImage(2, 1));
    put(target, 0, 0, {100, 100, 100});
    put(target, 1, 0, {100, 100, 100});
    target.ApplyMask(narrow);
    EXPECT_EQ(at(target, 0, 0), (Bgr{100, 100, 100}));
    EXPECT_EQ(at(target, 1, 0), (Bgr{164, 164, 164}));
}

TEST(TGASampling, PastedPictureReplacesTheImage) {
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(2, 2));
    std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    ASSERT_TRUE(doc.ReplaceImage(3, 2, rows));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.GetWidth(), 3);
    EXPECT_EQ(doc.headerWidth(), 3);
    EXPECT_EQ(doc.stride(), 12);
    EXPECT_EQ(at(doc, 2, 0), (Bgr{7, 8, 9}));
    EXPECT_EQ(at(doc, 0, 1), (Bgr{10, 11, 12}));
    EXPECT_EQ(doc.bitmap().size(), 40u + 24u);
    EXPECT_TRUE(platform.shown.empty());

    EXPECT_FALSE(doc.ReplaceImage(3, 2, std::vector<uint8_t>(5)));
    EXPECT_FALSE(doc.ReplaceImage(-3, 2, {}));
    EXPECT_FALSE(doc.ReplaceImage(1 << 15, 1 << 15, {}));
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "TGA file is too large.");
    EXPECT_EQ(platform.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(doc.GetWidth(), 3); // the old picture stays
}

TEST(TGASampling, CreateRefusesEmptyAndOversizedImages) {
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    EXPECT_FALSE(doc.CreateImage(0, 5));
    EXPECT_FALSE(doc.CreateImage(5, -1));
    EXPECT_FALSE(doc.CreateImage(65535, 65535));
    EXPECT_FALSE(doc.hasImage());
    EXPECT_TRUE(doc.CreateImage(1, 1));
    doc.setBusy(true);
    doc.UnlockImage();
    EXPECT_FALSE(doc.isBusy());
}

#include "tools/ElevationConversions.h"
#include "tools/SurfaceInterpolation.h"
#include "tools/ToolTestSupport.h"

#include <gtest/gtest.h>

using namespace tooltest;

namespace {
struct ToolRun {
    Env e;
    TempDir dir;
    std::string in = dir.path("in.tga");
    std::string out = dir.path("out.tga");
};

Picture elevations(const std::vector<uint32_t>& values) {
    Picture p(static_cast<int>(values.size()), 1);
    for (size_t i = 0; i < values.size(); ++i) p.setElevation(static_cast<int>(i), 0, values[i]);
    return p;
}
} // namespace

TEST(ElevationToGray, ScaledTruncatedAndSaturated) {
    ToolRun r;
    writeTga(r.in, elevations({1000, 2549, 2550, 3000, 0, 0x10000}));
    ASSERT_EQ(ToolStatus::Done, ElevationToGray(r.in, r.out, 0.1, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(gray(100), out.at(0, 0));
    EXPECT_EQ(gray(254), out.at(1, 0));
    EXPECT_EQ(gray(255), out.at(2, 0));
    EXPECT_EQ(gray(255), out.at(3, 0));
    EXPECT_EQ(gray(0), out.at(4, 0));
    ASSERT_EQ(1u, r.e.platform.shown.size());
    // The largest product is 6553.6 (the red byte counts 65536).
    EXPECT_EQ("One or more values are saturated in the output file.\nMaximum elevation: 6553.60",
              r.e.platform.shown[0].text);
    EXPECT_EQ(MsgIcon::Information, r.e.platform.shown[0].icon);

    ToolRun largest;
    writeTga(largest.in, elevations({1000, 3000}));
    ASSERT_EQ(ToolStatus::Done, ElevationToGray(largest.in, largest.out, 0.1, largest.e.env));
    EXPECT_EQ("One or more values are saturated in the output file.\nMaximum elevation: 300.00",
              largest.e.platform.texts().at(0));

    ToolRun zero;
    writeTga(zero.in, elevations({1000, 3000}));
    ASSERT_EQ(ToolStatus::Done, ElevationToGray(zero.in, zero.out, 0.0, zero.e.env));
    EXPECT_EQ(gray(0), readTga(zero.out).at(1, 0));
    EXPECT_TRUE(zero.e.platform.shown.empty());

    // A negative factor is not clamped: the truncated product's low byte is stored.
    double scaled = 0;
    EXPECT_EQ(256 - 10, GrayLevelOf(100, -0.1, scaled));
    EXPECT_EQ(0, GrayLevelOf(2560, -0.1, scaled));
}

TEST(GrayToElevation, SumsTheThreeChannels) {
    ToolRun r;
    Picture in(3, 2);
    in.set(0, 0, bgr(10, 11, 10));
    in.set(1, 1, gray(255));
    in.set(2, 1, bgr(1, 0, 0));
    writeTga(r.in, in);
    ASSERT_EQ(ToolStatus::Done, GrayToElevation(r.in, r.out, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(31u, out.elevation(0, 0));
    EXPECT_EQ(765u, out.elevation(1, 1));
    EXPECT_EQ(1u, out.elevation(2, 1));
    EXPECT_EQ(0u, out.elevation(1, 0));
    EXPECT_EQ((std::vector<int>{0, 50}), r.e.progress.reports);
}

TEST(ElevationToColor, PaletteColumnsAndWhiteBeyond) {
    ToolRun r;
    Picture palette(256, 2, gray(7));
    for (int x = 0; x < 256; ++x) palette.set(x, 0, bgr(x, 255 - x, 1));
    writeTga(r.dir.path("pal.tga"), palette);
    writeTga(r.in, elevations({0, 4500, 8999, 9000, 100000}));
    ASSERT_EQ(ToolStatus::Done, ElevationToColor(r.in, r.out, r.dir.path("pal.tga"), r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(bgr(0, 255, 1), out.at(0, 0));
    EXPECT_EQ(bgr(128, 127, 1), out.at(1, 0));
    EXPECT_EQ(bgr(255, 0, 1), out.at(2, 0));
    EXPECT_EQ(gray(255), out.at(3, 0));
    EXPECT_EQ(gray(255), out.at(4, 0));
    EXPECT_EQ(0, PaletteColumn(35, 256));
    EXPECT_EQ(1, PaletteColumn(36, 256));

    ToolRun missing;
    writeTga(missing.in, elevations({1}));
    EXPECT_EQ(ToolStatus::Failed,
              ElevationToColor(missing.in, missing.out, missing.dir.path("no.tga"), missing.e.env));
    EXPECT_FALSE(exists(missing.out));
}

TEST(EliminateRed, OnlyPureRedBecomesBlack) {
    ToolRun r;
    Picture in(4, 1);
    in.set(0, 0, bgr(0, 0, 200));
    in.set(1, 0, bgr(0, 1, 200));
    in.set(2, 0, bgr(1, 0, 200));
    in.set(3, 0, bgr(9, 8, 7));
    writeTga(r.in, in);
    ASSERT_EQ(ToolStatus::Done, EliminateRed(r.in, r.out, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(bgr(0, 0, 0), out.at(0, 0));
    EXPECT_EQ(bgr(0, 1, 200), out.at(1, 0));
    EXPECT_EQ(bgr(1, 0, 200), out.at(2, 0));
    EXPECT_EQ(bgr(9, 8, 7), out.at(3, 0));
}

TEST(PixelTools, StoppedRunsAndMissingInputsWriteNothing) {
    ToolRun r;
    writeTga(r.in, Picture(5, 5, gray(3)));
    r.e.progress.stopAfterReports = 3;
    EXPECT_EQ(ToolStatus::Cancelled, GrayToElevation(r.in, r.out, r.e.env));
    EXPECT_FALSE(exists(r.out));
    EXPECT_EQ((std::vector<int>{0, 20, 40}), r.e.progress.reports);
    EXPECT_EQ(2, r.e.progress.pumps);

    // A stop that arrives during the last row still leaves nothing behind.
    ToolRun late;
    writeTga(late.in, Picture(5, 5, gray(3)));
    late.e.progress.stopAfterPumps = 5;
    EXPECT_EQ(ToolStatus::Cancelled, EliminateRed(late.in, late.out, late.e.env));
    EXPECT_FALSE(exists(late.out));

    ToolRun missing;
    EXPECT_EQ(ToolStatus::Failed, ElevationToGray(missing.in, missing.out, 1.0, missing.e.env));
    EXPECT_FALSE(exists(missing.out));
    EXPECT_FALSE(missing.e.platform.shown.empty());

    ToolRun yuv;
    writeTga(yuv.in, Picture(4, 2, gray(50)));
    ASSERT_EQ(ToolStatus::Done, GrayToElevation(yuv.in, yuv.dir.path("out.yuv"), yuv.e.env));
    EXPECT_EQ(4u * 2 + 2 * 2 * 1, TempDir::read(yuv.dir.path("out.yuv")).size());
}

TEST(RowInterpolator, KnotsAndLinearFill) {
    std::vector<double> row(11, -1.0);
    row[2] = 10;
    row[8] = 40;
    RowInterpolator interpolator(row.data(), 11, -1.0);
    ASSERT_EQ(4, interpolator.knotCount()); // flat extensions at both ends
    EXPECT_EQ(0, interpolator.knotPosition(0));
    EXPECT_EQ(10, interpolator.knotValue(0));
    EXPECT_EQ(10, interpolator.knotPosition(3));
    EXPECT_EQ(40, interpolator.knotValue(3));
    interpolator.Fill();
    for (int x = 0; x <= 2; ++x) EXPECT_DOUBLE_EQ(10, row[size_t(x)]);
    EXPECT_DOUBLE_EQ(15, row[3]);
    EXPECT_DOUBLE_EQ(25, row[5]);
    for (int x = 8; x <= 10; ++x) EXPECT_DOUBLE_EQ(40, row[size_t(x)]);

    std::vector<double> single{-1, -1, 7, -1};
    RowInterpolator one(single.data(), 4, -1.0);
    one.Fill();
    EXPECT_EQ((std::vector<double>{7, 7, 7, 7}), single);

    std::vector<double> empty{-1, -1, -1};
    RowInterpolator none(empty.data(), 3, -1.0);
    EXPECT_EQ(0, none.knotCount());
    none.Fill();
    EXPECT_EQ((std::vector<double>{0, 0, 0}), empty);
}

TEST(SurfaceInterpolation, LevelEncodingInThirds) {
    EXPECT_EQ(bgr(25, 26, 25), EncodeSurfaceLevel(25.5)); // sum 76 = 3 * 25 + 1
    EXPECT_EQ(bgr(26, 26, 25), EncodeSurfaceLevel(25.7));
    EXPECT_EQ(bgr(25, 25, 25), EncodeSurfaceLevel(25.2));
    EXPECT_EQ(gray(254), EncodeSurfaceLevel(255));
    EXPECT_EQ(gray(0), EncodeSurfaceLevel(-3));
}

TEST(SurfaceInterpolation, RowsBetweenContours) {
    ToolRun r;
    Picture in(11, 3, gray(90)); // grey pixels are no contour
    in.set(2, 0, bgr(0, 0, 10));
    in.set(8, 0, bgr(0, 0, 40));
    in.set(3, 1, bgr(0, 0, 255));
    in.set(5, 1, bgr(1, 0, 200)); // blue 1: not a contour pixel
    writeTga(r.in, in);
    ASSERT_EQ(ToolStatus::Done, SurfaceInterpolation(r.in, r.out, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(gray(10), out.at(0, 0));
    EXPECT_EQ(gray(25), out.at(5, 0));
    EXPECT_EQ(bgr(15, 15, 15), out.at(3, 0));
    EXPECT_EQ(gray(40), out.at(10, 0));
    EXPECT_EQ(bgr(20, 20, 20), out.at(4, 0));
    for (int x = 0; x < 11; ++x) EXPECT_EQ(gray(254), out.at(x, 1)); // the only contour is 255
    for (int x = 0; x < 11; ++x) EXPECT_EQ(gray(0), out.at(x, 2));   // no contour: black
}

#include "tools/Convolution.h"
#include "tools/MaskTool.h"
#include "tools/Merge.h"
#include "tools/Resample.h"
#include "tools/ToolTestSupport.h"

#include <gtest/gtest.h>

using namespace tooltest;

namespace {
struct ToolRun {
    Env e;
    TempDir dir;
    std::string in = dir.path("in.tga");
    std::string second = dir.path("second.tga");
    std::string out = dir.path("out.tga");
};

Picture ramp(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.set(x, y, bgr(10 * x + y, 20 + 3 * y, 200 - x));
    return p;
}
} // namespace

TEST(Convolution, BoxBlurWithBlackBorderAndIdentity) {
    ToolRun r;
    Picture in = ramp(6, 5);
    writeTga(r.in, in);
    writeTga(r.second, Picture(3, 3, gray(129)));
    ASSERT_EQ(ToolStatus::Done, Convolve(r.in, r.out, r.second, r.e.env));
    Picture out = readTga(r.out);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            if (x == 0 || y == 0 || x == 5 || y == 4) {
                EXPECT_EQ(gray(0), out.at(x, y)) << x << "," << y;
                continue;
            }
            int sum[3] = {0, 0, 0};
            for (int k = -1; k <= 1; ++k)
                for (int i = -1; i <= 1; ++i) {
                    Bgr p = in.at(x + i, y + k);
                    sum[0] += p.b;
                    sum[1] += p.g;
                    sum[2] += p.r;
                }
            EXPECT_EQ(bgr(sum[0] / 9, sum[1] / 9, sum[2] / 9), out.at(x, y)) << x << "," << y;
        }
    EXPECT_EQ((std::vector<int>{20, 40, 60}), r.e.progress.reports); // rows 1..3 of 5

    ToolRun identity;
    writeTga(identity.in, in);
    writeTga(identity.second, Picture(1, 1, gray(130)));
    ASSERT_EQ(ToolStatus::Done, Convolve(identity.in, identity.out, identity.second, identity.e.env));
    EXPECT_EQ(in.bgr, readTga(identity.out).bgr);
}

TEST(Convolution, MirroredKernelIntegerDivisionAndLowByte) {
    // A 2 x 1 kernel [a b] centred at column 1: out(x) = (a * in(x + 1) + b * in(x)) / (a + b).
    ToolRun r;
    Picture in(4, 1);
    for (int x = 0; x < 4; ++x) in.set(x, 0, bgr(10 * (x + 1), 100, 7));
    writeTga(r.in, in);
    Picture kernel(2, 1);
    kernel.set(0, 0, bgr(128 + 3, 128 - 1, 127)); // blue 3, green -1, red -1
    kernel.set(1, 0, bgr(128 + 1, 128 - 2, 129)); // blue 1, green -2, red +1 (red sums to 0)
    writeTga(r.second, kernel);
    ASSERT_EQ(ToolStatus::Done, Convolve(r.in, r.out, r.second, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(gray(0), out.at(0, 0)); // the left border column
    // x = 1: blue (3 * 30 + 1 * 20) / 4 = 27 (110 / 4 truncated); green (-100 - 200) / -3 = 100;
    // red: sum 0, not normalised: -7 + 7 = 0.
    EXPECT_EQ(bgr(27, 100, 0), out.at(1, 0));
    EXPECT_EQ(bgr((3 * 40 + 30) / 4, 100, 0), out.at(2, 0));
    EXPECT_EQ(gray(0), out.at(3, 0)); // the kernel's half width on the right stays black too

    // Negative quotients keep their low 8 bits.
    ToolRun negative;
    writeTga(negative.in, Picture(1, 1, gray(5)));
    writeTga(negative.second, Picture(1, 1, gray(127))); // -1 / -1 -> 5; coefficient sum -1
    ASSERT_EQ(ToolStatus::Done, Convolve(negative.in, negative.out, negative.second, negative.e.env));
    EXPECT_EQ(gray(5), readTga(negative.out).at(0, 0));
    Picture edge(2, 1);
    edge.set(0, 0, gray(127));
    edge.set(1, 0, gray(129));
    ToolRun zeroSum;
    Picture steps(4, 1);
    steps.set(0, 0, gray(9));
    steps.set(1, 0, gray(5));
    steps.set(2, 0, gray(20));
    steps.set(3, 0, gray(20));
    writeTga(zeroSum.in, steps);
    writeTga(zeroSum.second, edge);
    ASSERT_EQ(ToolStatus::Done, Convolve(zeroSum.in, zeroSum.out, zeroSum.second, zeroSum.e.env));
    // Coefficients sum to 0: the sum itself is stored, -20 + 5 = -15 as its low byte 241.
    EXPECT_EQ(gray(241), readTga(zeroSum.out).at(1, 0));
    EXPECT_EQ(gray(0), readTga(zeroSum.out).at(2, 0)); // -20 + 20
}

TEST(Merge, AddAndMultiplyWithClamping) {
    EXPECT_EQ(150, MergeChannel(200, 100, MergeMode::Add, 0.5, 0.5));
    EXPECT_EQ(255, MergeChannel(200, 100, MergeMode::Add, 1.0, 1.0));
    EXPECT_EQ(0, MergeChannel(200, 100, MergeMode::Add, -1.0, 1.0));
    EXPECT_EQ(128, MergeChannel(255, 128, MergeMode::Multiply, 0, 0));
    EXPECT_EQ(3, MergeChannel(30, 30, MergeMode::Multiply, 0, 0)); // 900 / 255 = 3.53
    EXPECT_EQ(255, MergeChannel(255, 255, MergeMode::Multiply, 10, 0));

    ToolRun r;
    Picture first(3, 2, bgr(200, 100, 11));
    writeTga(r.in, first);
    writeTga(r.second, Picture(2, 1, bgr(100, 50, 12))); // smaller: white beyond
    ASSERT_EQ(ToolStatus::Done, Merge(r.in, r.out, r.second, MergeMode::Add, 0.5, 0.5, r.e.env));
    Picture out = readTga(r.out);
    ASSERT_EQ(3, out.width);
    EXPECT_EQ(bgr(150, 75, 11), out.at(0, 0));
    EXPECT_EQ(bgr(227, 177, 133), out.at(2, 0));
    EXPECT_EQ(bgr(227, 177, 133), out.at(0, 1));
}

TEST(Mask, SameSizeMasksDifferentSizeFailsSilently) {
    ToolRun r;
    Picture image(4, 1, gray(100));
    image.set(3, 0, gray(200));
    writeTga(r.in, image);
    Picture mask(4, 1);
    mask.set(0, 0, gray(0));      // transparent
    mask.set(1, 0, gray(1));      // brighter
    mask.set(2, 0, gray(2));      // darker
    mask.set(3, 0, bgr(1, 1, 1)); // brighter
    writeTga(r.second, mask);
    ASSERT_EQ(ToolStatus::Done, MaskFile(r.in, r.out, r.second, r.e.env));
    Picture out = readTga(r.out);
    EXPECT_EQ(gray(100), out.at(0, 0));
    EXPECT_EQ(gray(164), out.at(1, 0));
    EXPECT_EQ(gray(36), out.at(2, 0));
    EXPECT_EQ(gray(255), out.at(3, 0));
    EXPECT_TRUE(r.e.progress.reports.empty());

    ToolRun mismatch;
    writeTga(mismatch.in, image);
    writeTga(mismatch.second, Picture(4, 2));
    bool sizeMismatch = false;
    EXPECT_EQ(ToolStatus::Failed,
              MaskFile(mismatch.in, mismatch.out, mismatch.second, mismatch.e.env, &sizeMismatch));
    EXPECT_TRUE(sizeMismatch);
    EXPECT_FALSE(exists(mismatch.out));
    EXPECT_TRUE(mismatch.e.platform.shown.empty());
}

TEST(Resample, SumsOfBlocksKeptTo24Bits) {
    ToolRun r;
    Picture constant(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) constant.setElevation(x, y, 100);
    writeTga(r.in, constant);
    ASSERT_EQ(ToolStatus::Done, Resample(r.in, r.out, 2, r.e.env));
    Picture out = readTga(r.out);
    ASSERT_EQ(2, out.width);
    ASSERT_EQ(2, out.height);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(400u, out.elevation(x, y));
    EXPECT_EQ((std::vector<int>{0, 50}), r.e.progress.reports);

    Picture ten(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ten.setElevation(x, y, uint32_t(x + 100 * y));
    writeTga(r.in, ten);
    ASSERT_EQ(ToolStatus::Done, Resample(r.in, r.out, 3, r.e.env));
    out = readTga(r.out);
    ASSERT_EQ(3, out.width);
    ASSERT_EQ(3, out.height);
    // Block (2, 2): columns 6..8, rows 6..8; the tenth column and row are dropped.
    EXPECT_EQ(uint32_t(3 * (6 + 7 + 8) + 3 * 100 * (6 + 7 + 8)), out.elevation(2, 2));
    ASSERT_EQ(ToolStatus::Done, Resample(r.in, r.out, 4, r.e.env));
    out = readTga(r.out);
    ASSERT_EQ(2, out.width);
    EXPECT_EQ(uint32_t(4 * (4 + 5 + 6 + 7) + 4 * 100 * (4 + 5 + 6 + 7)), out.elevation(1, 1));

    Picture big(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) big.setElevation(x, y, 1048576);
    writeTga(r.in, big);
    ASSERT_EQ(ToolStatus::Done, Resample(r.in, r.out, 4, r.e.env));
    EXPECT_EQ(0u, readTga(r.out).elevation(0, 0)); // 16 * 1048576 = 2^24 wraps to 0
}

TEST(Resample, InputSmallerThanABlockIsRefused) {
    ToolRun r;
    writeTga(r.in, Picture(3, 10));
    EXPECT_EQ(ToolStatus::Failed, Resample(r.in, r.out, 4, r.e.env));
    EXPECT_FALSE(exists(r.out));
    ASSERT_EQ(1u, r.e.platform.shown.size());
    EXPECT_NE(std::string::npos, r.e.platform.shown[0].text.find("smaller than one block of 4 x 4"));
    EXPECT_EQ(MsgIcon::Stop, r.e.platform.shown[0].icon);
}

#include "tools/Rectify.h"
#include "app/Settings.h"
#include "image/TGAFile.h"
#include "tools/ToolTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {
RectifyCorners sameCorners(double w, double h) {
    RectifyCorners c;
    const double xs[4] = {0, w, w, 0}, ys[4] = {0, 0, h, h}; // ring order
    for (int i = 0; i < 4; ++i) {
        c.x[i] = c.xs[i] = xs[i];
        c.y[i] = c.ys[i] = ys[i];
    }
    return c;
}
} // namespace

TEST(SolveLinear, SolvesWithPivotsOfEitherSign) {
    // 2x + y = 5, -4x + y = -1  ->  x = 1, y = 3; the larger pivot is negative.
    double m[2][3] = {{2, 1, 5}, {-4, 1, -1}};
    double s[2] = {0, 0};
    EXPECT_FALSE(SolveLinear(2, &m[0][0], s));
    EXPECT_NEAR(1.0, s[0], 1e-12);
    EXPECT_NEAR(3.0, s[1], 1e-12);

    // A zero in the first pivot place with only negative candidates below it.
    double z[3][4] = {{0, 1, 1, 3}, {-1, 1, 0, 0}, {-2, 0, 1, 0}};
    double t[3] = {};
    EXPECT_FALSE(SolveLinear(3, &z[0][0], t));
    // x = 1, y = 1, z = 2 solves all three.
    EXPECT_NEAR(1.0, t[0], 1e-12);
    EXPECT_NEAR(1.0, t[1], 1e-12);
    EXPECT_NEAR(2.0, t[2], 1e-12);
}

TEST(SolveLinear, DegenerateSystemsAreFlaggedAndStillSolved) {
    double m[2][3] = {{1, 2, 3}, {2, 4, 6}};
    double s[2] = {};
    EXPECT_TRUE(SolveLinear(2, &m[0][0], s));
    EXPECT_EQ(1.0, s[1]); // 0 * y = 0: the stand-in 1
    EXPECT_DOUBLE_EQ(1.0, s[0]);

    double zero[4][5] = {};
    double z[4] = {};
    EXPECT_TRUE(SolveLinear(4, &zero[0][0], z));
    for (double v : z) EXPECT_EQ(1.0, v);
}

TEST(Rectify, RingOrderCornersGiveTheIdentity) {
    RectifyTransform t = SolveRectify(sameCorners(40, 30));
    EXPECT_FALSE(t.degenerateX);
    EXPECT_FALSE(t.degenerateY);
    const double a[4] = {1, 0, 0, 0}, b[4] = {0, 1, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(a[i], t.a[i], 1e-9);
        EXPECT_NEAR(b[i], t.b[i], 1e-9);
    }
    // A shift and a stretch: x' = 2x + 3, y' = y - 1.
    RectifyCorners c = sameCorners(10, 10);
    for (int i = 0; i < 4; ++i) {
        c.xs[i] = 2 * c.x[i] + 3;
        c.ys[i] = c.y[i] - 1;
    }
    t = SolveRectify(c);
    EXPECT_NEAR(2, t.a[0], 1e-9);
    EXPECT_NEAR(3, t.a[3], 1e-9);
    EXPECT_NEAR(1, t.b[1], 1e-9);
    EXPECT_NEAR(-1, t.b[3], 1e-9);
}

TEST(Rectify, IdentityIsTheFilteredInputWithWhiteMargins) {
    Env e;
    TempDir dir;
    Picture in(12, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) in.set(x, y, bgr(20 * x, 25 * y, (x * y) % 256));
    writeTga(dir.path("in.tga"), in);
    ASSERT_EQ(ToolStatus::Done, Rectify(dir.path("in.tga"), dir.path("out.tga"), sameCorners(12, 9), e.env));
    EXPECT_TRUE(e.platform.shown.empty());
    Picture out = readTga(dir.path("out.tga"));
    ASSERT_EQ(12, out.width);
    ASSERT_EQ(9, out.height);

    ScriptedPlatform quiet;
    CTGAFile reference(quiet, 10, true, 1.0, 1.0);
    ASSERT_TRUE(reference.OpenImage(dir.path("in.tga")));
    for (int r = 0; r < 9; ++r)
        for (int x = 0; x < 12; ++x) {
            const bool margin = x < 2 || r < 2 || x > 10 || r > 7;
            if (margin)
                EXPECT_EQ(gray(255), out.at(x, r)) << x << "," << r;
            else
                EXPECT_EQ(reference.SampleFiltered(x, r), out.at(x, r)) << x << "," << r;
        }
    EXPECT_NE(gray(255), out.at(2, 2));
    EXPECT_NE(gray(255), out.at(10, 7));
}

TEST(Rectify, DegenerateCornersAskBothQuestionsBeforeOpeningAnything) {
    Env e;
    TempDir dir;
    RectifyCorners zero;
    e.platform.answers = {MsgAnswer::Ok, MsgAnswer::Ok};
    EXPECT_EQ(ToolStatus::Failed, Rectify(dir.path("missing.tga"), dir.path("out.tga"), zero, e.env));
    ASSERT_GE(e.platform.shown.size(), 3u);
    EXPECT_EQ("The equation has an indefinite solution for x.", e.platform.shown[0].text);
    EXPECT_EQ(MsgButtons::OkCancel, e.platform.shown[0].buttons);
    EXPECT_EQ(MsgIcon::Information, e.platform.shown[0].icon);
    EXPECT_EQ("The equation has an indefinite solution for y.", e.platform.shown[1].text);
    // Only then does the open of the missing input complain.
    EXPECT_NE(std::string::npos, e.platform.shown[2].text.find("missing.tga"));

    Env cancel; // the default answer is Cancel: the run ends at the first question
    EXPECT_EQ(ToolStatus::Cancelled, Rectify(dir.path("missing.tga"), dir.path("out.tga"), zero, cancel.env));
    EXPECT_EQ(1u, cancel.platform.shown.size());
    EXPECT_FALSE(exists(dir.path("out.tga")));
}

TEST(Rectify, CornersPersistInTheSettingsStore) {
    MemorySettings store;
    RectifyCorners fresh = LoadRectifyCorners(store);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0.0, fresh.x[i] + fresh.y[i] + fresh.xs[i] + fresh.ys[i]);

    RectifyCorners c;
    for (int i = 0; i < 4; ++i) {
        c.x[i] = i + 0.5;
        c.y[i] = -i;
        c.xs[i] = 100 + i;
        c.ys[i] = 1.0 / 3.0 + i;
    }
    ASSERT_TRUE(SaveRectifyCorners(store, c));
    EXPECT_EQ("2.500000", store.getString("RectifyCorners", "x3", ""));
    EXPECT_EQ("-3.000000", store.getString("RectifyCorners", "y4", ""));
    EXPECT_EQ("101.000000", store.getString("RectifyCorners", "x2'", ""));
    EXPECT_EQ("0.333333", store.getString("RectifyCorners", "y1'", ""));
    RectifyCorners back = LoadRectifyCorners(store);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.x[i], back.x[i]);
        EXPECT_EQ(c.y[i], back.y[i]);
        EXPECT_EQ(c.xs[i], back.xs[i]);
        EXPECT_NEAR(c.ys[i], back.ys[i], 1e-6);
    }
}

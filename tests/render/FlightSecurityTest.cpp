#include "render/FlightSecurity.h"
#include "PathTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FlightSecurity, JobDefaultsAndSmoothingWeight) {
    FlightSecurityParams p = FlightSecurityParams::FromJob(0.0, 0.0, -7.0, 30);
    EXPECT_DOUBLE_EQ(p.averageHeight, 60.0);
    EXPECT_DOUBLE_EQ(p.previewRange, 100.0);
    EXPECT_DOUBLE_EQ(p.pitchOffset, -7.0);
    EXPECT_DOUBLE_EQ(p.weight, 1.5); // 30 / 25 = 1.2 is raised to 1.5
    EXPECT_DOUBLE_EQ(FlightSecurityParams::FromJob(80, 5, 0, 250).weight, 10.0);
    EXPECT_DOUBLE_EQ(FlightSecurityParams::FromJob(80, 5, 0, 250).averageHeight, 80.0);
    EXPECT_DOUBLE_EQ(FlightSecurityParams::FromJob(80, 5, 0, 250).previewRange, 5.0);
}

TEST(FlightSecurity, UpdateMovesThePartOfTheWayGivenByTheWeight) {
    const MapHeightLookup flat = [](const Vector2&) { return 100.0; };
    // w = 1.5: each update covers two thirds of the way to the target 100 * 2 + 60.
    FlightSecurity fs(FlightSecurityParams::FromJob(60, 10, 0, 30));
    fs.Update({0, 0}, {1, 0}, {-1, 0}, 2.0, flat);
    EXPECT_NEAR(fs.altitude(), 260.0 * 2.0 / 3.0, 1e-12);
    fs.Update({1, 0}, {1, 0}, {0, 0}, 2.0, flat);
    EXPECT_NEAR(fs.altitude(), 260.0 * (1.0 - 1.0 / 9.0), 1e-12);
    // w = 10: a tenth of the way.
    FlightSecurity slow(FlightSecurityParams::FromJob(60, 10, 0, 250));
    slow.Update({0, 0}, {1, 0}, {-1, 0}, 1.0, flat);
    EXPECT_NEAR(slow.altitude(), 16.0, 1e-12);
    // The climb angle of that step: atan2(16, 1) in degrees, a tenth of it.
    EXPECT_NEAR(slow.pitch(), std::atan2(16.0, 1.0) * 180 / M_PI / 10.0, 1e-12);
}

TEST(FlightSecurity, FlatTerrainConvergesToGroundPlusHeightAndPitchOffset) {
    const MapHeightLookup flat = [](const Vector2&) { return 40.0; };
    FlightSecurity fs(FlightSecurityParams::FromJob(60, 10, -12, 250));
    Vector2 prev{0, 0};
    for (int i = 1; i < 2000; ++i) {
        const Vector2 p{double(i), 0};
        fs.Update(p, {1, 0}, prev, 1.0, flat);
        prev = p;
    }
    EXPECT_NEAR(fs.altitude(), 100.0, 1e-9);
    EXPECT_NEAR(fs.pitch(), -12.0, 1e-9);
}

TEST(FlightSecurity, LooksAheadAlongTheDirectionAndClearanceLiftsOverARidge) {
    // A ridge at x in [50, 60): the look-ahead (R = 3 steps of 2) sees it from x = 44.
    const MapHeightLookup ridge = [](const Vector2& m) { return (m.x >= 50 && m.x < 60) ? 500.0 : 0.0; };
    FlightSecurity fs(FlightSecurityParams::FromJob(60, 3, 0, 30));
    fs.Update({40, 0}, {2, 0}, {38, 0}, 1.0, ridge);
    EXPECT_NEAR(fs.altitude(), 40.0, 1e-12);
    fs.Update({44, 0}, {2, 0}, {42, 0}, 1.0, ridge);
    EXPECT_NEAR(fs.altitude(), (0.5 * 40.0 + 560.0) / 1.5, 1e-12);

    // Directly over the ridge with a short look-ahead that sees beyond it: the clearance lifts the
    // altitude to exactly 1.0 above the ground, and the lift stays for the next step.
    FlightSecurity low(FlightSecurityParams::FromJob(60, 10, 0, 30));
    low.Update({55, 0}, {2, 0}, {53, 0}, 1.0, ridge);
    EXPECT_LT(low.altitude(), 500.0);
    low.GroundClearance({55, 0}, 1.0, ridge);
    EXPECT_DOUBLE_EQ(low.altitude(), 501.0);
    low.Update({57, 0}, {2, 0}, {55, 0}, 1.0, ridge);
    EXPECT_NEAR(low.altitude(), (0.5 * 501.0 + 60.0) / 1.5, 1e-12);
    // High enough already: nothing changes.
    const double a = low.altitude();
    low.GroundClearance({10, 0}, 1.0, ridge);
    EXPECT_DOUBLE_EQ(low.altitude(), a);
}

TEST(CurvedPath, FollowsTheTerrainUnderTheCameraNotItsMirrorImage) {
    // World terrain: 300 high where world y > 200 (the top of the map), 0 below. The square flies in the
    // top part of the map (map y 20..120 = world y 380..280).
    const WorldHeightLookup terrain = [](double, double y) { return y > 200 ? 300.0 : 0.0; };
    CSceneParams j = squareJob(250);
    setPoints(j, {{20, 20}, {120, 20}, {120, 120}, {20, 120}});
    j.AverageHeight = 50;
    j.PreviewRange = 5;
    RecordingSink sink;
    RunCurvedPath(j, 400, terrain, sink);
    ASSERT_FALSE(sink.frames.empty());
    for (const PathFrame& f : sink.frames) {
        EXPECT_GT(f.z, 301.0) << f.index;
        EXPECT_NEAR(f.recorder.relativeAltitude, f.z - 300.0, 1e-9) << f.index;
    }
    // On flat terrain the altitude settles at H and the pitch at the offset (warm-up included).
    const WorldHeightLookup flat = [](double, double) { return 0.0; };
    CSceneParams k = squareJob(250);
    k.AverageHeight = 60;
    RecordingSink steady;
    RunCurvedPath(k, 400, flat, steady);
    EXPECT_NEAR(steady.frames.front().z, 60.0, 1e-6);
    EXPECT_NEAR(steady.frames.front().pitch, -10.0, 1e-6);
}

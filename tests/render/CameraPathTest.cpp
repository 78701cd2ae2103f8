#include "PathTestSupport.h"
#include "render/ClosedCurve.h"
#include "render/Easing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const WorldHeightLookup flatZero = [](double, double) { return 0.0; };
}

TEST(Easing, FixedPointsSymmetryAndKnownValue) {
    for (double s : {0.0, 0.05, 0.2, 0.5, 1.0}) {
        EXPECT_DOUBLE_EQ(EaseFactor(0.0, s), 0.0) << s;
        EXPECT_DOUBLE_EQ(EaseFactor(0.5, s), 0.5) << s;
        EXPECT_NEAR(EaseFactor(1.0, s), 1.0, 1e-15) << s;
        for (double t : {0.1, 0.25, 0.4})
            EXPECT_NEAR(EaseFactor(1.0 - t, s), 1.0 - EaseFactor(t, s), 1e-12) << s << " " << t;
    }
    // k = 1 / (1 - e^-2.5), f = k * 0.25 * (1 - e^-1.25)
    EXPECT_NEAR(EaseFactor(0.25, 0.2), 0.1943, 0.00005);
    EXPECT_DOUBLE_EQ(EaseFactor(0.25, 0.0), 0.25);
    // A larger smoothness starts more gently.
    EXPECT_LT(EaseFactor(0.1, 0.5), EaseFactor(0.1, 0.1));
}

TEST(Easing, FrameParameter) {
    EXPECT_DOUBLE_EQ(FrameParameter(0, 1), 0.0);
    EXPECT_DOUBLE_EQ(FrameParameter(7, 1), 0.0);
    EXPECT_DOUBLE_EQ(FrameParameter(7, 0), 0.0);
    EXPECT_DOUBLE_EQ(FrameParameter(5, 11), 0.5);
    EXPECT_DOUBLE_EQ(FrameParameter(1, 4), 1.0 / 3.0);
}

TEST(StraightPath, TotalOneKeepsFirstFrameValues) {
    CSceneParams j = straightJob(1, 0.3);
    j.To = 3; // frames past Total are still produced by the loop, all at t = 0
    RecordingSink sink;
    RunStraightPath(j, flatZero, sink);
    ASSERT_EQ(sink.frames.size(), 4u);
    for (const PathFrame& f : sink.frames) {
        EXPECT_DOUBLE_EQ(f.x, j.XA);
        EXPECT_DOUBLE_EQ(f.y, j.YA);
        EXPECT_DOUBLE_EQ(f.z, j.ZA);
        EXPECT_DOUBLE_EQ(f.heading, j.HeadingA);
        EXPECT_DOUBLE_EQ(f.pitch, j.PitchA);
        EXPECT_DOUBLE_EQ(f.focalLength, j.FocalLengthA);
        EXPECT_DOUBLE_EQ(f.roll, j.RollA);
        EXPECT_DOUBLE_EQ(f.zScale, j.ElevScaleZA);
        EXPECT_DOUBLE_EQ(f.dust, j.DustA);
    }
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
}

TEST(StraightPath, MiddleFrameIsHalfwayForAnySmoothness) {
    for (double s : {0.0, 0.2, 0.9}) {
        CSceneParams j = straightJob(11, s);
        j.From = j.To = 5;
        RecordingSink sink;
        RunStraightPath(j, flatZero, sink);
        ASSERT_EQ(sink.frames.size(), 1u);
        const PathFrame& f = sink.frames[0];
        EXPECT_EQ(f.index, 5);
        EXPECT_DOUBLE_EQ(f.x, 100.0);
        EXPECT_DOUBLE_EQ(f.y, 0.0);
        EXPECT_DOUBLE_EQ(f.z, 75.0);
        EXPECT_DOUBLE_EQ(f.heading, 67.5);
        EXPECT_DOUBLE_EQ(f.pitch, -15.0);
        EXPECT_DOUBLE_EQ(f.focalLength, 325.0);
        EXPECT_DOUBLE_EQ(f.roll, 5.0);
        EXPECT_DOUBLE_EQ(f.zScale, 0.2);
        EXPECT_DOUBLE_EQ(f.dust, 6000.0);
    }
}

TEST(StraightPath, EasedValuesDustRangeAndRecorderRow) {
    CSceneParams j = straightJob(5, 0.2); // frame 1 has t = 0.25
    j.DustA = 500;
    j.DustE = 0; // constant dust
    j.From = 1;
    j.To = 3;
    const WorldHeightLookup terrain = [](double x, double y) { return x + 2 * y; };
    RecordingSink sink;
    RunStraightPath(j, terrain, sink);
    ASSERT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(sink.frames.front().index, 1);
    EXPECT_EQ(sink.frames.back().index, 3);
    const PathFrame& f = sink.frames[0];
    const double ease = EaseFactor(0.25, 0.2);
    EXPECT_NEAR(f.x, -100 + 400 * 0.1943, 0.02);
    EXPECT_DOUBLE_EQ(f.z, 100 - 50 * ease);
    for (const PathFrame& g : sink.frames) EXPECT_DOUBLE_EQ(g.dust, 500.0);
    // Recorder: camera x, y, z, the height above the terrain under the camera, pitch, roll, no curvature.
    EXPECT_DOUBLE_EQ(f.recorder.posX, f.x);
    EXPECT_DOUBLE_EQ(f.recorder.posY, f.y);
    EXPECT_DOUBLE_EQ(f.recorder.altitude, f.z);
    EXPECT_DOUBLE_EQ(f.recorder.relativeAltitude, f.z - (f.x + 2 * f.y) * f.zScale);
    EXPECT_DOUBLE_EQ(f.recorder.pitch, f.pitch);
    EXPECT_DOUBLE_EQ(f.recorder.roll, f.roll);
    EXPECT_EQ(f.recorder.curvature, 0.0);
}

TEST(StraightPath, StopEndsTheLoopAndStillEndsIt) {
    CSceneParams j = straightJob(20, 0);
    RecordingSink sink;
    sink.stopAfterFrames = 2;
    RunStraightPath(j, flatZero, sink);
    EXPECT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.ends, 1);
}

TEST(ClosedCurve, PaddingChordsAndInterpolation) {
    const std::vector<Vector2> pts = {{0, 0}, {30, 0}, {30, 40}, {0, 40}, {-10, 20}};
    CurveState state;
    ClosedCurve c(pts, 11, state);
    const auto& q = c.padded();
    ASSERT_EQ(q.size(), 11u);
    EXPECT_EQ(q[0], pts[2]);
    EXPECT_EQ(q[2], pts[4]);
    EXPECT_EQ(q[3], pts[0]);
    EXPECT_EQ(q[7], pts[4]);
    EXPECT_EQ(q[8], pts[0]);
    EXPECT_EQ(q[10], pts[2]);
    const auto& s = c.chordLengths();
    EXPECT_DOUBLE_EQ(s[0], 0.0);
    EXPECT_DOUBLE_EQ(s[4] - s[3], 30.0);
    EXPECT_DOUBLE_EQ(s[5] - s[4], 40.0);
    // The curve passes through every padded point and the tangents are unit vectors.
    for (size_t i = 0; i < q.size(); ++i) {
        const Vector2 p = c.PointAt(s[i]);
        EXPECT_NEAR(p.x, q[i].x, 1e-9) << i;
        EXPECT_NEAR(p.y, q[i].y, 1e-9) << i;
        EXPECT_NEAR(c.tangents()[i].length(), 1.0, 1e-12) << i;
    }
    EXPECT_DOUBLE_EQ(c.current(), s[3]);
    EXPECT_DOUBLE_EQ(c.end(), s[8]);
    EXPECT_DOUBLE_EQ(c.step(), (s[8] - s[3]) / 10.0);
    // The first step lands on the first point and moves the smoothed direction a tenth of the way.
    EXPECT_FALSE(c.Step());
    EXPECT_NEAR(state.position.x, 0.0, 1e-12);
    EXPECT_NEAR(state.position.y, 0.0, 1e-12);
    EXPECT_EQ(state.curvature, 0.0); // a step of length zero has no curvature
}

TEST(ClosedCurve, CollinearPointsGiveZeroTangentAndEqualPointsZeroSegment) {
    const std::vector<Vector2> line = {{0, 0}, {10, 0}, {20, 0}, {30, 0}};
    CurveState state;
    ClosedCurve c(line, 5, state);
    for (const Vector2& t : c.tangents()) EXPECT_EQ(t, Vector2(0, 0));
    // A point between two points of the line stays on it.
    EXPECT_NEAR(c.PointAt(c.chordLengths()[3] + 4).y, 0.0, 1e-12);

    const std::vector<Vector2> repeated = {{0, 0}, {10, 0}, {10, 0}, {0, 10}};
    CurveState st2;
    ClosedCurve d(repeated, 5, st2);
    int steps = 0;
    while (!d.Step()) {
        ++steps;
        EXPECT_TRUE(std::isfinite(st2.position.x) && std::isfinite(st2.curvature));
    }
    EXPECT_EQ(steps, 4);
}

TEST(CurvedPath, TotalTenProducesFramesZeroToEight) {
    CSceneParams j = squareJob(10);
    j.To = 9;
    RecordingSink sink;
    ASSERT_TRUE(RunCurvedPath(j, 400, flatZero, sink));
    ASSERT_EQ(sink.frames.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(sink.frames[i].index, i);
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    // Frame 0 is at the first point, mirrored into world coordinates.
    EXPECT_NEAR(sink.frames[0].x, 100, 1e-9);
    EXPECT_NEAR(sink.frames[0].y, 300, 1e-9);
    EXPECT_NEAR(sink.frames[0].recorder.posY, 100, 1e-9);
    EXPECT_DOUBLE_EQ(sink.frames[0].focalLength, 250);

    // From/To select among the produced frames.
    j.From = 3;
    j.To = 5;
    RecordingSink part;
    RunCurvedPath(j, 400, flatZero, part);
    ASSERT_EQ(part.frames.size(), 3u);
    EXPECT_EQ(part.frames[0].index, 3);
    EXPECT_NEAR(part.frames[0].x, sink.frames[3].x, 1e-9);
    EXPECT_NEAR(part.frames[0].z, sink.frames[3].z, 1e-9);
}

TEST(CurvedPath, FramesNotDrawnStillLiftTheFlightAsInAWholeRun) {
    // Narrow ridges the smoothed altitude misses: only the ground clearance of every frame of the range
    // keeps the camera above them, and what it lifts stays for the steps after.
    const WorldHeightLookup ridges = [](double x, double y) {
        return std::fmod(std::fabs(x + y), 40.0) < 4.0 ? 300.0 : 0.0;
    };
    CSceneParams j = squareJob(40);
    j.AverageHeight = 5;
    j.PreviewRange = 1;
    RecordingSink whole;
    RunCurvedPath(j, 400, ridges, whole);
    RecordingSink part;
    part.drawFirst = 20;
    part.drawLast = 29;
    RunCurvedPath(j, 400, ridges, part);
    ASSERT_EQ(part.frames.size(), 10u);
    bool lifted = false;
    for (const PathFrame& f : part.frames) {
        const PathFrame& w = whole.frames[f.index];
        EXPECT_EQ(f.index, w.index);
        EXPECT_EQ(f.z, w.z) << f.index;
        EXPECT_EQ(f.pitch, w.pitch) << f.index;
        EXPECT_EQ(f.recorder.relativeAltitude, w.recorder.relativeAltitude) << f.index;
    }
    // The same frames of a range that starts there are flown otherwise: the case above matters.
    j.From = 20;
    RecordingSink later;
    RunCurvedPath(j, 400, ridges, later);
    for (const PathFrame& f : later.frames) lifted = lifted || f.z != whole.frames[f.index].z;
    EXPECT_TRUE(lifted);
}

TEST(CurvedPath, SquareTurnsThroughFullCircleWithOneRollSign) {
    CSceneParams j = squareJob(60);
    RecordingSink sink;
    RunCurvedPath(j, 400, flatZero, sink);
    ASSERT_EQ(sink.frames.size(), 59u);
    double turned = 0.0;
    for (size_t i = 1; i < sink.frames.size(); ++i) {
        double d = sink.frames[i].heading - sink.frames[i - 1].heading;
        while (d > 180) d -= 360;
        while (d < -180) d += 360;
        turned += d;
    }
    // The last frame is one step short of the first: add the closing turn.
    double closing = sink.frames.front().heading - sink.frames.back().heading;
    while (closing > 180) closing -= 360;
    while (closing < -180) closing += 360;
    EXPECT_NEAR(std::fabs(turned + closing), 360.0, 1e-6);
    const double sign = sink.frames[0].roll > 0 ? 1.0 : -1.0;
    for (const PathFrame& f : sink.frames) {
        EXPECT_GT(sign * f.roll, 0.0) << f.index;
        EXPECT_DOUBLE_EQ(f.recorder.roll, f.roll);
        EXPECT_NEAR(f.roll, std::atan(50 * f.recorder.curvature) * 180 / M_PI, 1e-9);
    }
}

TEST(CurvedPath, FewerThanThreePointsProduceNothing) {
    CSceneParams j = squareJob(10);
    j.lastIndex = 1; // the first two points
    RecordingSink sink;
    EXPECT_FALSE(RunCurvedPath(j, 400, flatZero, sink));
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(sink.begins, 0);
}

TEST(CurvedPath, StopLeavesTheLoop) {
    CSceneParams j = squareJob(30);
    RecordingSink sink;
    sink.stopAfterFrames = 3;
    RunCurvedPath(j, 400, flatZero, sink);
    EXPECT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(sink.ends, 1);
}

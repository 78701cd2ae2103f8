#include "RendererSupport.h"

#include "../support/ScriptedPlatform.h"
#include "app/Progress.h"
#include "renderer/GridFrame.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>

using namespace rtest;

namespace {

// A rolling 64 x 64 terrain (heights up to about 40 with z scale 0.01).
uint32_t Hills(int x, int y) {
    return static_cast<uint32_t>(2000 + 1500 * std::sin(x * 0.21) * std::cos(y * 0.17) +
                                 500 * std::sin((x + 2 * y) * 0.4));
}

struct Traversal {
    std::unique_ptr<CGelaende> terrain;
    RenderCamera cam;
    std::unique_ptr<CTGAFile> out = MakePicture(160, 120, 40);
    std::vector<GridFrame::Visit> trace;
    GridFrame::Bounds q[4]{};
    int drawn[GridFrame::PassCount] = {};
    int64_t triangles = 0;

    Traversal(std::unique_ptr<CGelaende> t, RenderCamera c) : terrain(std::move(t)), cam(c) {}

    void Run(RenderMode mode, double grid = 16, double dust = 10000, Progress* progress = nullptr,
             bool alwaysFull = false, double zScale = 0.01) {
        NullProgress none;
        TriangleShader shader(cam, nullptr, false, Vector4::Direction(0.3, -0.2, 0.9));
        TriangleRasterizer raster(cam, shader, *out);
        GridFrame frame(cam, *terrain, zScale, grid, grid, dust, mode, raster, progress ? *progress : none);
        frame.SetTrace(&trace);
        frame.SetAlwaysFullBuild(alwaysFull);
        frame.Run();
        for (int i = 0; i < 4; ++i) q[i] = frame.Quadrant(i);
        for (int p = 0; p < GridFrame::PassCount; ++p) drawn[p] = frame.CellsDrawn(GridFrame::Pass(p));
        triangles = raster.TrianglesDrawn();
    }

    int Built(GridFrame::Pass p) const {
        int n = 0;
        for (const auto& v : trace) n += v.pass == p && v.built;
        return n;
    }
};

// 64 x 64 hills seen from (30, 30, 60), looking north and down: every pass has cells.
Traversal Overview(double heading = 10, Vector4 eye = Vector4::Point(30, 30, 60)) {
    return Traversal(MakeTerrain(64, 64, Hills), MakeCamera(160, 120, eye, heading, -50, 80));
}

} // namespace

TEST(GridFrame, QuadrantsStopOneCellShortOfTheEyeAndStripsCoverItsColumnAndRow) {
    Traversal t = Overview();
    t.Run(RenderMode::Final); // cells of 4 x 4; the eye at 30.00009 lies in the cell at 28
    EXPECT_EQ(t.q[0].xHigh, 24);
    EXPECT_EQ(t.q[3].xHigh, 24);
    EXPECT_EQ(t.q[1].xLow, 32);
    EXPECT_EQ(t.q[2].xLow, 32);
    EXPECT_EQ(t.q[0].yLow, 32);
    EXPECT_EQ(t.q[1].yLow, 32);
    EXPECT_EQ(t.q[2].yHigh, 24);
    EXPECT_EQ(t.q[3].yHigh, 24);

    // Every pass has work here; no cell is visited twice; the cell under the eye comes last.
    std::set<std::pair<double, double>> seen;
    for (const auto& v : t.trace)
        EXPECT_TRUE(seen.insert({v.x, v.y}).second) << v.pass << " " << v.x << "," << v.y;
    for (int p = 0; p < GridFrame::PassCount; ++p) EXPECT_GT(t.Built(GridFrame::Pass(p)), 0) << "pass " << p;
    ASSERT_FALSE(t.trace.empty());
    EXPECT_EQ(t.trace.back().pass, GridFrame::Strip4);
    EXPECT_EQ(t.trace.back().x, 28);
    EXPECT_EQ(t.trace.back().y, 28);

    // Strips: column 28 above and below the eye, row 28 right and left of it.
    for (const auto& v : t.trace) {
        if (v.pass == GridFrame::Strip1 || v.pass == GridFrame::Strip3) {
            EXPECT_EQ(v.x, 28);
        }
        if (v.pass == GridFrame::Strip2 || v.pass == GridFrame::Strip4) {
            EXPECT_EQ(v.y, 28);
        }
        if (v.pass == GridFrame::Strip1) {
            EXPECT_GT(v.y, 28);
        }
        if (v.pass == GridFrame::Strip2) {
            EXPECT_GT(v.x, 28);
        }
    }
    // Each quadrant is walked from its far corner towards the eye.
    auto firstOf = [&](GridFrame::Pass p) {
        for (const auto& v : t.trace)
            if (v.pass == p) return std::pair{v.x, v.y};
        return std::pair{-1.0, -1.0};
    };
    EXPECT_EQ(firstOf(GridFrame::Q0), (std::pair{t.q[0].xLow, t.q[0].yHigh}));
    EXPECT_EQ(firstOf(GridFrame::Q1), (std::pair{t.q[1].xHigh, t.q[1].yHigh}));
    EXPECT_EQ(firstOf(GridFrame::Q2), (std::pair{t.q[2].xHigh, t.q[2].yLow}));
    EXPECT_EQ(firstOf(GridFrame::Q3), (std::pair{t.q[3].xLow, t.q[3].yLow}));
}

TEST(GridFrame, EyeLeftOfTheTerrainDrawsOnlyQ1Q2AndStrip2) {
    Traversal t(MakeTerrain(64, 64, Hills), MakeCamera(160, 120, Vector4::Point(-10, 30, 40), 90, -30, 80));
    t.Run(RenderMode::Final);
    EXPECT_EQ(t.q[0].xLow, 0);
    EXPECT_EQ(t.q[1].xLow, 0);
    EXPECT_EQ(t.q[3].xLow, 0);
    EXPECT_EQ(t.q[2].xLow, 0);
    for (auto p : {GridFrame::Q0, GridFrame::Q3, GridFrame::Strip1, GridFrame::Strip3, GridFrame::Strip4})
        EXPECT_EQ(t.Built(p), 0) << "pass " << p;
    for (auto p : {GridFrame::Q1, GridFrame::Q2, GridFrame::Strip2}) EXPECT_GT(t.drawn[p], 0) << "pass " << p;
    double minX = 1e9;
    for (const auto& v : t.trace) minX = std::min(minX, v.x);
    EXPECT_EQ(minX, 0);
}

TEST(GridFrame, RawDrawsEvenRowsAndColumnsOfTheQuadrantsAndWholeStrips) {
    Traversal full = Overview(), raw = Overview();
    full.Run(RenderMode::Final);
    raw.Run(RenderMode::Raw);

    // Expected from the final frame's order: the row counter runs on through Q0..Q3, the column counter
    // restarts with every row; the strips are drawn whole.
    std::set<std::tuple<int, double, double>> expected, got;
    int row = -1, column = 0, q0Rows = 0;
    double lastY = 1e300;
    int lastPass = -1;
    for (const auto& v : full.trace) {
        if (v.pass <= GridFrame::Q3) {
            if (v.pass != lastPass || v.y != lastY) {
                ++row;
                column = 0;
                q0Rows += v.pass == GridFrame::Q0;
            }
            if (row % 2 == 0 && column % 2 == 0) expected.insert({v.pass, v.x, v.y});
            ++column;
        } else {
            expected.insert({v.pass, v.x, v.y});
        }
        lastPass = v.pass;
        lastY = v.y;
    }
    for (const auto& v : raw.trace)
        if (v.built) got.insert({v.pass, v.x, v.y});
    EXPECT_EQ(got, expected);

    // Here Q0 has an odd number of rows, so Q1's first row is skipped.
    ASSERT_EQ(q0Rows % 2, 1);
    for (const auto& v : raw.trace) EXPECT_FALSE(v.pass == GridFrame::Q1 && v.y == raw.q[1].yHigh && v.built);
    EXPECT_LT(raw.triangles * 2, full.triangles);
}

TEST(GridFrame, ShiftedCellBuildMatchesTheFullBuildInBothDirections) {
    auto terrain = MakeTerrain(50, 50, Hills, 1.5, 1.25);
    const double sx = 75.0 / 7, sy = 62.5 / 9; // cell sizes that are not exact in binary
    CellBuilder b(*terrain, 0.01, sx, sy);
    const double y = 3 * sy;
    auto expectSame = [](const CellRecord& a, const CellRecord& e) {
        const Vector4 CellRecord::*members[] = {
            &CellRecord::N0, &CellRecord::N1, &CellRecord::W0, &CellRecord::A,
            &CellRecord::B,  &CellRecord::E0, &CellRecord::W1, &CellRecord::C,
            &CellRecord::D,  &CellRecord::E1, &CellRecord::S0, &CellRecord::S1,
            &CellRecord::nA, &CellRecord::nB, &CellRecord::nC, &CellRecord::nD};
        for (auto m : members) {
            EXPECT_NEAR((a.*m).x, (e.*m).x, 1e-9);
            EXPECT_NEAR((a.*m).y, (e.*m).y, 1e-9);
            EXPECT_NEAR((a.*m).z, (e.*m).z, 1e-9);
        }
    };
    // Towards +x along a row: each cell from its left neighbour.
    CellRecord shifted, full;
    double x = 0;
    b.Full(x, y, shifted);
    for (int i = 0; i < 5; ++i) {
        x += sx;
        b.ShiftedFromLeft(x, y, shifted);
        b.Full(x, y, full);
        expectSame(shifted, full);
    }
    // Towards -x: each cell from its right neighbour (its B and D corners are that cell's A and C).
    x = 6 * sx;
    b.Full(x, y, shifted);
    for (int i = 0; i < 5; ++i) {
        x -= sx;
        b.ShiftedFromRight(x, y, shifted);
        b.Full(x, y, full);
        expectSame(shifted, full);
    }

    // Whole frames: identical bytes with and without the shifted build (cells of exactly 4 units).
    Traversal a = Overview(200), c = Overview(200);
    a.Run(RenderMode::Final);
    c.Run(RenderMode::Final, 16, 10000, nullptr, true);
    EXPECT_EQ(Bytes(*a.out), Bytes(*c.out));
}

TEST(GridFrame, CellsBeyondSevenDustDistancesAreNotDrawn) {
    Traversal t(FlatTerrain(64, 64), MakeCamera(160, 120, Vector4::Point(30, 30, 20), 0, -40, 80));
    const double dust = 4.0;
    t.Run(RenderMode::Final, 16, dust);
    int near = 0, far = 0;
    const Vector4 eye = t.cam.Eye();
    for (const auto& v : t.trace) {
        const double dx = eye.x + 0.00008 - v.x, dy = eye.y + 0.00008 - v.y, dz = eye.z;
        const bool inside = std::sqrt(dx * dx + dy * dy + dz * dz) / dust < 7.0;
        EXPECT_EQ(v.drawn, inside) << v.x << "," << v.y;
        (inside ? near : far)++;
    }
    EXPECT_GT(near, 0);
    EXPECT_GT(far, 0);
}

TEST(GridFrame, TrianglesWithAllCornersBelowZeroAreNotDrawn) {
    // Level 10 scaled by -1 lies at z = -10 (the last column and row of the map read 0 and stay drawn).
    auto centre = [](double zScale) {
        Traversal t(FlatTerrain(64, 64, 10), MakeCamera(160, 120, Vector4::Point(32, 32, 40), 0, -89, 60));
        t.Run(RenderMode::Final, 16, 10000, nullptr, false, zScale);
        return PixelOf(*t.out, 80, 60);
    };
    EXPECT_EQ(centre(-1.0), (Bgr{40, 40, 40})); // background
    EXPECT_NE(centre(0.0), (Bgr{40, 40, 40}));  // z = 0 is drawn
}

TEST(GridFrame, ProgressPumpsPerCellAndStopEndsOnlyTheStoppablePasses) {
    Traversal t = Overview();
    RecordingProgress progress;
    t.Run(RenderMode::Final, 16, 10000, &progress);
    EXPECT_EQ(progress.pumps, static_cast<int>(t.trace.size()));
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.front(), 0);
    for (size_t i = 1; i < progress.reports.size(); ++i)
        EXPECT_GE(progress.reports[i], progress.reports[i - 1]);
    EXPECT_LE(progress.reports.back(), 100);

    // Stopped at the first report: the quadrants and strip 1 end at once, strips 2, 3 and 4 still run.
    Traversal s = Overview();
    RecordingProgress stop;
    stop.stopAfterReports = 1;
    s.Run(RenderMode::Final, 16, 10000, &stop);
    for (auto p : {GridFrame::Q0, GridFrame::Q1, GridFrame::Q2, GridFrame::Q3, GridFrame::Strip1})
        EXPECT_EQ(s.Built(p), 0) << "pass " << p;
    for (auto p : {GridFrame::Strip2, GridFrame::Strip3, GridFrame::Strip4})
        EXPECT_GT(s.Built(p), 0) << "pass " << p;
}

// Units walked apart, in any order and by another walker of the same frame, hand over the very triangles
// the whole walk hands over, unit by unit; and each unit's progress starts where the whole walk's does.
TEST(GridFrame, UnitsWalkedApartGiveTheTrianglesOfTheWholeWalk) {
    struct Recorder : TriangleSink {
        std::vector<std::vector<double>> triangles;
        void DrawTriangle(const Vector4& R0, const Vector4& R1, const Vector4& R2, const Vector4& N0,
                          const Vector4&, const Vector4&, double f, ProjectedCorner&, ProjectedCorner&,
                          ProjectedCorner&) override {
            triangles.push_back({R0.x, R0.y, R0.z, R1.x, R1.y, R1.z, R2.x, R2.y, R2.z, N0.x, N0.y, N0.z, f});
        }
    };
    struct Reports : Progress {
        std::vector<int> percents;
        void report(int p) override { percents.push_back(p); }
    };
    for (RenderMode mode : {RenderMode::Final, RenderMode::Raw}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Traversal t = Overview(35);
        Recorder whole, apart;
        Reports wholeProgress;
        NullProgress none;
        GridFrame walk(t.cam, *t.terrain, 0.01, 24, 20, 10000, mode, whole, wholeProgress);
        walk.Run();

        GridFrame planner(t.cam, *t.terrain, 0.01, 24, 20, 10000, mode, apart, none);
        ASSERT_TRUE(planner.Plan());
        const auto& units = planner.Units();
        ASSERT_GT(units.size(), 8u);
        GridFrame worker(t.cam, *t.terrain, 0.01, 24, 20, 10000, mode, apart, none);
        worker.TakePlanOf(planner);
        std::vector<std::vector<std::vector<double>>> perUnit(units.size());
        for (size_t k = units.size(); k-- > 0;) {
            apart.triangles.clear();
            worker.WalkUnit(units[k]);
            perUnit[k] = apart.triangles;
        }
        std::vector<std::vector<double>> joined;
        for (const auto& u : perUnit) joined.insert(joined.end(), u.begin(), u.end());
        EXPECT_EQ(joined, whole.triangles);

        // Every unit starts with a report of its own percentage (quadrant rows and strips alike).
        std::vector<int> starts;
        for (const auto& u : units) starts.push_back(static_cast<int>(u.percent));
        std::multiset<int> reported(wholeProgress.percents.begin(), wholeProgress.percents.end());
        for (int p : starts) EXPECT_TRUE(reported.count(p)) << p;
        EXPECT_LE(starts.back(), 100);
    }
}

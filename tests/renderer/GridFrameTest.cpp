#include "RendererSupport.h"

#include "../support/ScriptedPlatform.h"
#include "app/Progress.h"
#include "renderer/ElevationPyramid.h"
#include "renderer/GridFrame.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

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
    std::vector<CellWalker::Visit> trace;
    WalkPlan::Bounds q[4]{};
    int drawn[WalkUnit::PassCount] = {};
    int64_t triangles = 0;

    Traversal(std::unique_ptr<CGelaende> t, RenderCamera c) : terrain(std::move(t)), cam(c) {}

    void Run(RenderMode mode, double grid = 16, double dust = 10000, Progress* progress = nullptr,
             bool alwaysFull = false, double zScale = 0.01) {
        NullProgress none;
        TriangleShader shader(cam, nullptr, false, Vector4::Direction(0.3, -0.2, 0.9));
        TriangleRasterizer raster(cam, shader, *out);
        const WalkPlan plan = PlanWalk(cam, *terrain, grid, grid, mode);
        CellWalker walker(plan, *terrain, zScale, dust, raster);
        walker.SetTrace(&trace);
        walker.SetAlwaysFullBuild(alwaysFull);
        WalkFrame(plan, walker, progress ? *progress : none);
        for (int i = 0; i < 4; ++i) q[i] = plan.quadrants[i];
        for (const auto& v : trace) drawn[v.pass] += v.drawn;
        triangles = raster.TrianglesDrawn();
    }

    int Built(WalkUnit::Pass p) const {
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
    for (int p = 0; p < WalkUnit::PassCount; ++p) EXPECT_GT(t.Built(WalkUnit::Pass(p)), 0) << "pass " << p;
    ASSERT_FALSE(t.trace.empty());
    EXPECT_EQ(t.trace.back().pass, WalkUnit::Strip4);
    EXPECT_EQ(t.trace.back().x, 28);
    EXPECT_EQ(t.trace.back().y, 28);

    // Strips: column 28 above and below the eye, row 28 right and left of it.
    for (const auto& v : t.trace) {
        if (v.pass == WalkUnit::Strip1 || v.pass == WalkUnit::Strip3) {
            EXPECT_EQ(v.x, 28);
        }
        if (v.pass == WalkUnit::Strip2 || v.pass == WalkUnit::Strip4) {
            EXPECT_EQ(v.y, 28);
        }
        if (v.pass == WalkUnit::Strip1) {
            EXPECT_GT(v.y, 28);
        }
        if (v.pass == WalkUnit::Strip2) {
            EXPECT_GT(v.x, 28);
        }
    }
    // Each quadrant is walked from its far corner towards the eye.
    auto firstOf = [&](WalkUnit::Pass p) {
        for (const auto& v : t.trace)
            if (v.pass == p) return std::pair{v.x, v.y};
        return std::pair{-1.0, -1.0};
    };
    EXPECT_EQ(firstOf(WalkUnit::Q0), (std::pair{t.q[0].xLow, t.q[0].yHigh}));
    EXPECT_EQ(firstOf(WalkUnit::Q1), (std::pair{t.q[1].xHigh, t.q[1].yHigh}));
    EXPECT_EQ(firstOf(WalkUnit::Q2), (std::pair{t.q[2].xHigh, t.q[2].yLow}));
    EXPECT_EQ(firstOf(WalkUnit::Q3), (std::pair{t.q[3].xLow, t.q[3].yLow}));
}

TEST(GridFrame, CameraThatIsNotFiniteDrawsNothingAndEnds) {
    const double nan = std::nan("");
    for (const RenderCamera& cam : {MakeCamera(160, 120, Vector4::Point(30, nan, 60), 10, -50, 80),
                                    MakeCamera(160, 120, Vector4::Point(HUGE_VAL, 30, 60), 10, -50, 80),
                                    MakeCamera(160, 120, Vector4::Point(30, 30, 60), nan, -50, 80)}) {
        Traversal t(MakeTerrain(64, 64, Hills), cam);
        t.Run(RenderMode::Final);
        EXPECT_EQ(t.triangles, 0);
    }
}

TEST(GridFrame, EyeLeftOfTheTerrainDrawsOnlyQ1Q2AndStrip2) {
    Traversal t(MakeTerrain(64, 64, Hills), MakeCamera(160, 120, Vector4::Point(-10, 30, 40), 90, -30, 80));
    t.Run(RenderMode::Final);
    EXPECT_EQ(t.q[0].xLow, 0);
    EXPECT_EQ(t.q[1].xLow, 0);
    EXPECT_EQ(t.q[3].xLow, 0);
    EXPECT_EQ(t.q[2].xLow, 0);
    for (auto p : {WalkUnit::Q0, WalkUnit::Q3, WalkUnit::Strip1, WalkUnit::Strip3, WalkUnit::Strip4})
        EXPECT_EQ(t.Built(p), 0) << "pass " << p;
    for (auto p : {WalkUnit::Q1, WalkUnit::Q2, WalkUnit::Strip2}) EXPECT_GT(t.drawn[p], 0) << "pass " << p;
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
        if (v.pass <= WalkUnit::Q3) {
            if (v.pass != lastPass || v.y != lastY) {
                ++row;
                column = 0;
                q0Rows += v.pass == WalkUnit::Q0;
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
    for (const auto& v : raw.trace) EXPECT_FALSE(v.pass == WalkUnit::Q1 && v.y == raw.q[1].yHigh && v.built);
    EXPECT_LT(raw.triangles * 2, full.triangles);
}

TEST(GridFrame, ShiftedCellBuildMatchesTheFullBuildInBothDirections) {
    auto terrain = MakeTerrain(50, 50, Hills, 1.5, 1.25);
    const double sx = 75.0 / 7, sy = 62.5 / 9; // cell sizes that are not exact in binary
    CellBuilder stepped(*terrain, 0.01, sx, sy), full(*terrain, 0.01, sx, sy);
    const double y = 3 * sy;
    auto expectSame = [&] {
        stepped.Complete();
        full.Complete();
        for (auto corner : {&CellBuilder::A, &CellBuilder::B, &CellBuilder::C, &CellBuilder::D})
            for (auto [got, want] : {std::pair{(stepped.*corner)().point, (full.*corner)().point},
                                     std::pair{(stepped.*corner)().normal, (full.*corner)().normal}}) {
                EXPECT_NEAR(got.x, want.x, 1e-9);
                EXPECT_NEAR(got.y, want.y, 1e-9);
                EXPECT_NEAR(got.z, want.z, 1e-9);
            }
    };
    // Towards +x along a row, each cell from its left neighbour, then towards -x, made one at a time and
    // three ahead. Only every third cell is completed (drawn): the others' shared corners get their
    // normals in the next cell.
    for (bool east : {true, false}) {
        const double xs[12] = {0,      sx,     2 * sx, 3 * sx, 4 * sx,  5 * sx,
                               6 * sx, 7 * sx, 8 * sx, 9 * sx, 10 * sx, 11 * sx};
        const double* first = east ? xs : xs + 11;
        const ptrdiff_t step = east ? 1 : -1;
        for (int i = 0; i < 12; ++i) {
            if (i < 6)
                stepped.Prepare(first + i * step, 0, 1, y, east, i == 0);
            else if (i % 3 == 0)
                stepped.Prepare(first + i * step, step, 3, y, east, false);
            stepped.Next();
            if (i % 3 != 0) continue;
            full.Prepare(first + i * step, 0, 1, y, east, true);
            full.Next();
            expectSame();
        }
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
    for (auto p : {WalkUnit::Q0, WalkUnit::Q1, WalkUnit::Q2, WalkUnit::Q3, WalkUnit::Strip1})
        EXPECT_EQ(s.Built(p), 0) << "pass " << p;
    for (auto p : {WalkUnit::Strip2, WalkUnit::Strip3, WalkUnit::Strip4})
        EXPECT_GT(s.Built(p), 0) << "pass " << p;
}

// Units walked apart, in any order and by another walker of the same frame, hand over the very triangles
// the whole walk hands over, unit by unit; and each unit's progress starts where the whole walk's does.
TEST(GridFrame, UnitsWalkedApartGiveTheTrianglesOfTheWholeWalk) {
    struct Recorder : TriangleSink {
        std::vector<std::vector<double>> triangles;
        void DrawTriangle(Corner& a, Corner& b, Corner& c, double f) override {
            const Vector4 &R0 = a.point, &R1 = b.point, &R2 = c.point, &N0 = a.normal;
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
        const WalkPlan plan = PlanWalk(t.cam, *t.terrain, 24, 20, mode);
        CellWalker walk(plan, *t.terrain, 0.01, 10000, whole);
        WalkFrame(plan, walk, wholeProgress);

        ASSERT_FALSE(plan.units.empty());
        const auto& units = plan.units;
        ASSERT_GT(units.size(), 8u);
        CellWalker worker(plan, *t.terrain, 0.01, 10000, apart);
        std::vector<std::vector<std::vector<double>>> perUnit(units.size());
        for (size_t k = units.size(); k-- > 0;) {
            apart.triangles.clear();
            worker.Walk(units[k]);
            perUnit[k] = apart.triangles;
        }
        std::vector<std::vector<double>> joined;
        for (const auto& u : perUnit) joined.insert(joined.end(), u.begin(), u.end());
        EXPECT_EQ(joined, whole.triangles);

        // Every unit starts with a report of its own percentage (quadrant rows and strips alike).
        std::vector<int> starts;
        for (double p : UnitPercents(plan)) starts.push_back(static_cast<int>(p));
        std::multiset<int> reported(wholeProgress.percents.begin(), wholeProgress.percents.end());
        for (int p : starts) EXPECT_TRUE(reported.count(p)) << p;
        EXPECT_LE(starts.back(), 100);
    }
}

TEST(ElevationPyramid, BoundsEveryElevationTheLookupAnswersInARectangle) {
    // Rectangles of every size, on block edges (neighbouring blocks share a row of pixels) and reaching
    // outside the image (where the lookup answers 0), on a scaled image.
    std::unique_ptr<CGelaende> terrain = MakeTerrain(
        61, 45,
        [](int x, int y) {
            return static_cast<uint32_t>(5000 + 4000 * std::sin(x * 0.7 + y * 0.3) + 50 * x);
        },
        1.5, 0.75);
    const ElevationPyramid pyramid(*terrain);
    ASSERT_FALSE(pyramid.Empty());
    const double xs[] = {-3.0, 0.0, 5.9, 11.9, 12.0, 12.1, 47.3, 88.4, 89.9, 95.0};
    const double ys[] = {-1.0, 0.0, 5.95, 6.0, 17.2, 32.9, 33.0, 40.0};
    for (double x0 : xs)
        for (double x1 : xs)
            for (double y0 : ys)
                for (double y1 : ys) {
                    if (x1 < x0 || y1 < y0) continue;
                    double low, high;
                    pyramid.Range(x0, x1, y0, y1, low, high);
                    for (int i = 0; i <= 40; ++i)
                        for (int j = 0; j <= 40; ++j) {
                            const double e =
                                terrain->ElevationAt(x0 + (x1 - x0) * i / 40, y0 + (y1 - y0) * j / 40);
                            ASSERT_TRUE(e >= low && e <= high)
                                << e << " outside [" << low << ", " << high << "] in [" << x0 << ", " << x1
                                << "] x [" << y0 << ", " << y1 << "]";
                        }
                }
}

TEST(ElevationPyramid, MadeByThreadsItIsTheSamePyramid) {
    // Shares of 64 block rows: the pixel rows at their borders, 512 and 1024, are the highest, and belong to
    // the blocks on both sides.
    std::unique_ptr<CGelaende> terrain = MakeTerrain(17, 1537, [](int x, int y) {
        return static_cast<uint32_t>(y % 512 == 0 ? 20000 : 9000 + (y * 7919 + x * 104729) % 5000);
    });
    const ElevationPyramid one(*terrain), three(*terrain, 3);
    for (double y0 : {0.0, 500.0, 503.5, 512.0, 1017.0, 1024.0, 1500.0})
        for (double size : {1.0, 8.0, 20.0, 300.0, 1536.0}) {
            double low1, high1, low3, high3;
            one.Range(2.0, 9.0, y0, y0 + size, low1, high1);
            three.Range(2.0, 9.0, y0, y0 + size, low3, high3);
            EXPECT_EQ(low1, low3) << y0 << " " << size;
            EXPECT_EQ(high1, high3) << y0 << " " << size;
        }
}

TEST(BlockRows, MadeByThreadsItIsTheSameTable) {
    // 4096 x 4096 cells over the hills, seen across from beside a corner: tens of thousands of blocks, in
    // shares of the units for three threads. A unit left out or filled twice at a share's border would
    // change the blocks of some row.
    const std::unique_ptr<CGelaende> terrain = RollingHills();
    const RenderCamera cam = MakeCamera(320, 200, Vector4::Point(-5, -8, 60), 40, -6, 250);
    const WalkPlan plan = PlanWalk(cam, *terrain, 4096, 4096, RenderMode::Final);
    const ElevationPyramid pyramid(*terrain);
    const ViewCull cull(cam, pyramid, plan, 0.01, 10000, 320, 200);
    const BlockRows one(plan, cull), three(plan, cull, 3);
    EXPECT_EQ(one.BlocksPerRow(200), three.BlocksPerRow(200));
    int64_t blocks = 0;
    for (size_t unit = 0; unit < plan.units.size(); ++unit) {
        for (int low = 0; low < 200; low += 25) {
            ASSERT_EQ(one.UnitMeets(unit, low, low + 24), three.UnitMeets(unit, low, low + 24)) << unit;
            for (int64_t block = 0; block * 512 < plan.units[unit].cells; ++block, blocks += low == 0)
                ASSERT_EQ(one.Meets(unit, block, low, low + 24), three.Meets(unit, block, low, low + 24))
                    << unit << " " << block;
        }
    }
    EXPECT_GT(blocks, 3 * 4096);
}

TEST(ViewCull, KeepsTheCellsJustBesideThePictureThatMayStillWriteItsEdgeColumns) {
    // Looking down on level ground, one world unit a pixel: column 20 + (x - 32), 40 columns. Corners at
    // columns 40.6 to 40.9 are truncated to column 40, beside the picture, but an edge stepped down to
    // such a corner may end a hair short of it and so in column 39; likewise corners at -1.9 to -1.6,
    // truncated to -1, and column 0. Cells two columns further out write nothing.
    const std::unique_ptr<CGelaende> ground = MakeTerrain(64, 64, [](int, int) { return 0u; });
    const RenderCamera cam = MakeCamera(40, 30, Vector4::Point(32, 32, 100), 0, -90, 100);
    const WalkPlan plan = PlanWalk(cam, *ground, 64, 64, RenderMode::Final);
    const ElevationPyramid pyramid(*ground);
    const ViewCull cull(cam, pyramid, plan, 1.0, 10000, 40, 30);
    EXPECT_FALSE(cull.Hidden(52.6, 52.9, 31, 33));
    EXPECT_FALSE(cull.Hidden(10.1, 10.4, 31, 33));
    EXPECT_TRUE(cull.Hidden(54.6, 54.9, 31, 33));
    EXPECT_TRUE(cull.Hidden(8.1, 8.4, 31, 33));
}

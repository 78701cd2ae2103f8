#include "RendererSupport.h"

#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>

using namespace rtest;

namespace {

const Vector4 kUp = Vector4::Direction(0, 0, 1);

// One triangle drawn with level normals and no dust into a black w x h picture; returns the pixels written.
struct Sheet {
    RenderCamera cam;
    std::unique_ptr<CTGAFile> out;
    TriangleShader shader;
    TriangleRasterizer raster;
    Sheet(RenderCamera c, int firstRow = 0, int endRow = INT_MAX)
        : cam(c), out(MakePicture(c.Width(), c.Height(), 0)), shader(cam, nullptr, false, kUp),
          raster(cam, shader, *out, firstRow, endRow) {}
    int64_t Draw(const Vector4& a, const Vector4& b, const Vector4& c, double f = 0.0) {
        const int64_t before = raster.PixelsWritten();
        Corner ca{a, kUp, {}}, cb{b, kUp, {}}, cc{c, kUp, {}};
        raster.DrawTriangle(ca, cb, cc, f);
        return raster.PixelsWritten() - before;
    }
    // The lit pixels as (column, stored row).
    std::set<std::pair<int, int>> Lit() const {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < out->GetHeight(); ++y)
            for (int x = 0; x < out->GetWidth(); ++x)
                if (out->pixelAt(x, y)[0] != 0) s.insert({x, y});
        return s;
    }
};

} // namespace

TEST(TriangleRasterizer, FillsBothPartsAndStoresScreenRowsBottomUp) {
    Sheet s(DownCamera(64, 48));
    // Screen corners (10, 5), (30, 5), (10, 25): a right angle at the top left.
    const Vector4 a = GroundAt(s.cam, 10.5, 5.5), b = GroundAt(s.cam, 30.5, 5.5),
                  c = GroundAt(s.cam, 10.5, 25.5);
    EXPECT_EQ(s.Draw(a, b, c), 232); // rows 25..5 hold 1..21 pixels; row 5 is filled by both parts
    std::set<std::pair<int, int>> expected;
    for (int r = 5; r <= 25; ++r)
        for (int col = 10; col <= 10 + 25 - r; ++col) expected.insert({col, 48 - r});
    EXPECT_EQ(s.Lit(), expected);
    EXPECT_EQ(PixelOf(*s.out, 10, 48 - 25), (Bgr{255, 255, 255}));
    EXPECT_EQ(s.raster.TrianglesDrawn(), 1);
}

TEST(TriangleRasterizer, ClipsToThePictureAndNeverWritesScreenRowZero) {
    Sheet s(DownCamera(64, 48));
    // A triangle far larger than the screen covers every stored row once; screen row 0 has no stored row
    // and column 64 lies outside the picture.
    const int64_t n = s.Draw(GroundAt(s.cam, -1000.5, -1000.5), GroundAt(s.cam, 3000.5, -1000.5),
                             GroundAt(s.cam, -1000.5, 3000.5));
    EXPECT_EQ(n, 64 * 48);
    EXPECT_EQ(s.Lit().size(), 64u * 48u);

    // The written-row range limits the stored rows, nothing else.
    Sheet part(DownCamera(64, 48), 10, 20);
    EXPECT_EQ(part.Draw(GroundAt(part.cam, -1000.5, -1000.5), GroundAt(part.cam, 3000.5, -1000.5),
                        GroundAt(part.cam, -1000.5, 3000.5)),
              64 * 10);
    for (const auto& p : part.Lit()) EXPECT_TRUE(p.second >= 10 && p.second < 20);
}

TEST(TriangleRasterizer, CullsBackFacesAndTrianglesSeenFromBelow) {
    Sheet s(DownCamera(64, 48));
    const Vector4 a = GroundAt(s.cam, 10.5, 5.5), b = GroundAt(s.cam, 30.5, 5.5),
                  c = GroundAt(s.cam, 10.5, 25.5);
    EXPECT_EQ(s.Draw(a, c, b), 0); // the same triangle wound the other way faces away
    EXPECT_EQ(s.raster.TrianglesDrawn(), 0);

    // A level cell's T1 = (A, C, D) passes from above and is culled from below.
    const Vector4 A = Vector4::Point(0, 0, 0), C = Vector4::Point(0, 10, 0), D = Vector4::Point(10, 10, 0);
    Sheet above(MakeCamera(64, 48, Vector4::Point(5, 5, 30), 0, -90, 30));
    EXPECT_GT(above.Draw(A, C, D), 0);
    Sheet below(MakeCamera(64, 48, Vector4::Point(5, 5, -30), 0, 90, 30));
    EXPECT_EQ(below.Draw(A, C, D), 0);
}

TEST(TriangleRasterizer, DropsTheWholeTriangleWhenACornerIsBehindTheEye) {
    // Looking north over ground 10 below the eye.
    Sheet s(MakeCamera(64, 48, Vector4::Point(0, 0, 10), 0, -20, 50));
    const Vector4 left = Vector4::Point(-5, 40, 0), right = Vector4::Point(5, 40, 0);
    EXPECT_GT(s.Draw(Vector4::Point(0, 20, 0), left, right), 0); // all ahead: drawn
    EXPECT_EQ(s.Draw(Vector4::Point(0, -5, 0), left, right), 0); // one corner behind: nothing
    EXPECT_EQ(s.raster.TrianglesDrawn(), 1);
}

TEST(TriangleRasterizer, KeepsACornerAtColumn16384AndDropsOneBeyond) {
    Sheet s(DownCamera(64, 48));
    const Vector4 p = GroundAt(s.cam, 10.5, 10.5), q = GroundAt(s.cam, 10.5, 40.5);
    const double y = GroundAt(s.cam, 0, 25.5).y;
    auto column = [&](double x) {
        const Vector4 v = s.cam.Project(Vector4::Point(x, y, 0));
        return v.x / v.w;
    };
    // The smallest ground x whose column reaches 16384.
    double lo = 16000, hi = 17000;
    while (std::nextafter(lo, hi) < hi) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) break;
        (column(mid) >= 16384.0 ? hi : lo) = mid;
    }
    ASSERT_EQ(column(hi), 16384.0) << "no ground point projects exactly onto column 16384";
    double beyond = hi;
    while (column(beyond) == 16384.0) beyond = std::nextafter(beyond, 1e9);
    EXPECT_GT(s.Draw(p, q, Vector4::Point(hi, y, 0)) + s.Draw(p, Vector4::Point(hi, y, 0), q), 0);
    EXPECT_EQ(s.Draw(p, q, Vector4::Point(beyond, y, 0)) + s.Draw(p, Vector4::Point(beyond, y, 0), q), 0);
}

TEST(TriangleRasterizer, TriangleOnOneScreenRowGetsThePixelsOfItsTwoParts) {
    Sheet s(DownCamera(64, 48));
    // Rows 10.8, 10.5, 10.2 all truncate to 10; the sort keeps the given order, so the lower part draws
    // the third corner's column and the upper part the first corner's. (Collinear on the screen, the
    // triangle has no normal planes and shows the dust grey.)
    EXPECT_EQ(
        s.Draw(GroundAt(s.cam, 20.5, 10.8), GroundAt(s.cam, 12.5, 10.5), GroundAt(s.cam, 5.5, 10.2), 0.5), 2);
    EXPECT_EQ(s.Lit(), (std::set<std::pair<int, int>>{{5, 38}, {20, 38}}));
}

TEST(TriangleRasterizer, ATriangleOverKeptPixelsIsNotReportedKeptWhenItsSteppedEdgeReachesBeside) {
    // Walking near to far, cells are left out when every pixel their triangles may write is kept. Kept:
    // the rectangle of columns 30 to 40 and rows 10 to 30, drawn with no edge ending on column 30.
    Sheet all(DownCamera(100, 100)), first(DownCamera(100, 100));
    first.raster.SetDeferred(true);
    first.raster.SetFirstOwnerWins(true);
    auto drawEitherWay = [&](double c0, double r0, double c1, double r1, double c2, double r2) {
        for (Sheet* s : {&all, &first}) {
            const Vector4 a = GroundAt(s->cam, c0, r0), b = GroundAt(s->cam, c1, r1),
                          c = GroundAt(s->cam, c2, r2);
            s->Draw(a, b, c);
            s->Draw(a, c, b); // (one of the two faces the eye)
        }
    };
    drawEitherWay(30.5, 10.5, 30.5, 30.5, 40.5, 30.5);
    drawEitherWay(30.5, 10.5, 40.5, 10.5, 40.5, 30.5);
    const auto kept = all.Lit();
    // This triangle's corners lie on kept pixels, but its left edge, stepped down over ten rows, ends just
    // left of column 30 and takes a pixel there.
    const double c[3] = {36.5, 33.5, 30.5}, r[3] = {15.5, 25.5, 25.5};
    EXPECT_FALSE(first.raster.Covered(30.5, 36.5, 15.5, 25.5));
    drawEitherWay(c[0], r[0], c[1], r[1], c[2], r[2]);
    EXPECT_NE(all.Lit(), kept);
    // A triangle whose edges end on its corners' columns (at most 2 rows each) is reported kept.
    EXPECT_TRUE(first.raster.Covered(33.2, 35.7, 20.5, 22.5));
}

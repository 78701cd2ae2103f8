#include "RendererSupport.h"

#include "renderer/TriangleShader.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rtest;

namespace {

const Vector4 kUp = Vector4::Direction(0, 0, 1);

// Shades screen row `row` from column 0 to `right` for the screen triangle (0,0), (20,0), (0,20) with the
// given corner normals; returns the blue byte of each pixel.
std::vector<int> Shade(const Vector4& light, const Vector4 (&n)[3], double f, int row = 0, int right = 20) {
    RenderCamera cam = DownCamera(64, 48);
    TriangleShader shader(cam, nullptr, false, light);
    const Vector4 screen[3] = {Vector4(0, 0, 0, 1), Vector4(20, 0, 0, 1), Vector4(0, 20, 0, 1)};
    const Vector4 world[3] = {Vector4::Point(0, 0, 0), Vector4::Point(20, 0, 0), Vector4::Point(0, -20, 0)};
    shader.SetupTriangle(screen, world, n, f);
    std::vector<uint8_t> buf(3 * static_cast<size_t>(right + 1), 7);
    shader.ShadeSpan(row, 0, right, buf.data());
    std::vector<int> blue;
    for (int i = 0; i <= right; ++i) blue.push_back(buf[3 * static_cast<size_t>(i)]);
    return blue;
}

} // namespace

TEST(TriangleShader, CornerNormalsAreUnitMeansOfTheFourNeighbourTriangles) {
    const Vector4 P = Vector4::Point(5, 5, 2);
    const Vector4 level = CornerNormal(P, Vector4::Point(6, 5, 2), Vector4::Point(5, 6, 2),
                                       Vector4::Point(4, 5, 2), Vector4::Point(5, 4, 2));
    EXPECT_NEAR(level.x, 0, 1e-15);
    EXPECT_NEAR(level.y, 0, 1e-15);
    EXPECT_EQ(level.z, 1.0);
    // A plane rising by 1 per unit of x tilts the normal towards -x by 45 degrees.
    const Vector4 slope = CornerNormal(P, Vector4::Point(6, 5, 3), Vector4::Point(5, 6, 2),
                                       Vector4::Point(4, 5, 1), Vector4::Point(5, 4, 2));
    EXPECT_NEAR(slope.x, -std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(slope.z, std::sqrt(0.5), 1e-12);
    // Neighbours on top of the point give a zero normal, left as it is.
    const Vector4 zero = CornerNormal(P, P, P, P, P);
    EXPECT_EQ(Length3(zero), 0.0);
}

TEST(TriangleShader, LevelGroundUnderLightStraightUpIsWhiteAtEveryDistance) {
    const Vector4 n[3] = {kUp, kUp, kUp};
    for (double delta : {0.0, 0.01, 0.3, 1.0, 2.5, 4.0, 6.99}) {
        const double f = 1.0 - std::exp(-delta);
        for (int v : Shade(kUp, n, f)) {
            EXPECT_GE(v, 254) << "delta " << delta;
            EXPECT_LE(v, 255) << "delta " << delta;
        }
    }
    EXPECT_EQ(Shade(kUp, n, 0.0)[0], 255);
    // An unnormalised light is normalised once by the shader.
    EXPECT_EQ(Shade(Vector4::Direction(0, 0, 4), n, 0.0)[3], 255);
}

TEST(TriangleShader, DustAndFacesTurnedAwayShowTheDustGrey) {
    // Light from the side: a = |Lz| = 0.6 is the brightness of level ground and of the dust.
    const Vector4 light = Vector4::Direction(0.8, 0, 0.6);
    const Vector4 up[3] = {kUp, kUp, kUp};
    const double nearSeven = 1.0 - std::exp(-6.9999);
    EXPECT_EQ(Shade(light, up, nearSeven)[4], static_cast<int>(0.6 * 255 * 0.99909)); // 152
    EXPECT_EQ(Shade(light, up, 0.0)[4], 153);                                         // trunc(0.6 * 255)

    // Turned away from the light (V < 0): black near the eye, the dust grey far away.
    const Vector4 down[3] = {Vector4::Direction(0, 0, -1), Vector4::Direction(0, 0, -1),
                             Vector4::Direction(0, 0, -1)};
    EXPECT_EQ(Shade(light, down, 0.0)[2], 0);
    EXPECT_EQ(Shade(light, down, 0.9)[2], static_cast<int>(0.9 * 0.6 * 255));

    // Zero normals show the dust term and nothing else.
    const Vector4 none[3] = {Vector4(), Vector4(), Vector4()};
    EXPECT_EQ(Shade(light, none, 0.5)[1], static_cast<int>(0.5 * 0.6 * 255));
}

TEST(TriangleShader, NormalIsInterpolatedPerPixelAlongTheRow) {
    // Normal tilted at the first corner, level at the other two: the row runs from 0.8 to full light.
    const Vector4 n[3] = {Vector4::Direction(0.6, 0, 0.8), kUp, kUp};
    const std::vector<int> v = Shade(kUp, n, 0.0);
    EXPECT_EQ(v[0], 204);                                           // trunc(0.8 * 255)
    EXPECT_EQ(v[10], static_cast<int>(0.9 / std::sqrt(0.9) * 255)); // N = (0.3, 0, 0.9)
    EXPECT_EQ(v[20], 255);
    // Collinear screen corners have no normal planes: the triangle is lit with the sum of its normals
    // (earlier versions showed the dust alone there: black specks near the camera).
    RenderCamera cam = DownCamera(64, 48);
    const Vector4 screen[3] = {Vector4(0, 0, 0, 1), Vector4(10, 0, 0, 1), Vector4(20, 0, 0, 1)};
    const Vector4 world[3] = {Vector4::Point(0, 0, 0), Vector4::Point(10, 0, 0), Vector4::Point(20, 0, 0)};
    const Vector4 tilted[3] = {Vector4::Direction(0.6, 0, 0.8), kUp, kUp}; // sum (0.6, 0, 2.8)
    for (CollinearShading way : {CollinearShading::SumOfNormals, CollinearShading::ZeroNormal}) {
        TriangleShader shader(cam, nullptr, false, kUp, nullptr, way);
        shader.SetupTriangle(screen, world, tilted, 0.25);
        uint8_t px[3] = {};
        shader.ShadeSpan(0, 5, 5, px);
        const int dust = static_cast<int>(0.25 * 255);
        const int lit = static_cast<int>(2.8 / std::sqrt(0.36 + 2.8 * 2.8) * 255 * 0.75) + dust;
        EXPECT_EQ(px[0], way == CollinearShading::SumOfNormals ? lit : dust);
    }
}

namespace {

// A textured level triangle covering ground x, y in [x0, x0 + 40] x [y0, y0 + 40] seen by `cam`; shades
// pixel (c, r) with dust factor f.
Bgr ShadeTextured(const RenderCamera& cam, const CTGAFile& tex, bool exact, double x0, double y0, int c,
                  int r, double f = 0.0) {
    TriangleShader shader(cam, &tex, exact, kUp);
    const Vector4 world[3] = {Vector4::Point(x0, y0 + 40, 0), Vector4::Point(x0 + 40, y0 + 40, 0),
                              Vector4::Point(x0, y0, 0)};
    Vector4 screen[3];
    for (int i = 0; i < 3; ++i) {
        const Vector4 p = cam.Project(world[i]);
        screen[i] = Vector4(std::trunc(p.x / p.w), std::trunc(-(p.y / p.w)), p.z, p.w);
    }
    const Vector4 up[3] = {kUp, kUp, kUp};
    shader.SetupTriangle(screen, world, up, f);
    uint8_t px[3] = {};
    shader.ShadeSpan(r, c, c, px);
    return Bgr{px[0], px[1], px[2]};
}

Bgr Pattern(int x, int y) {
    return Bgr{static_cast<uint8_t>(x * 3), static_cast<uint8_t>(y * 5), static_cast<uint8_t>((x * y) & 255)};
}

} // namespace

TEST(TriangleShader, QuickLookupTakesTheTexelUnderThePixel) {
    auto tex = MakeTexture(64, 64, Pattern);
    // Almost straight down (at exactly -90 degrees the view rays turn with the eye offsets).
    RenderCamera cam = MakeCamera(64, 48, Vector4::Point(20, 20, 100), 0, -89.9, 100);
    // Pixel (c, r) looks at about ground (c - 32 + 20, 24 - r + 20): texel (x, y) is column x of stored
    // row y; near ground without dust shows it as is.
    for (const auto& [c, r] : {std::pair{32, 24}, std::pair{40, 10}, std::pair{25, 30}}) {
        Vector4 hit;
        cam.RayPlaneHit(c, r, Vector4::Point(0, 0, 0), Vector4::Point(1, 0, 0), Vector4::Point(0, 1, 0), hit);
        EXPECT_NEAR(hit.x, c - 32 + 20, 0.5);
        EXPECT_NEAR(hit.y, 24 - r + 20, 0.5);
        EXPECT_EQ(ShadeTextured(cam, *tex, false, 0, 0, c, r),
                  Pattern(static_cast<int>(hit.x), static_cast<int>(hit.y)))
            << c << "," << r;
    }
    // A hit outside the texture shows the outside colour (blue o2, green o1, red o0), dimmed by g and
    // raised by K.
    auto small = MakeTexture(4, 4, Pattern);
    small->FillColor(0x00336699);
    const Bgr outside = small->outsidePixel();
    EXPECT_EQ(outside, (Bgr{0x33, 0x66, 0x99}));
    EXPECT_EQ(ShadeTextured(cam, *small, false, 0, 0, 32, 24), outside);
    const Bgr hazed = ShadeTextured(cam, *small, false, 0, 0, 32, 24, 0.5);
    EXPECT_EQ(hazed.b, static_cast<int>(0.5 * outside.b) + 127);
    EXPECT_EQ(hazed.r, static_cast<int>(0.5 * outside.r) + 127);
}

TEST(TriangleShader, ExactLookupAveragesLargeFootprintsAndFiltersSmallOnes) {
    auto tex = MakeTexture(64, 64, Pattern);
    auto hitXY = [](const RenderCamera& cam, double c, double r, double& x, double& y) {
        Vector4 hit;
        cam.RayPlaneHit(c, r, Vector4::Point(0, 0, 0), Vector4::Point(1, 0, 0), Vector4::Point(0, 1, 0), hit);
        x = hit.x;
        y = hit.y;
    };
    // Close up (a pixel is a quarter texel): the 4 x 4 filter.
    RenderCamera close = MakeCamera(64, 48, Vector4::Point(20, 20, 25), 0, -89.9, 100);
    double tx, ty;
    hitXY(close, 33, 22, tx, ty);
    FilterCache cache;
    EXPECT_EQ(ShadeTextured(close, *tex, true, 0, 0, 33, 22), tex->SampleFiltered(tx, ty, cache));

    // From far (a pixel spans four texels): the average of the footprint's centre and corners.
    RenderCamera far = MakeCamera(64, 48, Vector4::Point(32, 32, 100), 0, -89.9, 20);
    hitXY(far, 34, 23, tx, ty);
    double ax, ay, bx, by;
    hitXY(far, 34 - 0.25, 23 - 0.25, ax, ay);
    hitXY(far, 34 + 0.25, 23 - 0.25, bx, by);
    const double pts[5][2] = {
        {tx, ty}, {ax, ay}, {bx, by}, {2 * tx - bx, 2 * ty - by}, {2 * tx - ax, 2 * ty - ay}};
    const Bgr expected = tex->SampleAverage5(pts);
    EXPECT_EQ(ShadeTextured(far, *tex, true, 0, 0, 34, 23), expected);
    EXPECT_NE(expected, tex->GetPixel(tx, ty)); // the average really differs from the quick lookup here
}

#include "RendererSupport.h"

#include "renderer/Matrix4.h"
#include "renderer/RenderCamera.h"

#include <gtest/gtest.h>

#include <cmath>

using rtest::MakeCamera;

namespace {

void ExpectNear(const Vector4& v, double x, double y, double z, double tol) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

// Screen column and row of a point, not truncated.
void Screen(const RenderCamera& cam, const Vector4& p, double& c, double& r) {
    const Vector4 v = cam.Project(p);
    c = v.x / v.w;
    r = -(v.y / v.w);
}

} // namespace

TEST(Matrix4, ProductAppliesLeftFactorFirstOnRowVectors) {
    Matrix4 T = Matrix4::Identity();
    T(3, 0) = 5.0; // move x by 5
    Matrix4 S = Matrix4::Identity();
    S(0, 0) = 2.0; // double x
    const Vector4 p = Vector4::Point(1, 0, 0);
    EXPECT_EQ((p * (T * S)).x, 12.0); // (1 + 5) * 2
    EXPECT_EQ((p * (S * T)).x, 7.0);  // 1 * 2 + 5
    EXPECT_EQ(Cross(Vector4::Direction(1, 0, 0), Vector4::Direction(0, 1, 0)), Vector4(0, 0, 1, 1));
}

TEST(RenderCamera, AxesFollowHeadingAndPitch) {
    // Heading 0: looking along +y, right is +x, up is +z; the eye carries its offsets.
    RenderCamera north = MakeCamera(320, 240, Vector4::Point(1, 2, 3), 0, 0, 250);
    ExpectNear(north.LineOfSight(), 0, 250, 0, 1e-4);
    ExpectNear(north.Right(), 1, 0, 0, 1e-6);
    ExpectNear(north.Up(), 0, 0, 1, 1e-6);
    EXPECT_EQ(north.Eye(), Vector4(1.00001, 2.00001, 3.00001, 1.0));

    // Heading 90: looking along +x, right is -y.
    RenderCamera east = MakeCamera(320, 240, Vector4::Point(0, 0, 0), 90, 0, 100);
    ExpectNear(east.LineOfSight(), 100, 0, 0, 1e-4);
    ExpectNear(east.Right(), 0, -1, 0, 1e-6);
    ExpectNear(east.Up(), 0, 0, 1, 1e-6);

    // Pitch -90: straight down; the offsets keep right and up finite.
    RenderCamera down = MakeCamera(320, 240, Vector4::Point(0, 0, 0), 0, -90, 100);
    const Vector4 D = down.LineOfSight();
    EXPECT_NEAR(D.x, 0.00001, 1e-12);
    EXPECT_NEAR(D.y, 0.00001, 1e-12);
    EXPECT_NEAR(D.z, -100 + 0.00001, 1e-9);
    for (const Vector4& v : {down.Right(), down.Up()}) {
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
        EXPECT_NEAR(Length3(v), 1.0, 1e-12);
    }
    EXPECT_NEAR(Dot3(down.Right(), down.Up()), 0.0, 1e-9);
}

TEST(RenderCamera, PointsProjectByFocalOverDistance) {
    const double d = 250, s = 400;
    RenderCamera cam = MakeCamera(320, 240, Vector4::Point(10, 20, 30), 0, 0, d);
    const Vector4 eye = cam.Eye();
    double c, r;
    // Straight ahead: the centre of the picture (cx, -cy).
    Screen(cam, Vector4::Point(eye.x, eye.y + s, eye.z), c, r);
    EXPECT_NEAR(c, 160, 1e-6);
    EXPECT_NEAR(r, 120, 1e-6);
    // Offset k to the right, level with the eye: column cx + d k / s; up m: row -cy - d m / s.
    Screen(cam, Vector4::Point(eye.x + 32, eye.y + s, eye.z), c, r);
    EXPECT_NEAR(c, 160 + d * 32 / s, 1e-6);
    EXPECT_NEAR(r, 120, 1e-6);
    Screen(cam, Vector4::Point(eye.x, eye.y + s, eye.z + 16), c, r);
    EXPECT_NEAR(r, 120 - d * 16 / s, 1e-6);
    // W is the distance along the line of sight.
    EXPECT_NEAR(cam.Project(Vector4::Point(eye.x + 5, eye.y + s, eye.z)).w, s, 1e-6);

    // Heading 90: the same rule with right = -y.
    RenderCamera east = MakeCamera(320, 240, Vector4::Point(0, 0, 0), 90, 0, d);
    const Vector4 e2 = east.Eye();
    Screen(east, Vector4::Point(e2.x + s, e2.y - 32, e2.z), c, r);
    EXPECT_NEAR(c, 160 + d * 32 / s, 1e-4);
    EXPECT_NEAR(r, 120, 1e-4);
}

TEST(RenderCamera, ProjectToScreenRejectsPointsBehindOrFarOff) {
    RenderCamera cam = MakeCamera(320, 240, Vector4::Point(0, 0, 0), 0, 0, 100);
    int c = 0, r = 0;
    EXPECT_FALSE(cam.ProjectToScreen(Vector4::Point(0, -50, 0), c, r)); // behind the eye
    ASSERT_TRUE(cam.ProjectToScreen(Vector4::Point(0.5, 100, 0), c, r));
    EXPECT_EQ(c, 160);
    EXPECT_EQ(r, 120);
    // Truncated toward zero, also left of the picture: about -37.5 becomes -37.
    ASSERT_TRUE(cam.ProjectToScreen(Vector4::Point(-197.5, 100, 0), c, r));
    EXPECT_EQ(c, -37);
    // 20000 pixels off the screen fails.
    EXPECT_FALSE(cam.ProjectToScreen(Vector4::Point(20000, 100, 0), c, r));
}

TEST(RenderCamera, ViewRayPassesThroughTheProjectedPoint) {
    // For any camera (bank included) the ray through a point's screen position meets the point (up to the
    // 0.00001 offsets of the line of sight, which the projection does not have).
    const double cases[][5] = {
        {0, 0, 0, 250, 0}, {37, -20, 0, 180, 0}, {210, -65, 25, 300, -40}, {-90, 10, 90, 90, 15}};
    const Vector4 points[] = {Vector4::Point(40, 300, -20), Vector4::Point(-70, 150, 10)};
    for (const auto& k : cases) {
        RenderCamera cam = MakeCamera(640, 480, Vector4::Point(5, -7, 40), k[0], k[1], k[3], k[2]);
        for (const Vector4& p : points) {
            if (cam.Project(p).w <= 0) continue;
            double c, r;
            Screen(cam, p, c, r);
            const Vector4 ray = cam.ViewRay(c, r);
            const Vector4 toPoint = p - cam.Eye();
            EXPECT_NEAR(Length3(Cross(ray, toPoint)) / (Length3(ray) * Length3(toPoint)), 0.0, 1e-6)
                << "heading " << k[0] << " pitch " << k[1] << " bank " << k[2];
            EXPECT_GT(Dot3(ray, toPoint), 0.0);
        }
    }
}

TEST(RenderCamera, RayPlaneHitSolvesForTheHitPoint) {
    RenderCamera cam = MakeCamera(320, 240, Vector4::Point(0, 0, 50), 30, -40, 200);
    Vector4 hit;
    const double t = cam.RayPlaneHit(100, 200, Vector4::Point(0, 0, 5), Vector4::Point(1, 0, 5),
                                     Vector4::Point(0, 1, 5), hit);
    EXPECT_GT(t, 0.0);
    EXPECT_NEAR(hit.z, 5.0, 1e-9);
    // The hit lies on the ray through that screen position.
    const Vector4 ray = cam.ViewRay(100, 200);
    EXPECT_NEAR(hit.x, cam.Eye().x + t * ray.x, 1e-12);
    // A plane behind the eye is hit with t < 0.
    EXPECT_LT(cam.RayPlaneHit(160, 120, Vector4::Point(0, 0, 60), Vector4::Point(1, 0, 60),
                              Vector4::Point(0, 1, 60), hit),
              0.0);
}

#include "renderer/TriangleShader.h"

#include <cmath>

Vector4 CornerNormal(const Vector4& P, const Vector4& Xp, const Vector4& Yp, const Vector4& Xm,
                     const Vector4& Ym) {
    const Vector4 xp = Xp - P, yp = Yp - P, xm = Xm - P, ym = Ym - P;
    Vector4 n = (Cross(ym, xp) + Cross(xp, yp) + Cross(yp, xm) + Cross(xm, ym)) / 4.0;
    if (const double len = Length3(n); len != 0.0) n = n / len;
    return n;
}

TriangleShader::TriangleShader(const RenderCamera& camera_, const CTGAFile* texture_, bool exact_,
                               const Vector4& light)
    : camera(camera_), texture(texture_), exact(exact_), L(light), eye(camera_.Eye()) {
    L.w = 0.0;
    if (const double len = Length3(L); len != 0.0) L = L / len;
    a = std::fabs(L.x * 0.0 + L.y * 0.0 + L.z * 1.0);
}

void TriangleShader::SetupTriangle(const Vector4 (&s)[3], const Vector4 (&world)[3], const Vector4 (&n)[3],
                                   double f) {
    dustGrey = static_cast<int>(f * a * 255.0);
    visibility = 1.0 - f;

    // Rows of the system: (column, row, 1) of each vertex; unknowns (beta, alpha, gamma).
    const double x0 = s[0].x, y0 = s[0].y, x1 = s[1].x, y1 = s[1].y, x2 = s[2].x, y2 = s[2].y;
    const double det = x0 * (y1 * 1.0 - 1.0 * y2) - y0 * (x1 * 1.0 - 1.0 * x2) + 1.0 * (x1 * y2 - y1 * x2);
    planesValid = det != 0.0;
    if (planesValid) {
        for (int k = 0; k < 3; ++k) {
            const double v0 = k == 0 ? n[0].x : k == 1 ? n[0].y : n[0].z;
            const double v1 = k == 0 ? n[1].x : k == 1 ? n[1].y : n[1].z;
            const double v2 = k == 0 ? n[2].x : k == 1 ? n[2].y : n[2].z;
            const double detBeta =
                v0 * (y1 * 1.0 - 1.0 * y2) - y0 * (v1 * 1.0 - 1.0 * v2) + 1.0 * (v1 * y2 - y1 * v2);
            const double detAlpha =
                x0 * (v1 * 1.0 - 1.0 * v2) - v0 * (x1 * 1.0 - 1.0 * x2) + 1.0 * (x1 * v2 - v1 * x2);
            const double detGamma =
                x0 * (y1 * v2 - v1 * y2) - y0 * (x1 * v2 - v1 * x2) + v0 * (x1 * y2 - y1 * x2);
            beta[k] = detBeta / det;
            alpha[k] = detAlpha / det;
            gamma[k] = detGamma / det;
        }
    }
    if (texture) texturePlane = RayPlane::Through(eye, world[0], world[1], world[2]);
}

void TriangleShader::Texel(double c, double r, uint8_t (&bgr)[3]) {
    // The world x and y where the view ray through (c, r) meets the triangle's plane.
    auto hit = [&](double cc, double rr, double& hx, double& hy) {
        const Vector4 ray = camera.ViewRay(cc, rr);
        const double t = texturePlane.HitParameter(ray);
        hx = eye.x + t * ray.x;
        hy = eye.y + t * ray.y;
    };
    double tx, ty;
    hit(c, r, tx, ty);
    Bgr t;
    if (!exact) {
        t = texture->GetPixel(tx, ty);
    } else {
        double ax, ay;
        hit(c - 0.25, r - 0.25, ax, ay);
        if (std::fabs(tx - ax) >= 1.0 || std::fabs(ty - ay) >= 1.0) {
            // The pixel covers a texel or more: the centre and the four corners of its footprint.
            double bx, by;
            hit(c + 0.25, r - 0.25, bx, by);
            const double points[5][2] = {
                {tx, ty}, {ax, ay}, {bx, by}, {2.0 * tx - bx, 2.0 * ty - by}, {2.0 * tx - ax, 2.0 * ty - ay}};
            t = texture->SampleAverage5(points);
        } else {
            t = texture->SampleFiltered(tx, ty, cache);
        }
    }
    bgr[0] = t.b;
    bgr[1] = t.g;
    bgr[2] = t.r;
}

void TriangleShader::ShadeSpan(int row, int left, int right, uint8_t* out) {
    const int K = dustGrey;
    const double g = visibility;
    const uint8_t dust = static_cast<uint8_t>(K);
    double nx = 0.0, ny = 0.0, nz = 0.0;
    if (planesValid) {
        nx = alpha[0] * row + beta[0] * left + gamma[0];
        ny = alpha[1] * row + beta[1] * left + gamma[1];
        nz = alpha[2] * row + beta[2] * left + gamma[2];
    }
    const double bx = planesValid ? beta[0] : 0.0, by = planesValid ? beta[1] : 0.0,
                 bz = planesValid ? beta[2] : 0.0;
    for (int c = left; c <= right; ++c, out += 3) {
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        // A zero normal (also every pixel of a triangle without planes) shows the dust alone.
        const double V = len != 0.0 ? (L.x * nx + L.y * ny + L.z * nz) / len : -1.0;
        if (!(V >= 0.0)) {
            out[0] = out[1] = out[2] = dust;
        } else if (!texture) {
            const uint8_t v = static_cast<uint8_t>(static_cast<int>(V * 255.0 * g) + K);
            out[0] = out[1] = out[2] = v;
        } else {
            uint8_t t[3];
            Texel(c, row, t);
            const double gv = g * V;
            out[0] = static_cast<uint8_t>(static_cast<int>(gv * t[0]) + K);
            out[1] = static_cast<uint8_t>(static_cast<int>(gv * t[1]) + K);
            out[2] = static_cast<uint8_t>(static_cast<int>(gv * t[2]) + K);
        }
        nx += bx;
        ny += by;
        nz += bz;
    }
}

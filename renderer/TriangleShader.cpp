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
                               const Vector4& light, std::optional<int> textureAntialiasing)
    : camera(camera_), texture(texture_), exact(exact_), L(light), eye(camera_.Eye()) {
    if (texture && textureAntialiasing) sampler.emplace(*texture, *textureAntialiasing);
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

// The texel lookups are written out here rather than through RenderCamera::ViewRay and RayPlane: the view
// ray through (c, r) is D + f R + g U with f = dx cos b + dy sin b and g = dy cos b - dx sin b, dx = c - cx,
// dy = -r - cy. Along a row dy sin b and dy cos b stay the same, so they are computed once per row; every
// other operation is the one ViewRay and HitParameter do, in the same order, so the bytes do not change.
namespace {

struct RayRow {
    double dySin, dyCos;
};

struct RayBasis {
    double cx, cy, sinB, cosB;
    Vector4 D, R, U;

    RayRow Row(double r) const {
        const double dy = -r - cy;
        return RayRow{dy * sinB, dy * cosB};
    }
};

// The world x and y where the view ray through column c of a row meets the plane.
inline void Hit(const RayBasis& b, const RayRow& row, const RayPlane& plane, const Vector4& eye, double c,
                double& hx, double& hy) {
    const double dx = c - b.cx;
    const double f = dx * b.cosB + row.dySin;
    const double g = row.dyCos - dx * b.sinB;
    const double rx = b.D.x + f * b.R.x + g * b.U.x;
    const double ry = b.D.y + f * b.R.y + g * b.U.y;
    const double rz = b.D.z + f * b.R.z + g * b.U.z;
    const double t =
        plane.numerator / (rx * plane.cofactors.x + ry * plane.cofactors.y + rz * plane.cofactors.z);
    hx = eye.x + t * rx;
    hy = eye.y + t * ry;
}

} // namespace

void TriangleShader::ShadePlain(double nx, double ny, double nz, double bx, double by, double bz, int left,
                                int right, uint8_t* out) const {
    const int K = dustGrey;
    const double g = visibility;
    const uint8_t dust = static_cast<uint8_t>(K);
    const double lx = L.x, ly = L.y, lz = L.z;
    for (int c = left; c <= right; ++c, out += 3) {
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        // A zero normal (also every pixel of a triangle without planes) shows the dust alone.
        const double V = len != 0.0 ? (lx * nx + ly * ny + lz * nz) / len : -1.0;
        if (!(V >= 0.0)) {
            out[0] = out[1] = out[2] = dust;
        } else {
            const uint8_t v = static_cast<uint8_t>(static_cast<int>(V * 255.0 * g) + K);
            out[0] = out[1] = out[2] = v;
        }
        nx += bx;
        ny += by;
        nz += bz;
    }
}

template <bool Exact>
void TriangleShader::ShadeTextured(int row, double nx, double ny, double nz, double bx, double by, double bz,
                                   int left, int right, uint8_t* out) {
    const int K = dustGrey;
    const double g = visibility;
    const uint8_t dust = static_cast<uint8_t>(K);
    const double lx = L.x, ly = L.y, lz = L.z;
    const RayBasis basis{camera.CenterX(),     camera.CenterY(), camera.SinBank(), camera.CosBank(),
                         camera.LineOfSight(), camera.Right(),   camera.Up()};
    const double r = row;
    const RayRow centre = basis.Row(r);
    const RayRow upper = basis.Row(r - 0.25); // the footprint corners at r - 0.25
    const RayPlane plane = texturePlane;
    const TextureSampler* fast = sampler ? &*sampler : nullptr;

    for (int column = left; column <= right; ++column, out += 3) {
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        const double V = len != 0.0 ? (lx * nx + ly * ny + lz * nz) / len : -1.0;
        if (!(V >= 0.0)) {
            out[0] = out[1] = out[2] = dust;
        } else {
            const double c = column;
            double tx, ty;
            Hit(basis, centre, plane, eye, c, tx, ty);
            Bgr t;
            if constexpr (!Exact) {
                t = fast ? fast->Pixel(tx, ty) : texture->GetPixel(tx, ty);
            } else {
                double ax, ay;
                Hit(basis, upper, plane, eye, c - 0.25, ax, ay);
                if (std::fabs(tx - ax) >= 1.0 || std::fabs(ty - ay) >= 1.0) {
                    // The pixel covers a texel or more: the centre and the four corners of its footprint.
                    double bxh, byh;
                    Hit(basis, upper, plane, eye, c + 0.25, bxh, byh);
                    const double points[5][2] = {{tx, ty},
                                                 {ax, ay},
                                                 {bxh, byh},
                                                 {2.0 * tx - bxh, 2.0 * ty - byh},
                                                 {2.0 * tx - ax, 2.0 * ty - ay}};
                    t = fast ? fast->Average5(points) : texture->SampleAverage5(points);
                } else {
                    t = fast ? fast->Filtered(tx, ty) : texture->SampleFiltered(tx, ty, cache);
                }
            }
            const double gv = g * V;
            out[0] = static_cast<uint8_t>(static_cast<int>(gv * t.b) + K);
            out[1] = static_cast<uint8_t>(static_cast<int>(gv * t.g) + K);
            out[2] = static_cast<uint8_t>(static_cast<int>(gv * t.r) + K);
        }
        nx += bx;
        ny += by;
        nz += bz;
    }
}

void TriangleShader::ShadeSpan(int row, int left, int right, uint8_t* out) {
    double nx = 0.0, ny = 0.0, nz = 0.0, bx = 0.0, by = 0.0, bz = 0.0;
    if (planesValid) {
        nx = alpha[0] * row + beta[0] * left + gamma[0];
        ny = alpha[1] * row + beta[1] * left + gamma[1];
        nz = alpha[2] * row + beta[2] * left + gamma[2];
        bx = beta[0];
        by = beta[1];
        bz = beta[2];
    }
    if (!texture)
        ShadePlain(nx, ny, nz, bx, by, bz, left, right, out);
    else if (exact)
        ShadeTextured<true>(row, nx, ny, nz, bx, by, bz, left, right, out);
    else
        ShadeTextured<false>(row, nx, ny, nz, bx, by, bz, left, right, out);
}

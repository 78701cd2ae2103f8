#include "renderer/TriangleShader.h"

#include <cmath>

TriangleShader::TriangleShader(const RenderCamera& camera_, const CTGAFile* texture_, bool exact_,
                               const Vector4& light, const TextureSampler* sampler_,
                               CollinearShading collinear_)
    : camera(camera_), texture(texture_), exact(exact_), L(light), eye(camera_.Eye()),
      sampler(texture_ ? sampler_ : nullptr), collinear(collinear_) {
    L.w = 0.0;
    if (const double len = Length3(L); len != 0.0) L = L / len;
    a = std::fabs(L.x * 0.0 + L.y * 0.0 + L.z * 1.0);
}

void TriangleShader::SetupTriangle(const Vector4 (&s)[3], const Vector4 (&world)[3], const Vector4 (&n)[3],
                                   double f) {
    TriangleState& t = current;
    t.dustGrey = static_cast<int>(f * a * 255.0);
    t.visibility = 1.0 - f;

    // Rows of the system: (column, row, 1) of each vertex; unknowns (beta, alpha, gamma).
    const double x0 = s[0].x, y0 = s[0].y, x1 = s[1].x, y1 = s[1].y, x2 = s[2].x, y2 = s[2].y;
    const double det = x0 * (y1 * 1.0 - 1.0 * y2) - y0 * (x1 * 1.0 - 1.0 * x2) + 1.0 * (x1 * y2 - y1 * x2);
    t.marked = det == 0.0 && collinear == CollinearShading::Marked;
    for (int k = 0; k < 3; ++k) {
        const double v0 = k == 0 ? n[0].x : k == 1 ? n[0].y : n[0].z;
        const double v1 = k == 0 ? n[1].x : k == 1 ? n[1].y : n[1].z;
        const double v2 = k == 0 ? n[2].x : k == 1 ? n[2].y : n[2].z;
        if (det == 0.0) {
            // The normal planes cannot be solved: one normal for the whole triangle.
            t.alpha[k] = t.beta[k] = 0.0;
            t.gamma[k] = collinear == CollinearShading::ZeroNormal ? 0.0 : (v0 + v1) + v2;
        } else {
            const double detBeta =
                v0 * (y1 * 1.0 - 1.0 * y2) - y0 * (v1 * 1.0 - 1.0 * v2) + 1.0 * (v1 * y2 - y1 * v2);
            const double detAlpha =
                x0 * (v1 * 1.0 - 1.0 * v2) - v0 * (x1 * 1.0 - 1.0 * x2) + 1.0 * (x1 * v2 - v1 * x2);
            const double detGamma =
                x0 * (y1 * v2 - v1 * y2) - y0 * (x1 * v2 - v1 * x2) + v0 * (x1 * y2 - y1 * x2);
            t.beta[k] = detBeta / det;
            t.alpha[k] = detAlpha / det;
            t.gamma[k] = detGamma / det;
        }
    }
    if (texture) t.texturePlane = RayPlane::Through(eye, world[0], world[1], world[2]);
}

// The texel lookups are written out here rather than through RenderCamera::ViewRay and RayPlane: the view
// ray through (c, r) is D + f R + g U with f = dx cos b + dy sin b and g = dy cos b - dx sin b, dx = c - cx,
// dy = -r - cy. Along a row dy sin b and dy cos b stay the same, so they are computed once per row; every
// other operation is the one ViewRay and HitParameter do, in the same order, so the bytes do not change.
struct TriangleShader::RowRays {
    double cx, sinB, cosB;
    Vector4 D, R, U;
    double centreSin, centreCos; // dy sin b and dy cos b of the row
    double upperSin, upperCos;   // the same a quarter row up (the footprint corners)
};

TriangleShader::RowRays TriangleShader::RaysOf(int row) const {
    RowRays rays;
    rays.cx = camera.CenterX();
    rays.sinB = camera.SinBank();
    rays.cosB = camera.CosBank();
    rays.D = camera.LineOfSight();
    rays.R = camera.Right();
    rays.U = camera.Up();
    const double cy = camera.CenterY();
    const double r = row;
    const double dy = -r - cy;
    const double dyUpper = -(r - 0.25) - cy;
    rays.centreSin = dy * rays.sinB;
    rays.centreCos = dy * rays.cosB;
    rays.upperSin = dyUpper * rays.sinB;
    rays.upperCos = dyUpper * rays.cosB;
    return rays;
}

namespace {

// The world x and y where the view ray through column c of a row (given by dy sin b and dy cos b) meets the
// plane.
template <typename Rays>
inline void Hit(const Rays& b, double dySin, double dyCos, const RayPlane& plane, const Vector4& eye,
                double c, double& hx, double& hy) {
    const double dx = c - b.cx;
    const double f = dx * b.cosB + dySin;
    const double g = dyCos - dx * b.sinB;
    const double rx = b.D.x + f * b.R.x + g * b.U.x;
    const double ry = b.D.y + f * b.R.y + g * b.U.y;
    const double rz = b.D.z + f * b.R.z + g * b.U.z;
    const double t =
        plane.numerator / (rx * plane.cofactors.x + ry * plane.cofactors.y + rz * plane.cofactors.z);
    hx = eye.x + t * rx;
    hy = eye.y + t * ry;
}

} // namespace

template <int Mode>
inline void TriangleShader::ShadePixel(const TriangleState& tri, double nx, double ny, double nz, int column,
                                       const RowRays& rays, uint8_t* out) {
    const int K = tri.dustGrey;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    // A zero normal shows the dust alone.
    const double V = len != 0.0 ? (L.x * nx + L.y * ny + L.z * nz) / len : -1.0;
    if (!(V >= 0.0)) {
        out[0] = out[1] = out[2] = static_cast<uint8_t>(K);
        return;
    }
    const double g = tri.visibility;
    if constexpr (Mode == 0) {
        const uint8_t v = static_cast<uint8_t>(static_cast<int>(V * 255.0 * g) + K);
        out[0] = out[1] = out[2] = v;
    } else {
        const double c = column;
        const RayPlane& plane = tri.texturePlane;
        double tx, ty;
        Hit(rays, rays.centreSin, rays.centreCos, plane, eye, c, tx, ty);
        Bgr t;
        if constexpr (Mode == 1) {
            t = sampler ? sampler->Pixel(tx, ty) : texture->GetPixel(tx, ty);
        } else {
            double ax, ay;
            Hit(rays, rays.upperSin, rays.upperCos, plane, eye, c - 0.25, ax, ay);
            if (std::fabs(tx - ax) >= 1.0 || std::fabs(ty - ay) >= 1.0) {
                // The pixel covers a texel or more: the centre and the four corners of its footprint.
                double bx, by;
                Hit(rays, rays.upperSin, rays.upperCos, plane, eye, c + 0.25, bx, by);
                const double points[5][2] = {{tx, ty},
                                             {ax, ay},
                                             {bx, by},
                                             {2.0 * tx - bx, 2.0 * ty - by},
                                             {2.0 * tx - ax, 2.0 * ty - ay}};
                t = sampler ? sampler->Average5(points) : texture->SampleAverage5(points);
            } else {
                t = sampler ? sampler->Filtered(tx, ty) : texture->SampleFiltered(tx, ty, cache);
            }
        }
        const double gv = g * V;
        out[0] = static_cast<uint8_t>(static_cast<int>(gv * t.b) + K);
        out[1] = static_cast<uint8_t>(static_cast<int>(gv * t.g) + K);
        out[2] = static_cast<uint8_t>(static_cast<int>(gv * t.r) + K);
    }
}

TriangleShader::SpanStart TriangleShader::StartOf(const TriangleState& t, int row, int left) {
    return SpanStart{t.alpha[0] * row + t.beta[0] * left + t.gamma[0],
                     t.alpha[1] * row + t.beta[1] * left + t.gamma[1],
                     t.alpha[2] * row + t.beta[2] * left + t.gamma[2],
                     t.beta[0],
                     t.beta[1],
                     t.beta[2]};
}

template <int Mode> void TriangleShader::ShadeSpanAs(int row, int left, int right, uint8_t* out) {
    const TriangleState& t = current;
    SpanStart n = StartOf(t, row, left);
    const RowRays rays = RaysOf(row);
    for (int c = left; c <= right; ++c, out += 3) {
        ShadePixel<Mode>(t, n.nx, n.ny, n.nz, c, rays, out);
        n.nx += n.bx;
        n.ny += n.by;
        n.nz += n.bz;
    }
}

namespace {
void paintMarked(uint8_t* out) {
    out[0] = out[2] = 255;
    out[1] = 0;
}
} // namespace

void TriangleShader::ShadeSpan(int row, int left, int right, uint8_t* out) {
    // Marked triangles are painted per span, so the per-pixel shading carries no test for them.
    if (current.marked) {
        for (int c = left; c <= right; ++c, out += 3) paintMarked(out);
        return;
    }
    switch (ModeOf()) {
    case 0:
        ShadeSpanAs<0>(row, left, right, out);
        break;
    case 1:
        ShadeSpanAs<1>(row, left, right, out);
        break;
    default:
        ShadeSpanAs<2>(row, left, right, out);
        break;
    }
}

int TriangleShader::KeepTriangle() {
    kept.push_back(current);
    return static_cast<int>(kept.size()) - 1;
}

template <int Mode>
void TriangleShader::ShadeOwnedRowAs(int row, const PixelOwner* owners, int from, int width, uint8_t* out) {
    const RowRays rays = RaysOf(row);
    out += 3 * static_cast<size_t>(from);
    for (int c = from; c < width; ++c, out += 3) {
        const PixelOwner owner = owners[c];
        if (owner.triangle < 0) continue;
        const TriangleState& t = kept[static_cast<size_t>(owner.triangle)];
        Cursor& k = cursors[static_cast<size_t>(owner.triangle)];
        // The normal is carried along the span from its first pixel, one addition per pixel, as the span
        // was drawn; pixels of the span that were overwritten are stepped over without shading.
        if (k.row != row || k.left != owner.left || k.column > c) {
            const SpanStart n = StartOf(t, row, owner.left);
            k.row = row;
            k.left = owner.left;
            k.column = owner.left;
            k.nx = n.nx;
            k.ny = n.ny;
            k.nz = n.nz;
        }
        for (; k.column < c; ++k.column) {
            k.nx += t.beta[0];
            k.ny += t.beta[1];
            k.nz += t.beta[2];
        }
        k.column = c;
        ShadePixel<Mode>(t, k.nx, k.ny, k.nz, c, rays, out);
    }
}

void TriangleShader::ShadeOwnedRow(int row, const PixelOwner* owners, int from, int width, uint8_t* out) {
    if (cursors.size() != kept.size()) cursors.assign(kept.size(), Cursor{});
    switch (ModeOf()) {
    case 0:
        ShadeOwnedRowAs<0>(row, owners, from, width, out);
        break;
    case 1:
        ShadeOwnedRowAs<1>(row, owners, from, width, out);
        break;
    default:
        ShadeOwnedRowAs<2>(row, owners, from, width, out);
        break;
    }
    if (collinear != CollinearShading::Marked) return;
    for (int c = from; c < width; ++c)
        if (owners[c].triangle >= 0 && kept[static_cast<size_t>(owners[c].triangle)].marked)
            paintMarked(out + 3 * c);
}

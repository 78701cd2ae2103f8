#include "renderer/RenderCamera.h"

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kEyeOffset = 0.00001;
constexpr double kScreenLimit = 16384.0;

} // namespace

RayPlane RayPlane::Through(const Vector4& eye, const Vector4& p0, const Vector4& p1, const Vector4& p2) {
    // Columns of the system matrix: the ray, a = -(p1 - p0), b = -(p2 - p0); right-hand side p0 - eye.
    const Vector4 a = p0 - p1;
    const Vector4 b = p0 - p2;
    RayPlane plane;
    plane.cofactors = Vector4(a.y * b.z - b.y * a.z, -(a.x * b.z - b.x * a.z), a.x * b.y - b.x * a.y, 0.0);
    const Vector4 rhs = p0 - eye;
    plane.numerator = rhs.x * plane.cofactors.x + rhs.y * plane.cofactors.y + rhs.z * plane.cofactors.z;
    return plane;
}

RenderCamera::RenderCamera(const Vector4& light_, int width_, int height_, double cx_, double cy_)
    : light(light_), width(width_), height(height_), cx(cx_), cy(cy_) {}

void RenderCamera::Set(const Vector4& eye_, double h, double p, double d, double b) {
    heading = h;
    pitch = p;
    bank = b;
    focal = d;

    // 1. The eye, moved off the grid lines.
    eye = Vector4(eye_.x + kEyeOffset, eye_.y + kEyeOffset, eye_.z + kEyeOffset, 1.0);

    const double hr = h * kRadiansPerDegree;
    const double pr = p * kRadiansPerDegree;
    const double br = b * kRadiansPerDegree;
    const double sinH = std::sin(hr), cosH = std::cos(hr);
    const double sinP = std::sin(pr), cosP = std::cos(pr);

    // 2. The line of sight, offset so that its x and its horizontal length are never zero.
    D = Vector4(d * cosP * sinH + kEyeOffset, d * cosP * cosH + kEyeOffset, d * sinP + kEyeOffset, 0.0);
    lineOfSightSq = D.x * D.x + D.y * D.y + D.z * D.z;

    // 3. Right: the horizontal perpendicular of D, pointing to the right of the line of sight.
    const double t = -D.x / std::sqrt(D.x * D.x + D.y * D.y);
    R = Vector4(-D.y * t / D.x, t, 0.0, 0.0);
    if (const double len = Length3(R); len != 0.0) R = R / len;

    // 4. Up = R x D.
    U = Cross(R, D);
    if (const double len = Length3(U); len != 0.0) U = U / len;

    // 5. Bank.
    sinBank = std::sin(br);
    cosBank = std::cos(br);

    // 6. P = T * Rz * Rx * Ry * F * S * Pd * C, u being the line of sight without its offsets.
    const double ux = cosP * sinH, uy = cosP * cosH, uz = sinP;

    Matrix4 T = Matrix4::Identity();
    T(3, 0) = -(eye.x + d * ux);
    T(3, 1) = -(eye.y + d * uy);
    T(3, 2) = -(eye.z + d * uz);

    Matrix4 Rz;
    Rz(0, 0) = cosH;
    Rz(0, 1) = sinH;
    Rz(1, 0) = -sinH;
    Rz(1, 1) = cosH;
    Rz(2, 2) = 1.0;
    Rz(3, 3) = 1.0;

    Matrix4 Rx;
    Rx(0, 0) = 1.0;
    Rx(1, 1) = cosP;
    Rx(1, 2) = -sinP;
    Rx(2, 1) = sinP;
    Rx(2, 2) = cosP;
    Rx(3, 3) = 1.0;

    Matrix4 Ry;
    Ry(0, 0) = cosBank;
    Ry(0, 2) = sinBank;
    Ry(1, 1) = 1.0;
    Ry(2, 0) = -sinBank;
    Ry(2, 2) = cosBank;
    Ry(3, 3) = 1.0;

    Matrix4 F = Matrix4::Identity();
    F(2, 2) = -1.0;

    Matrix4 S;
    S(0, 0) = 1.0;
    S(1, 2) = 1.0;
    S(2, 1) = -1.0;
    S(3, 3) = 1.0;

    Matrix4 Pd;
    Pd(0, 0) = d;
    Pd(1, 1) = d;
    Pd(2, 3) = 1.0;
    Pd(3, 3) = d;

    Matrix4 C = Matrix4::Identity();
    C(3, 0) = cx;
    C(3, 1) = cy;

    P = T * Rz * Rx * Ry * F * S * Pd * C;
}

bool RenderCamera::ProjectToScreen(const Vector4& point, int& column, int& row) const {
    const Vector4 v = point * P;
    if (v.w < 0.0) return false;
    const double w = v.w < 1e-18 ? 1e-18 : v.w;
    const double c = v.x / w;
    const double r = -(v.y / w);
    if (!(c >= -kScreenLimit && c <= kScreenLimit && r >= -kScreenLimit && r <= kScreenLimit)) return false;
    column = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
}

double RenderCamera::RayPlaneHit(double c, double r, const Vector4& p0, const Vector4& p1, const Vector4& p2,
                                 Vector4& hit) const {
    const Vector4 ray = ViewRay(c, r);
    const double t = RayPlane::Through(eye, p0, p1, p2).HitParameter(ray);
    hit = Vector4(eye.x + t * ray.x, eye.y + t * ray.y, eye.z + t * ray.z, 1.0);
    return t;
}

#pragma once
// Vector4: a homogeneous double vector. Points carry w = 1, directions w = 0. Sums, differences and the
// division by a scalar act on all four components; the cross product uses the x, y, z parts and gives a
// point-like result (w = 1), as the grid normals expect.

#include <cmath>

struct Vector4 {
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;

    constexpr Vector4() = default;
    constexpr Vector4(double x_, double y_, double z_, double w_) : x(x_), y(y_), z(z_), w(w_) {}

    static constexpr Vector4 Point(double x, double y, double z) { return {x, y, z, 1.0}; }
    static constexpr Vector4 Direction(double x, double y, double z) { return {x, y, z, 0.0}; }

    constexpr Vector4 operator+(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    constexpr Vector4 operator-(const Vector4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    constexpr Vector4 operator/(double s) const { return {x / s, y / s, z / s, w / s}; }
    constexpr bool operator==(const Vector4&) const = default;
};

// The cross product of the x, y, z parts; the result carries w = 1.
constexpr Vector4 Cross(const Vector4& a, const Vector4& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 1.0};
}

// The dot product of the x, y, z parts.
constexpr double Dot3(const Vector4& a, const Vector4& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The length of the x, y, z part.
inline double Length3(const Vector4& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

#pragma once
// A 2-D vector of doubles: positions, directions and steps of the curved flight path in map coordinates.

#include <cmath>

struct Vector2 {
    double x = 0.0;
    double y = 0.0;

    Vector2() = default;
    Vector2(double xValue, double yValue) : x(xValue), y(yValue) {}

    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    Vector2 operator*(double k) const { return {x * k, y * k}; }
    Vector2 operator/(double k) const { return {x / k, y / k}; }
    Vector2& operator+=(const Vector2& o) { return *this = *this + o; }
    Vector2& operator-=(const Vector2& o) { return *this = *this - o; }

    double length() const { return std::sqrt(x * x + y * y); }
    // The z component of the 3-D cross product of (x, y, 0) and (o.x, o.y, 0).
    double cross(const Vector2& o) const { return x * o.y - y * o.x; }
    bool operator==(const Vector2&) const = default;
};

inline Vector2 operator*(double k, const Vector2& v) {
    return v * k;
}

#pragma once
// Matrix4: 4 x 4 doubles applied to row vectors (v' = v * M), element [i][j] at position 4*i + j.
// Translations sit in row 3. The product A * B applies A first: v * (A * B) = (v * A) * B.

#include "renderer/Vector4.h"

struct Matrix4 {
    double m[16] = {};

    static constexpr Matrix4 Identity() {
        Matrix4 r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
        return r;
    }

    constexpr double& operator()(int i, int j) { return m[4 * i + j]; }
    constexpr double operator()(int i, int j) const { return m[4 * i + j]; }

    constexpr Matrix4 operator*(const Matrix4& b) const {
        Matrix4 r;
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                r.m[4 * i + j] = m[4 * i + 0] * b.m[0 + j] + m[4 * i + 1] * b.m[4 + j] +
                                 m[4 * i + 2] * b.m[8 + j] + m[4 * i + 3] * b.m[12 + j];
            }
        }
        return r;
    }
};

// The row vector v transformed by M.
constexpr Vector4 operator*(const Vector4& v, const Matrix4& M) {
    const double* a = M.m;
    return {v.x * a[0] + v.y * a[4] + v.z * a[8] + v.w * a[12],
            v.x * a[1] + v.y * a[5] + v.z * a[9] + v.w * a[13],
            v.x * a[2] + v.y * a[6] + v.z * a[10] + v.w * a[14],
            v.x * a[3] + v.y * a[7] + v.z * a[11] + v.w * a[15]};
}

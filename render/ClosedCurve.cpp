#include "render/ClosedCurve.h"

#include <cmath>
#include <stdexcept>

ClosedCurve::ClosedCurve(const std::vector<Vector2>& points, int total, CurveState& curveState)
    : state(curveState) {
    const size_t n = points.size();
    if (n < 3) throw std::invalid_argument("ClosedCurve needs at least three points");

    // Padded list: P(n-3), P(n-2), P(n-1), P0 ... P(n-1), P0, P1, P2.
    q.reserve(n + 6);
    for (size_t i = n - 3; i < n; ++i) q.push_back(points[i]);
    for (size_t i = 0; i < n; ++i) q.push_back(points[i]);
    for (size_t i = 0; i < 3; ++i) q.push_back(points[i]);
    const size_t count = q.size();

    s.assign(count, 0.0);
    for (size_t i = 1; i < count; ++i) s[i] = s[i - 1] + (q[i] - q[i - 1]).length();

    // Differences between consecutive padded points, two extrapolated ones added at each end:
    // m[k + 2] is the difference Q(k+1) - Q(k) for k = -2 ... count.
    std::vector<Vector2> m(count + 3);
    for (size_t k = 0; k + 1 < count; ++k) m[k + 2] = q[k + 1] - q[k];
    m[1] = 2.0 * m[2] - m[3];
    m[0] = 2.0 * m[1] - m[2];
    m[count + 1] = 2.0 * m[count] - m[count - 1];
    m[count + 2] = 2.0 * m[count + 1] - m[count];

    // Tangent at Q(i) from the two differences before it and the two after it.
    t.assign(count, Vector2{});
    for (size_t i = 0; i < count; ++i) {
        const Vector2& mm2 = m[i];     // Q(i-1) - Q(i-2)
        const Vector2& mm1 = m[i + 1]; // Q(i) - Q(i-1)
        const Vector2& m0 = m[i + 2];  // Q(i+1) - Q(i)
        const Vector2& m1 = m[i + 3];  // Q(i+2) - Q(i+1)
        const double w1 = std::fabs(m0.cross(m1));
        const double w2 = std::fabs(mm2.cross(mm1));
        const Vector2 tangent = w1 * mm1 + w2 * m0;
        const double len = tangent.length();
        t[i] = len == 0.0 ? Vector2{} : tangent / len;
    }

    // Hermite coefficients per segment, separately for x and y.
    segments.resize(count - 1);
    for (size_t i = 0; i + 1 < count; ++i) {
        const double h = s[i + 1] - s[i];
        auto coefficients = [h](double p0, double p1, double t0, double t1) {
            std::array<double, 4> c{p0, t0, 0.0, 0.0};
            if (h != 0.0) {
                c[2] = 3.0 * ((p1 - p0) - (t0 + (t1 - t0) / 3.0) * h) / (h * h);
                c[3] = ((t1 - t0) - 2.0 * c[2] * h) / (3.0 * h * h);
            }
            return c;
        };
        segments[i].cx = coefficients(q[i].x, q[i + 1].x, t[i].x, t[i + 1].x);
        segments[i].cy = coefficients(q[i].y, q[i + 1].y, t[i].y, t[i + 1].y);
    }

    currentParam = s[3];
    endParam = s[n + 3];
    // One full loop in (Total - 1) steps. A total below 2 would divide by zero or step backwards and never
    // reach the end: such a loop is flown in one step.
    stepSize = total >= 2 ? (endParam - currentParam) / (total - 1) : endParam - currentParam;
}

Vector2 ClosedCurve::PointAt(double p) const {
    size_t i = 0;
    while (i + 1 < segments.size() && !(s[i] <= p && p <= s[i + 1])) ++i;
    const double u = p - s[i];
    const Segment& seg = segments[i];
    auto eval = [u](const std::array<double, 4>& c) { return ((c[3] * u + c[2]) * u + c[1]) * u + c[0]; };
    return {eval(seg.cx), eval(seg.cy)};
}

bool ClosedCurve::Step() {
    if (endParam - 0.000000001 <= currentParam) return true;

    const Vector2 next = PointAt(currentParam);
    const Vector2 delta = next - state.position;
    state.position = next;
    state.direction = (9.0 * state.direction + delta) / 10.0;
    const double lengthSquared = delta.x * delta.x + delta.y * delta.y;
    // A step of length zero (the first point of a curve that starts where the last one stood) has no
    // curvature; the formula would give 0 * infinity.
    const double k =
        lengthSquared == 0.0 ? 0.0 : state.direction.cross(delta) * std::pow(lengthSquared, -1.5);
    state.curvature = (9.0 * state.curvature + k) / 10.0;
    currentParam += stepSize;
    return false;
}

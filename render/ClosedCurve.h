#pragma once
// ClosedCurve: the closed, smooth curve of a curved flight through the path points (map coordinates),
// flown at constant speed along the chord-length parameter in (Total - 1) equal steps for one full loop.
//
// The points are padded with the last three in front and the first three behind so that the curve closes
// on itself; each segment between two padded points is a cubic Hermite segment whose end tangents are
// weighted from the neighbouring chords (see docs/camera-path.md).

#include "render/Vector2.h"

#include <array>
#include <vector>

// What the curve updates at every step. It belongs to the caller and keeps its values from one curve to
// the next (the warm-up curve hands it to the real one).
struct CurveState {
    Vector2 position;       // the point reached by the last step
    Vector2 direction;      // smoothed step vector (about one step long, not a unit vector)
    double curvature = 0.0; // smoothed signed curvature
};

class ClosedCurve {
public:
    // points must hold at least three points. state is updated by Step and must outlive the curve.
    ClosedCurve(const std::vector<Vector2>& points, int total, CurveState& state);

    // Moves to the next point of the curve and returns false; returns true (changing nothing) once the
    // current parameter has reached the end of the loop.
    bool Step();

    // Introspection for tests and the path editor.
    const std::vector<Vector2>& padded() const { return q; }
    const std::vector<double>& chordLengths() const { return s; }
    const std::vector<Vector2>& tangents() const { return t; }
    double current() const { return currentParam; }
    double end() const { return endParam; }
    double step() const { return stepSize; }
    // The curve's point at chord parameter p (p within [s0, s(N-1)]).
    Vector2 PointAt(double p) const;

private:
    struct Segment {
        std::array<double, 4> cx{}; // c0..c3 for x
        std::array<double, 4> cy{}; // c0..c3 for y
    };

    std::vector<Vector2> q; // padded points
    std::vector<double> s;  // cumulative chord lengths
    std::vector<Vector2> t; // unit tangents (zero where undefined)
    std::vector<Segment> segments;
    double currentParam = 0.0;
    double endParam = 0.0;
    double stepSize = 0.0;
    CurveState& state;
};

#pragma once
// The eased interpolation of the straight flight path: every animated value runs from its first-frame value
// to its last-frame value along f(t), which starts and ends the motion gently when the smoothness is set.

// The interpolation parameter of a frame: index / (total - 1), or 0 when total is below 2.
double FrameParameter(int index, int total);

// f(t) for smoothness s: t itself for s = 0; otherwise the symmetric ease-in/ease-out curve with
// f(0) = 0, f(0.5) = 0.5 and f(1) = 1.
double EaseFactor(double t, double smoothness);

// first + (last - first) * f(t).
double Ease(double first, double last, double t, double smoothness);

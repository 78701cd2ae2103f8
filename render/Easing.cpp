#include "render/Easing.h"

#include <cmath>

double FrameParameter(int index, int total) {
    if (total < 2) return 0.0;
    return static_cast<double>(index) / static_cast<double>(total - 1);
}

double EaseFactor(double t, double smoothness) {
    if (smoothness == 0.0) return t;
    const double s = smoothness;
    const double k = 1.0 / (1.0 - std::exp(-0.5 / s));
    if (t < 0.5) return k * t * (1.0 - std::exp(-t / s));
    return 1.0 - k * (1.0 - t) * (1.0 - std::exp(-(1.0 - t) / s));
}

double Ease(double first, double last, double t, double smoothness) {
    return first + (last - first) * EaseFactor(t, smoothness);
}

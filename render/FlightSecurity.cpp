#include "render/FlightSecurity.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double radiansToDegrees = 180.0 / 3.14159265358979323846;
}

FlightSecurityParams FlightSecurityParams::FromJob(double averageHeight, double previewRange,
                                                   double pitchOffset, int total) {
    FlightSecurityParams params;
    params.averageHeight = averageHeight == 0.0 ? 60.0 : averageHeight;
    params.previewRange = previewRange == 0.0 ? 100.0 : previewRange;
    params.pitchOffset = pitchOffset;
    params.weight = std::max(static_cast<double>(total) / 25.0, 1.5);
    return params;
}

void FlightSecurity::Update(const Vector2& position, const Vector2& direction,
                            const Vector2& previousPosition, double zScale, const MapHeightLookup& height) {
    const double w = p.weight;
    const Vector2 lookAhead = position + p.previewRange * direction;
    const double previousAltitude = a;
    a = ((w - 1.0) * a + height(lookAhead) * zScale + p.averageHeight) / w;
    const double stepLength = (position - previousPosition).length();
    const double climb = std::atan2(a - previousAltitude, stepLength) * radiansToDegrees;
    theta = ((w - 1.0) * theta + climb + p.pitchOffset) / w;
}

void FlightSecurity::GroundClearance(const Vector2& position, double zScale, const MapHeightLookup& height) {
    const double ground = height(position) * zScale;
    if (a - ground < 1.0) a = ground + 1.0;
}

#pragma once
// Flight security: on a curved flight the camera follows the terrain by itself. For every step along the
// curve the altitude is pulled towards the terrain height some steps ahead plus the average height above
// ground, the pitch towards the climb angle plus the pitch offset, both smoothed; for drawn frames the
// ground clearance then keeps the camera at least one unit above the ground under it.

#include "render/Vector2.h"

#include <functional>

// The terrain height, in elevation-file units (before the z scale), under a map point.
using MapHeightLookup = std::function<double(const Vector2& mapPoint)>;

struct FlightSecurityParams {
    double averageHeight = 60.0; // H; a job value of 0 means 60
    double previewRange = 100.0; // R, in steps ahead; a job value of 0 means 100
    double pitchOffset = 0.0;    // degrees, added to the climb angle
    double weight = 1.5;         // smoothing weight w = Total / 25, at least 1.5

    // The parameters of a job: 0 for the average height or the preview range takes its default.
    static FlightSecurityParams FromJob(double averageHeight, double previewRange, double pitchOffset,
                                        int total);
};

class FlightSecurity {
public:
    explicit FlightSecurity(const FlightSecurityParams& params) : p(params) {}

    // One update per curve step: position and smoothed direction of the curve, the previous position and
    // the frame's elevation z scale.
    void Update(const Vector2& position, const Vector2& direction, const Vector2& previousPosition,
                double zScale, const MapHeightLookup& height);

    // For drawn frames, after the update: lifts the altitude to 1.0 above the ground under the position.
    // The raised value stays for the following steps.
    void GroundClearance(const Vector2& position, double zScale, const MapHeightLookup& height);

    double altitude() const { return a; }
    double pitch() const { return theta; }
    const FlightSecurityParams& params() const { return p; }

private:
    FlightSecurityParams p;
    double a = 0.0;
    double theta = 0.0;
};

#include "render/CameraPath.h"

#include "render/ClosedCurve.h"
#include "render/Easing.h"
#include "render/FlightSecurity.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
constexpr double pi = 3.14159265358979323846;
constexpr double radiansToDegrees = 180.0 / pi;

// Calls endLoop however the loop is left.
class LoopScope {
public:
    explicit LoopScope(PathFrameSink& s) : sink(s) { sink.beginLoop(); }
    ~LoopScope() { sink.endLoop(); }
    LoopScope(const LoopScope&) = delete;
    LoopScope& operator=(const LoopScope&) = delete;

private:
    PathFrameSink& sink;
};
} // namespace

double FrameDust(const JobValues& job, double t) {
    if (job.dustE == 0.0) return job.dustA;
    return Ease(job.dustA, job.dustE, t, job.smoothness);
}

int PlannedFrameCount(int pathType, int from, int to, int total) {
    const int last = pathType != 0 ? std::min(to, std::max(total - 2, 0)) : to;
    return std::max(0, last - from + 1);
}

void RunStraightPath(const JobValues& job, const WorldHeightLookup& height, PathFrameSink& sink) {
    LoopScope scope(sink);
    const double s = job.smoothness;
    for (int index = job.from; index <= job.to && !sink.stopRequested(); ++index) {
        const double t = FrameParameter(index, job.total);
        PathFrame f;
        f.index = index;
        f.x = Ease(job.xA, job.xE, t, s);
        f.y = Ease(job.yA, job.yE, t, s);
        f.z = Ease(job.zA, job.zE, t, s);
        f.heading = Ease(job.headingA, job.headingE, t, s);
        f.pitch = Ease(job.pitchA, job.pitchE, t, s);
        f.focalLength = Ease(job.focalA, job.focalE, t, s);
        f.roll = Ease(job.rollA, job.rollE, t, s);
        f.zScale = Ease(job.scaleZA, job.scaleZE, t, s);
        f.dust = FrameDust(job, t);
        f.recorder = RecorderRow{f.x, f.y, f.z, f.z - height(f.x, f.y) * f.zScale, f.pitch, f.roll, 0.0};
        sink.drawFrame(f);
        if (index == job.to) break; // To may be INT_MAX
    }
}

bool RunCurvedPath(const JobValues& job, double extentY, const WorldHeightLookup& height,
                   PathFrameSink& sink) {
    if (job.points.size() < 3) return false;

    // The terrain under a map point is the terrain at the world point (x, extentY - y).
    const MapHeightLookup mapHeight = [&](const Vector2& m) { return height(m.x, extentY - m.y); };
    FlightSecurity security(
        FlightSecurityParams::FromJob(job.averageHeight, job.previewRange, job.pitchA, job.total));

    CurveState state; // position, direction and curvature start at zero
    Vector2 previous;

    // Warm-up: one full loop with the frame index held at 0; nothing is drawn.
    {
        const double zScale0 = Ease(job.scaleZA, job.scaleZE, FrameParameter(0, job.total), job.smoothness);
        ClosedCurve warmUp(job.points, job.total, state);
        warmUp.Step();
        for (;;) {
            security.Update(state.position, state.direction, previous, zScale0, mapHeight);
            previous = state.position;
            if (warmUp.Step()) break;
        }
    }

    // The real loop continues from the state the warm-up left.
    previous = state.position;
    ClosedCurve curve(job.points, job.total, state);
    bool finished = curve.Step();
    LoopScope scope(sink);
    for (int index = 0; !finished; ++index) {
        const double t = FrameParameter(index, job.total);
        const double zScale = Ease(job.scaleZA, job.scaleZE, t, job.smoothness);
        const double dust = FrameDust(job, t);
        security.Update(state.position, state.direction, previous, zScale, mapHeight);
        if (sink.stopRequested()) break;
        if (job.from <= index && index <= job.to) {
            security.GroundClearance(state.position, zScale, mapHeight);
            PathFrame f;
            f.index = index;
            f.x = state.position.x;
            f.y = extentY - state.position.y;
            f.z = security.altitude();
            f.heading = (std::atan2(state.direction.y, state.direction.x) + pi / 2.0) * radiansToDegrees;
            f.pitch = security.pitch();
            f.focalLength = job.focalA;
            f.roll = std::atan(job.rollFactor * state.curvature) * radiansToDegrees;
            f.zScale = zScale;
            f.dust = dust;
            f.recorder = RecorderRow{
                state.position.x, state.position.y, f.z, f.z - mapHeight(state.position) * zScale, f.pitch,
                f.roll,           state.curvature};
            sink.drawFrame(f);
        }
        previous = state.position;
        finished = curve.Step();
    }
    return true;
}

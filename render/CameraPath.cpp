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

double FrameDust(const CSceneParams& job, double t) {
    if (job.DustE == 0.0) return job.DustA;
    return Ease(job.DustA, job.DustE, t, job.Smoothness);
}

int PlannedFrameCount(int pathType, int from, int to, int total) {
    const int last = pathType != 0 ? std::min(to, std::max(total - 2, 0)) : to;
    return std::max(0, last - from + 1);
}

void RunStraightPath(const CSceneParams& job, const WorldHeightLookup& height, PathFrameSink& sink) {
    LoopScope scope(sink);
    const double s = job.Smoothness;
    for (int index = job.From; index <= job.To && !sink.stopRequested(); ++index) {
        if (!sink.drawsFrame(index)) {
            if (index == job.To) break;
            continue;
        }
        const double t = FrameParameter(index, job.Total);
        PathFrame f;
        f.index = index;
        f.x = Ease(job.XA, job.XE, t, s);
        f.y = Ease(job.YA, job.YE, t, s);
        f.z = Ease(job.ZA, job.ZE, t, s);
        f.heading = Ease(job.HeadingA, job.HeadingE, t, s);
        f.pitch = Ease(job.PitchA, job.PitchE, t, s);
        f.focalLength = Ease(job.FocalLengthA, job.FocalLengthE, t, s);
        f.roll = Ease(job.RollA, job.RollE, t, s);
        f.zScale = Ease(job.ElevScaleZA, job.ElevScaleZE, t, s);
        f.dust = FrameDust(job, t);
        f.recorder = RecorderRow{f.x, f.y, f.z, f.z - height(f.x, f.y) * f.zScale, f.pitch, f.roll, 0.0};
        sink.drawFrame(f);
        if (index == job.To) break; // To may be INT_MAX
    }
}

bool RunCurvedPath(const CSceneParams& job, double extentY, const WorldHeightLookup& height,
                   PathFrameSink& sink) {
    if (job.lastIndex < 2) return false;
    std::vector<Vector2> points;
    for (int i = 0; i <= job.lastIndex; ++i) points.emplace_back(job.points[i].x, job.points[i].y);

    // The terrain under a map point is the terrain at the world point (x, extentY - y).
    const MapHeightLookup mapHeight = [&](const Vector2& m) { return height(m.x, extentY - m.y); };
    FlightSecurity security(
        FlightSecurityParams::FromJob(job.AverageHeight, job.PreviewRange, job.PitchA, job.Total));

    CurveState state; // position, direction and curvature start at zero
    Vector2 previous;

    // Warm-up: one full loop with the frame index held at 0; nothing is drawn.
    {
        const double zScale0 =
            Ease(job.ElevScaleZA, job.ElevScaleZE, FrameParameter(0, job.Total), job.Smoothness);
        ClosedCurve warmUp(points, job.Total, state);
        warmUp.Step();
        for (;;) {
            security.Update(state.position, state.direction, previous, zScale0, mapHeight);
            previous = state.position;
            if (warmUp.Step()) break;
        }
    }

    // The real loop continues from the state the warm-up left.
    previous = state.position;
    ClosedCurve curve(points, job.Total, state);
    bool finished = curve.Step();
    LoopScope scope(sink);
    for (int index = 0; !finished; ++index) {
        const double t = FrameParameter(index, job.Total);
        const double zScale = Ease(job.ElevScaleZA, job.ElevScaleZE, t, job.Smoothness);
        const double dust = FrameDust(job, t);
        security.Update(state.position, state.direction, previous, zScale, mapHeight);
        if (sink.stopRequested()) break;
        // The clearance of every frame of the range, drawn here or not, holds for the steps after it.
        const bool inRange = job.From <= index && index <= job.To;
        if (inRange) security.GroundClearance(state.position, zScale, mapHeight);
        if (inRange && sink.drawsFrame(index)) {
            PathFrame f;
            f.index = index;
            f.x = state.position.x;
            f.y = extentY - state.position.y;
            f.z = security.altitude();
            f.heading = (std::atan2(state.direction.y, state.direction.x) + pi / 2.0) * radiansToDegrees;
            f.pitch = security.pitch();
            f.focalLength = job.FocalLengthA;
            f.roll = std::atan(job.RollFactor * state.curvature) * radiansToDegrees;
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

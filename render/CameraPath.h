#pragma once
// The two frame loops of a render run. The straight loop eases every camera value from its first-frame to
// its last-frame value; the curved loop flies the closed curve through the path points with flight security.
// For every produced frame they hand the camera, the elevation z scale, the dust value and the flight
// recorder's row to a sink, which draws and writes the frame.

#include "render/FlightRecorder.h"
#include "scene/SceneParams.h"

#include <functional>

struct PathFrame {
    int index = 0;
    // Camera position in world coordinates, angles in degrees.
    double x = 0, y = 0, z = 0;
    double heading = 0, pitch = 0, focalLength = 0, roll = 0;
    double zScale = 0;
    double dust = 0;
    RecorderRow recorder;
};

class PathFrameSink {
public:
    virtual ~PathFrameSink() = default;
    virtual bool stopRequested() const = 0;
    // The loop starts producing frames (the recorder file is opened here).
    virtual void beginLoop() {}
    // Whether the frame of index (in the range) is drawn. One that is not still steers the flight as in
    // a whole run: a curved flight's ground clearance of a frame holds for the steps after it.
    virtual bool drawsFrame(int /*index*/) const { return true; }
    // The per-frame step for one produced frame, followed by its recorder row.
    virtual void drawFrame(const PathFrame& frame) = 0;
    // The loop has ended, also when it was stopped (the recorder file is closed here).
    virtual void endLoop() {}
};

// The terrain height in elevation-file units at a world point.
using WorldHeightLookup = std::function<double(double x, double y)>;

// The dust value of parameter t: constant first-frame dust when the last-frame dust is exactly 0.
double FrameDust(const CSceneParams& job, double t);

// How many frames the loop of the path type (0 straight, else curved) draws: From ... To, on a curve no
// further than its last frame Total - 2. Shared by the run and the command line's choice of threads.
int PlannedFrameCount(int pathType, int from, int to, int total);

// Frames From ... To (inclusive) while the sink does not ask to stop.
void RunStraightPath(const CSceneParams& job, const WorldHeightLookup& height, PathFrameSink& sink);

// The curved flight: a warm-up loop that settles direction, curvature, altitude and pitch, then the real loop
// producing the frame indices 0 ... Total - 2, of which From ... To are drawn. extentY is the terrain's
// extent in y (map point (x, y) is world point (x, extentY - y)). Needs at least three points (returns
// false without producing anything otherwise).
bool RunCurvedPath(const CSceneParams& job, double extentY, const WorldHeightLookup& height,
                   PathFrameSink& sink);

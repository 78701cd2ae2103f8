#pragma once
// A scene's flight held in memory, so that any of its frames can be shown again, in any order and as often
// as wanted, with nothing written: the preview player of a rendering window. The path is flown once, as a
// run flies it (a curved flight's state after a step depends on every step before it), and the camera of
// every drawn frame is kept. A frame is then drawn from its camera: as the Preview's wire model, or with the
// terrain shaded as Final shades it, at the scene's size or smaller.

#include "render/CameraPath.h"
#include "render/WireModel.h"

#include <memory>
#include <vector>

class CSceneParams;
class CTGAFile;
class Platform;
class Progress;
struct RenderContext;

class FlightPlayback {
public:
    // Loads the scene's images as a Final run does and flies its path. Nullptr when the scene cannot be
    // rendered; platform has told the user why.
    static std::unique_ptr<FlightPlayback> Load(const CSceneParams& job, Platform& platform,
                                                int antialiasing);
    ~FlightPlayback();

    int frameCount() const { return static_cast<int>(frames.size()); }
    // The frame at position 0 ... frameCount() - 1; its index is the frame's number in the run.
    const PathFrame& frame(int position) const { return frames.at(static_cast<size_t>(position)); }
    const std::vector<PathFrame>& allFrames() const { return frames; }
    // The pace of playback: the scene's video frame rate, the rate its video would play at.
    double framesPerSecond() const;

    // The scale at which a shaded frame fits into maxWidth x maxHeight pixels (1 when the scene's size does).
    double FitScale(int maxWidth, int maxHeight) const;

    // The frame at position with the shaded terrain of a Final run, at the scene's size times scale, into
    // picture (made at that size). At scale 1 the mask is laid over it too: the pixels of the run's frame.
    void RenderShaded(int position, double scale, CTGAFile& picture, int threads, Progress& progress) const;
    // The frame's wire model at the scene's size, as a Preview draws it.
    std::vector<WireSegment> WireFrame(int position) const;

private:
    FlightPlayback();

    std::unique_ptr<RenderContext> context;
    std::unique_ptr<WireModel> wire;
    std::vector<PathFrame> frames;
};

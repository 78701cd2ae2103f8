#pragma once
// The three parts of a render run: set-up (render/RunSetUp.cpp), frame production (with RunJob, which
// strings the parts together, in render/RenderRun.cpp) and output (render/RunOutput.cpp).

#include "image/Gelaende.h"
#include "render/CameraPath.h"
#include "render/FlightRecorder.h"
#include "render/RenderRun.h"
#include "renderer/ElevationPyramid.h"
#include "renderer/TerrainRenderer.h"
#include "renderer/TextureSampler.h"
#include "scene/SceneParams.h"

#include <memory>

// What the caller handed to RunJob.
struct RunCaller {
    CTGAFile& picture;
    const RunOptions& options;
    Platform& platform;
    Progress& control;
    RenderObserver& observer;
    RunResult& result;
};

// The job and its images, loaded once; the frame threads read them at the same time.
struct RenderContext {
    CSceneParams job;
    int antialiasing = 10;          // the filter of the run's images
    std::unique_ptr<CTGAFile> mask; // when the job uses one: the picture's size
    std::unique_ptr<CTGAFile> texture;
    std::unique_ptr<TextureSampler> sampler; // of the texture, Raw and Final
    std::unique_ptr<CGelaende> elevation;
    std::unique_ptr<ElevationPyramid> pyramid; // of the elevation, Raw and Final
    std::unique_ptr<WireModel> wire;           // Preview
    // What every frame is rendered with (the camera, picture, z scale and dust come with the frame).
    FrameInputs frame;
    // Raw and Final: the job's supersampling factor k (frames are rendered at k times the output's width
    // and height and shrunk into the picture); 1 in Preview.
    int supersampling = 1;
};

// Reads jobFile into context and loads its images. The picture is (re)made at the job's output size when
// its size differs. False when the run cannot go on: the user has been told why (also by the loaders).
bool SetUpRun(const std::string& jobFile, int antialiasing, const RunCaller& caller, RenderContext& context);
// The same for the job already in context.job (a player that renders frames of a scene it holds).
bool SetUpJob(int antialiasing, const RunCaller& caller, RenderContext& context);

// The camera of a picture of width x height pixels, the camera of a path frame, and the picture of a frame
// before its terrain: the background of the job.
RenderCamera PictureCamera(const Vector4& light, int width, int height);
void SetFrameView(RenderCamera& camera, const PathFrame& frame);
void StartFramePicture(const CSceneParams& job, const Vector4& light, CTGAFile& picture);

// What ends a run when one of its input files changed on disk while frames were being made from it (the
// inputs are mapped into memory: a frame made then may mix the old file with the new).
struct InputChanged {
    std::string file;
};
// Throws InputChanged when the elevation or the texture file changed since the run opened it.
void CheckInputsUnchanged(const RenderContext& context);

// Raw and Final: the message naming an output file of the run (a frame's TGA or YUV file, the recorder file)
// that is the scene file or one of the job's input files, and that input; "" when there is none.
std::string OutputOverInput(const CSceneParams& job, const RunOptions& options);

// The frames' names, the mask, the TGA and YUV files of the job's format, the flight recorder.
class RunOutput {
public:
    RunOutput(const RenderContext& context, const RunCaller& caller);

    // The name the files of frame index get; empty when the template cannot form one.
    std::string frameName(int index) const;
    // Lays the mask over the picture, hands it to the frame sink and writes it as the files of the frame
    // named name (unless the run writes no frame files).
    void writeFrame(const std::string& name);

    void openRecorder();
    void recordRow(const RecorderRow& row) { recorder.WriteRow(row); } // nothing when not recording
    // Puts the recorder file in place; the result hears when rows were lost.
    void closeRecorder();

private:
    const RenderContext& context;
    const RunCaller& caller;
    FlightRecorder recorder;
    bool reportedBadTemplate = false;
};

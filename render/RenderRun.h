#pragma once
// The render run: everything a rendering window does with a job file apart from showing it. It reads the
// job, loads the mask, texture and elevation data, flies the straight or the curved path and, for every
// frame, draws the wire model (Preview) or renders the terrain and writes the frame's files (Raw, Final),
// logging the flight recorder's rows. However the run ends, its images are released and the job file is
// deleted before RunJob returns.
//
// The caller owns the picture document the frames are rendered into (the window shows it), a Progress
// object that carries the percentages, the stop request and the message pump, and an observer that hears
// about frames, written files and the end of the run.

#include "render/FlightRecorder.h"
#include "render/PartRun.h"
#include "render/WireModel.h"
#include "renderer/CollinearShading.h"
#include "renderer/RenderMode.h"

#include <optional>
#include <string>
#include <vector>

class CSceneParams;
class CTGAFile;
class FrameSink;
class Platform;
class Progress;
class SettingsStore;

enum class RunOutcome {
    Completed, // every frame of the range was produced
    Stopped,   // the user stopped the run
    Failed,    // the run ended at set-up (a file could not be loaded, the mask did not fit, ...), or later
               // for want of memory or because an input file changed on disk
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Failed;
    bool closeWindow = false;         // the window should close (after a stop, or when the mask did not fit)
    int framesDrawn = 0;              // frames whose per-frame step ran
    std::vector<std::string> written; // every file written, in order
    int writeFailures = 0;            // files the user gave up writing (the retry question answered No)
    bool recorderFailed = false;      // the flight recorder file was not written (the user has been told)
};

class RenderObserver {
public:
    virtual ~RenderObserver() = default;
    // How many frames the loop will produce (before the first one; 0 when none).
    virtual void framesPlanned(int /*count*/) {}
    // A frame starts; outputName is the name its files get (in Preview nothing is written).
    virtual void frameStarting(int /*index*/, const std::string& /*outputName*/) {}
    // The picture has new content worth showing (the white start, a finished frame).
    virtual void pictureChanged() {}
    // Preview: the frame's wire model, to be drawn over the (white) picture.
    virtual void wireModel(const std::vector<WireSegment>& /*segments*/) {}
    // The flight recorder's values of a drawn frame (whether or not a recorder file is written).
    virtual void frameRecorded(int /*index*/, const RecorderRow& /*row*/) {}
    // A file of the frame has been written.
    virtual void frameWritten(const std::string& /*path*/) {}
    // The run has ended (the job file is gone by now).
    virtual void runEnded(const RunResult& /*result*/) {}
};

struct RunOptions {
    RenderMode mode = RenderMode::Final;
    // Where "OVRECORD.XLS" is written; empty: the folder of the output files (the current directory when
    // the output name has no folder).
    std::string recorderFolder;
    // The scene's script file ("" for a scene never saved): no output of the run may replace it.
    std::string sceneFile;
    // The recorder's decimal separator; by default the user's (LC_NUMERIC of the environment).
    std::optional<char> decimalSeparator;
    // Raw and Final: how many frames are rendered at once (each in its own thread; the files, the recorder
    // rows and the observer's calls still come in frame order), and how many threads share one frame by
    // picture rows. The bytes written do not depend on either.
    int frameThreads = 1;
    int rowThreads = 1;
    // Raw and Final with a texture: shade each pixel once, after the frame's traversal (the same bytes,
    // sooner; a window watching the picture sees the frame appear at its end rather than grow).
    bool deferShading = false;
    // How triangles whose corners project onto one line are coloured; earlier versions' way only to
    // compare frames with theirs.
    CollinearShading collinear = CollinearShading::SumOfNormals;
    // Raw and Final: every frame, masked, also goes to this sink (not owned), in frame order.
    FrameSink* frameSink = nullptr;
    // False: the frames go only to the sink; no frame files are written.
    bool writeFrameFiles = true;
    // Raw and Final: draw only this part's share of the frames (their camera values those of the whole
    // flight); the recorder rows go to the part's own file.
    RunPart part;
};

// The name of the files of frame index (the TGA name; the YUV file's is made from it); "" when the
// output template cannot form one.
std::string RunFrameName(const CSceneParams& job, int index);
// Where the run's flight recorder file goes.
std::string RunRecorderPath(const CSceneParams& job, const RunOptions& options);

// Runs the job in jobFile into picture and deletes jobFile. The picture is (re)made at the job's output
// size when its size differs. Messages and retry questions go to platform; "Antialiasing" of settings
// fixes the filter of the images the run loads.
RunResult RunJob(const std::string& jobFile, CTGAFile& picture, const RunOptions& options, Platform& platform,
                 SettingsStore& settings, Progress& control, RenderObserver& observer);

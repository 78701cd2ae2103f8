#pragma once
// Writes rendered frames straight into a video file: H.264 in MP4 for ".mp4", VP9 in WebM for ".webm".
// Every frame is converted and encoded when it is added, so memory does not grow with the number of frames.
//
// The file is written under a temporary name in the target's folder (unnamed where the file system allows)
// and put in the target's place only by finish(). A writer that is destroyed without finish() (an error,
// a stop by the user) follows its settings' policy: Abandon leaves no file at all; KeepFramesSoFar ends
// the video after the frames added so far and puts that playable file in place. Either way the target
// never holds a cut or broken file.
//
// One thread calls a writer; the encoder may use threads of its own.

#include "video/BgrToYuv420.h"

#include <memory>
#include <string>

namespace video {

enum class Unfinished { Abandon, KeepFramesSoFar };

struct VideoSettings {
    int fps = 25;
    // Constant quality; lower is better. -1: the default of the codec (defaultCrf), chosen so that every
    // frame of a rendered terrain flight keeps at least 38 dB PSNR.
    int crf = -1;
    // Speed of the encoder, as x264 names it (ultrafast ... veryslow; VP9 maps it to its own speeds).
    // Empty: defaultPreset, fast enough to keep pace with rendering.
    std::string preset;
    Unfinished unfinished = Unfinished::Abandon;
};

class VideoWriter {
public:
    // The defaults keep pace with a render on two cores and keep every frame of the demo flight above
    // 41 dB (H.264) and 40 dB (VP9). VP9 encodes the three fastest presets with its realtime speeds; the
    // slower ones take about four times as long.
    static constexpr int defaultCrfH264 = 20;
    static constexpr int defaultCrfVp9 = 30;
    static constexpr const char* defaultPreset = "veryfast";

    VideoWriter();
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Sets up the encoder and the temporary file for frames of width x height pixels (an odd size loses its
    // last column or bottom row: the video takes even sizes). Returns an error text, empty on success;
    // on failure nothing is left on disk.
    std::string open(const std::string& path, int width, int height, const VideoSettings& settings = {});
    // Encodes the next frame (the size given to open). Returns an error text, empty on success; after an
    // error the writer takes no more frames and finish() fails.
    std::string addFrame(const BgrFrame& frame);
    // Ends the video and puts the file in the target's place. Returns an error text, empty on success
    // (on failure no file is left).
    std::string finish();

    bool isOpen() const { return state != nullptr; }
    int videoWidth() const;
    int videoHeight() const;
    long long frameCount() const;

private:
    struct State;
    // Ends an open video as its policy says (destruction, or open() while one is open).
    void closeUnfinished();
    // keep: finish the video and put it in place (error text on failure, nothing left then); else drop it.
    std::string finishOrDrop(bool keep);
    std::unique_ptr<State> state;
};

} // namespace video

#pragma once
// The frames of a render run straight into a video file: the FrameSink the command line's render --video
// and the scene window's Render to Video hand to the run (render/FrameSink.h). Encoding errors are told
// once, through the caller's reporter; a stopped or failed run still ends with a playable video of the
// frames done so far, or with none.

#include "render/FrameSink.h"
#include "video/VideoWriter.h"

#include <functional>
#include <memory>
#include <string>

namespace video {

class VideoSink : public FrameSink {
public:
    using Reporter = std::function<void(const std::string& error)>;
    explicit VideoSink(Reporter report) : report(std::move(report)) {}

    // Sets up the encoder and the file for frames of width x height pixels; an error text (nothing left
    // on disk then), empty on success. Whatever happens later, the frames added so far stay playable.
    std::string open(const std::string& path, int width, int height, VideoSettings settings);

    bool addFrame(const CTGAFile& picture) override;

    enum class End {
        Written,  // the video is in place
        NoFrames, // no frame reached it: there is no file
        Failed,   // the error has been reported; there is no file
    };
    End end();

    long long frameCount() const { return writer ? writer->frameCount() : 0; }

private:
    void tell(const std::string& error);

    Reporter report;
    std::unique_ptr<VideoWriter> writer = std::make_unique<VideoWriter>();
    bool reported = false;
};

} // namespace video

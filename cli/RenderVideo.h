#pragma once
// The video of `render --video OUT [--fps N] [--crf N] [--frames]`: the frames of the run encoded as they
// come (video/VideoSink.h, in a build with FFmpeg). A stopped or failed run still ends with a playable
// video of the frames done so far, or with none.

#include "cli/Command.h"
#include "render/FrameSink.h"

#include <memory>
#include <string>
#include <vector>

class CSceneParams;

namespace cli {

class RenderVideo : public FrameSink {
public:
    // The options of render that belong to the video.
    static std::vector<Option> options();
    // A usage mistake in their combination ("" when there is none).
    static std::string usageMistake(const Args& args);

    // Sets up the encoder and the file of --video for the scene's frames, at the scene's frame rate and
    // quality unless --fps and --crf say otherwise. Nullptr after an error, with its message in error;
    // nothing is left on disk then.
    static std::unique_ptr<RenderVideo> open(const Args& args, const CSceneParams& scene, std::string& error);
    ~RenderVideo() override;

    // Tells stderr (once) when the encoder fails.
    bool addFrame(const CTGAFile& picture) override;
    // Ends the video: prints its path on stdout once it is in place (nothing is left when no frame reached
    // it), or the error on stderr and returns false.
    bool end();

private:
    RenderVideo();
    struct Writer;
    std::unique_ptr<Writer> writer;
    std::string path;
};

} // namespace cli

#pragma once
// The video writer's entry points as a table: orvantis-cli loads the writer as a module of its own the
// first time a command needs it (cli/Modules.h), so that FFmpeg and the libraries it brings are not bound
// at the start of every command. The sink is made and used through the table (and deleted through its
// virtual destructor), so the program holds none of the module's code.

#include "video/VideoSink.h"

#include <memory>
#include <string>

namespace video {

struct Functions {
    std::unique_ptr<VideoSink> (*makeSink)(VideoSink::Reporter report);
    std::string (*open)(VideoSink& sink, const std::string& path, int width, int height,
                        VideoSettings settings);
    VideoSink::End (*end)(VideoSink& sink);
};

} // namespace video

// The module's entry (the name the program looks up).
extern "C" const video::Functions* orvantis_video_functions();

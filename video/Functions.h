#pragma once
// The video writer's entry points as a table: orvantis-cli loads the writer as a module of its own the
// first time a command needs it (cli/Modules.h), so that FFmpeg and the libraries it brings are not bound
// at the start of every command. The program holds none of the module's code: it knows the sink as a
// FrameSink only (deleted through its virtual destructor), and opens and ends it through the table.

#include "video/VideoSink.h"

#include <memory>
#include <string>

namespace video {

// `sink` is always one that makeSink made (a VideoSink).
struct Functions {
    std::unique_ptr<FrameSink> (*makeSink)(VideoSink::Reporter report);
    std::string (*open)(FrameSink& sink, const std::string& path, int width, int height,
                        VideoSettings settings);
    VideoSink::End (*end)(FrameSink& sink);
};

} // namespace video

// The module's entry (the name the program looks up).
extern "C" const video::Functions* orvantis_video_functions();

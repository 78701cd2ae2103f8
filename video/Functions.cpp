#include "video/Functions.h"

extern "C" __attribute__((visibility("default"))) const video::Functions* orvantis_video_functions() {
    static const video::Functions functions{
        [](video::VideoSink::Reporter report) {
            return std::make_unique<video::VideoSink>(std::move(report));
        },
        [](video::VideoSink& sink, const std::string& path, int width, int height,
           video::VideoSettings settings) { return sink.open(path, width, height, std::move(settings)); },
        [](video::VideoSink& sink) { return sink.end(); }};
    return &functions;
}

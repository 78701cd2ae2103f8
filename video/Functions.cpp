#include "video/Functions.h"

extern "C" __attribute__((visibility("default"))) const video::Functions* orvantis_video_functions() {
    static const video::Functions functions{
        [](video::VideoSink::Reporter report) -> std::unique_ptr<FrameSink> {
            return std::make_unique<video::VideoSink>(std::move(report));
        },
        [](FrameSink& sink, const std::string& path, int width, int height, video::VideoSettings settings) {
            return static_cast<video::VideoSink&>(sink).open(path, width, height, std::move(settings));
        },
        [](FrameSink& sink) { return static_cast<video::VideoSink&>(sink).end(); }};
    return &functions;
}

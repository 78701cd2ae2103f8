#include "cli/RenderVideo.h"

#include "app/CFormat.h"
#include "image/TGAFile.h"
#include "scene/SceneParams.h"

#include <cstdio>

#ifdef ORVANTIS_HAVE_VIDEO
#include "cli/Modules.h"
#include "video/Functions.h"
#endif

namespace cli {

namespace {

std::string wholeNumber(const std::string& option, const std::string& value, int low, int high) {
    int n = 0;
    return parseIntStrict(value, n) && n >= low && n <= high
               ? ""
               : option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

} // namespace

std::vector<Option> RenderVideo::options() {
    return {
        {"--video", true, [](const std::string& v) { return v.empty() ? "--video needs a file name" : ""; }},
        {"--fps", true, [](const std::string& v) { return wholeNumber("--fps", v, 1, 240); }},
        // The encoder checks the upper end, which differs between H.264 (51) and VP9 (63).
        {"--crf", true, [](const std::string& v) { return wholeNumber("--crf", v, 0, 63); }},
        {"--frames", false}};
}

std::string RenderVideo::usageMistake(const Args& args) {
    if (args.has("--video")) return "";
    for (const char* option : {"--fps", "--crf", "--frames"})
        if (args.has(option)) return std::string(option) + " goes with --video";
    return "";
}

#ifdef ORVANTIS_HAVE_VIDEO

// The sink comes from the video module, loaded here on first use.
struct RenderVideo::Writer {
    const video::Functions* module = nullptr;
    std::unique_ptr<FrameSink> sink; // (a video::VideoSink, known to the module alone)
};

std::unique_ptr<RenderVideo> RenderVideo::open(const Args& args, const CSceneParams& scene,
                                               std::string& error) {
    std::unique_ptr<RenderVideo> out(new RenderVideo());
    out->writer->module = VideoModule(error);
    if (!out->writer->module) return nullptr;
    out->writer->sink = out->writer->module->makeSink(
        [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); });
    out->path = args.value("--video");
    // The scene's own frame rate and quality, unless the command line says otherwise.
    video::VideoSettings settings;
    settings.fps = scene.VideoFps;
    settings.crf = scene.VideoCrf;
    if (args.has("--fps")) parseIntStrict(args.value("--fps"), settings.fps);
    if (args.has("--crf")) parseIntStrict(args.value("--crf"), settings.crf);
    error = out->writer->module->open(*out->writer->sink, out->path, scene.SizeX, scene.SizeY, settings);
    if (!error.empty()) return nullptr;
    return out;
}

bool RenderVideo::addFrame(const CTGAFile& picture) {
    return writer->sink->addFrame(picture);
}

bool RenderVideo::end() {
    const video::VideoSink::End end = writer->module->end(*writer->sink);
    if (end == video::VideoSink::End::Written) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }
    return end != video::VideoSink::End::Failed;
}

#else

struct RenderVideo::Writer {};

std::unique_ptr<RenderVideo> RenderVideo::open(const Args&, const CSceneParams&, std::string& error) {
    error = "this orvantis-cli was built without FFmpeg's libraries and cannot write videos";
    return nullptr;
}

bool RenderVideo::addFrame(const CTGAFile&) {
    return false;
}

bool RenderVideo::end() {
    return true;
}

#endif

RenderVideo::RenderVideo() : writer(std::make_unique<Writer>()) {}
RenderVideo::~RenderVideo() = default;

} // namespace cli

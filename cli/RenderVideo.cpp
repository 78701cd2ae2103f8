#include "cli/RenderVideo.h"

#include "app/CFormat.h"
#include "image/TGAFile.h"

#include <cstdio>

#ifdef ORVANTIS_HAVE_VIDEO
#include "video/VideoWriter.h"
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

struct RenderVideo::Writer {
    video::VideoWriter video;
};

std::unique_ptr<RenderVideo> RenderVideo::open(const Args& args, int width, int height, std::string& error) {
    std::unique_ptr<RenderVideo> out(new RenderVideo());
    out->path = args.value("--video");
    video::VideoSettings settings;
    parseIntStrict(args.value("--fps", "25"), settings.fps);
    if (args.has("--crf")) parseIntStrict(args.value("--crf"), settings.crf);
    // Ctrl+C, a failed frame: the frames done so far stay a playable video.
    settings.unfinished = video::Unfinished::KeepFramesSoFar;
    error = out->writer->video.open(out->path, width, height, settings);
    if (!error.empty()) return nullptr;
    return out;
}

bool RenderVideo::addFrame(const CTGAFile& picture) {
    const std::string error =
        writer->video.addFrame(video::BgrFrame{picture.pixelAt(0, 0), picture.stride(), true});
    if (error.empty()) return true;
    if (!reported) std::fprintf(stderr, "%s\n", error.c_str());
    reported = true;
    return false;
}

bool RenderVideo::end() {
    // Without a frame there is nothing to play: the temporary file goes (the run has said why).
    if (writer->video.frameCount() == 0) {
        writer.reset();
        return true;
    }
    if (const std::string error = writer->video.finish(); !error.empty()) {
        if (!reported) std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    return true;
}

#else

struct RenderVideo::Writer {};

std::unique_ptr<RenderVideo> RenderVideo::open(const Args&, int, int, std::string& error) {
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

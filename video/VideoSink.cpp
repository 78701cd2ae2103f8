#include "video/VideoSink.h"

#include "image/TGAFile.h"

namespace video {

std::string VideoSink::open(const std::string& path, int width, int height, VideoSettings settings) {
    // Ctrl+C, Stop, a failed frame: the frames done so far stay a playable video.
    settings.unfinished = Unfinished::KeepFramesSoFar;
    return writer->open(path, width, height, settings);
}

void VideoSink::tell(const std::string& error) {
    if (!reported && report) report(error);
    reported = true;
}

bool VideoSink::addFrame(const CTGAFile& picture) {
    const std::string error = writer->addFrame(BgrFrame{picture.pixelAt(0, 0), picture.stride(), true});
    if (error.empty()) return true;
    tell(error);
    return false;
}

VideoSink::End VideoSink::end() {
    // Without a frame there is nothing to play: the temporary file goes (the run has said why).
    if (frameCount() == 0) {
        writer.reset();
        return End::NoFrames;
    }
    if (const std::string error = writer->finish(); !error.empty()) {
        tell(error);
        return End::Failed;
    }
    return End::Written;
}

} // namespace video

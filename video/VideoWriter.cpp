#include "video/VideoWriter.h"

#include "app/AtomicFile.h"
#include "video/FFmpeg.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace video {

namespace {

struct Container {
    const char* extension;
    const char* muxer;
    const char* encoder;
};
constexpr std::array<Container, 2> containers{{{".mp4", "mp4", "libx264"}, {".webm", "webm", "libvpx-vp9"}}};

const Container* containerFor(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Container& c : containers)
        if (extension == c.extension) return &c;
    return nullptr;
}

constexpr std::array<const char*, 9> presets{"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                             "medium",    "slow",      "slower",   "veryslow"};

// VP9's speed for an x264 preset name: the realtime deadline with cpu-used 8..6 for the three fastest,
// the good deadline with cpu-used 5..0 for the rest.
void setVp9Speed(AVCodecContext* codec, int presetIndex) {
    const bool realtime = presetIndex <= 2;
    av_opt_set(codec->priv_data, "deadline", realtime ? "realtime" : "good", 0);
    av_opt_set_int(codec->priv_data, "cpu-used", 8 - presetIndex, 0);
    av_opt_set_int(codec->priv_data, "row-mt", 1, 0);
}

// The temporary file as a seekable output for the muxer.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WriteBuffer = const uint8_t*;
#else
using WriteBuffer = uint8_t*;
#endif

int writeToFile(void* opaque, WriteBuffer data, int size) {
    const int fd = *static_cast<int*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return AVERROR(errno);
        }
        done += static_cast<int>(n);
    }
    return size;
}

int64_t seekInFile(void* opaque, int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? st.st_size : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

} // namespace

struct VideoWriter::State {
    State(int w, int h) : width(w), converter(w, h) {}

    int width;
    std::string path;
    AtomicFile file;
    int fd = -1;
    BgrToYuv420 converter;
    CodecContextPtr codec;
    OutputFormatPtr format;
    IoContextPtr io;
    AVStream* stream = nullptr;
    FramePtr frame;
    PacketPtr packet;
    long long frames = 0;
    std::string error; // the first error; the writer takes no more frames after it
    Unfinished unfinished = Unfinished::Abandon;

    // Sends a frame (null: the end) to the encoder and writes every packet it gives back.
    std::string encode(AVFrame* input) {
        int rc = avcodec_send_frame(codec.get(), input);
        if (rc < 0) return "the encoder refused a frame: " + errorText(rc);
        for (;;) {
            rc = avcodec_receive_packet(codec.get(), packet.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return std::string();
            if (rc < 0) return "the encoder failed: " + errorText(rc);
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(format.get(), packet.get());
            if (rc < 0) return "cannot write " + path + ": " + errorText(rc);
        }
    }
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() {
    closeUnfinished();
}

void VideoWriter::closeUnfinished() {
    if (state) finishOrDrop(state->unfinished == Unfinished::KeepFramesSoFar);
}

int VideoWriter::videoWidth() const {
    return state ? state->converter.evenWidth() : 0;
}
int VideoWriter::videoHeight() const {
    return state ? state->converter.evenHeight() : 0;
}
long long VideoWriter::frameCount() const {
    return state ? state->frames : 0;
}

std::string VideoWriter::open(const std::string& path, int width, int height, const VideoSettings& settings) {
    closeUnfinished();
    // Our messages carry what went wrong; FFmpeg's own chatter (encoder statistics) stays quiet.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_ERROR); });
    const Container* container = containerFor(path);
    if (!container)
        return "cannot write a video to " + path + ": use a name ending in .mp4 (H.264) or .webm (VP9)";
    if (settings.fps < 1 || settings.fps > 240) return "the frame rate must be 1 to 240 frames per second";
    if (width < 2 || height < 2 || width > 16384 || height > 16384)
        return "a video frame must be 2 to 16384 pixels wide and high";
    const int maxCrf = container->encoder == std::string("libx264") ? 51 : 63;
    if (settings.crf < -1 || settings.crf > maxCrf)
        return "the quality (crf) must be 0 to " + std::to_string(maxCrf);
    const std::string preset = settings.preset.empty() ? defaultPreset : settings.preset;
    const auto known = std::find(presets.begin(), presets.end(), preset);
    if (known == presets.end()) {
        std::string names;
        for (const char* name : presets) names += (names.empty() ? "" : ", ") + std::string(name);
        return "unknown encoder speed \"" + preset + "\": use one of " + names;
    }
    const AVCodec* encoder = avcodec_find_encoder_by_name(container->encoder);
    const AVOutputFormat* muxer = av_guess_format(container->muxer, nullptr, nullptr);
    if (!encoder || !muxer)
        return std::string("this build of FFmpeg has no ") + container->encoder + " encoder for " +
               container->extension + " files";

    auto s = std::make_unique<State>(width, height);
    s->unfinished = settings.unfinished;
    s->path = path;
    if (!s->converter.valid()) return "cannot set up the colour conversion for the video";
    const int w = s->converter.evenWidth(), h = s->converter.evenHeight();

    if (!s->file.open(path)) {
        const int error = errno;
        return "cannot write " + path + ": " +
               (s->file.refusedTarget() ? std::string("it is not a regular file") : std::strerror(error));
    }
    s->fd = s->file.descriptor();

    s->codec.reset(avcodec_alloc_context3(encoder));
    s->frame.reset(av_frame_alloc());
    s->packet.reset(av_packet_alloc());
    if (!s->codec || !s->frame || !s->packet) return "out of memory setting up the video encoder";
    AVCodecContext* codec = s->codec.get();
    codec->width = w;
    codec->height = h;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational{1, settings.fps};
    codec->framerate = AVRational{settings.fps, 1};
    codec->sample_aspect_ratio = AVRational{1, 1};
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    codec->thread_count = 0; // as many as the encoder finds useful
    if (muxer->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int presetIndex = static_cast<int>(known - presets.begin());
    if (container->encoder == std::string("libx264")) {
        av_opt_set(codec->priv_data, "preset", preset.c_str(), 0);
        av_opt_set_double(codec->priv_data, "crf", settings.crf < 0 ? defaultCrfH264 : settings.crf, 0);
    } else {
        codec->bit_rate = 0; // constant quality
        av_opt_set_int(codec->priv_data, "crf", settings.crf < 0 ? defaultCrfVp9 : settings.crf, 0);
        setVp9Speed(codec, presetIndex);
    }
    int rc = avcodec_open2(codec, encoder, nullptr);
    if (rc < 0) return std::string("cannot start the ") + container->encoder + " encoder: " + errorText(rc);

    s->frame->format = codec->pix_fmt;
    s->frame->width = w;
    s->frame->height = h;
    if (av_frame_get_buffer(s->frame.get(), 0) < 0) return "out of memory setting up the video encoder";

    AVFormatContext* fmt = nullptr;
    if (avformat_alloc_output_context2(&fmt, muxer, nullptr, nullptr) < 0 || !fmt)
        return "out of memory setting up the video file";
    s->format.reset(fmt);
    // MP4 fast start: the trailer moves the index in front of the frames so that players start before the
    // whole file is loaded. The muxer shifts the file in place, block by block, reading it back by this name.
    fmt->url = av_strdup(s->file.reopenPath().c_str());
    constexpr int ioBufferSize = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(ioBufferSize));
    if (!buffer || !fmt->url) {
        av_free(buffer);
        return "out of memory setting up the video file";
    }
    s->io.reset(avio_alloc_context(buffer, ioBufferSize, 1, &s->fd, nullptr, writeToFile, seekInFile));
    if (!s->io) {
        av_free(buffer);
        return "out of memory setting up the video file";
    }
    fmt->pb = s->io.get();
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    s->stream = avformat_new_stream(fmt, nullptr);
    if (!s->stream) return "out of memory setting up the video file";
    s->stream->time_base = codec->time_base;
    s->stream->avg_frame_rate = codec->framerate;
    if (avcodec_parameters_from_context(s->stream->codecpar, codec) < 0)
        return "out of memory setting up the video file";
    AVDictionary* options = nullptr;
    if (container->muxer == std::string("mp4")) av_dict_set(&options, "movflags", "+faststart", 0);
    rc = avformat_write_header(fmt, &options);
    av_dict_free(&options);
    if (rc < 0) return "cannot write " + path + ": " + errorText(rc);
    state = std::move(s);
    return std::string();
}

std::string VideoWriter::addFrame(const BgrFrame& input) {
    if (!state) return "the video file is not open";
    State& s = *state;
    if (!s.error.empty()) return s.error;
    if (!input.pixels || input.stride < 3LL * s.width)
        return s.error = "a video frame needs " + std::to_string(s.width) + " pixels in each row";
    int rc = av_frame_make_writable(s.frame.get());
    if (rc < 0) return s.error = "out of memory encoding the video: " + errorText(rc);
    s.converter.convert(input, s.frame->data, s.frame->linesize);
    s.frame->pts = s.frames;
    s.error = s.encode(s.frame.get());
    if (!s.error.empty()) return s.error;
    ++s.frames;
    return std::string();
}

std::string VideoWriter::finish() {
    if (!state) return "the video file is not open";
    return finishOrDrop(true);
}

std::string VideoWriter::finishOrDrop(bool keep) {
    std::unique_ptr<State> s = std::move(state);
    std::string error = s->error;
    // A video without frames plays nothing: it is dropped like a failed one.
    if (keep && error.empty() && s->frames == 0) error = "no frames were added to the video";
    if (keep && error.empty()) error = s->encode(nullptr);
    if (keep && error.empty()) {
        const int rc = av_write_trailer(s->format.get());
        if (rc < 0)
            error = "cannot finish " + s->path + ": " + errorText(rc);
        else if (s->io->error < 0)
            error = "cannot write " + s->path + ": " + errorText(s->io->error);
    }
    const bool commit = keep && error.empty();
    s->format.reset();
    s->io.reset();
    s->codec.reset();
    if (commit && !s->file.commit())
        error = "cannot put " + s->path + " in place: " + std::string(std::strerror(errno));
    if (!commit) s->file.abort();
    return keep ? error : std::string();
}

} // namespace video

#pragma once
// What the video tests need around the writer: terrain-like frames made on the fly, the written file decoded
// with FFmpeg's own libraries, and PSNR measured in YUV 4:2:0 as ffmpeg's psnr filter does.

#include "video/BgrToYuv420.h"
#include "video/FFmpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace videotest {

// A frame laid out like a TGA document: rows bottom first, padded to four bytes, pixels B, G, R.
struct TgaLikeFrame {
    int width = 0, height = 0;
    long long stride = 0;
    std::vector<uint8_t> pixels;
    video::BgrFrame view() const { return video::BgrFrame{pixels.data(), stride, true}; }
    uint8_t* at(int x, int rowFromTop) {
        return pixels.data() + static_cast<size_t>(height - 1 - rowFromTop) * stride +
               3 * static_cast<size_t>(x);
    }
};

inline double noise(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffff) / 65535.0;
}

// A rendered fly-over as the renderer draws it: a sky gradient above a horizon, shaded rolling hills with
// a speckled texture below, the view moving a little with every frame.
inline TgaLikeFrame terrainFrame(int width, int height, int number) {
    TgaLikeFrame f;
    f.width = width;
    f.height = height;
    f.stride = ((width * 3LL - 1) & ~3LL) + 4;
    f.pixels.assign(static_cast<size_t>(f.stride) * height, 0);
    const double shift = number * 3.0;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = f.at(x, row);
            const double u = (x + shift) / width;
            const double horizon = height * (0.3 + 0.05 * std::sin(u * 7.0) + 0.03 * std::sin(u * 19.0));
            if (row < horizon) {
                const double t = row / horizon;
                p[0] = static_cast<uint8_t>(235 - 40 * t);
                p[1] = static_cast<uint8_t>(200 - 30 * t);
                p[2] = static_cast<uint8_t>(150 - 40 * t);
                continue;
            }
            const double depth = (row - horizon) / (height - horizon + 1.0);
            const double elev =
                0.5 + 0.25 * std::sin(u * 11.0 + depth * 6.0) + 0.2 * std::cos(u * 5.0 - depth * 9.0);
            const double shade = 0.75 + 0.25 * std::sin(u * 23.0 + depth * 17.0);
            const double speckle = 28.0 * (noise(x + number * 3, row) - 0.5);
            const double r = (90 + 110 * elev) * shade + speckle;
            const double g = (120 + 60 * elev) * shade + speckle;
            const double b = (60 + 40 * elev) * shade + speckle;
            p[0] = static_cast<uint8_t>(std::clamp(b, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(std::clamp(g, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
        }
    }
    return f;
}

struct DecodedVideo {
    std::string error; // empty when the file decoded to its end
    std::string codec;
    int width = 0, height = 0;
    AVRational frameRate{0, 1};
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED; // the matrix players convert back with
    std::vector<video::Yuv420Picture> frames;
};

inline DecodedVideo decodeVideo(const std::string& path) {
    DecodedVideo out;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        out.error = "cannot open " + path;
        return out;
    }
    video::InputFormatPtr input(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) {
        out.error = "no stream info";
        return out;
    }
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder) {
        out.error = "no video stream";
        return out;
    }
    const AVStream* stream = raw->streams[index];
    out.codec = decoder->name;
    out.frameRate = stream->avg_frame_rate;
    out.colorSpace = stream->codecpar->color_space;
    video::CodecContextPtr codec(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec.get(), stream->codecpar);
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        out.error = "cannot open the decoder";
        return out;
    }
    out.width = codec->width;
    out.height = codec->height;
    video::PacketPtr packet(av_packet_alloc());
    video::FramePtr frame(av_frame_alloc());
    auto drain = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            if (frame->format != AV_PIX_FMT_YUV420P) {
                out.error = "decoded frames are not yuv420p";
                return;
            }
            video::Yuv420Picture p;
            p.width = frame->width;
            p.height = frame->height;
            auto copy = [&](std::vector<uint8_t>& plane, int c, int w, int h) {
                for (int y = 0; y < h; ++y)
                    plane.insert(plane.end(), frame->data[c] + static_cast<ptrdiff_t>(y) * frame->linesize[c],
                                 frame->data[c] + static_cast<ptrdiff_t>(y) * frame->linesize[c] + w);
            };
            copy(p.y, 0, p.width, p.height);
            copy(p.u, 1, p.width / 2, p.height / 2);
            copy(p.v, 2, p.width / 2, p.height / 2);
            out.frames.push_back(std::move(p));
        }
    };
    int rc = 0;
    while ((rc = av_read_frame(raw, packet.get())) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec.get(), packet.get()) < 0)
            out.error = "a packet does not decode";
        av_packet_unref(packet.get());
        drain();
    }
    if (rc != AVERROR_EOF) out.error = "the file ends in an error: " + video::errorText(rc);
    avcodec_send_packet(codec.get(), nullptr);
    drain();
    return out;
}

// The BT.709 luma (limited range) of the top-left evenWidth x evenHeight pixels, top row first, computed
// here independently of the writer's conversion: it pins the orientation, the crop and the colour matrix.
inline std::vector<uint8_t> bt709Luma(TgaLikeFrame& f, int evenWidth, int evenHeight) {
    std::vector<uint8_t> luma;
    for (int row = 0; row < evenHeight; ++row)
        for (int x = 0; x < evenWidth; ++x) {
            const uint8_t* p = f.at(x, row);
            const double y = 16 + 219 * (0.2126 * p[2] + 0.7152 * p[1] + 0.0722 * p[0]) / 255.0;
            luma.push_back(static_cast<uint8_t>(std::lround(y)));
        }
    return luma;
}

inline double psnrPlane(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) sum += (a[i] - b[i]) * double(a[i] - b[i]);
    if (sum == 0) return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / a.size()));
}

// PSNR over Y, U and V together: the mean squared error of all samples (each plane weighted by its number of
// samples, as ffmpeg's psnr filter averages them).
inline double psnr420(const video::Yuv420Picture& a, const video::Yuv420Picture& b) {
    double sum = 0;
    size_t count = 0;
    auto add = [&](const std::vector<uint8_t>& p, const std::vector<uint8_t>& q) {
        for (size_t i = 0; i < p.size() && i < q.size(); ++i) sum += (p[i] - q[i]) * double(p[i] - q[i]);
        count += p.size();
    };
    add(a.y, b.y);
    add(a.u, b.u);
    add(a.v, b.v);
    if (sum == 0) return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / count));
}

} // namespace videotest

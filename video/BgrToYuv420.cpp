#include "video/BgrToYuv420.h"

#include "video/FFmpeg.h"

namespace video {

BgrToYuv420::BgrToYuv420(int width, int height)
    : inHeight(height), outWidth(width & ~1), outHeight(height & ~1) {
    if (outWidth < 2 || outHeight < 2) return;
    context = sws_getContext(outWidth, outHeight, AV_PIX_FMT_BGR24, outWidth, outHeight, AV_PIX_FMT_YUV420P,
                             SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!context) return;
    // Source: full-range RGB; target: BT.709 in limited range.
    sws_setColorspaceDetails(context, sws_getCoefficients(SWS_CS_ITU709), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
}

BgrToYuv420::~BgrToYuv420() {
    sws_freeContext(context);
}

void BgrToYuv420::convert(const BgrFrame& frame, uint8_t* const planes[3], const int lineSizes[3]) {
    // Bottom-up rows are read from the top row down with a negative stride, so that the row an odd height
    // drops is the bottom one in both layouts.
    const uint8_t* top = frame.pixels;
    long long step = frame.stride;
    if (frame.bottomUp) {
        top = frame.pixels + static_cast<long long>(inHeight - 1) * frame.stride;
        step = -frame.stride;
    }
    const uint8_t* const source[1] = {top};
    const int sourceStride[1] = {static_cast<int>(step)};
    sws_scale(context, source, sourceStride, 0, outHeight, planes, lineSizes);
}

Yuv420Picture BgrToYuv420::convert(const BgrFrame& frame) {
    Yuv420Picture picture;
    picture.width = outWidth;
    picture.height = outHeight;
    picture.y.resize(static_cast<size_t>(outWidth) * outHeight);
    picture.u.resize(picture.y.size() / 4);
    picture.v.resize(picture.y.size() / 4);
    uint8_t* const planes[3] = {picture.y.data(), picture.u.data(), picture.v.data()};
    const int lineSizes[3] = {outWidth, outWidth / 2, outWidth / 2};
    convert(frame, planes, lineSizes);
    return picture;
}

} // namespace video

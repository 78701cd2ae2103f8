#include "cli/ProgressBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cli {

ProgressBar::ProgressBar(std::FILE* stream, bool on)
    : out(stream), enabled(on), start(std::chrono::steady_clock::now()), lastDraw(start) {}

void ProgressBar::setFrameCount(int n) {
    frameCount = n;
    start = std::chrono::steady_clock::now();
}

void ProgressBar::startFrame(int) {
    ++framesStarted;
    percent = 0;
    draw(true);
}

void ProgressBar::setPercent(int p) {
    percent = std::clamp(p, 0, 100);
    draw(false);
}

std::string ProgressBar::Format(int frameNumber, int count, int pct, double fps, double secondsLeft,
                                int width) {
    char head[64];
    std::snprintf(head, sizeof head, "frame %d of %d %3d%% ", frameNumber, count, pct);
    char tail[64];
    if (fps > 0.0 && std::isfinite(secondsLeft)) {
        const long left = std::lround(std::max(secondsLeft, 0.0));
        std::snprintf(tail, sizeof tail, " %.2f frames/s, %ld:%02ld:%02ld left", fps, left / 3600,
                      (left / 60) % 60, left % 60);
    } else {
        std::snprintf(tail, sizeof tail, " --.-- frames/s");
    }
    const double done = count > 0 ? std::clamp(((frameNumber - 1) + pct / 100.0) / count, 0.0, 1.0) : 0.0;
    const int cells = std::max(width, 0);
    const int filled = static_cast<int>(done * cells);
    return std::string(head) + "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "]" + tail;
}

void ProgressBar::draw(bool force) {
    if (!enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && shown && now - lastDraw < std::chrono::milliseconds(100)) return;
    lastDraw = now;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double done = std::max(framesStarted - 1, 0) + percent / 100.0;
    const double fps = elapsed > 0.5 && done > 0.0 ? done / elapsed : 0.0;
    const double left = fps > 0.0 ? (frameCount - done) / fps : NAN;
    const std::string line = Format(framesStarted, frameCount, percent, fps, left, 30);
    std::fprintf(out, "\r%s\033[K", line.c_str());
    std::fflush(out);
    shown = true;
}

void ProgressBar::clear() {
    if (!enabled || !shown) return;
    std::fprintf(out, "\r\033[K");
    std::fflush(out);
    shown = false;
}

void ProgressBar::finish() {
    if (!enabled || !shown) return;
    std::fprintf(out, "\n");
    std::fflush(out);
    shown = false;
}

} // namespace cli

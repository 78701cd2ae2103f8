#include "render/FramePacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

FramePacer::FramePacer(int frameCount, double framesPerSecond, Clock c)
    : count(std::max(0, frameCount)), rate(framesPerSecond > 0 ? framesPerSecond : kPlaybackFramesPerSecond),
      clock(std::move(c)) {}

void FramePacer::play() {
    if (count == 0) return;
    if (current >= count - 1) current = 0;
    isPlaying = true;
    startPosition = current;
    startTime = clock();
}

void FramePacer::pause() {
    isPlaying = false;
}

void FramePacer::seek(int position) {
    current = std::clamp(position, 0, std::max(0, count - 1));
    startPosition = current;
    startTime = clock();
}

bool FramePacer::advance() {
    if (!isPlaying) return false;
    const double seconds = std::chrono::duration<double>(clock() - startTime).count();
    // A whisker over the exact instant counts as reached: 40 ms at 25 frames per second is one frame.
    const long long steps = static_cast<long long>(std::floor(seconds * rate + 1e-6));
    const int due = static_cast<int>(std::min<long long>(startPosition + std::max(0LL, steps), count - 1));
    if (due >= count - 1) isPlaying = false;
    if (due == current) return false;
    current = due;
    return true;
}

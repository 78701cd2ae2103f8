#pragma once
// The render progress line on a terminal: frame k of n, the percentage of the frame, frames per second and
// the time left, redrawn in place on stderr.

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

class ProgressBar {
public:
    // enabled false makes every call do nothing (not a terminal, or --quiet).
    ProgressBar(std::FILE* out, bool enabled);

    void setFrameCount(int n);
    void startFrame(int index);
    void setPercent(int percent);
    // Clears the line so other output can be printed; the next update draws it again.
    void clear();
    // Ends the line for good.
    void finish();

    // The text of the line for the given state (without the leading carriage return); for tests.
    static std::string Format(int frameNumber, int frameCount, int percent, double framesPerSecond,
                              double secondsLeft, int width);

private:
    void draw(bool force);

    std::FILE* out;
    bool enabled;
    int frameCount = 0;
    int framesStarted = 0;
    int percent = 0;
    bool shown = false;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastDraw;
};

} // namespace cli

#pragma once
// Which frame of a playing flight is due: frames follow each other at a fixed rate from the moment play
// began, however long each takes to show, so that the flight plays at its own speed (a frame that takes
// too long makes the player skip frames, not fall behind). The clock is passed in, so that a player can be
// driven step by step.

#include <chrono>
#include <functional>

// The rate at which a scene's frames are played: 25 frames per second, as its video is encoded by default.
constexpr double kPlaybackFramesPerSecond = 25.0;

class FramePacer {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    FramePacer(int frameCount, double framesPerSecond, Clock clock);

    int position() const { return current; }
    int frameCount() const { return count; }
    bool playing() const { return isPlaying; }
    double framesPerSecond() const { return rate; }

    // Starts from the current frame; at the last frame, from the first.
    void play();
    void pause();
    // Goes to a frame (clamped to the flight); playing goes on from there.
    void seek(int position);
    // While playing: moves to the frame due now and returns true when that is another one. Play stops at
    // the last frame.
    bool advance();

private:
    int count;
    double rate;
    Clock clock;
    int current = 0;
    bool isPlaying = false;
    int startPosition = 0;
    std::chrono::steady_clock::time_point startTime;
};

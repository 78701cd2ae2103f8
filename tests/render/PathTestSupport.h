#pragma once
// A frame sink that records what the frame loops produce, and can ask them to stop.

#include "render/CameraPath.h"

#include <vector>

class RecordingSink : public PathFrameSink {
public:
    std::vector<PathFrame> frames;
    int begins = 0, ends = 0;
    int stopAfterFrames = -1; // -1: never

    bool stopRequested() const override {
        return stopAfterFrames >= 0 && static_cast<int>(frames.size()) >= stopAfterFrames;
    }
    void beginLoop() override { ++begins; }
    void drawFrame(const PathFrame& f) override { frames.push_back(f); }
    void endLoop() override { ++ends; }
};

inline JobValues straightJob(int total, double smoothness) {
    JobValues j;
    j.total = total;
    j.from = 0;
    j.to = total - 1;
    j.smoothness = smoothness;
    j.xA = -100, j.xE = 300;
    j.yA = 20, j.yE = -20;
    j.zA = 100, j.zE = 50;
    j.headingA = 45, j.headingE = 90;
    j.pitchA = -25, j.pitchE = -5;
    j.focalA = 250, j.focalE = 400;
    j.rollA = 0, j.rollE = 10;
    j.scaleZA = 0.1, j.scaleZE = 0.3;
    j.dustA = 10000, j.dustE = 2000;
    return j;
}

// A curved job over the corners of a square (map coordinates).
inline JobValues squareJob(int total) {
    JobValues j;
    j.pathType = 1;
    j.total = total;
    j.from = 0;
    j.to = total - 1;
    j.points = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
    j.focalA = 250;
    j.pitchA = -10;
    j.rollFactor = 50;
    j.scaleZA = j.scaleZE = 1.0;
    j.dustA = j.dustE = 10000;
    return j;
}

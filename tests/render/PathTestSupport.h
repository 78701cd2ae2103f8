#pragma once
// A frame sink that records what the frame loops produce, and can ask them to stop.

#include "render/CameraPath.h"

#include <vector>

class RecordingSink : public PathFrameSink {
public:
    std::vector<PathFrame> frames;
    int begins = 0, ends = 0;
    int stopAfterFrames = -1; // -1: never
    int drawFirst = 0, drawLast = 1 << 30;

    bool stopRequested() const override {
        return stopAfterFrames >= 0 && static_cast<int>(frames.size()) >= stopAfterFrames;
    }
    bool drawsFrame(int index) const override { return drawFirst <= index && index <= drawLast; }
    void beginLoop() override { ++begins; }
    void drawFrame(const PathFrame& f) override { frames.push_back(f); }
    void endLoop() override { ++ends; }
};

// Replaces the path points of job j.
inline void setPoints(CSceneParams& j, std::initializer_list<PathPoint> points) {
    j.ClearPathPoints();
    int i = 0;
    for (const PathPoint& p : points) j.SetPathPoint(i++, p.x, p.y);
}

inline CSceneParams straightJob(int total, double smoothness) {
    CSceneParams j;
    j.Total = total;
    j.From = 0;
    j.To = total - 1;
    j.Smoothness = smoothness;
    j.XA = -100, j.XE = 300;
    j.YA = 20, j.YE = -20;
    j.ZA = 100, j.ZE = 50;
    j.HeadingA = 45, j.HeadingE = 90;
    j.PitchA = -25, j.PitchE = -5;
    j.FocalLengthA = 250, j.FocalLengthE = 400;
    j.RollA = 0, j.RollE = 10;
    j.ElevScaleZA = 0.1, j.ElevScaleZE = 0.3;
    j.DustA = 10000, j.DustE = 2000;
    return j;
}

// A curved job over the corners of a square (map coordinates).
inline CSceneParams squareJob(int total) {
    CSceneParams j;
    j.PathType = 1;
    j.Total = total;
    j.From = 0;
    j.To = total - 1;
    setPoints(j, {{100, 100}, {300, 100}, {300, 300}, {100, 300}});
    j.FocalLengthA = 250;
    j.PitchA = -10;
    j.RollFactor = 50;
    j.ElevScaleZA = j.ElevScaleZE = 1.0;
    j.DustA = j.DustE = 10000;
    return j;
}

#pragma once
// The flight profile: what the flight recorder lists, drawn over the frames, so that a user sees at a glance
// whether the camera clears the ground and how it banks. The upper panel holds the heights (the camera's
// altitude, the ground under it, the height above the ground), the lower one the angles (pitch and roll).
//
// LayoutProfile places everything in pixels once; the desktop paints the result with its painter and the
// command line writes it as SVG text (ProfileSvg), so both show the same picture.

#include "render/FlightRecorder.h"

#include <cstdint>
#include <string>
#include <vector>

struct ProfileSample {
    int frame = 0;
    RecorderRow row;
};

struct PlotColour {
    uint8_t r = 0, g = 0, b = 0;
};

struct PlotPoint {
    double x = 0, y = 0;
};

struct PlotLine {
    std::vector<PlotPoint> points;
    PlotColour colour;
    double width = 1.0;
    std::string series; // the series' key ("altitude", "ground", ...); empty for frames, grid and ticks
};

struct PlotText {
    enum Anchor { Start, Middle, End };
    PlotPoint at; // the start, middle or end of the text's base line
    std::string text;
    Anchor anchor = Start;
    PlotColour colour;
};

struct PlotPicture {
    int width = 0, height = 0;
    std::vector<PlotLine> lines; // in drawing order
    std::vector<PlotText> texts;
};

// The keys of the five series, in the order they are drawn.
const std::vector<std::string>& ProfileSeriesKeys();

// The profile of the samples (in frame order) in a picture of width x height pixels. Text is 12 pixels high.
PlotPicture LayoutProfile(const std::vector<ProfileSample>& samples, int width, int height);

// The picture as an SVG document; numbers are written with a decimal point whatever the locale.
std::string ProfileSvg(const PlotPicture& picture);

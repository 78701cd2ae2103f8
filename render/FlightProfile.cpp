#include "render/FlightProfile.h"

#include "res/StringTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr PlotColour kFrameColour{96, 96, 96};
constexpr PlotColour kGridColour{222, 222, 222};
constexpr PlotColour kTextColour{0, 0, 0};

struct SeriesDef {
    const char* key;
    int name; // string id
    PlotColour colour;
    int panel; // 0 heights, 1 angles
    double (*value)(const RecorderRow&);
};

const SeriesDef kSeries[] = {
    {"altitude", IDS_PROFILE_ALTITUDE, {30, 90, 200}, 0, [](const RecorderRow& r) { return r.altitude; }},
    {"ground",
     IDS_PROFILE_GROUND,
     {140, 90, 40},
     0,
     [](const RecorderRow& r) { return r.altitude - r.relativeAltitude; }},
    {"relative",
     IDS_PROFILE_RELATIVE,
     {30, 150, 60},
     0,
     [](const RecorderRow& r) { return r.relativeAltitude; }},
    {"pitch", IDS_PROFILE_PITCH, {150, 40, 170}, 1, [](const RecorderRow& r) { return r.pitch; }},
    {"roll", IDS_PROFILE_ROLL, {220, 110, 0}, 1, [](const RecorderRow& r) { return r.roll; }},
};

// A number as text with a decimal point, `decimals` digits after it.
std::string Number(double v, int decimals) {
    char buf[64];
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0; // no "-0"
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr;
    return std::string(buf, end);
}

// Round steps (1, 2 or 5 times a power of ten) for at most about `wanted` intervals over [lo, hi].
struct Ticks {
    double lo, hi, step;
    int decimals;
};
Ticks NiceTicks(double lo, double hi, int wanted) {
    if (!(hi > lo)) {
        const double pad = std::max(1.0, std::fabs(lo) * 0.1);
        lo -= pad;
        hi += pad;
    }
    const double raw = (hi - lo) / std::max(1, wanted);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step, decimals};
}

struct Box {
    double left, top, width, height;
};

} // namespace

const std::vector<std::string>& ProfileSeriesKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (const SeriesDef& s : kSeries) k.push_back(s.key);
        return k;
    }();
    return keys;
}

PlotPicture LayoutProfile(const std::vector<ProfileSample>& samples, int width, int height) {
    PlotPicture pic;
    pic.width = width;
    pic.height = height;
    constexpr double left = 64, right = 16, top = 28, bottom = 34, gap = 40;
    const double plotWidth = std::max(10.0, width - left - right);
    const double plotHeight = std::max(20.0, height - top - bottom - gap);
    const Box boxes[2] = {{left, top, plotWidth, plotHeight * 0.55},
                          {left, top + plotHeight * 0.55 + gap, plotWidth, plotHeight * 0.45}};

    const int firstFrame = samples.empty() ? 0 : samples.front().frame;
    const int lastFrame = samples.empty() ? 1 : std::max(samples.back().frame, firstFrame + 1);
    const Ticks frameTicks = NiceTicks(firstFrame, lastFrame, std::max(2, static_cast<int>(plotWidth / 80)));
    auto xOf = [&](double frame) {
        return left + (frame - firstFrame) / double(lastFrame - firstFrame) * plotWidth;
    };

    for (int panel = 0; panel < 2; ++panel) {
        const Box& box = boxes[panel];
        double lo = 0, hi = 0;
        bool any = false;
        for (const SeriesDef& s : kSeries) {
            if (s.panel != panel) continue;
            for (const ProfileSample& sample : samples) {
                const double v = s.value(sample.row);
                lo = any ? std::min(lo, v) : v;
                hi = any ? std::max(hi, v) : v;
                any = true;
            }
        }
        const Ticks ticks = NiceTicks(lo, hi, std::max(2, static_cast<int>(box.height / 40)));
        auto yOf = [&](double v) {
            return box.top + box.height - (v - ticks.lo) / (ticks.hi - ticks.lo) * box.height;
        };

        // Grid and tick labels first, the series over them, the frame last.
        for (double v = ticks.lo; v <= ticks.hi + ticks.step * 1e-6; v += ticks.step) {
            const double y = yOf(v);
            pic.lines.push_back({{{box.left, y}, {box.left + box.width, y}}, kGridColour, 1.0, ""});
            pic.texts.push_back(
                {{box.left - 6, y + 4}, Number(v, ticks.decimals), PlotText::End, kTextColour});
        }
        for (double f = std::ceil(firstFrame / frameTicks.step) * frameTicks.step; f <= lastFrame + 1e-6;
             f += frameTicks.step) {
            const double x = xOf(f);
            pic.lines.push_back({{{x, box.top}, {x, box.top + box.height}}, kGridColour, 1.0, ""});
            if (panel == 1)
                pic.texts.push_back(
                    {{x, box.top + box.height + 16}, Number(f, 0), PlotText::Middle, kTextColour});
        }
        double legendX = box.left;
        for (const SeriesDef& s : kSeries) {
            if (s.panel != panel) continue;
            PlotLine line{{}, s.colour, 2.0, s.key};
            for (const ProfileSample& sample : samples)
                line.points.push_back({xOf(sample.frame), yOf(s.value(sample.row))});
            pic.lines.push_back(std::move(line));
            // The legend above the panel: a short stroke of the series' colour and its name.
            const double y = box.top - 10;
            pic.lines.push_back({{{legendX, y - 4}, {legendX + 18, y - 4}}, s.colour, 2.0, ""});
            const std::string name = LoadString(s.name);
            pic.texts.push_back({{legendX + 24, y}, name, PlotText::Start, kTextColour});
            legendX += 24 + 7.0 * static_cast<double>(name.size()) + 20;
        }
        const double l = box.left, t = box.top, r = box.left + box.width, b = box.top + box.height;
        pic.lines.push_back({{{l, t}, {r, t}, {r, b}, {l, b}, {l, t}}, kFrameColour, 1.0, ""});
    }
    pic.texts.push_back({{left + plotWidth, static_cast<double>(height) - 4},
                         LoadString(IDS_PROFILE_FRAME_AXIS),
                         PlotText::End,
                         kTextColour});
    return pic;
}

namespace {

std::string Colour(const PlotColour& c) {
    static const char hex[] = "0123456789abcdef";
    std::string s = "#";
    for (uint8_t v : {c.r, c.g, c.b}) {
        s += hex[v >> 4];
        s += hex[v & 15];
    }
    return s;
}

std::string Escaped(const std::string& text) {
    std::string s;
    for (char c : text) {
        switch (c) {
        case '&':
            s += "&amp;";
            break;
        case '<':
            s += "&lt;";
            break;
        case '>':
            s += "&gt;";
            break;
        case '"':
            s += "&quot;";
            break;
        default:
            s += c;
        }
    }
    return s;
}

} // namespace

std::string ProfileSvg(const PlotPicture& pic) {
    const std::string w = std::to_string(pic.width), h = std::to_string(pic.height);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
                      "\" font-family=\"sans-serif\" font-size=\"12\">\n"
                      "<rect width=\"" +
                      w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
    for (const PlotLine& line : pic.lines) {
        svg += "<polyline";
        if (!line.series.empty()) svg += " id=\"" + line.series + "\"";
        svg += " fill=\"none\" stroke=\"" + Colour(line.colour) + "\" stroke-width=\"" +
               Number(line.width, 1) + "\" points=\"";
        for (size_t i = 0; i < line.points.size(); ++i) {
            if (i) svg += ' ';
            svg += Number(line.points[i].x, 2) + "," + Number(line.points[i].y, 2);
        }
        svg += "\"/>\n";
    }
    static const char* const anchors[] = {"start", "middle", "end"};
    for (const PlotText& t : pic.texts)
        svg += "<text x=\"" + Number(t.at.x, 2) + "\" y=\"" + Number(t.at.y, 2) + "\" text-anchor=\"" +
               anchors[t.anchor] + "\" fill=\"" + Colour(t.colour) + "\">" + Escaped(t.text) + "</text>\n";
    svg += "</svg>\n";
    return svg;
}

#include "tools/ElevationConversions.h"

#include "res/StringTable.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Opens from, makes an output of its size and runs rule(in, out) over every pixel, row by row from the
// bottom. Writes the output unless stopped.
ToolResult convertPixels(const std::string& from, const std::string& to, const ToolEnv& env,
                         const std::function<void(const uint8_t* in, uint8_t* out)>& rule) {
    std::unique_ptr<CTGAFile> input = OpenToolInput(env, from);
    if (!input) return ToolStatus::Failed;
    const int width = input->GetWidth();
    return WriteOutputByRows(env, *input, to, [&](int y, uint8_t* out) {
        const uint8_t* in = input->pixelAt(0, y);
        for (int x = 0; x < width; ++x, in += 3, out += 3) rule(in, out);
    });
}

} // namespace

uint8_t GrayLevelOf(uint32_t elevation, double factor, double& scaled) {
    scaled = elevation * factor;
    if (scaled >= 255) return 255;
    if (!std::isfinite(scaled)) return 0;
    // Negative products are not clamped: the truncated value's low byte is stored.
    double low = std::fmod(std::trunc(scaled), 256.0);
    if (low < 0) low += 256.0;
    return static_cast<uint8_t>(low);
}

int PaletteColumn(uint32_t elevation, int paletteWidth) {
    const double scale = paletteWidth * (1.0 / 9000.0);
    return static_cast<int>(std::min(elevation, 9000u) * scale);
}

GrayConversion ConvertElevationToGray(const std::string& from, const std::string& to, double factor,
                                      const ToolEnv& env) {
    GrayConversion result;
    double& saturatedMax = result.saturatedMax;
    static_cast<ToolResult&>(result) = convertPixels(from, to, env, [&](const uint8_t* in, uint8_t* out) {
        double scaled = 0;
        uint8_t level = GrayLevelOf(PixelElevation(in), factor, scaled);
        if (scaled >= 255) saturatedMax = std::max(saturatedMax, scaled);
        out[0] = out[1] = out[2] = level;
    });
    if (result.status != ToolStatus::Done) result.saturatedMax = 0;
    return result;
}

ToolResult ElevationToGray(const std::string& from, const std::string& to, double factor,
                           const ToolEnv& env) {
    const GrayConversion result = ConvertElevationToGray(from, to, factor, env);
    if (result.saturatedMax != 0)
        env.platform.message(FormatString(IDS_GRAY_SATURATED, result.saturatedMax), MsgIcon::Information,
                             MsgButtons::Ok);
    return result;
}

ToolResult GrayToElevation(const std::string& from, const std::string& to, const ToolEnv& env) {
    return convertPixels(from, to, env, [](const uint8_t* in, uint8_t* out) {
        StoreElevation(out, uint32_t(in[0]) + in[1] + in[2]);
    });
}

ToolResult ElevationToColor(const std::string& from, const std::string& to, const std::string& palettePath,
                            const ToolEnv& env) {
    std::unique_ptr<CTGAFile> palette = OpenToolInput(env, palettePath);
    if (!palette) return ToolStatus::Failed;
    const int paletteWidth = palette->GetWidth();
    ToolResult status = convertPixels(from, to, env, [&](const uint8_t* in, uint8_t* out) {
        Bgr c = palette->GetPixel(PaletteColumn(PixelElevation(in), paletteWidth), 0);
        out[0] = c.b;
        out[1] = c.g;
        out[2] = c.r;
    });
    return status;
}

ToolResult EliminateRed(const std::string& from, const std::string& to, const ToolEnv& env) {
    return convertPixels(from, to, env, [](const uint8_t* in, uint8_t* out) {
        const bool pureRed = in[2] != 0 && in[1] == 0 && in[0] == 0;
        out[0] = pureRed ? 0 : in[0];
        out[1] = pureRed ? 0 : in[1];
        out[2] = pureRed ? 0 : in[2];
    });
}

#pragma once
// The pixel-by-pixel conversions between elevation files, grayscale pictures and coloured maps, and the
// removal of pure-red pixels. Each reads its input, makes an output of the same size row by row (with the
// progress step) and writes it unless stopped.

#include "tools/ToolCommon.h"

#include <string>

// Elevation E to grey trunc(E * factor); products of 255 and more are 255 and count as saturated.
struct GrayConversion : ToolResult {
    double saturatedMax = 0; // the largest saturated product; 0 when none
};
GrayConversion ConvertElevationToGray(const std::string& from, const std::string& to, double factor,
                                      const ToolEnv& env);
// The conversion as the desktop runs it: the largest saturated product is shown once the output is written.
ToolResult ElevationToGray(const std::string& from, const std::string& to, double factor, const ToolEnv& env);

// Grey (or any) pixel to the elevation blue + green + red.
ToolResult GrayToElevation(const std::string& from, const std::string& to, const ToolEnv& env);

// Elevation to the colour of the palette's bottom row at column trunc(min(E, 9000) * P / 9000), P the
// palette's width; the outside colour (white) where that column is not in the palette.
ToolResult ElevationToColor(const std::string& from, const std::string& to, const std::string& palette,
                            const ToolEnv& env);

// Pixels with red but neither green nor blue become black; all others are copied.
ToolResult EliminateRed(const std::string& from, const std::string& to, const ToolEnv& env);

// The single pixel rules, for callers that convert pixels themselves.
uint8_t GrayLevelOf(uint32_t elevation, double factor, double& scaled);
int PaletteColumn(uint32_t elevation, int paletteWidth);

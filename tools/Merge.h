#pragma once
// Merging two images channel by channel: Add gives c1 * bias1 + c2 * bias2, Multiply gives
// (c1 + bias1) * (c2 + bias2) / 255; the result is clamped to 0..255 and truncated. The output has the
// first image's size; where the second image is smaller its pixels are the outside colour (white).

#include "tools/ToolCommon.h"

#include <string>

enum class MergeMode { Add, Multiply };

// The limits of the two biases (the dialog and the command line refuse others).
constexpr double kMergeBiasMin = -256.0;
constexpr double kMergeBiasMax = 256.0;

// One channel's merged value.
uint8_t MergeChannel(int c1, int c2, MergeMode mode, double bias1, double bias2);

ToolResult Merge(const std::string& from, const std::string& to, const std::string& file2, MergeMode mode,
                 double bias1, double bias2, const ToolEnv& env);

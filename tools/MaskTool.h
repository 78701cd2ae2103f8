#pragma once
// The mask tool: masks an image with a mask of the same size (pixel (0, 0) of the mask transparent,
// (1, 0) brighter, (2, 0) darker, every other colour opaque) and writes the result. It runs without
// progress display and cannot be stopped.

#include "tools/ToolCommon.h"

#include <string>

// Fails without a message when the mask and the image differ in size (sizeMismatch then tells so).
ToolResult MaskFile(const std::string& from, const std::string& to, const std::string& mask,
                    const ToolEnv& env, bool* sizeMismatch = nullptr);

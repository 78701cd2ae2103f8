#pragma once
// Convolution with a value matrix: a TGA image whose every byte is a coefficient (byte - 128), one kernel
// per channel, centred at (width / 2, height / 2), applied mirrored (a true convolution) and normalised by
// the sum of its coefficients with integer division; the low 8 bits of the result are stored. A channel
// whose coefficients sum to 0 is not normalised.

#include "tools/ToolCommon.h"

#include <string>

ToolResult Convolve(const std::string& from, const std::string& to, const std::string& kernel,
                    const ToolEnv& env);

#pragma once
// Reducing an elevation file by 2, 3 or 4 in both directions: every output pixel is the SUM of the n x n
// input elevations of its block (heights come out n * n times the block average), kept to its low 24
// bits. Partial blocks at the right and upper edges are dropped.

#include "tools/ToolCommon.h"

#include <string>

// factor is 2, 3 or 4. Fails with a message when the input is smaller than one block in either direction.
ToolResult Resample(const std::string& from, const std::string& to, int factor, const ToolEnv& env);

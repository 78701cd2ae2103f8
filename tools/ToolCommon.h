#pragma once
// What every terrain and image tool shares: how a run ends, what it is given to talk to the user, the
// per-row progress step, and the way inputs are opened and outputs written.

#include "app/Platform.h"
#include "app/Progress.h"
#include "image/TGAFile.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

class SettingsStore;

// How a tool run ended.
enum class ToolStatus {
    Done,       // ran to the end; the output was written
    Incomplete, // the input ended early or was damaged: what could be read was written (DEM import only)
    Cancelled,  // the user stopped it (Cancel, Ctrl+C, a Cancel answer): nothing was written
    Failed,     // an input could not be opened, the output could not be made or saved: nothing was written
};

// What a tool run gives back: how it ended and the file it wrote (empty when none). A run that writes
// nothing is just its status; the result reads as its status where only that matters.
struct ToolResult {
    ToolStatus status = ToolStatus::Failed;
    std::string written;

    ToolResult(ToolStatus s = ToolStatus::Failed, std::string file = {})
        : status(s), written(std::move(file)) {}
    operator ToolStatus() const { return status; }
};

// What a tool run talks to: the platform for messages and questions, the progress display with its stop
// flag, and the user's settings.
struct ToolEnv {
    Platform& platform;
    Progress& progress;
    int antialiasing = 10;             // the "Antialiasing" option: the filter weights of SampleFiltered
    SettingsStore* settings = nullptr; // where opened files are remembered ("Recent File Load"); optional
};

// The progress step of a tool's main loop, run once per output row (or input profile) before its work:
// shows trunc(100 * done / total) percent, then returns false when the user asked to stop, else lets
// pending messages through and returns true.
bool ToolProgressStep(const ToolEnv& env, long long done, long long total);

// Opens a tool input as a plain image with pixels in memory. Null when the open failed (the open has
// already shown its message).
std::unique_ptr<CTGAFile> OpenToolInput(const ToolEnv& env, const std::string& path);

// Makes a zeroed output image of the given size. Null when it cannot be allocated (a message says so).
std::unique_ptr<CTGAFile> CreateToolOutput(const ToolEnv& env, int width, int height);

// The frame of the row-by-row tools: makes an output of the input's size, runs the progress step and then
// row(y, outRow) for each row from the bottom, and writes the output unless stopped.
ToolResult WriteOutputByRows(const ToolEnv& env, CTGAFile& input, const std::string& to,
                             const std::function<void(int y, uint8_t* outRow)>& row);

// Writes the output unless the run was stopped (the stop flag is consulted once more here so a stop that
// arrives during the last row still leaves nothing behind). Done (with to written),
// Cancelled or Failed.
ToolResult FinishToolOutput(const ToolEnv& env, CTGAFile& output, const std::string& to, bool cancelled);

// The elevation of a pixel (blue the low byte, green the middle byte, red the high byte) and its encoding.
inline uint32_t PixelElevation(const uint8_t* bgr) {
    return bgr[0] | (uint32_t(bgr[1]) << 8) | (uint32_t(bgr[2]) << 16);
}
inline uint32_t PixelElevation(const Bgr& p) {
    return p.b | (uint32_t(p.g) << 8) | (uint32_t(p.r) << 16);
}
inline void StoreElevation(uint8_t* bgr, uint32_t value) {
    bgr[0] = static_cast<uint8_t>(value & 0xFF);
    bgr[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    bgr[2] = static_cast<uint8_t>((value >> 16) & 0xFF);
}

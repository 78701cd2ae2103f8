#include "tools/ToolCommon.h"

#include "app/AtomicFile.h"
#include "res/StringTable.h"

bool ToolProgressStep(const ToolEnv& env, long long done, long long total) {
    env.progress.report(total > 0 ? static_cast<int>(100 * done / total) : 0);
    if (env.progress.stopRequested()) return false;
    env.progress.pump();
    return true;
}

std::unique_ptr<CTGAFile> OpenToolInput(const ToolEnv& env, const std::string& path) {
    auto image = std::make_unique<CTGAFile>(env.platform, env.antialiasing, true, 1.0, 1.0);
    image->setSettings(env.settings);
    if (!image->OpenImage(path)) return nullptr;
    return image;
}

std::unique_ptr<CTGAFile> CreateToolOutput(const ToolEnv& env, int width, int height) {
    auto image = std::make_unique<CTGAFile>(env.platform, env.antialiasing, true, 1.0, 1.0);
    image->setSettings(env.settings);
    // A TGA file holds at most 65535 pixels in each direction.
    if (width < 0 || height < 0 || width > 65535 || height > 65535 || !image->CreateImage(width, height)) {
        env.platform.message(FormatString(IDS_TOOL_CANNOT_MAKE_OUTPUT, width, height), MsgIcon::Stop,
                             MsgButtons::Ok);
        return nullptr;
    }
    return image;
}

ToolResult FinishToolOutput(const ToolEnv& env, CTGAFile& output, const std::string& to, bool cancelled) {
    if (cancelled || env.progress.stopRequested()) {
        return ToolStatus::Cancelled;
    }
    bool saved;
    {
        StopSavesOn stop(env.progress);
        saved = output.SaveImageAs(to, 0);
    }
    if (saved) return ToolResult(ToolStatus::Done, to);
    return env.progress.stopRequested() ? ToolStatus::Cancelled : ToolStatus::Failed;
}

ToolResult WriteOutputByRows(const ToolEnv& env, CTGAFile& input, const std::string& to,
                             const std::function<void(int y, uint8_t* outRow)>& row) {
    const int width = input.GetWidth(), height = input.GetHeight();
    std::unique_ptr<CTGAFile> output = CreateToolOutput(env, width, height);
    if (!output) return ToolStatus::Failed;
    bool cancelled = false;
    for (int y = 0; y < height; ++y) {
        if (!ToolProgressStep(env, y, height)) {
            cancelled = true;
            break;
        }
        row(y, output->pixelAt(0, y));
    }
    return FinishToolOutput(env, *output, to, cancelled);
}

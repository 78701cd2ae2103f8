#include "tools/MaskTool.h"

ToolResult MaskFile(const std::string& from, const std::string& to, const std::string& maskPath,
                    const ToolEnv& env, bool* sizeMismatch) {
    if (sizeMismatch) *sizeMismatch = false;
    std::unique_ptr<CTGAFile> mask = OpenToolInput(env, maskPath);
    if (!mask) return ToolStatus::Failed;
    std::unique_ptr<CTGAFile> image = OpenToolInput(env, from);
    if (!image) return ToolStatus::Failed;
    if (mask->GetWidth() != image->GetWidth() || mask->GetHeight() != image->GetHeight()) {
        if (sizeMismatch) *sizeMismatch = true;
        return ToolStatus::Failed;
    }
    image->ApplyMask(*mask);
    return FinishToolOutput(env, *image, to, false);
}

#include "tools/Resample.h"

#include "res/StringTable.h"

ToolResult Resample(const std::string& from, const std::string& to, int factor, const ToolEnv& env) {
    if (factor < 2 || factor > 4) return ToolStatus::Failed;
    std::unique_ptr<CTGAFile> input = OpenToolInput(env, from);
    if (!input) return ToolStatus::Failed;
    const int width = input->GetWidth(), height = input->GetHeight();
    const int outWidth = width / factor, outHeight = height / factor;
    if (outWidth == 0 || outHeight == 0) {
        env.platform.message(
            FormatString(IDS_RESAMPLE_TOO_SMALL, from.c_str(), width, height, factor, factor), MsgIcon::Stop,
            MsgButtons::Ok);
        return ToolStatus::Failed;
    }
    std::unique_ptr<CTGAFile> output = CreateToolOutput(env, outWidth, outHeight);
    if (!output) return ToolStatus::Failed;

    const uint32_t outside = PixelElevation(input->outsidePixel());
    bool cancelled = false;
    for (int y = 0; y < height; y += factor) {
        if (!ToolProgressStep(env, y, height)) {
            cancelled = true;
            break;
        }
        for (int x = 0; x < width; x += factor) {
            uint32_t sum = 0;
            for (int k = 0; k < factor; ++k)
                for (int i = 0; i < factor; ++i) {
                    const int px = x + i, py = y + k;
                    sum += px < width && py < height ? PixelElevation(input->pixelAt(px, py)) : outside;
                }
            if (x / factor < outWidth && y / factor < outHeight)
                StoreElevation(output->pixelAt(x / factor, y / factor), sum);
        }
    }
    return FinishToolOutput(env, *output, to, cancelled);
}

#include "tools/Merge.h"

uint8_t MergeChannel(int c1, int c2, MergeMode mode, double bias1, double bias2) {
    double v = mode == MergeMode::Add ? c1 * bias1 + c2 * bias2 : (c1 + bias1) * (c2 + bias2) * (1.0 / 255.0);
    if (v < 0) v = 0;
    if (v > 255) v = 255;
    return static_cast<uint8_t>(v);
}

ToolResult Merge(const std::string& from, const std::string& to, const std::string& file2Path, MergeMode mode,
                 double bias1, double bias2, const ToolEnv& env) {
    std::unique_ptr<CTGAFile> file1 = OpenToolInput(env, from);
    if (!file1) return ToolStatus::Failed;
    std::unique_ptr<CTGAFile> file2 = OpenToolInput(env, file2Path);
    if (!file2) return ToolStatus::Failed;
    const int width = file1->GetWidth();
    ToolResult status = WriteOutputByRows(env, *file1, to, [&](int y, uint8_t* out) {
        const uint8_t* p1 = file1->pixelAt(0, y);
        for (int x = 0; x < width; ++x, p1 += 3, out += 3) {
            const Bgr p2 = file2->GetPixel(x, y);
            out[0] = MergeChannel(p1[0], p2.b, mode, bias1, bias2);
            out[1] = MergeChannel(p1[1], p2.g, mode, bias1, bias2);
            out[2] = MergeChannel(p1[2], p2.r, mode, bias1, bias2);
        }
    });
    return status;
}

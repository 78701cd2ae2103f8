#include "tools/Convolution.h"

#include <algorithm>
#include <vector>

namespace {

struct Kernel {
    int width = 0, height = 0;
    std::vector<int> coefficients[3]; // per channel (blue, green, red), row by row from the bottom
    long long sum[3] = {0, 0, 0};
    // The cells where any channel is not zero: columns left..right, rows bottom..top (empty when left >
    // right).
    int left = 0, right = -1, bottom = 0, top = -1;

    int at(int channel, int i, int k) const {
        return coefficients[channel][static_cast<size_t>(k) * width + i];
    }
};

Kernel readKernel(const CTGAFile& image) {
    Kernel kernel;
    kernel.width = image.GetWidth();
    kernel.height = image.GetHeight();
    const size_t cells = static_cast<size_t>(kernel.width) * kernel.height;
    for (auto& c : kernel.coefficients) c.resize(cells);
    kernel.left = kernel.width;
    kernel.bottom = kernel.height;
    for (int k = 0; k < kernel.height; ++k) {
        const uint8_t* p = image.pixelAt(0, k);
        for (int i = 0; i < kernel.width; ++i, p += 3) {
            bool any = false;
            for (int c = 0; c < 3; ++c) {
                const int coefficient = p[c] - 128;
                kernel.coefficients[c][static_cast<size_t>(k) * kernel.width + i] = coefficient;
                kernel.sum[c] += coefficient;
                any = any || coefficient != 0;
            }
            if (any) {
                kernel.left = std::min(kernel.left, i);
                kernel.right = std::max(kernel.right, i);
                kernel.bottom = std::min(kernel.bottom, k);
                kernel.top = std::max(kernel.top, k);
            }
        }
    }
    return kernel;
}

} // namespace

ToolResult Convolve(const std::string& from, const std::string& to, const std::string& kernelPath,
                    const ToolEnv& env) {
    Kernel kernel;
    {
        std::unique_ptr<CTGAFile> kernelImage = OpenToolInput(env, kernelPath);
        if (!kernelImage) return ToolStatus::Failed;
        kernel = readKernel(*kernelImage);
    }
    std::unique_ptr<CTGAFile> input = OpenToolInput(env, from);
    if (!input) return ToolStatus::Failed;
    const int width = input->GetWidth(), height = input->GetHeight();
    std::unique_ptr<CTGAFile> output = CreateToolOutput(env, width, height);
    if (!output) return ToolStatus::Failed;

    const int rx = kernel.width / 2, ry = kernel.height / 2;
    const Bgr outside = input->outsidePixel();
    auto channelAt = [&](int x, int y, int c) -> int {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return c == 0 ? outside.b : c == 1 ? outside.g : outside.r;
        return input->pixelAt(x, y)[c];
    };

    bool cancelled = false;
    for (int y = ry; y <= height - ry - 1; ++y) {
        if (!ToolProgressStep(env, y, height)) {
            cancelled = true;
            break;
        }
        for (int x = rx; x <= width - rx - 1; ++x) {
            uint8_t* out = output->pixelAt(x, y);
            for (int c = 0; c < 3; ++c) {
                long long acc = 0;
                for (int k = kernel.bottom; k <= kernel.top; ++k)
                    for (int i = kernel.left; i <= kernel.right; ++i)
                        acc +=
                            static_cast<long long>(kernel.at(c, i, k)) * channelAt(x + rx - i, y + ry - k, c);
                const long long value = kernel.sum[c] != 0 ? acc / kernel.sum[c] : acc;
                out[c] = static_cast<uint8_t>(static_cast<unsigned long long>(value) & 0xFF);
            }
        }
    }
    return FinishToolOutput(env, *output, to, cancelled);
}

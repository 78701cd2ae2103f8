#include "renderer/TextureSampler.h"

TextureSampler::TextureSampler(const CTGAFile& texture, int antialiasing)
    : pixels(texture.pixelData()), stride(static_cast<size_t>(texture.stride())), width(texture.GetWidth()),
      height(texture.GetHeight()), maxX(texture.maxX()), maxY(texture.maxY()), weights(antialiasing) {
    const auto o = texture.outsideColour();
    outsidePixel = Bgr{o[2], o[1], o[0]};
    outsideFiltered = Bgr{o[0], o[1], o[2]};
    if (!pixels || static_cast<long long>(width) * height > kMaxTableTexels) return;
    texels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    Texel* t = texels.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = At(0, y);
        for (int x = 0; x < width; ++x, p += 3, ++t) {
            t->oneBlue = Pair{1.0, static_cast<double>(p[0])};
            t->greenRed = Pair{static_cast<double>(p[1]), static_cast<double>(p[2])};
        }
    }
}

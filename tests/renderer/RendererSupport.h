#pragma once
// Small terrains, textures and frames made in code for the renderer tests.

#include "app/Platform.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "renderer/RenderCamera.h"
#include "renderer/TerrainRenderer.h"

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace rtest {

inline SilentPlatform& platform() {
    static SilentPlatform p;
    return p;
}

// An elevation document of w x h pixels whose pixel (col, row) holds height(col, row).
inline std::unique_ptr<CGelaende> MakeTerrain(int w, int h, const std::function<uint32_t(int, int)>& height,
                                              double xScale = 1.0, double yScale = 1.0) {
    auto g = std::make_unique<CGelaende>(platform(), xScale, yScale, true);
    if (!g->CreateImage(w, h)) return nullptr;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t e = height(x, y);
            uint8_t* p = g->pixelAt(x, y);
            p[0] = static_cast<uint8_t>(e);
            p[1] = static_cast<uint8_t>(e >> 8);
            p[2] = static_cast<uint8_t>(e >> 16);
        }
    }
    return g;
}

inline std::unique_ptr<CGelaende> FlatTerrain(int w, int h, uint32_t level = 0) {
    return MakeTerrain(w, h, [level](int, int) { return level; });
}

// A picture of w x h pixels filled with one grey level (the frame background, or a plain texture).
inline std::unique_ptr<CTGAFile> MakePicture(int w, int h, uint8_t grey) {
    auto img = std::make_unique<CTGAFile>(platform());
    if (!img->CreateImage(w, h)) return nullptr;
    img->FillGray(grey);
    return img;
}

// A texture whose pixel (x, y) is given by colour(x, y).
inline std::unique_ptr<CTGAFile> MakeTexture(int w, int h, const std::function<Bgr(int, int)>& colour) {
    auto img = std::make_unique<CTGAFile>(platform());
    if (!img->CreateImage(w, h)) return nullptr;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Bgr c = colour(x, y);
            uint8_t* p = img->pixelAt(x, y);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return img;
}

// The frame tests' rolling 96 x 96 hills (heights 300 to about 5700) and their patterned texture.
inline std::unique_ptr<CGelaende> RollingHills() {
    return MakeTerrain(96, 96, [](int x, int y) {
        return static_cast<uint32_t>(3000 + 2000 * std::sin(x * 0.13) * std::cos(y * 0.11) +
                                     700 * std::sin((x - y) * 0.3));
    });
}
inline std::unique_ptr<CTGAFile> PatternTexture() {
    return MakeTexture(96, 96, [](int x, int y) {
        return Bgr{static_cast<uint8_t>(x * 2), static_cast<uint8_t>(y * 2),
                   static_cast<uint8_t>((x ^ y) * 4)};
    });
}

inline Bgr PixelOf(const CTGAFile& img, int x, int y) {
    const uint8_t* p = img.pixelAt(x, y);
    return Bgr{p[0], p[1], p[2]};
}

// The picture's rows as one byte string (for comparing frames).
inline std::vector<uint8_t> Bytes(const CTGAFile& img) {
    std::vector<uint8_t> out;
    for (int y = 0; y < img.GetHeight(); ++y) {
        const uint8_t* p = img.pixelAt(0, y);
        out.insert(out.end(), p, p + 3 * img.GetWidth());
    }
    return out;
}

// A camera for a w x h frame, set at once.
inline RenderCamera MakeCamera(int w, int h, Vector4 eye, double heading, double pitch, double focal,
                               double bank = 0.0, Vector4 light = Vector4::Direction(0, 0, 1)) {
    RenderCamera cam(light, w, h, w / 2, -(h / 2));
    cam.Set(eye, heading, pitch, focal, bank);
    return cam;
}

} // namespace rtest

namespace rtest {

// A camera straight above the ground looking down, focal distance = height: a ground point (x, y) shows
// at about column cx + x and row -cy - y (one pixel per world unit, +y upwards on the screen).
inline RenderCamera DownCamera(int w, int h, double height = 100.0,
                               Vector4 light = Vector4::Direction(0, 0, 1)) {
    return MakeCamera(w, h, Vector4::Point(0, 0, height), 0, -90, height, 0, light);
}

// The ground point that a down camera shows at screen position (c, r).
inline Vector4 GroundAt(const RenderCamera& cam, double c, double r) {
    return Vector4::Point(c - cam.CenterX(), -cam.CenterY() - r, 0.0);
}

} // namespace rtest

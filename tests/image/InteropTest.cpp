// Independent software agrees with our files: Pillow reads the TGA files we write and writes TGA files we
// read; ffmpeg decodes the YUV frames we write.

#include "image/TGAFile.h"

#include "ImageTestUtil.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace imgtest;

namespace {

// A Python interpreter that has Pillow, or "" when there is none.
std::string pythonWithPillow() {
    for (const char* candidate : {"/usr/bin/python3", "python3"})
        if (std::system((std::string(candidate) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0)
            return candidate;
    return "";
}

bool haveFfmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

int run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

void put(CTGAFile& doc, int x, int y, Bgr c) {
    uint8_t* p = doc.pixelAt(x, y);
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

} // namespace

TEST(TGAInterop, PillowReadsOurTgaPixelForPixel) {
    std::string python = pythonWithPillow();
    if (python.empty()) GTEST_SKIP() << "python3 with Pillow is not installed";
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 7, h = 5; // odd width: padded rows in memory, none in the file
    auto pixels = patternPixels(w, h);
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.ReplaceImage(w, h, pixels));
    std::string tga = dir.path("ours.tga"), raw = dir.path("pillow.raw");
    ASSERT_TRUE(doc.SaveImage(tga));
    // Pillow gives rows from the top, pixels red-green-blue.
    ASSERT_EQ(run(python + " -c \"from PIL import Image; im = Image.open('" + tga +
                  "'); assert im.size == (" + std::to_string(w) + ", " + std::to_string(h) +
                  ") and im.mode == 'RGB'; open('" + raw + "', 'wb').write(im.tobytes())\""),
              0);
    std::string got = TempDir::read(raw);
    ASSERT_EQ(got.size(), size_t(w * h * 3));
    for (int t = 0; t < h; ++t)
        for (int x = 0; x < w; ++x) {
            const uint8_t* src = &pixels[3 * ((h - 1 - t) * w + x)];
            const auto* rgb = reinterpret_cast<const uint8_t*>(&got[3 * (t * w + x)]);
            EXPECT_EQ((Bgr{rgb[2], rgb[1], rgb[0]}), (Bgr{src[0], src[1], src[2]})) << x << ", " << t;
        }
}

TEST(TGAInterop, WeReadBottomFirstAndTopFirstFilesFromPillow) {
    std::string python = pythonWithPillow();
    if (python.empty()) GTEST_SKIP() << "python3 with Pillow is not installed";
    TempDir dir;
    const int w = 9, h = 6;
    // Pillow draws pixel (x, y from the top) = (r, g, b) = (x ^ yb, 3x + yb, x + 7yb) with yb = h - 1 - y,
    // the pattern our helper makes with y counted from the bottom.
    auto expected = patternPixels(w, h);
    struct Variant {
        const char* options;
        bool readable;
    };
    for (Variant v : {Variant{"orientation=-1", true}, Variant{"orientation=1", true},
                      Variant{"orientation=1, id_section=b'made by Pillow'", true},
                      Variant{"orientation=-1, rle=True", false}}) {
        std::string file = dir.path("pillow.tga");
        std::string script =
            "from PIL import Image\n"
            "w, h = " +
            std::to_string(w) + ", " + std::to_string(h) +
            "\n"
            "im = Image.new('RGB', (w, h))\n"
            "for y in range(h):\n"
            "    for x in range(w):\n"
            "        yb = h - 1 - y\n"
            "        im.putpixel((x, y), ((x ^ yb) & 255, (3 * x + yb) & 255, (x + 7 * yb) & 255))\n"
            "im.save('" +
            file + "', 'TGA', " + v.options + ")\n";
        TempDir::write(dir.path("make.py"), script);
        ASSERT_EQ(run(python + " " + dir.path("make.py")), 0) << v.options;
        ScriptedPlatform platform;
        CTGAFile doc(platform);
        ASSERT_EQ(doc.OpenImage(file), v.readable) << v.options;
        if (!v.readable) {
            ASSERT_EQ(platform.shown.size(), 1u);
            EXPECT_EQ(platform.shown[0].text, "Cannot open file '" + file +
                                                  "'.\nCompressed (run-length encoded) TGA files are not "
                                                  "supported; only uncompressed 24-bit true colour is read.");
            continue;
        }
        ASSERT_EQ(doc.GetWidth(), w);
        ASSERT_EQ(doc.GetHeight(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* e = &expected[3 * (y * w + x)];
                ASSERT_EQ(doc.GetPixel(x, y), (Bgr{e[0], e[1], e[2]}))
                    << v.options << " at " << x << ", " << y;
            }
    }
}

TEST(TGAInterop, FfmpegDecodesOurYuvFrame) {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 16, h = 12;
    const Bgr colours[] = {{255, 255, 255}, {0, 0, 0},      {128, 128, 128}, {0, 0, 255},
                           {0, 255, 0},     {255, 0, 0},    {30, 160, 220},  {200, 90, 40},
                           {60, 60, 200},   {40, 200, 120}, {99, 33, 180},   {240, 240, 16}};
    auto colourAt = [&](int x, int t) { return colours[((t / 2) * 3 + x / 2) % 12]; }; // 2 x 2 blocks
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(w, h));
    for (int t = 0; t < h; ++t)
        for (int x = 0; x < w; ++x) put(doc, x, h - 1 - t, colourAt(x, t));
    std::string frame = dir.path("frame.tga");
    ASSERT_TRUE(doc.SaveImageAs(frame, 1));
    std::string out = dir.path("out.raw");
    ASSERT_EQ(run("ffmpeg -nostdin -y -f rawvideo -pix_fmt yuv420p -s " + std::to_string(w) + "x" +
                  std::to_string(h) + " -i " + dir.path("frame.yuv") + " -f rawvideo -pix_fmt bgr24 " + out),
              0);
    std::string got = TempDir::read(out);
    ASSERT_EQ(got.size(), size_t(w * h * 3));
    for (int t = 0; t < h; ++t)
        for (int x = 0; x < w; ++x) {
            const auto* p = reinterpret_cast<const uint8_t*>(&got[3 * (t * w + x)]);
            Bgr e = colourAt(x, t);
            EXPECT_NEAR(p[0], e.b, 3) << x << ", " << t;
            EXPECT_NEAR(p[1], e.g, 3) << x << ", " << t;
            EXPECT_NEAR(p[2], e.r, 3) << x << ", " << t;
        }
}

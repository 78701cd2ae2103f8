#include "image/TGAFile.h"

#include "ImageTestUtil.h"
#include "app/Settings.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace imgtest;

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

} // namespace

TEST(TGAFile, CreatedImageHasBitmapLayoutAndPaddedRows) {
    ScriptedPlatform platform;
    TempDir dir;
    for (int width : {3, 4}) {
        CTGAFile doc(platform);
        ASSERT_TRUE(doc.CreateImage(width, 1));
        EXPECT_EQ(doc.stride(), 12);
        EXPECT_EQ(doc.GetWidth(), width);
        EXPECT_EQ(doc.GetHeight(), 1);
        EXPECT_DOUBLE_EQ(doc.maxX(), width - 1);
        EXPECT_DOUBLE_EQ(doc.maxY(), 0);
        const auto& bmp = doc.bitmap();
        ASSERT_EQ(bmp.size(), 40u + 12u);
        EXPECT_EQ(le32(bmp, 0), 40u);
        EXPECT_EQ(le32(bmp, 4), uint32_t(width));
        EXPECT_EQ(le32(bmp, 8), 1u);
        EXPECT_EQ(bmp[12] | (bmp[13] << 8), 1);  // planes
        EXPECT_EQ(bmp[14] | (bmp[15] << 8), 24); // bits per pixel
        EXPECT_EQ(le32(bmp, 16), 0u);            // no compression
        EXPECT_EQ(le32(bmp, 20), 12u);           // image size = height * stride
        EXPECT_EQ(le32(bmp, 24), 3937u);
        EXPECT_EQ(le32(bmp, 28), 3937u);
        EXPECT_EQ(le32(bmp, 32), 0u);
        EXPECT_EQ(le32(bmp, 36), 0u);

        doc.FillGray(0x55);
        for (size_t i = 40 + 3 * width; i < bmp.size(); ++i) EXPECT_EQ(bmp[i], 0) << "padding byte " << i;
        std::string name = "w";
        name += std::to_string(width);
        name += ".tga";
        std::string file = dir.path(name);
        ASSERT_TRUE(doc.SaveImage(file));
        std::string bytes = TempDir::read(file);
        ASSERT_EQ(bytes.size(), 18u + 3u * width);
        EXPECT_EQ(bytes.substr(0, 18), tgaHeader(width, 1));
        EXPECT_EQ(bytes.substr(18), std::string(3 * width, '\x55'));
    }
    EXPECT_TRUE(platform.shown.empty());
}

TEST(TGAFile, OpenReadsRowsBottomFirstAndRoundTrips) {
    ScriptedPlatform platform;
    TempDir dir;
    const int w = 5, h = 3;
    auto pixels = patternPixels(w, h);
    std::string file = dir.path("in.tga");
    TempDir::write(file, tgaFile(w, h, pixels));

    MemorySettings settings;
    CTGAFile doc(platform);
    doc.setSettings(&settings);
    doc.setModified(true);
    ASSERT_TRUE(doc.OpenImage(file));
    EXPECT_EQ(doc.pathName(), file);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(settings.getString("Recent File Load", "Name", "?"), ".tga");
    EXPECT_EQ(doc.GetWidth(), w);
    EXPECT_EQ(doc.GetHeight(), h);
    EXPECT_EQ(doc.stride(), 16);
    EXPECT_EQ(platform.waitCursorDepth, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = doc.pixelAt(x, y);
            const uint8_t* e = &pixels[3 * (y * w + x)];
            EXPECT_EQ((std::vector<uint8_t>{p[0], p[1], p[2]}), (std::vector<uint8_t>{e[0], e[1], e[2]}));
        }
    std::string out = dir.path("out.tga");
    ASSERT_TRUE(doc.SaveImage(out));
    EXPECT_EQ(TempDir::read(out), tgaFile(w, h, pixels));
    EXPECT_TRUE(platform.shown.empty());
}

TEST(TGAFile, ShortOrUnsupportedFilesAreRefused) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        std::string why; // the second line of the message: the reason
    };
    const std::string only24 = "; only uncompressed 24-bit true colour is read.";
    std::vector<Case> cases = {
        {"short pixel section", tgaHeader(2, 2) + std::string(9, '\1'),
         "The file is truncated: 2 x 2 pixels need 30 bytes, the file holds 27."},
        {"run-length encoded", tgaHeader(2, 2, 10) + std::string(12, '\1'),
         "Compressed (run-length encoded) TGA files are not supported" + only24},
        {"colour mapped", tgaHeader(2, 2, 1, 0, 8, 0, 1) + std::string(100, '\1'),
         "Colour-mapped TGA files are not supported" + only24},
        {"grey", tgaHeader(2, 2, 3, 0, 8) + std::string(4, '\1'),
         "The file is not a true-colour TGA image (image type 3)" + only24},
        {"32 bits per pixel", tgaHeader(2, 2, 2, 0, 32) + std::string(16, '\1'),
         "The image has 32 bits per pixel, not 24."},
        {"16 bits per pixel", tgaHeader(2, 2, 2, 0, 16) + std::string(12, '\1'),
         "The image has 16 bits per pixel, not 24."},
        {"zero width", tgaHeader(0, 2), "The image is 0 x 2 pixels: it holds no pixels."},
        {"zero height", tgaHeader(2, 0), "The image is 2 x 0 pixels: it holds no pixels."},
        {"huge size, tiny file", tgaHeader(65535, 65535) + std::string(100, '\1'),
         "The file is truncated: 65535 x 65535 pixels need 12884508693 bytes, the file holds 118."},
        {"id field not counted", tgaHeader(2, 2, 2, 5) + std::string(12, '\1'),
         "The file is truncated: 2 x 2 pixels need 35 bytes, the file holds 30."},
        {"header cut", tgaHeader(2, 2).substr(0, 17),
         "The file is truncated: it holds 17 bytes, less than the 18 bytes of a TGA header."},
        {"empty", "", "The file is truncated: it holds 0 bytes, less than the 18 bytes of a TGA header."},
    };
    for (bool load : {true, false}) {
        for (const Case& c : cases) {
            ScriptedPlatform platform;
            std::string file = dir.path("bad.tga");
            TempDir::write(file, c.bytes);
            CTGAFile doc(platform, 10, load, 1.0, 1.0);
            EXPECT_FALSE(doc.OpenImage(file)) << c.what;
            ASSERT_EQ(platform.shown.size(), 1u) << c.what;
            // A picture above the in-memory limit is named as such; everything else cannot be opened, and
            // the message says why.
            const bool tooLarge = load && std::string(c.what) == "huge size, tiny file";
            EXPECT_EQ(platform.shown[0].text, tooLarge ? std::string("TGA file is too large.")
                                                       : "Cannot open file '" + file + "'.\n" + c.why)
                << c.what;
            EXPECT_EQ(platform.shown[0].icon, tooLarge ? MsgIcon::Warning : MsgIcon::Stop);
            EXPECT_EQ(platform.shown[0].buttons, MsgButtons::Ok);
            EXPECT_FALSE(doc.hasImage());
            EXPECT_EQ(platform.waitCursorDepth, 0);
        }
    }
}

TEST(TGAFile, MissingFileAsksToRetryUntilNo) {
    ScriptedPlatform platform;
    TempDir dir;
    platform.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::No};
    MemorySettings settings;
    CTGAFile doc(platform);
    doc.setSettings(&settings);
    std::string file = dir.path("missing.tga");
    EXPECT_FALSE(doc.OpenImage(file));
    ASSERT_EQ(platform.shown.size(), 3u);
    for (const auto& s : platform.shown) {
        EXPECT_EQ(s.text, "Couldn't open TGA file\n'" + file + "'.\nRetry?");
        EXPECT_EQ(s.buttons, MsgButtons::YesNo);
    }
    EXPECT_EQ(settings.getString("Recent File Load", "Name", "unset"), "unset");

    // A retry that finds the file succeeds.
    struct CreatingPlatform : ScriptedPlatform {
        std::string file, bytes;
        MsgAnswer message(const std::string& t, MsgIcon i, MsgButtons b) override {
            ScriptedPlatform::message(t, i, b);
            TempDir::write(file, bytes);
            return MsgAnswer::Yes;
        }
    } creating;
    creating.file = file;
    creating.bytes = tgaFile(1, 1, {1, 2, 3});
    CTGAFile later(creating);
    EXPECT_TRUE(later.OpenImage(file));
    EXPECT_EQ(creating.shown.size(), 1u);
    EXPECT_EQ(later.GetPixel(0, 0), (Bgr{1, 2, 3}));
}

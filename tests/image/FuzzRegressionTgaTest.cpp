// The TGA reader on the fuzzer's seed files and on every input it found that once crashed, hung or broke a
// property (replayed through the same target as the fuzzer), and the size limits of the reader.

#include "fuzz/FuzzReplay.h"
#include "fuzz/TgaTarget.h"

#include "image/Gelaende.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string header(int w, int h) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(w & 0xFF);
    bytes[13] = static_cast<char>(w >> 8);
    bytes[14] = static_cast<char>(h & 0xFF);
    bytes[15] = static_cast<char>(h >> 8);
    bytes[16] = 24;
    return bytes;
}

} // namespace

TEST(FuzzRegressionTga, SeedsAndKeptInputsReadSafely) {
    EXPECT_GE(fuzz::replay("tga", fuzz::FuzzTga), 6u);
}

// At most 16384 x 16384 pixels (2^28) are kept in memory; larger images are refused with a message that
// says why, before anything is allocated. Header-only elevation lookups take any size the format allows.
TEST(FuzzRegressionTga, LargestImageInMemoryAndTheMessageAboveIt) {
    EXPECT_EQ(CTGAFile::maxPixels, 16384LL * 16384);
    TempDir dir;
    for (auto [w, h] : {std::pair{16385, 16384}, std::pair{65535, 65535}, std::pair{65535, 4097}}) {
        const std::string file = dir.path("big.tga");
        TempDir::write(file, header(w, h));
        std::filesystem::resize_file(file, 18 + 3ULL * w * h); // sparse: complete, but never read
        ScriptedPlatform platform;
        CTGAFile doc(platform);
        EXPECT_FALSE(doc.OpenImage(file)) << w << " x " << h;
        ASSERT_EQ(platform.shown.size(), 1u);
        EXPECT_EQ(platform.shown[0].text, "TGA file is too large.");
        EXPECT_EQ(platform.shown[0].icon, MsgIcon::Warning);
        EXPECT_FALSE(doc.hasImage());

        CGelaende onDisk(platform, 1, 1, false);
        EXPECT_TRUE(onDisk.OpenImage(file));
        EXPECT_EQ(onDisk.headerWidth(), w);
        EXPECT_EQ(onDisk.ElevationAt(w - 2, h - 2), 0.0);
    }
    // At the limit the size is accepted; a file cut short is then refused as damaged, not as too large.
    const std::string cut = dir.path("cut.tga");
    TempDir::write(cut, header(16384, 16384) + "abc");
    ScriptedPlatform platform;
    CTGAFile doc(platform);
    EXPECT_FALSE(doc.OpenImage(cut));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "Cannot open file '" + cut +
                                          "'.\nThe file is truncated: 16384 x 16384 pixels need 805306386 "
                                          "bytes, the file holds 21.");
    // Images made in memory obey the same limit.
    EXPECT_FALSE(doc.CreateImage(16385, 16384));
    EXPECT_FALSE(doc.CreateImage(1 << 20, 1 << 9));
}

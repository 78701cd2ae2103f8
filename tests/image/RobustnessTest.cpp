// Damaged files (cut short, bytes overwritten) are refused or read, never crash, leak or hang, whether the
// pixels are loaded or looked up from the file.

#include "image/Gelaende.h"

#include "ImageTestUtil.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace imgtest;

namespace {

size_t openDescriptors() {
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd");
         it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

// Opens the file in both modes and, when that works, reads every pixel and samples the terrain.
void exercise(const std::string& file, int& opened, int& refused) {
    for (bool load : {true, false}) {
        ScriptedPlatform platform;
        CGelaende doc(platform, 1.0, 1.0, load);
        if (!doc.OpenImage(file)) {
            ++refused;
            EXPECT_EQ(platform.shown.size(), 1u);
            EXPECT_FALSE(doc.hasImage());
            continue;
        }
        ++opened;
        EXPECT_TRUE(platform.shown.empty());
        EXPECT_GT(doc.headerWidth(), 0);
        EXPECT_GT(doc.headerHeight(), 0);
        double sum = 0;
        for (int y = -1; y <= doc.headerHeight(); ++y)
            for (int x = -1; x <= doc.headerWidth(); ++x) {
                sum += doc.GetPixel(x, y).g;
                sum += doc.ElevationAt(x + 0.25, y + 0.75);
                sum += doc.SampleFiltered(x, y).b;
            }
        EXPECT_GE(sum, 0);
        EXPECT_EQ(platform.waitCursorDepth, 0);
    }
}

} // namespace

TEST(TGARobustness, DamagedFilesNeverCrashOrLeak) {
    TempDir dir;
    std::vector<std::string> originals = {
        tgaFile(5, 4, patternPixels(5, 4), 3),
        tgaFile(4, 3, patternPixels(4, 3), 0, true),
        tgaFile(1, 1, {9, 8, 7}),
        tgaFile(6, 5, patternPixels(6, 5), 0) + "TRUEVISION-XFILE.",
    };
    const size_t descriptorsBefore = openDescriptors();
    std::mt19937 rng(20240611);
    int opened = 0, refused = 0, variants = 0;
    // A new file for every variant: rewriting one file in place makes some file systems flush it each time.
    auto writeVariant = [&](const std::string& bytes) {
        std::string file = dir.path("damaged" + std::to_string(variants) + ".tga");
        TempDir::write(file, bytes);
        return file;
    };
    for (const std::string& original : originals) {
        // Every length it can be cut to.
        for (size_t n = 0; n < original.size(); ++n) {
            std::string file = writeVariant(original.substr(0, n));
            exercise(file, opened, refused);
            std::filesystem::remove(file);
            ++variants;
        }
        // Random bytes overwritten, half of the time in the header.
        for (int i = 0; i < 800; ++i) {
            std::string damaged = original;
            int changes = 1 + static_cast<int>(rng() % 4);
            for (int c = 0; c < changes; ++c) {
                size_t at = (rng() % 2) ? rng() % 18 : rng() % damaged.size();
                damaged[at] = static_cast<char>(rng());
            }
            std::string file = writeVariant(damaged);
            exercise(file, opened, refused);
            std::filesystem::remove(file);
            ++variants;
        }
    }
    EXPECT_GT(variants, 3000);
    EXPECT_GT(opened, 500);
    EXPECT_GT(refused, 500);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST(TGARobustness, APipeOrADeviceIsRefusedWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.path("pipe.tga").c_str(), 0600), 0);
    for (const std::string& name : {dir.path("pipe.tga"), std::string("/dev/zero")})
        for (bool load : {true, false}) {
            SCOPED_TRACE(name);
            ScriptedPlatform platform;
            CGelaende doc(platform, 1.0, 1.0, load);
            EXPECT_FALSE(doc.OpenImage(name));
            EXPECT_FALSE(platform.texts().empty()); // the user is told
        }
}

// The DEM reader and import on the fuzzer's seed files and on every input it found that once crashed, hung
// or broke a property, and the largest DEM the import accepts.

#include "fuzz/DemTarget.h"
#include "fuzz/FuzzReplay.h"

#include "tools/ToolTestSupport.h"

#include <gtest/gtest.h>

using namespace tooltest;

TEST(FuzzRegressionDem, SeedsAndKeptInputsReadSafely) {
    EXPECT_GE(fuzz::replay("dem", fuzz::FuzzDem), 3u);
}

// A DEM of up to 16376 profiles makes an elevation file of at most 16384 x 16384 pixels, the largest image
// kept in memory; one more profile is refused before anything is allocated, with the limit in the message.
TEST(FuzzRegressionDem, LargestDemAndTheMessageAboveIt) {
    EXPECT_EQ(DemImageSide(16376), kMaxDemImageSide);
    EXPECT_EQ(static_cast<long long>(kMaxDemImageSide) * kMaxDemImageSide, CTGAFile::maxPixels);
    SynthHeader h;
    h.columns = 16377;
    TempDir dir;
    TempDir::write(dir.path("big.dem"), makeDem(h, {{1, {1, 2}}}, DemLayout::Records));
    Env e;
    EXPECT_EQ(DemImport(dir.path("big.dem"), dir.path("out.tga"), e.env).status, ToolStatus::Failed);
    EXPECT_EQ(e.platform.texts(),
              std::vector<std::string>{"The DEM file '" + dir.path("big.dem") +
                                       "' declares 16377 columns of profiles.\nAn elevation file of at most "
                                       "16384 x 16384 pixels can be made: nothing was converted."});
    EXPECT_FALSE(exists(dir.path("out.tga")));
}

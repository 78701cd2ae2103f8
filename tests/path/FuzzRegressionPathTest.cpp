// The flight path text on the fuzzer's seeds and on every input it found that once crashed, hung or broke a
// property.

#include "fuzz/FuzzReplay.h"
#include "fuzz/PathTextTarget.h"

#include <gtest/gtest.h>

TEST(FuzzRegressionPath, SeedsAndKeptInputsReadSafely) {
    EXPECT_GE(fuzz::replay("path_text", fuzz::FuzzPathText), 3u);
}

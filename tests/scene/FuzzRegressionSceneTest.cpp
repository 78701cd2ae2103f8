// The profile reader with LoadScript, the scene text and the output name formatter on the fuzzer's seeds
// and on every input it found that once crashed, hung or broke a property.

#include "fuzz/FuzzReplay.h"
#include "fuzz/OutputNameTarget.h"
#include "fuzz/ProfileTarget.h"
#include "fuzz/SceneTextTarget.h"

#include <gtest/gtest.h>

TEST(FuzzRegressionScene, SeedsAndKeptInputsReadSafely) {
    EXPECT_GE(fuzz::replay("profile", fuzz::FuzzProfile), 4u);
    EXPECT_GE(fuzz::replay("scene_text", fuzz::FuzzSceneText), 3u);
    EXPECT_GE(fuzz::replay("output_name", fuzz::FuzzOutputName), 7u);
}

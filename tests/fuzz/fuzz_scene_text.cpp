// libFuzzer harness: the scene text parser (see SceneTextTarget.h).
#include "fuzz/SceneTextTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzSceneText)

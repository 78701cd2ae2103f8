#pragma once
// The scene text of the clipboard. Checks: a text without the header changes nothing; a pasted scene,
// copied and pasted again, gives the same text; the background colour and the path points never change.

#include "fuzz/FuzzSupport.h"
#include "scene/SceneParams.h"

namespace fuzz {

inline std::string FuzzSceneText(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CSceneParams scene;
    scene.NewScene();
    scene.BackgroundColor = 0x123456;
    scene.SetPathPoint(0, 10, 20);
    scene.SetPathPoint(1, 30, 40);
    const std::string before = BuildSceneText(scene);

    const bool pasted = ParseSceneText(text, scene);
    FUZZ_REQUIRE(pasted == IsSceneText(text), "pasted exactly when the header is there");
    FUZZ_REQUIRE(scene.BackgroundColor == 0x123456u, "the background colour is not part of the text");
    FUZZ_REQUIRE(scene.lastIndex == 1 && scene.points[1] == (PathPoint{30, 40}), "the points stay");
    if (!pasted) {
        FUZZ_REQUIRE(BuildSceneText(scene) == before, "a text without the header changes nothing");
        return "";
    }
    const std::string copied = BuildSceneText(scene);
    CSceneParams other;
    other.NewScene();
    FUZZ_REQUIRE(ParseSceneText(copied, other), "a copied scene pastes");
    FUZZ_REQUIRE(BuildSceneText(other) == copied, "copy, paste, copy gives the same text");
    return "";
}

} // namespace fuzz

#pragma once
// The private-profile (INI) reader under the settings store and the scene script reader LoadScript.
// Checks: the profile's text reads back as the same profile; a value that was set is read back; a script
// that loads, saved and loaded again, saves the same bytes; the copy that saving makes loads like the
// original.

#include "app/IniSettings.h"
#include "app/PrivateProfile.h"
#include "fuzz/FuzzSupport.h"
#include "scene/SceneParams.h"

namespace fuzz {

inline std::string FuzzProfile(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The in-memory profile: its text is a fixed point, lookups agree with the key list.
    PrivateProfile profile(bytes);
    const std::string text = profile.text();
    FUZZ_REQUIRE(PrivateProfile(text).text() == text, "profile text reads back unchanged");
    for (const char* section : {"Param", "Settings", "FlightPath"}) {
        for (const std::string& key : profile.keys(section))
            FUZZ_REQUIRE(profile.get(section, key).has_value(), "a listed key can be read");
    }
    PrivateProfile changed(bytes);
    for (const std::string& key : profile.keys("Param")) changed.set("Param", key, "7");
    for (const std::string& key : profile.keys("Param"))
        FUZZ_REQUIRE(changed.get("Param", key).value_or("") == "7", "a value set is read back");
    changed.set("Settings", "RedrawInterval", "250");
    FUZZ_REQUIRE(changed.get("settings", "redrawinterval").value_or("") == "250", "new key found");
    FUZZ_REQUIRE(PrivateProfile(changed.text()).get("Settings", "RedrawInterval").value_or("") == "250",
                 "new key survives its text");

    InputFile input(data, size);
    // The settings store on the same file.
    IniSettings settings(input.path());
    (void)settings.getString("FlightPath", "Color", "000000");
    (void)settings.getInt("Settings", "Antialiasing", 10);

    // The scene script reader.
    CSceneParams scene;
    scene.NewScene();
    const CSceneParams before = scene;
    const bool loaded = scene.LoadScript(input.path());
    if (!loaded) {
        FUZZ_REQUIRE(BuildSceneText(scene) == BuildSceneText(before), "a refused script changes nothing");
        return "";
    }
    FUZZ_REQUIRE(scene.lastIndex >= -1 && scene.lastIndex < kMaxPathPoints, "point count within the list");

    const std::string first = ScratchFolder::file("first.ovs"), second = ScratchFolder::file("second.ovs");
    removeFile(first);
    removeFile(second);
    FUZZ_REQUIRE(scene.WriteJobValues(first), "a loaded scene can be written");
    settleFile(first);
    CSceneParams reread;
    reread.NewScene();
    FUZZ_REQUIRE(reread.LoadScript(first), "a written scene loads");
    FUZZ_REQUIRE(reread.WriteJobValues(second), "a reloaded scene can be written");
    FUZZ_REQUIRE(readFile(first) == readFile(second), "write, load, write gives the same file");

    // Saving copies the keys in script order: the copy loads as the original did.
    const std::string copy = ScratchFolder::file("copy.ovs");
    removeFile(copy);
    FUZZ_REQUIRE(CopySceneKeys(input.path(), copy), "the keys can be copied");
    settleFile(copy);
    CSceneParams copied;
    copied.NewScene();
    FUZZ_REQUIRE(copied.LoadScript(copy), "the copy loads");
    FUZZ_REQUIRE(BuildSceneText(copied) == BuildSceneText(scene), "the copy holds the same scene");
    FUZZ_REQUIRE(copied.lastIndex == scene.lastIndex, "the copy holds the same points");
    for (int i = 0; i <= scene.lastIndex; ++i)
        FUZZ_REQUIRE(copied.points[i] == scene.points[i], "the copy holds the same points");
    return "";
}

} // namespace fuzz

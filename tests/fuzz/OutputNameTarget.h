#pragma once
// The output name formatter and the scene check's rule on the output name template. The first four bytes of
// the input are the frame number, the rest the template. Checks: a template the formatter takes gives the
// C library's own result; a template the check passes can be formed; a message names the template; a
// template moved into a folder whose name holds percent signs forms the same name in that folder.

#include "fuzz/FuzzSupport.h"
#include "scene/SceneParams.h"

#include <cstring>
#include <vector>

namespace fuzz {

inline std::string FuzzOutputName(const uint8_t* data, size_t size) {
    if (size < 4) return "";
    int32_t number = 0;
    std::memcpy(&number, data, 4);
    const std::string templ(reinterpret_cast<const char*>(data) + 4, size - 4);

    const std::optional<std::string> name = FormatOutputName(templ, number);
    if (name && templ.find('\0') == std::string::npos) {
        // The formatter accepted exactly one integer conversion: the C library may format it too.
        int n = std::snprintf(nullptr, 0, templ.c_str(), number);
        FUZZ_REQUIRE(n >= 0, "the C library formats an accepted template");
        std::vector<char> expected(static_cast<size_t>(n) + 1);
        std::snprintf(expected.data(), expected.size(), templ.c_str(), number);
        FUZZ_REQUIRE(*name == std::string(expected.data(), static_cast<size_t>(n)),
                     "formatted like the C library");
    }

    // A relative template moved into a folder keeps forming the same name, now in that folder.
    if (!templ.empty() && templ[0] != '/') {
        CSceneParams moved;
        moved.OutputFileName = templ;
        ResolveSceneRelativePaths(moved, "/scenes/100%d/");
        const std::optional<std::string> inFolder = FormatOutputName(moved.OutputFileName, number);
        FUZZ_REQUIRE(inFolder.has_value() == name.has_value(), "the folder does not change acceptance");
        if (name) FUZZ_REQUIRE(*inFolder == "/scenes/100%d/" + *name, "formed inside the folder");
    }

    // Rule 29 of the scene check on an otherwise valid scene (the elevation file is this program).
    CSceneParams scene;
    scene.NewScene();
    scene.ElevationFileName = "/proc/self/exe";
    scene.OutputFileName = templ;
    const SceneCheck check = scene.ValidateScene();
    // Rule 35 refuses a template holding a NUL byte, which no file can be named after.
    FUZZ_REQUIRE(check.ok || check.rule == 29 || check.rule == 35, "only the output name can fail");
    if (check.ok) FUZZ_REQUIRE(FormatOutputName(templ, 0).has_value(), "a passing template can be formed");
    if (!check.ok)
        FUZZ_REQUIRE(!check.message.empty() && check.field == SceneField::OutputFileName,
                     "a failed template is named and focused");
    return "";
}

} // namespace fuzz

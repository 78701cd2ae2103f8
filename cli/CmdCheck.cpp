// orvantis-cli check SCENE.ovs: runs the scene check on a script file.

#include "cli/Command.h"

#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <cstdio>
#include <filesystem>

namespace {

int runCheck(const cli::Args& args) {
    const std::string& scenePath = args.positional[0];
    CSceneParams scene;
    scene.NewScene();
    std::error_code ec;
    bool isFile = std::filesystem::is_regular_file(scenePath, ec);
    if (!isFile || !scene.LoadScript(scenePath)) {
        std::fprintf(stderr, "%s\n", FormatString(IDS_CANNOT_OPEN_FILE, scenePath).c_str());
        return ExitFailure;
    }
    std::filesystem::path folder = std::filesystem::absolute(scenePath, ec).parent_path();
    ResolveSceneRelativePaths(scene, folder.string());

    SceneCheck check = scene.ValidateScene();
    if (!check.ok) {
        std::fprintf(stderr, "%s\n", check.message.c_str());
        return ExitFailure;
    }
    std::printf("OK\n");
    return ExitOk;
}

} // namespace

CliCommand checkCommand() {
    return {
        "check",
        "check SCENE.ovs",
        "Usage: orvantis-cli check SCENE.ovs\n"
        "Checks a scene script the way the desktop application does before it saves or renders: focal "
        "lengths,\n"
        "frame numbers, light, dust, smoothness, scales, output size and grid, flight security values, the\n"
        "elevation, texture and mask files and the output file name template.\n"
        "File names inside the scene that are not absolute are taken relative to the scene file's folder.\n\n"
        "Prints \"OK\" and exits with 0 when the scene passes; otherwise prints the message of the first "
        "check\n"
        "that fails on stderr and exits with 1. A file that is not a scene script gives\n"
        "\"Cannot open file '...'.\" and exit status 1. Bad usage exits with 2.\n",
        {{}, 1, "missing scene file", "only one scene file can be checked", true},
        runCheck};
}

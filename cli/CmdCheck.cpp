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
    return {"check", {{}, 1, "missing scene file", "only one scene file can be checked", true}, runCheck};
}

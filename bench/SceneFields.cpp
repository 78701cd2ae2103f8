// Reads and changes a scene script by the names of its fields as the scene text names them (XA, SizeX,
// FocalLengthA, ...), so the benchmark scripts build their scenes without spelling a script key.
//
//   scene_fields get SCENE NAME...               prints each value on a line of its own
//   scene_fields set SCENE OUT NAME=VALUE...     writes SCENE with the values changed to OUT
//
// Values are printed and taken as a script stores them ("%f", "%d", the text, the colour in hexadecimal).
// OUT is written in the key order of a saved script; unlike a save from the application, the scene is not
// checked first, so its files need not exist yet.

#include "app/CFormat.h"
#include "scene/SceneParams.h"
#include "scene/SceneSchema.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const SceneFieldRow* rowNamed(const std::string& name) {
    for (const SceneFieldRow& row : SceneSchema())
        if (row.name && name == row.name && row.member.index() != 0) return &row;
    std::fprintf(stderr, "scene_fields: no field named %s\n", name.c_str());
    return nullptr;
}

// A value as a script stores it; false when it is not one (the field is then unchanged).
bool parseValue(const std::string& text, double& value) {
    return parseRealStrict(text, value);
}
bool parseValue(const std::string& text, int& value) {
    return parseIntStrict(text, value);
}
bool parseValue(const std::string& text, std::string& value) {
    value = text;
    return true;
}
bool parseValue(const std::string& text, uint32_t& value) {
    unsigned long colour = 0;
    if (scanHex(text.c_str(), colour) != text.size() || text.empty()) return false;
    value = static_cast<uint32_t>(colour);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: scene_fields get SCENE NAME...\n"
                         "       scene_fields set SCENE OUT NAME=VALUE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[1], scene = argv[2];
    CSceneParams params;
    if (!params.LoadScript(scene)) {
        std::fprintf(stderr, "scene_fields: %s is not a scene script\n", scene.c_str());
        return 1;
    }
    if (command == "get") {
        for (int i = 3; i < argc; ++i) {
            const SceneFieldRow* row = rowNamed(argv[i]);
            if (!row) return 1;
            WithField(params, row->member,
                      [](const auto& field) { std::printf("%s\n", SceneValueText(field).c_str()); });
        }
        return 0;
    }
    if (command != "set" || argc < 4) return usage();
    const std::string out = argv[3];
    for (int i = 4; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (!equals) return usage();
        const SceneFieldRow* row = rowNamed(std::string(argv[i], equals - argv[i]));
        if (!row) return 1;
        bool read = false;
        WithField(params, row->member, [&](auto& field) { read = parseValue(equals + 1, field); });
        if (!read) {
            std::fprintf(stderr, "scene_fields: %s is not a value of %s\n", equals + 1, row->name);
            return 1;
        }
    }
    // The job values go through a scratch file, then into OUT in the key order of a script (without the
    // job-ready key), as a save writes them.
    const std::string values = out + ".values";
    std::remove(values.c_str());
    const bool written = params.WriteJobValues(values) && CopySceneKeys(values, out);
    std::remove(values.c_str());
    if (!written) {
        std::fprintf(stderr, "scene_fields: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

// The scene text that Copy puts on the clipboard and Paste reads back.

#include "scene/SceneParams.h"
#include "scene/SceneSchema.h"

#include "app/CFormat.h"
#include "res/StringTable.h"

std::string BuildSceneText(const CSceneParams& scene) {
    std::string text = LoadString(IDS_SCENE_CLIPBOARD_HEADER);
    text += "\r\n";
    for (const SceneFieldRow* row : SceneTextRows()) {
        if (!IsStoredValue(scene, *row)) continue;
        WithField(scene, row->member, [&](const auto& field) { text += SceneValueText(field); });
        text += cformat("\t(%s)\r\n", row->name);
    }
    return text;
}

bool IsSceneText(const std::string& text) {
    const std::string header = LoadString(IDS_SCENE_CLIPBOARD_HEADER);
    return text.compare(0, header.size(), header) == 0;
}

bool ParseSceneText(const std::string& text, CSceneParams& scene) {
    if (!IsSceneText(text)) return false;
    size_t cursor = std::string(LoadString(IDS_SCENE_CLIPBOARD_HEADER)).size() + 2;
    for (const SceneFieldRow* row : SceneTextRows()) {
        if (cursor > text.size()) cursor = text.size();
        // An optional line is the text's last when present; a text without it has the default.
        if (row->kind == SceneKeyKind::Optional && cursor == text.size()) {
            SetInitialValue(scene, *row);
            continue;
        }
        WithField(scene, row->member, [&](auto& field) { ParseSceneValue(text, cursor, field); });
        size_t lf = text.find('\n', cursor);
        cursor = lf == std::string::npos ? text.size() : lf + 1;
    }
    return true;
}

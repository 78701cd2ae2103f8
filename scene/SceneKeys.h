#pragma once
// The keys of a scene script and a render job, in the order a saved script holds them.

#include "scene/SceneParams.h"

#include <string>
#include <vector>

// The three keys whose names hold Windows-1252 letters (ä E4, ö F6, Ü DC), byte for byte.
inline constexpr const char* kKeySmoothness = "Tr\xE4gheit";
inline constexpr const char* kKeySizeY = "AusH\xF6he";
inline constexpr const char* kKeyAverageHeight = "H\xF6he\xDC"
                                                 "berBoden";

enum class SceneKeyKind {
    Real,
    Int,
    Text,
    OutputTga,  // AusgabeTGA, from OutputFileFormat
    OutputYuv,  // AusgabeYUV, from OutputFileFormat
    Colour,     // Hintergrund: BackgroundColor as "%lX"
    PathPoints, // Punkt00 ... (the place of the point keys in the order)
};

struct SceneKey {
    const char* key;
    SceneKeyKind kind;
    double CSceneParams::*real = nullptr;
    int CSceneParams::*integer = nullptr;
    std::string CSceneParams::*text = nullptr;
};

// Every key of a saved script in its order (the point keys appear once, as PathPoints).
const std::vector<SceneKey>& SceneKeyOrder();

#pragma once
// The values of a render job file, read through its ProfileFile with the readers' rules (a missing integer
// is 0, a missing real 0.0, a missing text empty). Which key goes into which member is a column of the
// scene schema (scene/SceneSchema.cpp). The job file does not change during a run, so reading
// it once gives the values that reading it at every frame would give.

#include "render/Vector2.h"

#include <cstdint>
#include <string>
#include <vector>

class ProfileFile;

struct JobValues {
    // Camera, first frame (A) and last frame (E).
    double xA = 0, yA = 0, zA = 0, headingA = 0, pitchA = 0, focalA = 0, rollA = 0;
    double xE = 0, yE = 0, zE = 0, headingE = 0, pitchE = 0, focalE = 0, rollE = 0;
    // Frame numbering.
    int total = 0;
    int offset = 0;
    int from = 0;
    int to = 0;
    // Light (as stored; the run normalises it), dust, smoothness.
    double lightX = 0, lightY = 0, lightZ = 0;
    double dustA = 0, dustE = 0;
    double smoothness = 0;
    // Output.
    int outputFormat = 0; // 0 TGA (also when neither flag is set), 1 YUV, 2 both
    std::string outputTemplate;
    int width = 0, height = 0;
    // Inputs.
    int useTexture = 0;
    std::string textureFile;
    std::string elevationFile;
    double scaleX = 0, scaleY = 0, scaleZA = 0, scaleZE = 0;
    int useMask = 0;
    std::string maskFile;
    double gridX = 0, gridY = 0;
    // Picture.
    int useBackground = 0;
    int highQuality = 0;
    std::string background; // the colour as hexadecimal text
    // Path.
    int pathType = 0;
    std::vector<Vector2> points;
    double averageHeight = 0, rollFactor = 0, previewRange = 0;
    int recorder = 0;

    // The output format code of SaveImageAs.
    int OutputFormat() const;
    // The background colour 0x00BBGGRR; false when the text does not start with a hexadecimal number.
    bool BackgroundColour(uint32_t& colour) const;
};

JobValues ReadJobValues(const ProfileFile& job);

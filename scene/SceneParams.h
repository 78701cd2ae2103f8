#pragma once
// CSceneParams: the complete description of one fly-over (camera values for the first and the last frame,
// frame numbering, input and output files, image size, grid, light, dust, the flight path with its points
// and the flight-security values), with the operations that fill, check and store it.
//
// Texts are kept as bytes in the Windows-1252 code page, exactly as they are stored in script files.

#include <cstdint>
#include <optional>
#include <string>

// One map point of the curved flight path.
struct PathPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PathPoint&) const = default;
};

constexpr int kMaxPathPoints = 100;
// The supersampling factors a scene may ask for, and the most pixels the picture a frame is rendered in may
// have (the largest image kept in memory, 16384 x 16384).
constexpr int kMaxSupersampling = 4;
constexpr long long kMaxRenderPixels = 1LL << 28;

// The fields that a failed scene check puts the focus into.
enum class SceneField {
    None,
    FocalLengthA,
    FocalLengthE,
    Total,
    From,
    To,
    LightX,
    DustA,
    DustE,
    Smoothness,
    ElevScaleX,
    ElevScaleY,
    SizeX,
    SizeY,
    GridX,
    GridY,
    AverageHeight,
    PreviewRange,
    ElevationFileName,
    TextureFileName,
    OutputFileName,
    MaskFileName,
    // The real fields without a range rule (their finite check), the offset and the path.
    XA,
    YA,
    ZA,
    HeadingA,
    PitchA,
    RollA,
    XE,
    YE,
    ZE,
    HeadingE,
    PitchE,
    RollE,
    LightY,
    LightZ,
    ElevScaleZA,
    ElevScaleZE,
    RollFactor,
    Offset,
    PathPoints,
    Supersampling,
    VideoFps,
    VideoCrf,
};

// The field's name as the scene text spells it ("FocalLengthA", ...); "" for None.
const char* SceneFieldName(SceneField field);
// The id of the scene form's edit that shows the field (FocalLengthA 345, Total 387, ...); 0 for None.
int SceneFieldControlId(SceneField field);

// The outcome of the scene check: the first failed rule's message and the field to focus.
struct SceneCheck {
    bool ok = true;
    // Number of the failed rule, 0 when all passed: 1 to 30, then the rules added after them (31 and on),
    // which only scenes that pass the thirty reach.
    int rule = 0;
    std::string message;
    SceneField field = SceneField::None;
};

// The outcome of saving a script file.
enum class SaveResult {
    Saved,       // the file holds the scene
    CheckFailed, // the scene check failed; nothing was written (see SaveOutcome::check)
    WriteFailed, // the file could not be written; an existing file is unchanged
};

struct SaveOutcome {
    SaveResult result = SaveResult::Saved;
    SceneCheck check;
    bool ok() const { return result == SaveResult::Saved; }
};

class CSceneParams {
public:
    // First frame (A) and last frame (E), as the script keys name them.
    double XA = 0, YA = 0, ZA = 0;
    double HeadingA = 0, PitchA = 0, FocalLengthA = 0, RollA = 0;
    double XE = 0, YE = 0, ZE = 0;
    double HeadingE = 0, PitchE = 0, FocalLengthE = 0, RollE = 0;
    // Frame numbering.
    int Total = 0;
    int Offset = 0;
    int From = 0;
    int To = 0;
    // Environment.
    double LightX = 0, LightY = 0, LightZ = 0;
    double DustA = 0, DustE = 0;
    double Smoothness = 0;
    // Files.
    int OutputFileFormat = 0; // 0 TGA, 1 YUV, 2 both
    std::string OutputFileName;
    int UseTextureFile = 0;
    std::string TextureFileName;
    std::string ElevationFileName;
    double ElevScaleX = 0, ElevScaleY = 0;
    double ElevScaleZA = 0, ElevScaleZE = 0;
    int UseMaskFile = 0;
    std::string MaskFileName;
    // Output and rendering.
    int SizeX = 0, SizeY = 0;
    int GridX = 0, GridY = 0;
    int UseBackgroundColor = 0;
    int HQ = 0;
    uint32_t BackgroundColor = 0; // 0x00BBGGRR; a new record starts black
    // Each frame is rendered at this many times the width and the height and every block of k x k pixels
    // averaged into one (1 to 4; 1: off). Stored only when above 1.
    int Supersampling = 1;
    // Flight path and flight security.
    int PathType = 0; // 0 straight, 1 curve through the path points
    double AverageHeight = 0;
    double RollFactor = 0;
    double PreviewRange = 0;
    int UseRecorder = 0;
    // Render to video: frames per second, and the encoder's constant quality (-1: the codec's default).
    int VideoFps = 25;
    int VideoCrf = -1;

    // The path point list: slots 0 to lastIndex are used, -1 when the list is empty.
    PathPoint points[kMaxPathPoints] = {};
    int lastIndex = -1;

    // Empties the path point list (lastIndex = -1; the slots keep their values).
    void ClearPathPoints();
    // Stores slot i and raises lastIndex to i when needed; ignored for i outside 0 to 99.
    void SetPathPoint(int i, int x, int y);

    // Sets the values of a new scene (every field as reading an empty script gives it, then the defaults
    // of a new scene). BackgroundColor keeps its value.
    void NewScene();

    // Reads a script file. False when path is not empty and the file's first key (the first frame's x) is
    // missing or empty (it is not a scene script); the record is then unchanged. An empty path reads every
    // key's default.
    bool LoadScript(const std::string& path);

    // Writes every field, the job-ready key (=1) and the path points 0 to lastIndex into the profile file
    // path, replacing existing keys in place. False when the file cannot be written.
    bool WriteJobValues(const std::string& path) const;

    // Checks the scene, then writes the script file through a temporary file in the target's folder
    // that replaces it only when complete.
    SaveOutcome SaveScript(const std::string& path) const;

    // The rules of the scene check in their order (the thirty, then 31 on); the first that fails is
    // reported. File names are opened as they stand (relative names against the current directory).
    SceneCheck ValidateScene() const;
};

// Rules 36 and 37 of the scene check: the supersampling factor is 1 to 4, and the picture the frames are
// rendered in (the output size times the factor, in both directions) holds at most kMaxRenderPixels.
SceneCheck CheckSupersampling(const CSceneParams& scene);

// Reads a job file that WriteJobValues wrote, as a render run takes it: from an empty record (a missing
// integer is 0, a missing real 0.0, a missing text empty), the path points up to the first with x = -1.
CSceneParams ReadJobValues(const std::string& path);

// Rebuilds target from source in the fixed key order of a script file: every key of the table (also
// when empty) and the path point keys that hold a value; the job-ready key never reaches the target.
// An existing target is replaced as a whole (written beside it and renamed into place). False when
// the target cannot be written.
bool CopySceneKeys(const std::string& source, const std::string& target);

// Forms an output file name from a template with exactly one integer conversion (flags "-+ #0", width,
// precision, letters d i u o x X, as the C library reads them) and "%%". Nothing when the template holds
// any other conversion or a second integer conversion. The name has no length limit.
std::optional<std::string> FormatOutputName(const std::string& templ, int number);

// Makes the relative file names of the scene (elevation, texture, mask, output template) absolute by
// prefixing sceneDir; absolute and empty names stay as they are.
void ResolveSceneRelativePaths(CSceneParams& scene, const std::string& sceneDir);

// The scene text that Copy puts on the clipboard: the header "Orvantis Clipboard Data - OVS" and 46 lines
// "value\t(Name)" (a 47th, Supersampling, when it is above 1), all ended by CR LF.
std::string BuildSceneText(const CSceneParams& scene);
// True when text starts with the header of a scene text (case-sensitive, at the very start).
bool IsSceneText(const std::string& text);
// Reads a scene text into scene (lines by position; a value that does not parse leaves its field alone;
// BackgroundColor and the path points are never touched). False, and nothing changed, when text is not
// a scene text.
bool ParseSceneText(const std::string& text, CSceneParams& scene);

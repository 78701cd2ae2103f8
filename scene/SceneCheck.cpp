// The scene check (thirty rules in a fixed order and the rules added after them), the output name formatter
// and the resolution of file names relative to a scene's folder.

#include "scene/SceneParams.h"

#include "app/CFormat.h"
#include "app/RegularFile.h"
#include "res/StringTable.h"
#include "scene/FieldText.h"
#include "scene/SceneSchema.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when name opens for reading as a regular file (a folder, a pipe or a device does not count).
bool canOpenForReading(const std::string& name, int* error = nullptr) {
    if (error) *error = 0;
    const int fd = OpenRegularFileForReading(name);
    if (fd < 0) {
        if (error) *error = errno;
        return false;
    }
    ::close(fd);
    return true;
}

// True when the folder that would hold name exists (the current folder for a bare name).
bool parentFolderExists(const std::string& name) {
    size_t slash = name.find_last_of('/');
    if (slash == std::string::npos) return true;
    std::string folder = slash == 0 ? "/" : name.substr(0, slash);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The template passes the pattern test: "%c" or "%0kc" (k 0 to 5) for a letter c of "diuoxX".
bool hasNumberPattern(const std::string& templ) {
    for (char c : std::string("diuoxX")) {
        if (templ.find(std::string("%") + c) != std::string::npos) return true;
        for (char k = '0'; k <= '5'; ++k)
            if (templ.find(std::string("%0") + k + c) != std::string::npos) return true;
    }
    return false;
}

SceneCheck fail(int rule, std::string message, SceneField field) {
    return SceneCheck{false, rule, std::move(message), field};
}

// The message of the range rule that a real field has (a non-finite value breaks it too); the form's
// own message for a field that is not a number when it has none.
std::string NotFiniteMessage(SceneField field) {
    using F = SceneField;
    switch (field) {
    case F::FocalLengthA:
        return LoadString(IDS_CHECK_FOCAL_FIRST);
    case F::FocalLengthE:
        return LoadString(IDS_CHECK_FOCAL_LAST);
    case F::DustA:
    case F::DustE:
        return LoadString(IDS_CHECK_DUST);
    case F::Smoothness:
        return LoadString(IDS_CHECK_SMOOTHNESS);
    case F::ElevScaleX:
        return LoadString(IDS_CHECK_SCALE_X);
    case F::ElevScaleY:
        return LoadString(IDS_CHECK_SCALE_Y);
    case F::AverageHeight:
        return LoadString(IDS_CHECK_AVERAGE_HEIGHT);
    case F::PreviewRange:
        return LoadString(IDS_CHECK_PREVIEW_RANGE);
    default:
        return RealFieldMessage();
    }
}

// Rule 31: the first real field, in the order the form takes them, that holds NaN or an infinity (from a
// script or a pasted scene text; the form's own edits never take one).
SceneCheck CheckFinite(const CSceneParams& scene) {
    for (const SceneFieldRow* row : SceneFormRows()) {
        if (!HoldsFiniteValue(scene, *row)) return fail(31, NotFiniteMessage(row->check), row->check);
    }
    return SceneCheck{};
}

} // namespace

const char* SceneFieldName(SceneField field) {
    const SceneFieldRow* row = SceneFieldRowOf(field);
    return row && row->name ? row->name : "";
}

int SceneFieldControlId(SceneField field) {
    const SceneFieldRow* row = SceneFieldRowOf(field);
    return row ? row->control : 0;
}

SceneCheck CSceneParams::ValidateScene() const {
    using F = SceneField;
    if (!(FocalLengthA > 0)) return fail(1, LoadString(IDS_CHECK_FOCAL_FIRST), F::FocalLengthA);
    if (!(FocalLengthE > 0)) return fail(2, LoadString(IDS_CHECK_FOCAL_LAST), F::FocalLengthE);
    if (PathType == 1 && !(Total > 2)) return fail(3, LoadString(IDS_CHECK_TOTAL_CURVED), F::Total);
    if (PathType != 1 && !(Total > 0)) return fail(4, LoadString(IDS_CHECK_TOTAL_STRAIGHT), F::Total);
    if (!(Total <= 16384)) return fail(5, LoadString(IDS_CHECK_TOTAL_MAX), F::Total);
    if (!(From >= 0)) return fail(6, LoadString(IDS_CHECK_FROM_RANGE), F::From);
    if (!(From < Total)) return fail(7, LoadString(IDS_CHECK_FROM_BELOW_TOTAL), F::From);
    if (!(To >= 0)) return fail(8, LoadString(IDS_CHECK_TO_NOT_NEGATIVE), F::To);
    if (!(To < Total)) return fail(9, LoadString(IDS_CHECK_TO_BELOW_TOTAL), F::To);
    if (!(From <= To)) return fail(10, LoadString(IDS_CHECK_TO_NOT_BEFORE_FROM), F::From);
    // -0.0 compares equal to 0.0, so both zeros count as zero.
    if (LightX == 0 && LightY == 0 && LightZ == 0) return fail(11, LoadString(IDS_CHECK_LIGHT), F::LightX);
    if (!(DustA > 0)) return fail(12, LoadString(IDS_CHECK_DUST), F::DustA);
    if (!(DustE > 0)) return fail(13, LoadString(IDS_CHECK_DUST), F::DustE);
    if (!(Smoothness >= 0 && Smoothness <= 1))
        return fail(14, LoadString(IDS_CHECK_SMOOTHNESS), F::Smoothness);
    if (!(ElevScaleX > 0)) return fail(15, LoadString(IDS_CHECK_SCALE_X), F::ElevScaleX);
    if (!(ElevScaleY > 0)) return fail(16, LoadString(IDS_CHECK_SCALE_Y), F::ElevScaleY);
    if (!(SizeX > 0)) return fail(17, LoadString(IDS_CHECK_WIDTH_MIN), F::SizeX);
    if (!(SizeX <= 16384)) return fail(18, LoadString(IDS_CHECK_WIDTH_MAX), F::SizeX);
    if (!(SizeY > 0)) return fail(19, LoadString(IDS_CHECK_HEIGHT_MIN), F::SizeY);
    if (!(SizeY <= 16384)) return fail(20, LoadString(IDS_CHECK_HEIGHT_MAX), F::SizeY);
    if (!(GridX > 0)) return fail(21, LoadString(IDS_CHECK_GRID_X_MIN), F::GridX);
    if (!(GridX <= 16384)) return fail(22, LoadString(IDS_CHECK_GRID_X_MAX), F::GridX);
    if (!(GridY > 0)) return fail(23, LoadString(IDS_CHECK_GRID_Y_MIN), F::GridY);
    if (!(GridY <= 16384)) return fail(24, LoadString(IDS_CHECK_GRID_Y_MAX), F::GridY);
    if (PathType == 1 && !(AverageHeight > 0))
        return fail(25, LoadString(IDS_CHECK_AVERAGE_HEIGHT), F::AverageHeight);
    if (PathType == 1 && !(PreviewRange > 0))
        return fail(26, LoadString(IDS_CHECK_PREVIEW_RANGE), F::PreviewRange);
    // An input left empty is named as missing rather than as a file called '' that does not open.
    if (ElevationFileName.empty())
        return fail(27, LoadString(IDS_CHECK_ELEVATION_NAME), F::ElevationFileName);
    if (!canOpenForReading(ElevationFileName))
        return fail(27, FormatString(IDS_CANNOT_OPEN_FILE, ElevationFileName.c_str()), F::ElevationFileName);
    if (UseTextureFile && TextureFileName.empty())
        return fail(28, LoadString(IDS_CHECK_TEXTURE_NAME), F::TextureFileName);
    if (UseTextureFile && !canOpenForReading(TextureFileName))
        return fail(28, FormatString(IDS_CANNOT_OPEN_FILE, TextureFileName.c_str()), F::TextureFileName);

    // The template must pass the pattern test and be one our formatter can fill safely.
    std::optional<std::string> firstName =
        hasNumberPattern(OutputFileName) ? FormatOutputName(OutputFileName, 0) : std::nullopt;
    if (!firstName) return fail(29, LoadString(IDS_CHECK_OUTPUT_TEMPLATE), F::OutputFileName);
    int error = 0;
    if (!canOpenForReading(*firstName, &error)) {
        // A frame that does not exist yet is fine, as long as the folder it goes to is there.
        bool missingFile = error == ENOENT && parentFolderExists(*firstName);
        if (!missingFile)
            return fail(29, FormatString(IDS_CANNOT_OPEN_FILE, OutputFileName.c_str()), F::OutputFileName);
    }

    if (UseMaskFile && MaskFileName.empty())
        return fail(30, LoadString(IDS_CHECK_MASK_NAME), F::MaskFileName);
    if (UseMaskFile && !canOpenForReading(MaskFileName))
        return fail(30, FormatString(IDS_CANNOT_OPEN_FILE, MaskFileName.c_str()), F::MaskFileName);

    // The rules below were added after the thirty and come after them, so that every scene the thirty
    // refuse still gets the message it got before; they refuse scenes that passed but whose frames
    // would be meaningless or could not be made.
    if (SceneCheck finite = CheckFinite(*this); !finite.ok) return finite;
    // The render run flies every path type but the straight one as a curve through the points; a loop of
    // no length has no frames.
    if (PathType != 0 && lastIndex < 2)
        return fail(32, LoadString(IDS_CURVE_NEEDS_THREE_POINTS), F::PathPoints);
    if (PathType != 0 &&
        std::all_of(points, points + lastIndex + 1, [&](const PathPoint& p) { return p == points[0]; }))
        return fail(33, LoadString(IDS_CHECK_PATH_LENGTH), F::PathPoints);
    // The last frame's name is formed from Offset + To, which must not wrap.
    if (Offset > 0 && To > INT_MAX - Offset) return fail(34, LoadString(IDS_CHECK_OFFSET), F::Offset);
    // A name read with a NUL byte opens as the part before it; the frames then fail. It cannot be opened.
    const std::pair<const std::string*, SceneField> names[] = {
        {&ElevationFileName, F::ElevationFileName},
        {UseTextureFile ? &TextureFileName : nullptr, F::TextureFileName},
        {&OutputFileName, F::OutputFileName},
        {UseMaskFile ? &MaskFileName : nullptr, F::MaskFileName}};
    for (const auto& [name, field] : names)
        if (name && name->find('\0') != std::string::npos)
            return fail(35, FormatString(IDS_CANNOT_OPEN_FILE, name->c_str()), field);
    if (SceneCheck supersampling = CheckSupersampling(*this); !supersampling.ok) return supersampling;
    // What a video of the frames is encoded with (the encoder knows the top quality number of its codec).
    if (!(VideoFps >= 1 && VideoFps <= 240)) return fail(38, LoadString(IDS_CHECK_VIDEO_FPS), F::VideoFps);
    if (!(VideoCrf >= -1 && VideoCrf <= 63)) return fail(39, LoadString(IDS_CHECK_VIDEO_CRF), F::VideoCrf);
    return SceneCheck{};
}

SceneCheck CheckSupersampling(const CSceneParams& scene) {
    const int k = scene.Supersampling;
    if (!(k >= 1 && k <= kMaxSupersampling))
        return fail(36, LoadString(IDS_CHECK_SUPERSAMPLING), SceneField::Supersampling);
    // The frames are rendered k times as wide and as high: that picture must fit in memory as the output
    // does.
    if (static_cast<long long>(k) * scene.SizeX * k * scene.SizeY > kMaxRenderPixels)
        return fail(37, FormatString(IDS_CHECK_SUPERSAMPLING_SIZE, k, k * scene.SizeX, k * scene.SizeY),
                    SceneField::Supersampling);
    return SceneCheck{};
}

std::optional<std::string> FormatOutputName(const std::string& templ, int number) {
    // Widths and precisions beyond this cannot form a usable file name; they are refused rather than
    // handed to the C library.
    constexpr long kMaxField = 4096;
    std::string out;
    bool converted = false;
    for (size_t i = 0; i < templ.size(); ++i) {
        char c = templ[i];
        if (c != '%') {
            out.push_back(c);
            continue;
        }
        if (++i >= templ.size()) return std::nullopt;
        if (templ[i] == '%') {
            out.push_back('%');
            continue;
        }
        std::string conversion = "%";
        while (i < templ.size() && std::string("-+ #0").find(templ[i]) != std::string::npos)
            conversion += templ[i++];
        // Copies a width or precision into the conversion; false when it is too large.
        auto copyField = [&] {
            long value = 0;
            while (i < templ.size() && templ[i] >= '0' && templ[i] <= '9') {
                value = value * 10 + (templ[i] - '0');
                if (value > kMaxField) return false;
                conversion += templ[i++];
            }
            return true;
        };
        if (!copyField()) return std::nullopt;
        if (i < templ.size() && templ[i] == '.') {
            conversion += templ[i++];
            if (!copyField()) return std::nullopt;
        }
        if (i >= templ.size()) return std::nullopt;
        char letter = templ[i];
        if (std::string("diuoxX").find(letter) == std::string::npos) return std::nullopt;
        if (converted) return std::nullopt;
        converted = true;
        conversion += letter;
        if (letter == 'd' || letter == 'i')
            out += cformat(conversion.c_str(), number);
        else
            out += cformat(conversion.c_str(), static_cast<unsigned int>(number));
    }
    if (!converted) return std::nullopt;
    return out;
}

void ResolveSceneRelativePaths(CSceneParams& scene, const std::string& sceneDir) {
    if (sceneDir.empty()) return;
    std::string folder = sceneDir;
    if (folder.back() != '/') folder += '/';
    auto resolve = [&](std::string& name, bool isTemplate) {
        if (name.empty() || name[0] == '/') return;
        std::string prefix = folder;
        if (isTemplate) {
            // The folder becomes part of a printf-style template: its percent signs must stay literal.
            std::string escaped;
            for (char c : prefix) {
                escaped += c;
                if (c == '%') escaped += '%';
            }
            prefix = escaped;
        }
        name = prefix + name;
    };
    resolve(scene.ElevationFileName, false);
    resolve(scene.TextureFileName, false);
    resolve(scene.MaskFileName, false);
    resolve(scene.OutputFileName, true);
}

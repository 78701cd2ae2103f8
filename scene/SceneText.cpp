// The scene text that Copy puts on the clipboard and Paste reads back.

#include "scene/SceneParams.h"

#include "app/CFormat.h"
#include "res/StringTable.h"

#include <vector>

namespace {

struct TextField {
    const char* name;
    double CSceneParams::*real = nullptr;
    int CSceneParams::*integer = nullptr;
    std::string CSceneParams::*text = nullptr;
};

TextField r(const char* name, double CSceneParams::*f) {
    return {name, f};
}
TextField i(const char* name, int CSceneParams::*f) {
    return {name, nullptr, f};
}
TextField t(const char* name, std::string CSceneParams::*f) {
    return {name, nullptr, nullptr, f};
}

// The 46 lines of the scene text in their order.
const std::vector<TextField>& textFields() {
    using S = CSceneParams;
    static const std::vector<TextField> fields = {
        r("XA", &S::XA),
        r("XZ", &S::XZ),
        r("YA", &S::YA),
        r("YZ", &S::YZ),
        r("ZA", &S::ZA),
        r("ZZ", &S::ZZ),
        r("HeadingA", &S::HeadingA),
        r("HeadingZ", &S::HeadingZ),
        r("PitchA", &S::PitchA),
        r("PitchZ", &S::PitchZ),
        r("RollA", &S::RollA),
        r("RollZ", &S::RollZ),
        r("FocalLengthA", &S::FocalLengthA),
        r("FocalLengthZ", &S::FocalLengthZ),
        r("ElevScaleZA", &S::ElevScaleZA),
        r("ElevScaleZZ", &S::ElevScaleZZ),
        r("DustA", &S::DustA),
        r("DustZ", &S::DustZ),
        i("OutputFileFormat", &S::OutputFileFormat),
        t("OutputFileName", &S::OutputFileName),
        t("ElevationFileName", &S::ElevationFileName),
        t("TextureFileName", &S::TextureFileName),
        t("MaskFileName", &S::MaskFileName),
        i("SizeX", &S::SizeX),
        i("SizeY", &S::SizeY),
        r("ElevScaleX", &S::ElevScaleX),
        r("ElevScaleY", &S::ElevScaleY),
        i("GridX", &S::GridX),
        i("GridY", &S::GridY),
        r("LightX", &S::LightX),
        r("LightY", &S::LightY),
        r("LightZ", &S::LightZ),
        i("HQ", &S::HQ),
        i("UseTextureFile", &S::UseTextureFile),
        i("UseMaskFile", &S::UseMaskFile),
        i("UseBackgroundColor", &S::UseBackgroundColor),
        i("UseRecorder", &S::UseRecorder),
        r("AverageHeight", &S::AverageHeight),
        r("PreviewRange", &S::PreviewRange),
        r("RollFactor", &S::RollFactor),
        i("PathType", &S::PathType),
        r("Smoothness", &S::Smoothness),
        i("Total", &S::Total),
        i("From", &S::From),
        i("To", &S::To),
        i("Offset", &S::Offset),
    };
    return fields;
}

} // namespace

std::string BuildSceneText(const CSceneParams& scene) {
    std::string text = LoadString(IDS_SCENE_CLIPBOARD_HEADER);
    text += "\r\n";
    for (const TextField& f : textFields()) {
        if (f.real)
            text += cformat("%f", scene.*f.real);
        else if (f.integer)
            text += cformat("%d", scene.*f.integer);
        else
            text += scene.*f.text;
        text += cformat("\t(%s)\r\n", f.name);
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
    for (const TextField& f : textFields()) {
        if (cursor > text.size()) cursor = text.size();
        const char* at = text.c_str() + cursor;
        if (f.real) {
            double v = 0;
            if (scanReal(at, v) > 0) scene.*f.real = v;
        } else if (f.integer) {
            int v = 0;
            if (scanInt(at, v) > 0) scene.*f.integer = v;
        } else {
            size_t end = text.find_first_of("\t\r\n", cursor);
            if (end == std::string::npos) end = text.size();
            scene.*f.text = text.substr(cursor, end - cursor);
        }
        size_t lf = text.find('\n', cursor);
        cursor = lf == std::string::npos ? text.size() : lf + 1;
    }
    return true;
}

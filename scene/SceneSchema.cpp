#include "scene/SceneSchema.h"

#include "app/CFormat.h"
#include "scene/ProfileFile.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr FormWidget Edit = FormWidget::Edit, Check = FormWidget::Check, Radios = FormWidget::Radios,
                     NoWidget = FormWidget::None;

} // namespace

const std::vector<SceneFieldRow>& SceneSchema() {
    using S = CSceneParams;
    using F = SceneField;
    using K = SceneKeyKind;
    // The keys with Windows-1252 letters are spelled byte for byte (ä E4, ö F6, Ü DC); a script that spells
    // them in UTF-8 is read all the same (PrivateProfile matches both).
    // clang-format off
    static const std::vector<SceneFieldRow> rows = {
        // member                key                       new scene     name                line ctrl ord  widget    check                 kind
        {&S::XA,                 "BeobXA",                 "-100",       "XA",                  0, 327,  1, Edit,     F::XA},
        {&S::YA,                 "BeobYA",                 "-100",       "YA",                  2, 329,  3, Edit,     F::YA},
        {&S::ZA,                 "BeobZA",                 "100",        "ZA",                  4, 331,  5, Edit,     F::ZA},
        {&S::HeadingA,           "RichtungA",              "45",         "HeadingA",            6, 350, 19, Edit,     F::HeadingA},
        {&S::PitchA,             "NeigungA",               "-25",        "PitchA",              8, 366, 26, Edit,     F::PitchA},
        {&S::FocalLengthA,       "BrennA",                 "250",        "FocalLengthA",       12, 345, 14, Edit,     F::FocalLengthA},
        {&S::RollA,              "VerkantenA",             nullptr,      "RollA",              10, 375, 42, Edit,     F::RollA},
        {&S::XE,                 "BeobXE",                 nullptr,      "XZ",                  1, 328,  2, Edit,     F::XE},
        {&S::YE,                 "BeobYE",                 nullptr,      "YZ",                  3, 330,  4, Edit,     F::YE},
        {&S::ZE,                 "BeobZE",                 nullptr,      "ZZ",                  5, 332,  6, Edit,     F::ZE},
        {&S::HeadingE,           "RichtungE",              nullptr,      "HeadingZ",            7, 351, 20, Edit,     F::HeadingE},
        {&S::PitchE,             "NeigungE",               nullptr,      "PitchZ",              9, 367, 27, Edit,     F::PitchE},
        {&S::FocalLengthE,       "BrennE",                 "250",        "FocalLengthZ",       13, 346, 15, Edit,     F::FocalLengthE},
        {&S::RollE,              "VerkantenE",             nullptr,      "RollZ",              11, 377, 40, Edit,     F::RollE},
        {&S::Total,              "Bildanzahl",             "1",          "Total",              42, 387, 32, Edit,     F::Total},
        {&S::Offset,             "Offset",                 nullptr,      "Offset",             45, 362, 45, Edit,     F::Offset},
        {&S::From,               "StartbildNr",            nullptr,      "From",               43, 347, 16, Edit,     F::From},
        {&S::To,                 "EndbildNr",              nullptr,      "To",                 44, 386, 33, Edit,     F::To},
        {&S::LightX,             "LichtX",                 "1",          "LightX",             29, 356, 22, Edit,     F::LightX},
        {&S::LightY,             "LichtY",                 "1",          "LightY",             30, 357, 23, Edit,     F::LightY},
        {&S::LightZ,             "LichtZ",                 "-1",         "LightZ",             31, 358, 24, Edit,     F::LightZ},
        {&S::DustA,              "NebelA",                 "10000",      "DustA",              16, 337,  7, Edit,     F::DustA},
        {&S::DustE,              "NebelE",                 "10000",      "DustZ",              17, 338,  8, Edit,     F::DustE},
        {&S::Smoothness,         "Tr\xE4gheit",            nullptr,      "Smoothness",         41, 381, 37, Edit,     F::Smoothness},
        {&S::OutputFileFormat,   "AusgabeTGA",             nullptr,      nullptr,              -1,   0, -1, NoWidget, F::None,              K::OutputTga},
        {&S::OutputFileFormat,   "AusgabeYUV",             nullptr,      "OutputFileFormat",   18, 384, 34, Radios,   F::None,              K::OutputYuv},
        {&S::OutputFileName,     "AusDateiname",           "nn%03d.tga", "OutputFileName",     19, 374, 43, Edit,     F::OutputFileName},
        {&S::UseTextureFile,     "TDateiVerwenden",        nullptr,      "UseTextureFile",     33, 390, 29, Check},
        {&S::TextureFileName,    "TDateiname",             nullptr,      "TextureFileName",    21, 383, 35, Edit,     F::TextureFileName},
        {&S::ElevationFileName,  "HDateiname",             nullptr,      "ElevationFileName",  20, 343, 13, Edit,     F::ElevationFileName},
        {&S::ElevScaleX,         "HDateiSkalaX",           "1",          "ElevScaleX",         25, 339,  9, Edit,     F::ElevScaleX},
        {&S::ElevScaleY,         "HDateiSkalaY",           "1",          "ElevScaleY",         26, 340, 10, Edit,     F::ElevScaleY},
        {&S::ElevScaleZA,        "HDateiSkalaZA",          "0.1",        "ElevScaleZA",        14, 341, 11, Edit,     F::ElevScaleZA},
        {&S::ElevScaleZE,        "HDateiSkalaZE",          "0.1",        "ElevScaleZZ",        15, 342, 12, Edit,     F::ElevScaleZE},
        {&S::UseMaskFile,        "MDateiVerwenden",        nullptr,      "UseMaskFile",        34, 389, 30, Check},
        {&S::MaskFileName,       "MaskenDateiName",        nullptr,      "MaskFileName",       22, 359, 25, Edit,     F::MaskFileName},
        {&S::SizeX,              "AusBreite",              "320",        "SizeX",              23, 379, 39, Edit,     F::SizeX},
        {&S::SizeY,              "AusH\xF6he",             "240",        "SizeY",              24, 380, 38, Edit,     F::SizeY},
        {&S::GridX,              "AusAuflX",               "16",         "GridX",              27, 348, 17, Edit,     F::GridX},
        {&S::GridY,              "AusAuflY",               "16",         "GridY",              28, 349, 18, Edit,     F::GridY},
        {&S::UseBackgroundColor, "HintergrundVerwenden",   nullptr,      "UseBackgroundColor", 35, 388, 31, Check},
        {&S::HQ,                 "GenauRechnen",           nullptr,      "HQ",                 32, 352, 21, Check},
        {&S::Supersampling,      "Ueberabtastung",         "1",          "Supersampling",      46, 392, 46, Edit,     F::Supersampling,     K::Optional},
        {&S::BackgroundColor,    "Hintergrund",            nullptr,      "BackgroundColor",    -1,   0, -1, NoWidget},
        {{},                     "KannBerechnen",          nullptr,      nullptr,              -1,   0, -1, NoWidget, F::None,              K::JobReady},
        {&S::PathType,           "Rundflug",               nullptr,      "PathType",           40, 382, 36, Radios},
        {{},                     "Punkt",                  nullptr,      nullptr,              -1, 378, -1, NoWidget, F::PathPoints,        K::PathPoints},
        {&S::AverageHeight,      "H\xF6he\xDC" "berBoden", nullptr,      "AverageHeight",      37, 311,  0, Edit,     F::AverageHeight},
        {&S::RollFactor,         "VerkantenFaktor",        nullptr,      "RollFactor",         39, 376, 41, Edit,     F::RollFactor},
        {&S::PreviewRange,       "Voraussicht",            nullptr,      "PreviewRange",       38, 368, 28, Edit,     F::PreviewRange},
        {&S::UseRecorder,        "Recorder",               nullptr,      "UseRecorder",        36, 369, 44, Check},
        {&S::VideoFps,           "VideoBildrate",          "25",         "VideoFps",           -1, 393, 47, Edit,     F::VideoFps,          K::Optional},
        {&S::VideoCrf,           "VideoCRF",               "-1",         "VideoCrf",           -1, 394, 48, Edit,     F::VideoCrf,          K::Optional},
    };
    // clang-format on
    return rows;
}

namespace {

std::vector<const SceneFieldRow*> rowsSortedBy(int SceneFieldRow::*place) {
    std::vector<const SceneFieldRow*> sorted;
    for (const SceneFieldRow& row : SceneSchema())
        if (row.*place >= 0) sorted.push_back(&row);
    std::sort(sorted.begin(), sorted.end(),
              [place](const SceneFieldRow* a, const SceneFieldRow* b) { return a->*place < b->*place; });
    return sorted;
}

} // namespace

const std::vector<const SceneFieldRow*>& SceneTextRows() {
    static const std::vector<const SceneFieldRow*> rows = rowsSortedBy(&SceneFieldRow::textLine);
    return rows;
}

const std::vector<const SceneFieldRow*>& SceneFormRows() {
    static const std::vector<const SceneFieldRow*> rows = rowsSortedBy(&SceneFieldRow::formOrder);
    return rows;
}

const SceneFieldRow* SceneFieldRowOf(SceneField field) {
    if (field == SceneField::None) return nullptr;
    for (const SceneFieldRow& row : SceneSchema())
        if (row.check == field) return &row;
    return nullptr;
}

bool IsStoredValue(const CSceneParams& scene, const SceneFieldRow& row) {
    if (row.kind != SceneKeyKind::Optional) return true;
    bool differs = true;
    WithField(scene, row.member, [&](const auto& value) { differs = SceneValueText(value) != row.initial; });
    return differs;
}

void SetInitialValue(CSceneParams& scene, const SceneFieldRow& row) {
    WithField(scene, row.member, [&](auto& field) {
        using T = std::decay_t<decltype(field)>;
        field = T{};
        if (row.initial) ParseSceneValue(row.initial, 0, field);
    });
}

bool HoldsFiniteValue(const CSceneParams& scene, const SceneFieldRow& row) {
    bool finite = true;
    WithField(scene, row.member, [&](const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, double>) finite = std::isfinite(value);
    });
    return finite;
}

void ReadSceneValue(const ProfileFile& profile, const char* key, double& value) {
    profile.ReadReal(key, value);
}
void ReadSceneValue(const ProfileFile& profile, const char* key, int& value) {
    value = profile.ReadInt(key);
}
void ReadSceneValue(const ProfileFile& profile, const char* key, std::string& value) {
    value = profile.ReadString(key);
}
void ReadSceneValue(const ProfileFile& profile, const char* key, uint32_t& value) {
    unsigned long colour = 0;
    if (scanHex(profile.ReadString(key).c_str(), colour) > 0) value = static_cast<uint32_t>(colour);
}

void ParseSceneValue(const std::string& text, size_t at, double& value) {
    double v = 0;
    if (scanReal(text.c_str() + at, v) > 0) value = v;
}
void ParseSceneValue(const std::string& text, size_t at, int& value) {
    int v = 0;
    if (scanInt(text.c_str() + at, v) > 0) value = v;
}
void ParseSceneValue(const std::string& text, size_t at, std::string& value) {
    size_t end = text.find_first_of("\t\r\n", at);
    if (end == std::string::npos) end = text.size();
    value = text.substr(at, end - at);
}
void ParseSceneValue(const std::string&, size_t, uint32_t&) {}

std::string SceneValueText(double value) {
    return cformat("%f", value);
}
std::string SceneValueText(int value) {
    return cformat("%d", value);
}
std::string SceneValueText(const std::string& value) {
    return value;
}
std::string SceneValueText(uint32_t value) {
    return cformat("%lX", static_cast<unsigned long>(value));
}

int OutputFormatOf(int tga, int yuv) {
    if (tga == 0) return yuv == 0 ? 0 : 1;
    return yuv != 0 ? 2 : 0;
}

std::string PointKey(int i) {
    const SceneFieldRow& points =
        *std::find_if(SceneSchema().begin(), SceneSchema().end(),
                      [](const auto& row) { return row.kind == SceneKeyKind::PathPoints; });
    return cformat("%s%02d", points.key, i);
}

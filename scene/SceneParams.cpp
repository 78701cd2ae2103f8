#include "scene/SceneParams.h"

#include "app/CFormat.h"
#include "app/PrivateProfile.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"
#include "scene/SceneKeys.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {

const char* const kSection = "Param";

SceneKey real(const char* key, double CSceneParams::*field) {
    return {key, SceneKeyKind::Real, field};
}
SceneKey integer(const char* key, int CSceneParams::*field) {
    return {key, SceneKeyKind::Int, nullptr, field};
}
SceneKey text(const char* key, std::string CSceneParams::*field) {
    return {key, SceneKeyKind::Text, nullptr, nullptr, field};
}
SceneKey special(const char* key, SceneKeyKind kind) {
    return {key, kind};
}

} // namespace

const std::vector<SceneKey>& SceneKeyOrder() {
    using S = CSceneParams;
    static const std::vector<SceneKey> keys = {
        real("BeobXA", &S::XA),
        real("BeobYA", &S::YA),
        real("BeobZA", &S::ZA),
        real("RichtungA", &S::HeadingA),
        real("NeigungA", &S::PitchA),
        real("BrennA", &S::FocalLengthA),
        real("VerkantenA", &S::RollA),
        real("BeobXE", &S::XZ),
        real("BeobYE", &S::YZ),
        real("BeobZE", &S::ZZ),
        real("RichtungE", &S::HeadingZ),
        real("NeigungE", &S::PitchZ),
        real("BrennE", &S::FocalLengthZ),
        real("VerkantenE", &S::RollZ),
        integer("Bildanzahl", &S::Total),
        integer("Offset", &S::Offset),
        integer("StartbildNr", &S::From),
        integer("EndbildNr", &S::To),
        real("LichtX", &S::LightX),
        real("LichtY", &S::LightY),
        real("LichtZ", &S::LightZ),
        real("NebelA", &S::DustA),
        real("NebelE", &S::DustZ),
        real(kKeySmoothness, &S::Smoothness),
        special("AusgabeTGA", SceneKeyKind::OutputTga),
        special("AusgabeYUV", SceneKeyKind::OutputYuv),
        text("AusDateiname", &S::OutputFileName),
        integer("TDateiVerwenden", &S::UseTextureFile),
        text("TDateiname", &S::TextureFileName),
        text("HDateiname", &S::ElevationFileName),
        real("HDateiSkalaX", &S::ElevScaleX),
        real("HDateiSkalaY", &S::ElevScaleY),
        real("HDateiSkalaZA", &S::ElevScaleZA),
        real("HDateiSkalaZE", &S::ElevScaleZZ),
        integer("MDateiVerwenden", &S::UseMaskFile),
        text("MaskenDateiName", &S::MaskFileName),
        integer("AusBreite", &S::SizeX),
        integer(kKeySizeY, &S::SizeY),
        integer("AusAuflX", &S::GridX),
        integer("AusAuflY", &S::GridY),
        integer("HintergrundVerwenden", &S::UseBackgroundColor),
        integer("GenauRechnen", &S::HQ),
        special("Hintergrund", SceneKeyKind::Colour),
        integer("Rundflug", &S::PathType),
        special("Punkt", SceneKeyKind::PathPoints),
        real(kKeyAverageHeight, &S::AverageHeight),
        real("VerkantenFaktor", &S::RollFactor),
        real("Voraussicht", &S::PreviewRange),
        integer("Recorder", &S::UseRecorder),
    };
    return keys;
}

// ---------------------------------------------------------------------------------------------------------
// Path points

void CSceneParams::ClearPathPoints() {
    lastIndex = -1;
}

void CSceneParams::SetPathPoint(int i, int x, int y) {
    if (i < 0 || i >= kMaxPathPoints) return;
    points[i] = {x, y};
    if (i > lastIndex) lastIndex = i;
}

namespace {

// "x,y" as the script stores a point: pieces split at commas (empty pieces skipped), each read like atoi;
// a missing piece gives 0.
PathPoint parsePointText(const std::string& value) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= value.size() && pieces.size() < 2) {
        size_t comma = value.find(',', start);
        size_t end = comma == std::string::npos ? value.size() : comma;
        if (end > start) pieces.push_back(value.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    PathPoint p;
    if (!pieces.empty()) p.x = atoiC(pieces[0].c_str());
    if (pieces.size() > 1) p.y = atoiC(pieces[1].c_str());
    return p;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Reading and writing

void CSceneParams::NewScene() {
    LoadScript("");
    XA = -100;
    YA = -100;
    ZA = 100;
    HeadingA = 45;
    PitchA = -25;
    FocalLengthA = 250;
    FocalLengthZ = 250;
    ElevScaleZA = 0.1;
    ElevScaleZZ = 0.1;
    OutputFileName = "nn%03d.tga";
    ElevScaleX = 1;
    ElevScaleY = 1;
    GridX = 16;
    GridY = 16;
    LightX = 1;
    LightY = 1;
    LightZ = -1;
    DustA = 10000;
    DustZ = 10000;
    SizeX = 320;
    SizeY = 240;
    Total = 1;
}

bool CSceneParams::LoadScript(const std::string& path) {
    ProfileFile profile(path);
    if (!path.empty() && profile.ReadString("BeobXA").empty()) return false;

    int outputTga = 0;
    for (const SceneKey& k : SceneKeyOrder()) {
        switch (k.kind) {
        case SceneKeyKind::Real:
            profile.ReadReal(k.key, this->*k.real);
            break;
        case SceneKeyKind::Int:
            this->*k.integer = profile.ReadInt(k.key);
            break;
        case SceneKeyKind::Text:
            this->*k.text = profile.ReadString(k.key);
            break;
        case SceneKeyKind::OutputTga:
            outputTga = profile.ReadInt(k.key);
            break;
        case SceneKeyKind::OutputYuv: {
            int outputYuv = profile.ReadInt(k.key);
            if (outputTga == 0)
                OutputFileFormat = outputYuv == 0 ? 0 : 1;
            else
                OutputFileFormat = outputYuv != 0 ? 2 : 0;
            break;
        }
        case SceneKeyKind::Colour: {
            std::string value = profile.ReadString(k.key);
            unsigned long colour = 0;
            if (scanHex(value.c_str(), colour) > 0) BackgroundColor = static_cast<uint32_t>(colour);
            break;
        }
        case SceneKeyKind::PathPoints: {
            int count = 0;
            for (; count < kMaxPathPoints; ++count) {
                std::string value = profile.ReadString(PointKey(count));
                if (value.empty()) break;
                points[count] = parsePointText(value);
            }
            lastIndex = count - 1;
            for (int i = count; i < kMaxPathPoints; ++i) points[i] = {0, 0};
            break;
        }
        }
    }
    return true;
}

namespace {

// The values of a render job, in the key order of a script, into profile.
void putJobValues(const CSceneParams& s, PrivateProfile& profile) {
    for (const SceneKey& k : SceneKeyOrder()) {
        switch (k.kind) {
        case SceneKeyKind::Real:
            profile.set(kSection, k.key, cformat("%f", s.*k.real));
            break;
        case SceneKeyKind::Int:
            profile.set(kSection, k.key, cformat("%d", s.*k.integer));
            break;
        case SceneKeyKind::Text:
            profile.set(kSection, k.key, s.*k.text);
            break;
        case SceneKeyKind::OutputTga:
            profile.set(kSection, k.key, cformat("%d", s.OutputFileFormat == 1 ? 0 : 1));
            break;
        case SceneKeyKind::OutputYuv:
            profile.set(kSection, k.key,
                        cformat("%d", s.OutputFileFormat == 1 || s.OutputFileFormat == 2 ? 1 : 0));
            break;
        case SceneKeyKind::Colour:
            profile.set(kSection, k.key, cformat("%lX", static_cast<unsigned long>(s.BackgroundColor)));
            profile.set(kSection, "KannBerechnen", "1");
            break;
        case SceneKeyKind::PathPoints:
            for (int i = 0; i <= s.lastIndex && i < kMaxPathPoints; ++i)
                profile.set(kSection, PointKey(i), cformat("%d,%d", s.points[i].x, s.points[i].y));
            break;
        }
    }
}

// The script file rebuilt from source in the fixed key order.
PrivateProfile copySceneKeys(const PrivateProfile& source) {
    PrivateProfile target;
    for (const SceneKey& k : SceneKeyOrder()) {
        if (k.kind == SceneKeyKind::PathPoints) {
            for (int i = 0; i < kMaxPathPoints; ++i) {
                std::string value = source.get(kSection, PointKey(i)).value_or("");
                if (!value.empty()) target.set(kSection, PointKey(i), value);
            }
            continue;
        }
        target.set(kSection, k.key, source.get(kSection, k.key).value_or(""));
    }
    return target;
}

} // namespace

bool CSceneParams::WriteJobValues(const std::string& path) const {
    PrivateProfile profile;
    if (!profile.load(path)) return false;
    putJobValues(*this, profile);
    return profile.save(path);
}

bool CopySceneKeys(const std::string& source, const std::string& target) {
    PrivateProfile from;
    if (!from.load(source)) from = PrivateProfile();
    return copySceneKeys(from).save(target);
}

SaveOutcome CSceneParams::SaveScript(const std::string& path) const {
    SaveOutcome outcome;
    outcome.check = ValidateScene();
    if (!outcome.check.ok) {
        outcome.result = SaveResult::CheckFailed;
        return outcome;
    }
    // The job values go into a fresh profile and are copied from there in the key order of a script, so
    // the saved file is the same whatever the old file held.
    PrivateProfile job;
    putJobValues(*this, job);
    if (!copySceneKeys(job).save(path)) outcome.result = SaveResult::WriteFailed;
    return outcome;
}

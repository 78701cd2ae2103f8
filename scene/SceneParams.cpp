#include "scene/SceneParams.h"

#include "app/CFormat.h"
#include "app/PrivateProfile.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"
#include "scene/SceneSchema.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {

const char* const kSection = "Param";

} // namespace

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
    for (const SceneFieldRow& row : SceneSchema())
        if (row.initial)
            WithField(*this, row.member, [&](auto& field) { ParseSceneValue(row.initial, 0, field); });
}

namespace {

// Every key of profile into s. The point list ends at the first empty point key; in a job also at the first
// point with x = -1, where the render run's curve has always ended.
void readKeys(const ProfileFile& profile, CSceneParams& s, bool job) {
    int outputTga = 0;
    for (const SceneFieldRow& row : SceneSchema()) {
        switch (row.kind) {
        case SceneKeyKind::Value:
            WithField(s, row.member, [&](auto& field) { ReadSceneValue(profile, row.key, field); });
            break;
        case SceneKeyKind::OutputTga:
            outputTga = profile.ReadInt(row.key);
            break;
        case SceneKeyKind::OutputYuv:
            s.OutputFileFormat = OutputFormatOf(outputTga, profile.ReadInt(row.key));
            break;
        case SceneKeyKind::JobReady:
            break;
        case SceneKeyKind::Optional:
            WithField(s, row.member, [&](auto& field) {
                if (profile.ReadString(row.key).empty())
                    ParseSceneValue(row.initial, 0, field);
                else
                    ReadSceneValue(profile, row.key, field);
            });
            break;
        case SceneKeyKind::PathPoints: {
            int count = 0;
            for (; count < kMaxPathPoints; ++count) {
                std::string value = profile.ReadString(PointKey(count));
                if (value.empty()) break;
                s.points[count] = parsePointText(value);
                if (job && s.points[count].x == -1) break;
            }
            s.lastIndex = count - 1;
            for (int i = count; i < kMaxPathPoints; ++i) s.points[i] = {0, 0};
            break;
        }
        }
    }
}

} // namespace

bool CSceneParams::LoadScript(const std::string& path) {
    ProfileFile profile(path);
    if (!path.empty() && profile.ReadString(SceneSchema().front().key).empty()) return false;
    readKeys(profile, *this, false);
    return true;
}

CSceneParams ReadJobValues(const std::string& path) {
    CSceneParams job;
    readKeys(ProfileFile(path), job, true);
    return job;
}

namespace {

// The values of a render job, in the key order of a script, into profile.
void putJobValues(const CSceneParams& s, PrivateProfile& profile) {
    for (const SceneFieldRow& row : SceneSchema()) {
        switch (row.kind) {
        case SceneKeyKind::Value:
            WithField(s, row.member,
                      [&](const auto& field) { profile.set(kSection, row.key, SceneValueText(field)); });
            break;
        case SceneKeyKind::OutputTga:
            profile.set(kSection, row.key, cformat("%d", s.OutputFileFormat == 1 ? 0 : 1));
            break;
        case SceneKeyKind::OutputYuv:
            profile.set(kSection, row.key,
                        cformat("%d", s.OutputFileFormat == 1 || s.OutputFileFormat == 2 ? 1 : 0));
            break;
        case SceneKeyKind::JobReady:
            profile.set(kSection, row.key, "1");
            break;
        case SceneKeyKind::PathPoints:
            for (int i = 0; i <= s.lastIndex && i < kMaxPathPoints; ++i)
                profile.set(kSection, PointKey(i), cformat("%d,%d", s.points[i].x, s.points[i].y));
            break;
        case SceneKeyKind::Optional:
            WithField(s, row.member, [&](const auto& field) {
                std::decay_t<decltype(field)> initial{};
                ParseSceneValue(row.initial, 0, initial);
                if (field == initial)
                    profile.remove(kSection, row.key); // also from a job made over the scene's own file
                else
                    profile.set(kSection, row.key, SceneValueText(field));
            });
            break;
        }
    }
}

// The script file rebuilt from source in the fixed key order.
PrivateProfile copySceneKeys(const PrivateProfile& source) {
    PrivateProfile target;
    for (const SceneFieldRow& row : SceneSchema()) {
        if (row.kind == SceneKeyKind::JobReady) continue;
        if (row.kind == SceneKeyKind::PathPoints) {
            for (int i = 0; i < kMaxPathPoints; ++i) {
                std::string value = source.get(kSection, PointKey(i)).value_or("");
                if (!value.empty()) target.set(kSection, PointKey(i), value);
            }
            continue;
        }
        const std::string value = source.get(kSection, row.key).value_or("");
        if (row.kind != SceneKeyKind::Optional || !value.empty()) target.set(kSection, row.key, value);
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

#include "render/JobValues.h"

#include "app/CFormat.h"
#include "scene/ProfileFile.h"
#include "scene/SceneSchema.h"

int JobValues::OutputFormat() const {
    return outputFormat;
}

bool JobValues::BackgroundColour(uint32_t& colour) const {
    unsigned long value = 0;
    if (scanHex(background.c_str(), value) == 0) return false;
    colour = static_cast<uint32_t>(value);
    return true;
}

JobValues ReadJobValues(const ProfileFile& job) {
    JobValues v;
    int outputTga = 0;
    for (const SceneFieldRow& row : SceneSchema()) {
        switch (row.kind) {
        case SceneKeyKind::Value:
            WithField(v, row.job, [&](auto& field) { ReadSceneValue(job, row.key, field); });
            break;
        case SceneKeyKind::OutputTga:
            outputTga = job.ReadInt(row.key);
            break;
        case SceneKeyKind::OutputYuv:
            v.outputFormat = OutputFormatOf(outputTga, job.ReadInt(row.key));
            break;
        case SceneKeyKind::JobReady:
            break;
        case SceneKeyKind::PathPoints:
            for (int i = 0; i < kMaxPathPoints; ++i) {
                double x = 0.0, y = 0.0;
                if (!job.ReadPoint(i, x, y)) break;
                v.points.emplace_back(x, y);
            }
            break;
        }
    }
    return v;
}

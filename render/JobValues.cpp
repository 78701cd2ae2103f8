#include "render/JobValues.h"

#include "app/CFormat.h"
#include "scene/ProfileFile.h"

namespace {
// The keys that carry Windows-1252 letters, spelled byte for byte.
const char* const kSmoothness = "Tr\xE4gheit";
const char* const kHeight = "AusH\xF6he";
const char* const kAverageHeight = "H\xF6he\xDC"
                                   "berBoden";

double real(const ProfileFile& job, const char* key) {
    double value = 0.0;
    job.ReadReal(key, value);
    return value;
}
} // namespace

int JobValues::OutputFormat() const {
    if (outputTga != 0 && outputYuv != 0) return 2;
    if (outputTga == 0 && outputYuv != 0) return 1;
    return 0;
}

bool JobValues::BackgroundColour(uint32_t& colour) const {
    unsigned long value = 0;
    if (scanHex(background.c_str(), value) == 0) return false;
    colour = static_cast<uint32_t>(value);
    return true;
}

JobValues ReadJobValues(const ProfileFile& job) {
    JobValues v;
    v.xA = real(job, "BeobXA");
    v.yA = real(job, "BeobYA");
    v.zA = real(job, "BeobZA");
    v.headingA = real(job, "RichtungA");
    v.pitchA = real(job, "NeigungA");
    v.focalA = real(job, "BrennA");
    v.rollA = real(job, "VerkantenA");
    v.xE = real(job, "BeobXE");
    v.yE = real(job, "BeobYE");
    v.zE = real(job, "BeobZE");
    v.headingE = real(job, "RichtungE");
    v.pitchE = real(job, "NeigungE");
    v.focalE = real(job, "BrennE");
    v.rollE = real(job, "VerkantenE");
    v.total = job.ReadInt("Bildanzahl");
    v.offset = job.ReadInt("Offset");
    v.from = job.ReadInt("StartbildNr");
    v.to = job.ReadInt("EndbildNr");
    v.lightX = real(job, "LichtX");
    v.lightY = real(job, "LichtY");
    v.lightZ = real(job, "LichtZ");
    v.dustA = real(job, "NebelA");
    v.dustE = real(job, "NebelE");
    v.smoothness = real(job, kSmoothness);
    v.outputTga = job.ReadInt("AusgabeTGA");
    v.outputYuv = job.ReadInt("AusgabeYUV");
    v.outputTemplate = job.ReadString("AusDateiname");
    v.useTexture = job.ReadInt("TDateiVerwenden");
    v.textureFile = job.ReadString("TDateiname");
    v.elevationFile = job.ReadString("HDateiname");
    v.scaleX = real(job, "HDateiSkalaX");
    v.scaleY = real(job, "HDateiSkalaY");
    v.scaleZA = real(job, "HDateiSkalaZA");
    v.scaleZE = real(job, "HDateiSkalaZE");
    v.useMask = job.ReadInt("MDateiVerwenden");
    v.maskFile = job.ReadString("MaskenDateiName");
    v.width = job.ReadInt("AusBreite");
    v.height = job.ReadInt(kHeight);
    v.gridX = real(job, "AusAuflX");
    v.gridY = real(job, "AusAuflY");
    v.useBackground = job.ReadInt("HintergrundVerwenden");
    v.highQuality = job.ReadInt("GenauRechnen");
    v.background = job.ReadString("Hintergrund");
    v.pathType = job.ReadInt("Rundflug");
    for (int i = 0; i < 100; ++i) {
        double x = 0.0, y = 0.0;
        if (!job.ReadPoint(i, x, y)) break;
        v.points.emplace_back(x, y);
    }
    v.averageHeight = real(job, kAverageHeight);
    v.rollFactor = real(job, "VerkantenFaktor");
    v.previewRange = real(job, "Voraussicht");
    v.recorder = job.ReadInt("Recorder");
    return v;
}

#include "tools/DemImport.h"

#include "app/CFormat.h"
#include "app/RegularFile.h"
#include "res/StringTable.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Arc-seconds truncated to a whole number, kept within a range where the arithmetic cannot overflow.
long long wholeSeconds(double value) {
    if (!std::isfinite(value)) return 0;
    if (value > 9e15) return 9000000000000000LL;
    if (value < -9e15) return -9000000000000000LL;
    return static_cast<long long>(value);
}

} // namespace

std::string DemAngleText(double arcSeconds) {
    long long a = wholeSeconds(arcSeconds);
    long long magnitude = std::llabs(a);
    long long degrees = magnitude / 3600;
    std::string degreeText = cformat("%s%lld", a < 0 ? "-" : "", degrees);
    return cformat("%4s\xC2\xB0%02lld'%02lld''", degreeText.c_str(), (magnitude % 3600) / 60, magnitude % 60);
}

std::string DemListingTitle(const std::string& path) {
    return FormatString(IDS_DEM_LISTING_TITLE, path.c_str());
}

std::vector<std::string> DemListingLines(const DemHeader& h) {
    std::vector<std::string> lines;
    lines.push_back(FormatString(IDS_DEM_NAME_FIELD, h.name.c_str()));
    lines.push_back(FormatString(IDS_DEM_ROWS, h.rows));
    lines.push_back(FormatString(IDS_DEM_COLUMNS, h.columns));
    lines.push_back(FormatString(IDS_DEM_SIDES, h.sides));
    for (int k = 0; k < h.cornerCount(); ++k)
        lines.push_back(FormatString(IDS_DEM_CORNER, k, DemAngleText(h.corners[k][0]).c_str(),
                                     DemAngleText(h.corners[k][1]).c_str()));
    lines.push_back(FormatString(IDS_DEM_MIN_ELEVATION, h.minElevation));
    lines.push_back(FormatString(IDS_DEM_MAX_ELEVATION, h.maxElevation));
    lines.push_back(FormatString(IDS_DEM_RESOLUTION, h.resolution[0], h.resolution[1], h.resolution[2]));
    lines.push_back(FormatString(IDS_DEM_LEVEL_CODE, h.levelCode));
    lines.push_back(FormatString(IDS_DEM_PATTERN_CODE, h.patternCode));
    lines.push_back(FormatString(IDS_DEM_REFERENCE_SYSTEM, h.referenceSystem));
    lines.push_back(FormatString(IDS_DEM_ZONE, h.zone));
    lines.push_back(FormatString(IDS_DEM_GROUND_UNITS, h.groundUnits));
    lines.push_back(FormatString(IDS_DEM_ELEVATION_UNITS, h.elevationUnits));
    lines.push_back(FormatString(IDS_DEM_ANGLE, h.angle));
    lines.push_back(FormatString(IDS_DEM_ACCURACY, h.accuracy));
    for (int k = 0; k < 15; ++k) lines.push_back(FormatString(IDS_DEM_PROJECTION, k, h.projection[k]));
    return lines;
}

std::string DemSuspiciousText(const DemSuspiciousValue& v) {
    return FormatString(IDS_DEM_SUSPICIOUS, v.value, v.column, v.row);
}

std::string DemProblemText(const DemImportResult& r, const std::string& from) {
    switch (r.refusal) {
    case DemRefusal::CannotOpen:
        return FormatString(IDS_CANNOT_OPEN_FILE, from);
    case DemRefusal::HeaderDamaged:
        return FormatString(IDS_DEM_HEADER_DAMAGED, from);
    case DemRefusal::TooManyColumns:
        return FormatString(IDS_DEM_TOO_MANY_COLUMNS, from, r.columns, kMaxDemImageSide, kMaxDemImageSide);
    case DemRefusal::HeaderValues:
        return FormatString(IDS_DEM_HEADER_VALUES, from);
    case DemRefusal::None:
        break;
    }
    return r.status == ToolStatus::Incomplete
               ? FormatString(IDS_DEM_ENDS_EARLY, from, r.profilesRead, r.columns)
               : std::string();
}

std::string DemCountText(const DemImportResult& r) {
    return FormatString(IDS_DEM_NONZERO_COUNT, r.nonZero);
}

DemImportResult ImportDem(const std::string& from, const std::string& to, const ToolEnv& env,
                          DemImportEvents& events) {
    DemImportResult result;
    std::string content;
    if (!ReadRegularFile(from, content)) {
        result.refusal = DemRefusal::CannotOpen;
        return result;
    }
    DemReader reader(std::move(content));
    DemHeader header;
    if (!reader.readHeader(header)) {
        result.refusal = DemRefusal::HeaderDamaged;
        return result;
    }
    result.columns = header.columns;
    if (header.columns < 0 || header.columns > kMaxDemImageSide - 8) {
        result.refusal = DemRefusal::TooManyColumns;
        return result;
    }
    // An elevation in a profile has six digits; a header outside them would recalibrate by nonsense.
    auto holdable = [](double e) { return std::isfinite(e) && e >= -99999 && e <= 999999; };
    if (header.columns == 0 || !holdable(header.minElevation) || !holdable(header.maxElevation)) {
        result.refusal = DemRefusal::HeaderValues;
        return result;
    }

    if (!events.confirmListing(header, DemListingLines(header))) {
        result.status = ToolStatus::Cancelled;
        return result;
    }

    int base = 0;
    if (header.minElevation < 0 && events.recalibrate(header))
        base = header.minElevation > INT_MIN ? static_cast<int>(header.minElevation) : INT_MIN;
    result.base = base;

    const int side = DemImageSide(header.columns);
    const int rowOffset = side - header.columns;
    std::unique_ptr<CTGAFile> output = CreateToolOutput(env, side, side);
    if (!output) return result;

    auto store = [&](int column, long long row, int value) {
        if (column < 0 || column >= side || row < 0 || row >= side) return;
        StoreElevation(output->pixelAt(column, static_cast<int>(row)),
                       static_cast<uint32_t>(static_cast<long long>(value) - base));
    };

    bool cancelled = false;
    bool damaged = false;
    for (int i = 0; i < header.columns; ++i) {
        if (!ToolProgressStep(env, i, header.columns)) {
            cancelled = true;
            break;
        }
        DemProfile profile;
        if (!reader.readProfileHeader(profile)) {
            damaged = true;
            break;
        }
        const int column = profile.column - 1;
        int previous = 0;
        for (int j = 0; j < profile.count && !damaged; ++j) {
            int value = 0;
            if (!reader.readElevation(value)) {
                damaged = true;
                break;
            }
            if (j > 0 && std::llabs(static_cast<long long>(value) - previous) > 511) {
                result.suspicious.push_back(
                    {value, column, static_cast<int>(rowOffset + static_cast<long long>(j))});
                events.suspicious(result.suspicious.back());
            }
            if (value != 0) ++result.nonZero;
            store(column, static_cast<long long>(rowOffset) + j, value);
            previous = value;
        }
        if (damaged) break;
        reader.endProfile();
        ++result.profilesRead;
    }
    result.read = true;
    // Every profile read: the display reaches 100 % before the closing messages are shown.
    if (!cancelled && !damaged) env.progress.report(100);

    static_cast<ToolResult&>(result) = FinishToolOutput(env, *output, to, cancelled);
    if (result.status == ToolStatus::Done && damaged) result.status = ToolStatus::Incomplete;
    return result;
}

DemImportResult DemImport(const std::string& from, const std::string& to, const ToolEnv& env,
                          const DemListingConfirm& confirm) {
    struct Questions : DemImportEvents {
        Platform& platform;
        const DemListingConfirm& confirm;
        Questions(Platform& p, const DemListingConfirm& c) : platform(p), confirm(c) {}
        bool confirmListing(const DemHeader& header, const std::vector<std::string>& lines) override {
            return !confirm || confirm(header, lines);
        }
        bool recalibrate(const DemHeader&) override {
            return platform.message(LoadString(IDS_DEM_RECALIBRATE), MsgIcon::Information,
                                    MsgButtons::YesNo) == MsgAnswer::Yes;
        }
        void suspicious(const DemSuspiciousValue& v) override {
            platform.message(DemSuspiciousText(v), MsgIcon::Question, MsgButtons::Ok);
        }
    } questions(env.platform, confirm);

    DemImportResult result = ImportDem(from, to, env, questions);
    const std::string problem = DemProblemText(result, from);
    if (!problem.empty())
        env.platform.message(problem, result.read ? MsgIcon::Warning : MsgIcon::Stop, MsgButtons::Ok);
    if (result.read) env.platform.message(DemCountText(result), MsgIcon::Information, MsgButtons::Ok);
    return result;
}

#pragma once
// The DEM import: turns a USGS DEM file into an elevation file. Profile column c becomes pixel column
// c - 1, its j-th elevation pixel row R + j from the bottom of a square image of side S (the smallest
// multiple of 8 above the column count; R = S - columns), each value less the base as a 24-bit elevation.

#include "tools/DemReader.h"
#include "tools/ToolCommon.h"

#include <functional>
#include <string>
#include <vector>

// The header listing the user confirms before the import goes on: one line per entry, label and value
// separated by a tab. The desktop shows it in a list box, the command line prints it.
std::vector<std::string> DemListingLines(const DemHeader& header);
// The title of the listing dialog for the DEM file at path.
std::string DemListingTitle(const std::string& path);
// One corner coordinate of the listing: arc-seconds as "%4d°%02d'%02d''" (degrees keep their sign, also
// between -1 and 0 degrees).
std::string DemAngleText(double arcSeconds);

// The side of the elevation image for the given number of profiles.
inline int DemImageSide(int columns) {
    return columns / 8 * 8 + 8;
}
// The largest side the import makes (larger images would not fit in memory on ordinary machines).
constexpr int kMaxDemImageSide = 16384;

// Shows the listing; true to go on with the import, false to stop it.
using DemListingConfirm = std::function<bool(const DemHeader& header, const std::vector<std::string>& lines)>;

// A jump of more than 511 from the previous elevation of a profile: the value and its pixel.
struct DemSuspiciousValue {
    long value = 0;
    int column = 0, row = 0;
};

// Why an import refused its file before anything was read.
enum class DemRefusal {
    None,
    CannotOpen,
    HeaderDamaged,
    TooManyColumns,
    HeaderValues, // no columns, or a minimum or maximum elevation the profiles cannot hold
};

// The status is Incomplete when the file ended early: what was read is written.
struct DemImportResult : ToolResult {
    DemRefusal refusal = DemRefusal::None;
    int columns = 0;       // the profiles the header declares
    bool read = false;     // the profiles were read (nonZero counts them, also when stopped or not saved)
    int profilesRead = 0;  // profiles read completely
    long long nonZero = 0; // non-zero elevations read (the count the user is shown)
    int base = 0;          // subtracted from every elevation
    std::vector<DemSuspiciousValue> suspicious;
};

// The decisions an import needs and the warnings it gives while it reads.
class DemImportEvents {
public:
    virtual ~DemImportEvents() = default;
    // The header listing; false stops the import before anything is written.
    virtual bool confirmListing(const DemHeader&, const std::vector<std::string>&) { return true; }
    // The header's minimum lies below zero: true subtracts it from every elevation.
    virtual bool recalibrate(const DemHeader&) = 0;
    // A suspicious value, as soon as it is read (it is also kept in the result).
    virtual void suspicious(const DemSuspiciousValue&) {}
};

// Runs the import of the DEM file from into the elevation file to, asking events for its decisions. Only
// the making and saving of the output image talk to the platform.
DemImportResult ImportDem(const std::string& from, const std::string& to, const ToolEnv& env,
                          DemImportEvents& events);

// The texts the user is shown: a suspicious value, why the file was refused or why the result is
// incomplete (empty when neither), and the count of non-zero elevations.
std::string DemSuspiciousText(const DemSuspiciousValue& value);
std::string DemProblemText(const DemImportResult& result, const std::string& from);
std::string DemCountText(const DemImportResult& result);

// The import as the desktop runs it: the recalibration question, the suspicious values, the problem and
// the count are shown through the platform, in that order. Without confirm the listing is not shown.
DemImportResult DemImport(const std::string& from, const std::string& to, const ToolEnv& env,
                          const DemListingConfirm& confirm = {});

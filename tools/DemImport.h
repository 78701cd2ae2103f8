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

struct DemImportResult {
    ToolStatus status = ToolStatus::Failed;
    int profilesRead = 0;  // profiles read completely
    long long nonZero = 0; // non-zero elevations read (the count the user is shown)
    int base = 0;          // subtracted from every elevation
};

// Runs the import of the DEM file from into the elevation file to. Asks whether to recalibrate the base
// when the header's minimum is below zero; reports suspicious jumps, and the count at the end, through the
// platform. Without confirm the listing is not shown and the import goes on.
DemImportResult DemImport(const std::string& from, const std::string& to, const ToolEnv& env,
                          const DemListingConfirm& confirm = {});

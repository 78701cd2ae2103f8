#pragma once
// The USGS DEM reader and the import built on it. Checks: a header that reads gives a listing; a file whose
// header does not read, or that names too many profiles, is refused with a message and no output; an import
// that runs writes a square elevation file of the side its column count asks for, or nothing at all.

#include "fuzz/FuzzSupport.h"
#include "tools/DemImport.h"

#include <algorithm>

namespace fuzz {

// The import itself (which allocates and writes an image of side columns + 8) runs for up to this many
// profiles; beyond it only the reader runs.
constexpr int kDemMaxFuzzColumns = 256;

inline std::string FuzzDem(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    DemReader reader(content);
    DemHeader header;
    const bool headerRead = reader.readHeader(header);
    long long elevations = 0;
    if (headerRead) {
        const std::vector<std::string> lines = DemListingLines(header);
        FUZZ_REQUIRE(lines.size() == 30u + static_cast<size_t>(header.cornerCount()),
                     "listing has every line");
        // The reader alone, over as many profiles as the file holds.
        DemProfile profile;
        for (int i = 0; i < std::min(header.columns, 1 << 16) && reader.readProfileHeader(profile); ++i) {
            int value = 0;
            for (int j = 0; j < profile.count && reader.readElevation(value); ++j) ++elevations;
            reader.endProfile();
        }
    }
    if (headerRead && (header.columns < 0 || header.columns > kDemMaxFuzzColumns)) return "";

    InputFile input(data, size);
    const std::string out = ScratchFolder::file("dem.tga");
    removeFile(out);
    CountingPlatform platform;
    platform.yesToInformation = size % 2 == 1; // both answers to the recalibration question
    NullProgress progress;
    ToolEnv env{platform, progress};
    DemImportResult result = DemImport(input.path(), out, env);
    FUZZ_REQUIRE(platform.waitDepth == 0, "wait cursor balanced");
    const std::string written = readFile(out);
    if (result.refusal == DemRefusal::HeaderValues) {
        // No columns, or header elevations the profiles cannot hold: refused before anything is written.
        FUZZ_REQUIRE(headerRead && result.status == ToolStatus::Failed,
                     "refused header values fail the import");
        FUZZ_REQUIRE(platform.messages == 1, "one message for refused header values");
        FUZZ_REQUIRE(written.empty(), "nothing written for refused header values");
        return "";
    }
    if (!headerRead) {
        FUZZ_REQUIRE(result.status == ToolStatus::Failed, "a damaged header stops the import");
        FUZZ_REQUIRE(platform.messages == 1, "one message for a damaged header");
        FUZZ_REQUIRE(written.empty(), "nothing written for a damaged header");
        return "";
    }
    FUZZ_REQUIRE(result.status == ToolStatus::Done || result.status == ToolStatus::Incomplete,
                 "an import with a readable header writes its output");
    const size_t side = static_cast<size_t>(DemImageSide(header.columns));
    FUZZ_REQUIRE(written.size() == 18 + 3 * side * side, "elevation file of the expected side");
    FUZZ_REQUIRE(result.profilesRead <= header.columns, "no more profiles than announced");
    FUZZ_REQUIRE(result.nonZero <= elevations, "no more non-zero elevations than were read");
    FUZZ_REQUIRE((result.status == ToolStatus::Incomplete) == (result.profilesRead < header.columns),
                 "an import is incomplete exactly when profiles are missing");
    return "";
}

} // namespace fuzz

#pragma once
// The flight path text of the clipboard. Checks: a text without the header leaves the list alone; a pasted
// list never holds more than the limit; a pasted path, copied and pasted again, gives the same points; the
// hit test answers for any point.

#include "fuzz/FuzzSupport.h"
#include "path/PathText.h"

#include <climits>
#include <memory>

namespace fuzz {

inline std::string FuzzPathText(const uint8_t* data, size_t size) {
    // The clipboard hands over a C string: everything up to the first zero byte.
    const std::string text(reinterpret_cast<const char*>(data), size);
    CContainer list;
    list.Insert(std::make_unique<CPointElement>(1, 2));
    const PathTextResult result = ReadPathText(text.c_str(), list);
    const std::vector<MapPoint> points = PathPointsOf(list);
    FUZZ_REQUIRE(result.accepted == IsPathText(text.c_str()), "accepted exactly when the header is there");
    if (!result.accepted) {
        FUZZ_REQUIRE(points == (std::vector<MapPoint>{{1, 2}}), "a text without the header changes nothing");
        return "";
    }
    FUZZ_REQUIRE(points.size() <= static_cast<size_t>(kMaxEditorPoints), "at most the point limit");
    FUZZ_REQUIRE(!result.truncated || points.size() == static_cast<size_t>(kMaxEditorPoints),
                 "lines are dropped only at the limit");

    const std::string copied = BuildPathText(list);
    CContainer other;
    FUZZ_REQUIRE(ReadPathText(copied.c_str(), other).accepted, "a copied path pastes");
    FUZZ_REQUIRE(PathPointsOf(other) == points, "copy and paste keep the points and their order");
    FUZZ_REQUIRE(BuildPathText(other) == copied, "copy, paste, copy gives the same text");

    for (const MapPoint& p : points) {
        int hit = HitTestPathPoint(list, p.x, p.y);
        FUZZ_REQUIRE(hit >= 0 && hit < static_cast<int>(points.size()), "every point can be hit");
    }
    (void)HitTestPathPoint(list, INT_MIN, INT_MAX);
    (void)HitTestPathPoint(list, INT_MAX, INT_MIN);
    return "";
}

} // namespace fuzz

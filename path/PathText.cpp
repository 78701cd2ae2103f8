#include "path/PathText.h"

#include "app/CFormat.h"
#include "app/SettingsDefaults.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

std::vector<MapPoint> PathPointsOf(const CContainer& list) {
    std::vector<MapPoint> points;
    for (CElement* e = list.GetHead(); e; e = list.GetNext(e))
        if (auto* p = dynamic_cast<CPointElement*>(e)) points.push_back({p->x, p->y});
    return points;
}

bool InsertPathPoint(CContainer& list, int x, int y) {
    if (list.GetCount() >= kMaxEditorPoints) return false;
    list.Insert(std::make_unique<CPointElement>(x, y));
    return true;
}

int HitTestPathPoint(const CContainer& list, int mx, int my) {
    int index = 0;
    for (CElement* e = list.GetHead(); e; e = list.GetNext(e), ++index) {
        auto* p = dynamic_cast<CPointElement*>(e);
        if (!p) continue;
        // Differences in 64 bits: points pasted far outside the picture must not overflow.
        long long dx = static_cast<long long>(p->x) - mx;
        long long dy = static_cast<long long>(p->y) - my;
        if (std::llabs(dx) < 5 && std::llabs(dy) < 5) return index;
    }
    return -1;
}

bool IsPathText(const char* text) {
    if (!text) return false;
    const char* header = LoadString(IDS_PATH_CLIPBOARD_HEADER);
    return std::strncmp(text, header, std::strlen(header)) == 0;
}

std::string BuildPathText(const CContainer& list) {
    std::string text = LoadString(IDS_PATH_CLIPBOARD_HEADER);
    text += "\r\n";
    int index = 0;
    for (const MapPoint& p : PathPointsOf(list)) text += cformat("%d\t%d\t%d\r\n", index++, p.x, p.y);
    return text;
}

namespace {

// One "%*d\t%d\t%d" conversion at text: the tab directives match any white space, as in scanf, and each
// number skips leading white space. True when both assigned numbers were read.
bool scanPathLine(const char* text, int& x, int& y) {
    int skipped = 0;
    size_t n = scanInt(text, skipped);
    if (n == 0) return false;
    text += n;
    n = scanInt(text, x);
    if (n == 0) return false;
    text += n;
    return scanInt(text, y) != 0;
}

} // namespace

PathTextResult ReadPathText(const char* text, CContainer& list) {
    PathTextResult result;
    if (!IsPathText(text)) return result;
    result.accepted = true;
    list.RemoveAll();
    // Reading starts past the header's CR LF; a text that ends right after the header has no points.
    size_t length = std::strlen(text);
    size_t start = std::strlen(LoadString(IDS_PATH_CLIPBOARD_HEADER)) + 2;
    const char* p = start <= length ? text + start : text + length;
    int x = 0, y = 0;
    while (scanPathLine(p, x, y)) {
        if (!InsertPathPoint(list, x, y)) {
            result.truncated = true;
            break;
        }
        const char* lineFeed = std::strchr(p, '\n');
        if (!lineFeed) break;
        p = lineFeed + 1;
    }
    return result;
}

FlightPathPen ReadFlightPathPen(const SettingsStore& store) {
    FlightPathPen pen;
    // A missing or unparsable value leaves -1, which stands for the purple default.
    const uint32_t value =
        settings::ReadFlightPathColor(store, settings::kEditorPathColorDefault, 0xFFFFFFFFu);
    pen.color = value == 0xFFFFFFFFu ? kDefaultFlightPathColor : (value & 0x00FFFFFFu);
    pen.width = std::max(0, settings::ReadFlightPathWidth(store));
    return pen;
}

#pragma once
// The flight path as text on the clipboard, and the few rules of the editor that need no window: the point
// limit, the hit test and the pen the curve is drawn with.
//
// Text layout: the header line "Orvantis Clipboard Data - Path" with CR LF, then one line
// "index<TAB>x<TAB>y<CR><LF>" per point in list order, the index counting from 0.

#include "path/Container.h"

#include <string>
#include <vector>

class SettingsStore;

// A flight path holds at most this many points (as many as the job file and the scene record carry).
constexpr int kMaxEditorPoints = 100;

struct MapPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

// The points of a list of CPointElement in chain order.
std::vector<MapPoint> PathPointsOf(const CContainer& list);

// Inserts a point after the current element unless the list already holds kMaxEditorPoints points.
// Returns false (and leaves the list alone) at the limit.
bool InsertPathPoint(CContainer& list, int x, int y);

// The index of the first point, in list order, with |x - mx| < 5 and |y - my| < 5; -1 when none.
int HitTestPathPoint(const CContainer& list, int mx, int my);

// True when text begins with the header line's text (the CR LF is not required here).
bool IsPathText(const char* text);

// The complete clipboard text of the list (no size limit).
std::string BuildPathText(const CContainer& list);

struct PathTextResult {
    bool accepted = false;  // the text began with the header; the list was replaced
    bool truncated = false; // lines beyond the limit were ignored
};

// Replaces the points of list with those of text when it begins with the header. Reading starts two
// characters after the header text; each line gives a point while it yields two numbers after the index
// (read as "%*d\t%d\t%d": white space between the numbers may be any amount, the index is skipped), and
// continues after the next line feed. The first line that does not yield two numbers ends the list.
// Lines beyond the kMaxEditorPoints-th are ignored. A text without the header leaves list unchanged.
PathTextResult ReadPathText(const char* text, CContainer& list);

// The pen of the curve, from the user options: section "FlightPath", "Color" as "%lX" of 0x00BBGGRR (purple
// when absent, "-1" or unparsable) and "Width" in pixels (0 = one pixel).
struct FlightPathPen {
    unsigned long color = 0; // 0x00BBGGRR
    int width = 0;
    int red() const { return static_cast<int>(color & 0xFF); }
    int green() const { return static_cast<int>((color >> 8) & 0xFF); }
    int blue() const { return static_cast<int>((color >> 16) & 0xFF); }
};
constexpr unsigned long kDefaultFlightPathColor = 0x00C000C0; // red 192, green 0, blue 192
FlightPathPen ReadFlightPathPen(const SettingsStore& settings);

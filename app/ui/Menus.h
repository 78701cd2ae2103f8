#pragma once
// The menus of the main window, one per window kind (resource 100 with no document window, 101 flight path
// editor, 102 image, 103 scene, 104 rendering window). Texts keep the program's own wording; the part after
// a TAB is the accelerator shown beside the item.

#include <vector>

namespace menu {
constexpr int Separator = 0;
constexpr int RecentFiles = -1; // the recent-file entries (or "Recent File", disabled, when there are none)
constexpr int WindowList = -2;  // the list of open windows the Window menu ends with

struct Item {
    const char* text;
    int id; // command id, Separator or RecentFiles
};
struct Popup {
    const char* title;
    std::vector<Item> items;
};

// The popups of menu resourceId (100 to 104); an unknown id gives menu 100.
const std::vector<Popup>& menuFor(int resourceId);
} // namespace menu

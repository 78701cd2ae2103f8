#pragma once
// Typed access to every value the program keeps in its settings store, with the section and key names,
// formats and defaults the program has always used. Free functions over SettingsStore, so the desktop
// application and the core read and write them the same way.

#include "app/Settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace settings {

// "Settings" / "WindowPos": the ten numbers of the main window placement as written; "" when none.
std::string ReadWindowPos(const SettingsStore& store);
bool WriteWindowPos(SettingsStore& store, const std::string& value);

// "Settings" / "RedrawInterval" in milliseconds (default 1000).
int ReadRedrawInterval(const SettingsStore& store);
bool WriteRedrawInterval(SettingsStore& store, int ms);

// "Settings" / "Antialiasing" in pixels (default 10).
int ReadAntialiasing(const SettingsStore& store);
bool WriteAntialiasing(SettingsStore& store, int pixels);

// "Settings" / "PreviewPages": the print preview's page count; def when missing.
int ReadPreviewPages(const SettingsStore& store, int def);
bool WritePreviewPages(SettingsStore& store, int pages);

// "FlightPath" / "Color" read with the default text the caller uses ("000000" in Options, "-1" in the flight
// path editor) and parsed as "%lX"; previous is kept when the text does not parse.
inline constexpr const char* kOptionsPathColorDefault = "000000";
inline constexpr const char* kEditorPathColorDefault = "-1";
uint32_t ReadFlightPathColor(const SettingsStore& store, const char* defaultText, uint32_t previous);
// The text stored under "FlightPath" / "Color" (defaultText when missing).
std::string ReadFlightPathColorText(const SettingsStore& store, const char* defaultText);
bool WriteFlightPathColor(SettingsStore& store, uint32_t colour); // "%lX"

// "FlightPath" / "Width" in pixels (default 0).
int ReadFlightPathWidth(const SettingsStore& store);
bool WriteFlightPathWidth(SettingsStore& store, int pixels);

// The sixteen custom colours of the colour choosers, "Colors" / "BGr00" to "BGr15" as "%lX". A missing
// value (default "-1"), one that does not parse, or FFFFFFFF gives the grey 255 - 16 * i in all channels.
using CustomColors = std::array<uint32_t, 16>;
uint32_t DefaultCustomColor(int i);
CustomColors ReadCustomColors(const SettingsStore& store);
bool WriteCustomColors(SettingsStore& store, const CustomColors& colours);

// "Directories" / "Open" and "Save": the remembered folders of the file prompts ("" when none).
std::string ReadOpenDirectory(const SettingsStore& store);
bool WriteOpenDirectory(SettingsStore& store, const std::string& folder);
std::string ReadSaveDirectory(const SettingsStore& store);
bool WriteSaveDirectory(SettingsStore& store, const std::string& folder);

// "Recent File Load" / "Name": the extension (with its dot) of the last opened file (default ".ovs").
std::string ReadLastOpenedExtension(const SettingsStore& store);
bool WriteLastOpenedExtension(SettingsStore& store, const std::string& extension);
// The extension of a path as it is recorded there: from the last dot of the file part on ("" when none).
std::string ExtensionOf(const std::string& path);

// "Recent File List" / "File1" to "File4": the recent-file list, most recent first; missing entries are
// skipped. Writing stores the first four entries and removes the keys of the others where the store can.
inline constexpr int kRecentFileCount = 4;
std::vector<std::string> ReadRecentFiles(const SettingsStore& store);
bool WriteRecentFiles(SettingsStore& store, const std::vector<std::string>& files);

// "RectifyCorners": the sixteen corner values of the rectify tool, keys "x1", "y1", ... "x4", "y4", then
// "x1'", "y1'", ... "y4'" (source corners, then target corners), written "%f", read with default "0.0".
using RectifyCorners = std::array<double, 16>;
const std::array<const char*, 16>& RectifyCornerKeys();
RectifyCorners ReadRectifyCorners(const SettingsStore& store);
bool WriteRectifyCorners(SettingsStore& store, const RectifyCorners& values);

} // namespace settings

#include "app/SettingsDefaults.h"

#include "app/CFormat.h"
#include "app/IniSettings.h"

namespace settings {

namespace {
const char* const kSettings = "Settings";
const char* const kFlightPath = "FlightPath";
const char* const kColors = "Colors";
const char* const kDirectories = "Directories";
const char* const kRecentLoad = "Recent File Load";
const char* const kRecentList = "Recent File List";
const char* const kRectify = "RectifyCorners";
} // namespace

std::string ReadWindowPos(const SettingsStore& store) {
    return store.getString(kSettings, "WindowPos", "");
}
bool WriteWindowPos(SettingsStore& store, const std::string& value) {
    return store.writeString(kSettings, "WindowPos", value);
}

int ReadRedrawInterval(const SettingsStore& store) {
    return store.getInt(kSettings, "RedrawInterval", 1000);
}
bool WriteRedrawInterval(SettingsStore& store, int ms) {
    return store.writeInt(kSettings, "RedrawInterval", ms);
}

int ReadAntialiasing(const SettingsStore& store) {
    return store.getInt(kSettings, "Antialiasing", 10);
}
bool WriteAntialiasing(SettingsStore& store, int pixels) {
    return store.writeInt(kSettings, "Antialiasing", pixels);
}

int ReadPreviewPages(const SettingsStore& store, int def) {
    return store.getInt(kSettings, "PreviewPages", def);
}
bool WritePreviewPages(SettingsStore& store, int pages) {
    return store.writeInt(kSettings, "PreviewPages", pages);
}

std::string ReadFlightPathColorText(const SettingsStore& store, const char* defaultText) {
    return store.getString(kFlightPath, "Color", defaultText);
}

uint32_t ReadFlightPathColor(const SettingsStore& store, const char* defaultText, uint32_t previous) {
    std::string text = ReadFlightPathColorText(store, defaultText);
    unsigned long colour = 0;
    return scanHex(text.c_str(), colour) > 0 ? static_cast<uint32_t>(colour) : previous;
}

bool WriteFlightPathColor(SettingsStore& store, uint32_t colour) {
    return store.writeString(kFlightPath, "Color", cformat("%lX", static_cast<unsigned long>(colour)));
}

int ReadFlightPathWidth(const SettingsStore& store) {
    return store.getInt(kFlightPath, "Width", 0);
}
bool WriteFlightPathWidth(SettingsStore& store, int pixels) {
    return store.writeInt(kFlightPath, "Width", pixels);
}

uint32_t DefaultCustomColor(int i) {
    uint32_t level = static_cast<uint32_t>(255 - 16 * i) & 0xFF;
    return level | (level << 8) | (level << 16);
}

CustomColors ReadCustomColors(const SettingsStore& store) {
    CustomColors colours{};
    for (int i = 0; i < 16; ++i) {
        std::string text = store.getString(kColors, cformat("BGr%02d", i), "-1");
        unsigned long value = 0;
        if (scanHex(text.c_str(), value) == 0 || value == 0xFFFFFFFFul)
            colours[i] = DefaultCustomColor(i);
        else
            colours[i] = static_cast<uint32_t>(value);
    }
    return colours;
}

bool WriteCustomColors(SettingsStore& store, const CustomColors& colours) {
    // Every value goes to the store even when one fails, as a partial set beats none.
    bool ok = true;
    for (int i = 0; i < 16; ++i)
        ok = store.writeString(kColors, cformat("BGr%02d", i),
                               cformat("%lX", static_cast<unsigned long>(colours[i]))) &&
             ok;
    return ok;
}

std::string ReadOpenDirectory(const SettingsStore& store) {
    return store.getString(kDirectories, "Open", "");
}
bool WriteOpenDirectory(SettingsStore& store, const std::string& folder) {
    return store.writeString(kDirectories, "Open", folder);
}
std::string ReadSaveDirectory(const SettingsStore& store) {
    return store.getString(kDirectories, "Save", "");
}
bool WriteSaveDirectory(SettingsStore& store, const std::string& folder) {
    return store.writeString(kDirectories, "Save", folder);
}

std::string ReadLastOpenedExtension(const SettingsStore& store) {
    return store.getString(kRecentLoad, "Name", ".ovs");
}
bool WriteLastOpenedExtension(SettingsStore& store, const std::string& extension) {
    return store.writeString(kRecentLoad, "Name", extension);
}

std::string ExtensionOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot);
}

std::vector<std::string> ReadRecentFiles(const SettingsStore& store) {
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string f = store.getString(kRecentList, cformat("File%d", i), "");
        if (!f.empty()) files.push_back(f);
    }
    return files;
}

bool WriteRecentFiles(SettingsStore& store, const std::vector<std::string>& files) {
    bool ok = true;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string key = cformat("File%d", i);
        if (static_cast<size_t>(i) <= files.size()) {
            ok = store.writeString(kRecentList, key, files[static_cast<size_t>(i) - 1]) && ok;
        } else if (auto* ini = dynamic_cast<IniSettings*>(&store)) {
            ok = ini->remove(kRecentList, key) && ok;
        } else if (!store.getString(kRecentList, key, "").empty()) {
            ok = store.writeString(kRecentList, key, "") && ok;
        }
    }
    return ok;
}

const std::array<const char*, 16>& RectifyCornerKeys() {
    static const std::array<const char*, 16> keys = {"x1",  "y1",  "x2",  "y2",  "x3",  "y3",  "x4",  "y4",
                                                     "x1'", "y1'", "x2'", "y2'", "x3'", "y3'", "x4'", "y4'"};
    return keys;
}

RectifyCorners ReadRectifyCorners(const SettingsStore& store) {
    RectifyCorners values{};
    for (size_t i = 0; i < values.size(); ++i) {
        std::string text = store.getString(kRectify, RectifyCornerKeys()[i], "0.0");
        double v = 0;
        values[i] = scanReal(text.c_str(), v) > 0 ? v : 0.0;
    }
    return values;
}

bool WriteRectifyCorners(SettingsStore& store, const RectifyCorners& values) {
    bool ok = true;
    for (size_t i = 0; i < values.size(); ++i)
        ok = store.writeString(kRectify, RectifyCornerKeys()[i], cformat("%f", values[i])) && ok;
    return ok;
}

} // namespace settings

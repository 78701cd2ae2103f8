#include "app/IniSettings.h"

#include "app/CFormat.h"
#include "app/PrivateProfile.h"

#include <cstdlib>
#include <filesystem>

std::string IniSettings::defaultPath() {
    if (const char* ini = std::getenv("ORVANTIS_INI"); ini && *ini) return ini;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        config = std::string(home && *home ? home : ".") + "/.config";
    }
    return config + "/orvantis/orvantis.ini";
}

IniSettings::IniSettings() : file(defaultPath()) {}

IniSettings::IniSettings(std::string path) : file(std::move(path)) {}

std::string IniSettings::getString(const std::string& section, const std::string& key,
                                   const std::string& def) const {
    return GetPrivateProfileString(section, key, def, file);
}

int IniSettings::getInt(const std::string& section, const std::string& key, int def) const {
    return GetPrivateProfileInt(section, key, def, file);
}

bool IniSettings::ensureFolder() const {
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

bool IniSettings::writeString(const std::string& section, const std::string& key, const std::string& value) {
    return ensureFolder() && WritePrivateProfileString(section, key, value, file);
}

bool IniSettings::writeInt(const std::string& section, const std::string& key, int value) {
    return writeString(section, key, cformat("%d", value));
}

bool IniSettings::remove(const std::string& section, const std::string& key) {
    return WritePrivateProfileString(section, key, std::nullopt, file);
}

#pragma once
// The settings store kept in the user's INI file: $ORVANTIS_INI when set, else
// $XDG_CONFIG_HOME/orvantis/orvantis.ini (~/.config/orvantis/orvantis.ini when XDG_CONFIG_HOME is unset).
// Every read reads the file as it is now; every write rewrites the file through a temporary file beside it
// (the folder is created on the first write).

#include "app/Settings.h"

#include <string>

class IniSettings : public SettingsStore {
public:
    // The store on the file the environment names (see above).
    IniSettings();
    explicit IniSettings(std::string path);

    const std::string& path() const { return file; }

    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def) const override;
    // The profile-integer reader: def when the key is missing or empty, 0 when it is not a number.
    int getInt(const std::string& section, const std::string& key, int def) const override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override;
    bool writeInt(const std::string& section, const std::string& key, int value) override;
    // Removes a key (true when it is gone afterwards).
    bool remove(const std::string& section, const std::string& key);

    // Where the settings file lives according to the environment.
    static std::string defaultPath();

private:
    bool ensureFolder() const;
    std::string file;
};

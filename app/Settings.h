#pragma once
// The application's settings store: named sections holding named values, read with a default and written
// one value at a time. Readers read the current value each time they need it; nothing is cached here.
// IniSettings (app/IniSettings.h) keeps them in the user's INI file; MemorySettings is for tests and for
// code that runs without a user profile.

#include <map>
#include <string>
#include <utility>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string getString(const std::string& section, const std::string& key,
                                  const std::string& def) const = 0;
    virtual int getInt(const std::string& section, const std::string& key, int def) const = 0;
    // Both return false when the value could not be stored.
    virtual bool writeString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual bool writeInt(const std::string& section, const std::string& key, int value) = 0;
};

// Section and key names are found whatever their letter case, as in the INI file.
class MemorySettings : public SettingsStore {
public:
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def) const override {
        auto it = values.find(fold(section, key));
        return it == values.end() ? def : it->second;
    }
    int getInt(const std::string& section, const std::string& key, int def) const override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override {
        values[fold(section, key)] = value;
        return true;
    }
    bool writeInt(const std::string& section, const std::string& key, int value) override {
        return writeString(section, key, std::to_string(value));
    }

private:
    static std::pair<std::string, std::string> fold(std::string section, std::string key) {
        for (auto& c : section) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return {section, key};
    }
    std::map<std::pair<std::string, std::string>, std::string> values;
};

#include "app/CFormat.h"
#include <cctype>

inline int MemorySettings::getInt(const std::string& section, const std::string& key, int def) const {
    auto it = values.find(fold(section, key));
    if (it == values.end()) return def;
    int v = 0;
    return scanInt(it->second.c_str(), v) ? v : 0;
}

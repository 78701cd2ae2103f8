#pragma once
// A private-profile (INI) file with the semantics of the Windows profile functions: sections and keys are
// found whatever their letter case (ASCII, and the Windows-1252 letter pairs ä/Ä, ö/Ö, ü/Ü), blanks and
// tabs around keys and values are ignored on reading, an existing key is replaced in place, a new key goes
// after the last entry of its section, a new section to the end of the file, and lines that are not entries
// are kept as they are. Lines are written with CR LF; LF and CR LF are read.
//
// Key and section names may be spelled in Windows-1252 or in UTF-8: the UTF-8 letters ä ö ü Ä Ö Ü are taken
// as their Windows-1252 bytes when names are compared, so a file edited in a UTF-8 editor still matches.
//
// PrivateProfile holds one file in memory: load it once, change it, save it once. The free functions
// below do one read-modify-write per call, like the platform's own profile functions.

#include <optional>
#include <string>
#include <vector>

class PrivateProfile {
public:
    PrivateProfile() = default;
    explicit PrivateProfile(const std::string& bytes) { setText(bytes); }

    // Reads the file. A missing file gives an empty profile and true; false when the file exists but
    // cannot be read (the profile is then empty).
    bool load(const std::string& path);
    // Writes the profile through a temporary file beside path that is renamed into place; a failed save
    // leaves the old file as it was. The file is created when missing (its folder must exist).
    bool save(const std::string& path) const;

    void setText(const std::string& bytes);
    // The file's bytes: every line ended by CR LF.
    std::string text() const;

    // The value of key in section, trimmed of blanks and tabs; nothing when the key is missing.
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    // Sets key in section to value (see the class comment for where it goes).
    void set(const std::string& section, const std::string& key, const std::string& value);
    // Removes the key's entry; false when it was not there.
    bool remove(const std::string& section, const std::string& key);
    // Removes the section's header and all its lines; false when it was not there.
    bool removeSection(const std::string& section);
    // The key names of a section in file order (as spelled in the file).
    std::vector<std::string> keys(const std::string& section) const;
    bool hasSection(const std::string& section) const;
    bool empty() const { return lines.empty(); }

    // The form in which names are compared: UTF-8 umlauts as Windows-1252 bytes, then letters folded to
    // lower case (ASCII and the three Windows-1252 umlaut pairs).
    static std::string foldName(const std::string& name);

private:
    struct Line {
        std::string raw;
        enum Kind { Other, Section, Entry } kind = Other;
        std::string name;  // folded section name or folded key
        std::string key;   // entry: the key as written (trimmed)
        std::string value; // entry: the value (trimmed)
    };
    static Line classify(std::string raw, bool first);
    // Index of the section's header line, or npos.
    size_t findSection(const std::string& foldedSection) const;
    // Index one past the section's last line (the next header or the end).
    size_t sectionEnd(size_t header) const;
    size_t findEntry(size_t header, const std::string& foldedKey) const;

    std::vector<Line> lines;
};

// One-call profile access on a file, as the platform's profile functions do it.
// Reads: the value, or def when the file, the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& path);
// The profile-integer reader: leading blanks, optional sign and decimal digits; def when the key is missing,
// 0 when its text does not start with a number.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path);
// Writes (read-modify-write of the whole file); value nothing removes the key. False when the file could not
// be written.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::optional<std::string>& value, const std::string& path);

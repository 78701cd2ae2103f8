#pragma once
// ProfileFile: the accessor of one private-profile (INI) file through which scene scripts and render jobs
// are written and read. Every operation works on the section "Param". Numbers are written and read in the
// "C" locale. Values are stored and read whole.
//
// Reads see the file as it is on disk at the moment of the read; the parsed file is cached and parsed
// again only when the file changed (so a render that reads its job every frame stays cheap).
//
// Writes go to the file at once, each as a complete rewrite through a temporary file. Many writes can be
// gathered with deferWrites() and stored with one flush().

#include <memory>
#include <string>

class PrivateProfile;

class ProfileFile {
public:
    explicit ProfileFile(std::string path);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const std::string& path() const { return fileName; }

    // Writes "key=text" (an empty text leaves nothing after the equals sign). An existing key is replaced
    // in place, a new key is appended to the section, a missing file is created. False when the file
    // could not be written (always true while writes are deferred).
    bool WriteString(const std::string& key, const std::string& text);
    // Writes n formatted "%d".
    bool WriteInt(const std::string& key, int n);
    // Writes x formatted "%f" (six decimals, always a point).
    bool WriteReal(const std::string& key, double x);
    // Removes the key from the section (nothing happens when it is missing).
    bool DeleteKey(const std::string& key);

    // The value text; "" when the key is missing.
    std::string ReadString(const std::string& key) const;
    // The value read as the profile-integer reader does: optional sign and decimal digits after leading
    // blanks; 0 when the key is missing or the text is not a number.
    int ReadInt(const std::string& key) const;
    // The text with default "0.0": an empty value sets x to 0.0; otherwise x is parsed like "%lf"; a text
    // that does not parse leaves x unchanged.
    void ReadReal(const std::string& key, double& x) const;
    // Point i of a render job: key PointKey(i), default "-1.0,-1.0", read like "%lf,%lf". False when fewer
    // than two numbers parse or x equals -1.0 (x and y then hold what was parsed).
    bool ReadPoint(int i, double& x, double& y) const;
    // True when the key exists in the section (whatever its value).
    bool HasKey(const std::string& key) const;

    // From now on writes are kept in memory (reads see them) until flush().
    void deferWrites();
    // Writes the deferred changes (if any) to the file and ends deferring. False when it failed; the
    // file on disk is then unchanged.
    bool flush();

private:
    struct Cache;
    bool store(const std::string& key, const std::string* value);

    std::string fileName;
    std::unique_ptr<Cache> cache;
};

// The key of path point i: the scene schema's point key and i in two digits ("%02d").
std::string PointKey(int i);

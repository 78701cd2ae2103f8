#pragma once
// Writes a file so that a failed or interrupted save never leaves a cut file behind: the bytes go to a
// temporary file in the target's folder, which replaces the target only when everything was written.

#include <cstddef>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile(); // a file that was not committed is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file beside target. False when the folder cannot take a new file.
    bool open(const std::string& target);
    // Appends bytes; false on a write error (disk full, I/O error).
    bool write(const void* data, size_t size);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Empties the temporary file so a retried save starts again from its first byte.
    bool rewind();
    // Flushes the data and renames the temporary file over the target. False (and the target untouched)
    // when that fails.
    bool commit();
    // Removes the temporary file; the target stays as it was.
    void abort();

    bool isOpen() const { return fd >= 0; }
    const std::string& target() const { return targetPath; }

private:
    int fd = -1;
    std::string targetPath;
    std::string tempPath;
};

// Writes the whole content through an AtomicFile; false when any step fails (the target is then untouched).
bool writeFileAtomically(const std::string& target, const std::string& bytes);

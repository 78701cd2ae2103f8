#pragma once
// Writes a file so that a failed or interrupted save never leaves a cut file behind: the bytes go to a
// temporary file in the target's folder, which replaces the target only when everything was written.
//
// Where the file system allows it the temporary file has no name until it is complete (O_TMPFILE), so even
// a process killed outright leaves nothing behind. Elsewhere it is named after the target, this machine and
// this process; a later save into the same folder removes such files whose process is gone.
//
// A target that is a symbolic link is written through: the link stays and the file it points to is
// replaced. A target that exists but is not a regular file (a device, a FIFO, a folder) is refused, so
// that saving never turns it into a plain file.

#include <cstddef>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile(); // a file that was not committed is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for target. False when the folder cannot take a new file or the target
    // is not a file that may be replaced (errno tells which; see refusedTarget()).
    bool open(const std::string& target);
    // Appends bytes; false on a write error (disk full, I/O error).
    bool write(const void* data, size_t size);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Empties the temporary file so a retried save starts again from its first byte.
    bool rewind();
    // Flushes the data and puts the file in the target's place. False (and the target untouched) when
    // that fails.
    bool commit();
    // Removes the temporary file; the target stays as it was.
    void abort();

    bool isOpen() const { return fd >= 0; }
    // The open temporary file, for writers that need to seek (a video muxer) instead of write().
    int descriptor() const { return fd; }
    // A path that opens the temporary file again while it is open (for writers that read back what
    // they wrote); empty when none is open.
    std::string reopenPath() const;
    const std::string& target() const { return targetPath; }
    // The last open() failed because the target exists and is neither a regular file nor a link to one.
    bool refusedTarget() const { return refused; }

private:
    bool openNamed(const std::string& folder);
    bool linkInPlace();

    int fd = -1;
    bool unnamed = false; // O_TMPFILE: nothing to remove when the save is given up
    bool refused = false;
    std::string targetPath; // as the caller named it
    std::string finalPath;  // where the bytes go: the target, or the file its link points to
    std::string tempPath;   // the named temporary file, when there is one
};

class Progress;

// While one lives, the atomic saves of this thread are given up (the target untouched, errno ECANCELED) as
// soon as progress asks to stop: at every write and right before the file takes the target's name. A tool
// stopped by Ctrl+C while its output is being saved leaves nothing.
class StopSavesOn {
public:
    explicit StopSavesOn(const Progress& progress);
    ~StopSavesOn();
    StopSavesOn(const StopSavesOn&) = delete;
    StopSavesOn& operator=(const StopSavesOn&) = delete;

private:
    const Progress* previous;
};

// Writes the whole content through an AtomicFile; false when any step fails (the target is then untouched).
bool writeFileAtomically(const std::string& target, const std::string& bytes);

// Where a save to target really writes: target itself, or the file a (chain of) symbolic link(s) names,
// also when that file does not exist yet. Empty when the links loop.
std::string ResolveWriteTarget(const std::string& target);

#pragma once
// What the fuzz targets share. A target takes one input, feeds it to a reader the way the program does, and
// checks what must hold whatever the input was; it returns "" or a description of the first broken
// property. The libFuzzer entry points abort on a non-empty answer; the regression tests expect "".

#include "app/Platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace fuzz {

// A per-process scratch folder (on tmpfs when there is one), removed when the process ends.
class ScratchFolder {
public:
    static const std::string& path() {
        static ScratchFolder folder;
        return folder.dir;
    }
    // A file name inside the folder.
    static std::string file(const std::string& name) { return path() + "/" + name; }

private:
    ScratchFolder() {
        std::string base = std::filesystem::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0
                               ? "/dev/shm"
                               : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/orvantis-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string dir;
};

// Dates the file back by a minute. Readers that cache a parsed file trust the cache only for files that
// were not changed within the last second (coarse time stamps); a dated file is read once, as a script
// that has been lying on the disk would be.
inline void settleFile(const std::string& path) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    now.tv_sec -= 60;
    const struct timespec times[2] = {now, now};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The input as a file the readers can open by name: an anonymous memory file reached through /proc.
class InputFile {
public:
    explicit InputFile(const uint8_t* data, size_t size) {
        fd = ::memfd_create("orvantis-fuzz-input", MFD_CLOEXEC);
        if (fd >= 0) {
            name = "/proc/self/fd/" + std::to_string(fd);
        } else {
            name = ScratchFolder::file("input");
            fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd < 0) std::abort();
        }
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
        settleFile(name);
    }
    ~InputFile() { ::close(fd); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& path() const { return name; }

private:
    int fd = -1;
    std::string name;
};

// A platform that remembers the messages it was shown and answers every question with its "no" button (so
// every retry loop ends at once); questions with the information icon (never a retry) can be answered "yes".
class CountingPlatform : public Platform {
public:
    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override {
        ++messages;
        last = text;
        if (yesToInformation && icon == MsgIcon::Information && buttons == MsgButtons::YesNo)
            return MsgAnswer::Yes;
        switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
            return MsgAnswer::Cancel;
        default:
            return MsgAnswer::No;
        }
    }
    void beginWaitCursor() override { ++waitDepth; }
    void endWaitCursor() override { --waitDepth; }
    bool yesToInformation = false;
    int messages = 0;
    int waitDepth = 0;
    std::string last;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void removeFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

} // namespace fuzz

// Ends a target with the description of a broken property.
#define FUZZ_REQUIRE(condition, what)                                                                        \
    do {                                                                                                     \
        if (!(condition)) return std::string(what) + " [" #condition "]";                                    \
    } while (0)

// The body of a libFuzzer entry point around a target function.
#define ORVANTIS_FUZZ_ENTRY(target)                                                                          \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                                \
        std::string broken = target(data, size);                                                             \
        if (!broken.empty()) {                                                                               \
            std::fprintf(stderr, "broken property: %s\n", broken.c_str());                                   \
            std::abort();                                                                                    \
        }                                                                                                    \
        return 0;                                                                                            \
    }

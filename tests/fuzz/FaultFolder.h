#pragma once
// A folder on a tiny file system of its own, for the save fault tests: it can be filled up to the last byte
// (a full disk) or switched to read-only (as root, permission bits do not stop a write, a read-only mount
// does). The file system is a tmpfs mounted in a private mount namespace of the test process, so nothing is
// visible outside it and nothing is left behind when the process ends. Where that is not possible (not root,
// no mount rights in a container) the tests skip:
//
//     FaultFolder folder;
//     if (!folder.ready()) GTEST_SKIP() << folder.why();

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

class FaultFolder {
public:
    explicit FaultFolder(size_t bytes = 512 * 1024) : size(bytes) {
        if (!privateMounts(reason)) return;
        std::string pattern = std::filesystem::temp_directory_path().string() + "/orvantis-fault-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            reason = "cannot make a mount point: " + std::string(std::strerror(errno));
            return;
        }
        dir = pattern;
        if (::mount("orvantis-fault", dir.c_str(), "tmpfs", 0, options().c_str()) != 0) {
            reason = "cannot mount a tmpfs: " + std::string(std::strerror(errno));
            return;
        }
        mounted = true;
    }
    ~FaultFolder() {
        if (mounted) ::umount2(dir.c_str(), MNT_DETACH);
        if (!dir.empty()) ::rmdir(dir.c_str());
    }
    FaultFolder(const FaultFolder&) = delete;
    FaultFolder& operator=(const FaultFolder&) = delete;

    bool ready() const { return mounted; }
    const std::string& why() const { return reason; }
    std::string path(const std::string& name = "") const { return name.empty() ? dir : dir + "/" + name; }

    // Takes up every free byte with a filler file. True when the file system is full afterwards.
    bool fill() {
        int fd = ::open(path(".filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        std::vector<char> block(4096, 'F');
        size_t chunk = block.size();
        while (chunk > 0) {
            if (::write(fd, block.data(), chunk) < 0) chunk /= 2; // the last pieces of the last page
        }
        ::close(fd);
        int probe = ::open(path(".probe").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        bool full = probe >= 0 && ::write(probe, "x", 1) < 0 && errno == ENOSPC;
        if (probe >= 0) ::close(probe);
        ::unlink(path(".probe").c_str());
        return full;
    }
    // Gives the filler's space back.
    void release() { ::unlink(path(".filler").c_str()); }

    // Remounts the file system read-only (true) or writable again (false).
    bool setReadOnly(bool readOnly) {
        unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("orvantis-fault", dir.c_str(), "tmpfs", flags, options().c_str()) == 0;
    }

    // The names in the folder, the filler excepted (temporary files left behind would show here).
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.path().filename() != ".filler") out.push_back(e.path().filename().string());
        return out;
    }

    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool write(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        out.close();
        return !out.fail();
    }

private:
    std::string options() const { return "size=" + std::to_string(size) + ",mode=0755"; }

    // Moves the process into a mount namespace of its own (once), with no propagation back to the system.
    static bool privateMounts(std::string& why) {
        static std::string failure = [] {
            if (::geteuid() != 0) return std::string("mounting needs root");
            if (::unshare(CLONE_NEWNS) != 0)
                return "no mount namespace: " + std::string(std::strerror(errno));
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return "cannot make mounts private: " + std::string(std::strerror(errno));
            return std::string();
        }();
        why = failure;
        return failure.empty();
    }

    size_t size;
    std::string dir;
    std::string reason;
    bool mounted = false;
};

// Saving never damages what it does not own: a link is written through and stays a link, a device or a
// pipe given as the target is refused and left as it is, and a save leaves no temporary file behind, not
// even one of a process that was killed.

#include "app/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string hostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

// A process id that is certainly free: a child that has been reaped.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}
} // namespace

TEST(AtomicFile, ALinkIsWrittenThroughAndSpecialFilesAreRefused) {
    TempDir dir;
    TempDir::write(dir.path("real.tga"), "old");
    std::filesystem::create_directory(dir.path("sub"));
    std::filesystem::create_symlink("../real.tga", dir.path("sub/link.tga"));
    std::filesystem::create_symlink("missing.tga", dir.path("dangling.tga"));
    ASSERT_TRUE(writeFileAtomically(dir.path("sub/link.tga"), "new"));
    ASSERT_TRUE(writeFileAtomically(dir.path("dangling.tga"), "made"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("sub/link.tga")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("dangling.tga")));
    EXPECT_EQ(TempDir::read(dir.path("real.tga")), "new");
    EXPECT_EQ(TempDir::read(dir.path("missing.tga")), "made");

    ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir.path("null.tga"));
    for (const std::string& target : {dir.path("pipe"), dir.path("null.tga"), dir.path("sub")}) {
        SCOPED_TRACE(target);
        AtomicFile f;
        EXPECT_FALSE(f.open(target));
        EXPECT_TRUE(f.refusedTarget());
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path("pipe")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"dangling.tga", "missing.tga", "null.tga",
                                                             "pipe", "real.tga", "sub"}));
}

TEST(AtomicFile, NoTemporaryFileIsLeftAndOrphansOfEndedProcessesAreRemoved) {
    TempDir dir;
    // A killed process's leftover in the named fallback, and one of a process that still runs.
    const std::string orphan =
        ".out.tga.orvtmp." + hostName() + "." + std::to_string(endedProcess()) + ".Ab12Cd";
    const std::string alive = ".out.tga.orvtmp." + hostName() + "." + std::to_string(::getppid()) + ".Ef34Gh";
    TempDir::write(dir.path(orphan), "cut");
    TempDir::write(dir.path(alive), "in use");

    AtomicFile f;
    ASSERT_TRUE(f.open(dir.path("out.tga")));
    ASSERT_TRUE(f.write("frame"));
    const int probe = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) {
        ::close(probe);
        // The file being written has no name yet: a kill now would leave nothing.
        EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{alive}));
    }
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(TempDir::read(dir.path("out.tga")), "frame");
    // Over an existing file too.
    ASSERT_TRUE(writeFileAtomically(dir.path("out.tga"), "second"));
    EXPECT_EQ(TempDir::read(dir.path("out.tga")), "second");

    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{alive, "out.tga"}));
}

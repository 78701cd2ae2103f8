// orvantis-cli writing onto a full disk: the retry question goes to stderr, is answered "no" (nothing is
// overwritten unasked), the command fails with status 1 and the previous output is intact.

#include "tools/ToolTestSupport.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using namespace tooltest;

TEST(SaveFaultCli, FullDiskFailsTheToolAndKeepsThePreviousOutput) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    TempDir dir;
    writeTga(dir.path("in.tga"), Picture(8, 8, bgr(1, 2, 255)));
    const std::string out = folder.path("out.tga");
    ASSERT_TRUE(FaultFolder::write(out, "previous output"));
    ASSERT_TRUE(folder.fill());

    // The child inherits this process's mounts, the small file system included.
    const std::string command = "ORVANTIS_INI='" + dir.path("orvantis.ini") + "' '" + ORVANTIS_CLI +
                                "' eliminate-red '" + dir.path("in.tga") + "' '" + out + "' 2>'" +
                                dir.path("err.txt") + "' >/dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_NE(TempDir::read(dir.path("err.txt")).find("Couldn't save TGA file\n'" + out + "'.\nRetry?"),
              std::string::npos)
        << TempDir::read(dir.path("err.txt"));
    EXPECT_EQ(FaultFolder::read(out), "previous output");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.tga"});
}

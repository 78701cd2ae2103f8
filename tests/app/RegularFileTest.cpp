// Input files are read only when they are regular files: a folder, a named pipe or an endless device is
// refused at once, never waited on or read for ever.

#include "app/RegularFile.h"
#include "app/PrivateProfile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

TEST(RegularFile, OnlyRegularFilesAreOpenedAndOthersAreRefusedAtOnce) {
    TempDir dir;
    // More than one read's worth, with bytes of every value.
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7);
    TempDir::write(dir.path("data.bin"), bytes);
    std::string content = "old";
    ASSERT_TRUE(ReadRegularFile(dir.path("data.bin"), content));
    EXPECT_EQ(content, bytes);
    TempDir::write(dir.path("empty"), "");
    ASSERT_TRUE(ReadRegularFile(dir.path("empty"), content));
    EXPECT_TRUE(content.empty());

    // A pipe nobody writes to: opening it for reading the ordinary way would wait for ever.
    ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0600), 0);
    const struct {
        std::string path;
        int error;
    } refused[] = {
        {dir.path("pipe"), EINVAL},    {"/dev/zero", EINVAL}, {dir.path(), EISDIR},
        {dir.path("missing"), ENOENT}, {"", ENOENT},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.path);
        errno = 0;
        EXPECT_EQ(OpenRegularFileForReading(r.path), -1);
        EXPECT_EQ(errno, r.error);
        EXPECT_FALSE(ReadRegularFile(r.path, content));
        EXPECT_EQ(errno, r.error);
    }

    // A profile that is a pipe is not an empty profile (that is only a missing file): it cannot be read.
    PrivateProfile profile;
    EXPECT_FALSE(profile.load(dir.path("pipe")));
    EXPECT_TRUE(profile.load(dir.path("missing")));
}

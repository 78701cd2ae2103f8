#include "app/MappedFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<MappedFile> MapWhole(const std::string& path, size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    auto mapped = MappedFile::Map(fd, size);
    ::close(fd); // (the mapping keeps what it needs)
    return mapped;
}

} // namespace

TEST(MappedFileTest, WritesStayInMemoryAndAShortenedFileReadsZerosAndCountsAsChanged) {
    TempDir dir;
    const std::string path = dir.path("rows.bin");
    const size_t size = 3 * 65536 + 100; // pages on every system, the last one partly
    TempDir::write(path, std::string(size, 'x'));
    auto mapped = MapWhole(path, size);
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->data()[size - 1], 'x');
    mapped->data()[0] = 'y';
    EXPECT_EQ(TempDir::read(path)[0], 'x');
    EXPECT_FALSE(mapped->Changed());

    // Another program cuts the file short: what it lost reads as zeros, and does not end the process.
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    EXPECT_EQ(mapped->data()[size - 1], 0);
    EXPECT_EQ(mapped->data()[2 * 65536], 0);
    EXPECT_TRUE(mapped->Changed());

    EXPECT_FALSE(MapWhole(path, size)) << "more than the file holds";
    EXPECT_FALSE(MapWhole(path, 0));
}

TEST(MappedFileTest, AFileLengthenedSinceItWasMappedCountsAsChanged) {
    TempDir dir;
    const std::string path = dir.path("rows.bin");
    TempDir::write(path, std::string(5000, 'x'));
    auto mapped = MapWhole(path, 5000);
    ASSERT_TRUE(mapped);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_EQ(::write(fd, "z", 1), 1);
    ::close(fd);
    EXPECT_TRUE(mapped->Changed());
}

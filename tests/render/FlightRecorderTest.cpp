#include "render/FlightRecorder.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <locale.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

TEST(FlightRecorder, RowsUseTheSeparatorAndTheHeaderKeepsItsPoints) {
    RecorderRow row{1.5, -2.25, 1234567.125, 0.0, -10.0, 3.0, 0.000123456789};
    EXPECT_EQ(FormatRecorderRow(row, ','),
              "     1,500\t    -2,250\t1234567,125\t     0,000\t   -10,000\t     3,000\t     0,00012346");
    EXPECT_EQ(FormatRecorderRow(row, '.').substr(0, 10), "     1.500");

    TempDir dir;
    ScriptedPlatform platform;
    const std::string path = dir.path("OVRECORD.XLS");
    {
        FlightRecorder rec(platform, ',');
        ASSERT_TRUE(rec.Open(path));
        rec.WriteRow(row);
        // The file takes its name when the recorder closes.
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    const std::string text = TempDir::read(path);
    EXPECT_EQ(text, "Pos.x\tPos.y\tAltitude\tRel. Alt.\tPitch\tRoll\tCurvature\r\n" +
                        FormatRecorderRow(row, ',') + "\r\n");

    // A second run starts the file anew; until it closes, the first run's file is whole.
    {
        FlightRecorder rec(platform, '.');
        ASSERT_TRUE(rec.Open(path));
        EXPECT_EQ(TempDir::read(path), text);
    }
    EXPECT_EQ(TempDir::read(path), "Pos.x\tPos.y\tAltitude\tRel. Alt.\tPitch\tRoll\tCurvature\r\n");
    EXPECT_TRUE(platform.shown.empty());
}

TEST(FlightRecorder, AFileThatCannotBeCreatedIsReportedOnceAndRowsAreDropped) {
    TempDir dir;
    ScriptedPlatform platform;
    FlightRecorder rec(platform, '.');
    EXPECT_FALSE(rec.Open(dir.path("missing/OVRECORD.XLS")));
    rec.WriteRow(RecorderRow{});
    EXPECT_FALSE(rec.Open(dir.path("missing/OVRECORD.XLS")));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_NE(platform.shown[0].text.find("missing/OVRECORD.XLS"), std::string::npos);
}

TEST(FlightRecorder, ADiskThatFillsUpDuringTheFlightKeepsThePreviousFileAndSaysSo) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string path = folder.path("OVRECORD.XLS");
    ASSERT_TRUE(FaultFolder::write(path, "previous flight\r\n"));
    ASSERT_TRUE(FaultFolder::write(folder.path("room"), std::string(4096, 'r')));
    ASSERT_TRUE(folder.fill());
    std::filesystem::remove(folder.path("room")); // a page left: the header fits, the rows do not
    ScriptedPlatform platform;
    {
        FlightRecorder rec(platform, '.');
        ASSERT_TRUE(rec.Open(path));
        for (int i = 0; i < 100; ++i) rec.WriteRow(RecorderRow{});
    }
    EXPECT_EQ(platform.texts(),
              std::vector<std::string>{"Couldn't write the flight recorder file\n'" + path + "'."});
    EXPECT_EQ(FaultFolder::read(path), "previous flight\r\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"OVRECORD.XLS"}) << "no temporary file";
}

TEST(FlightRecorder, AFifoOrADeviceIsRefusedAndLeftAsItWas) {
    TempDir dir;
    ScriptedPlatform platform;
    const std::string fifo = dir.path("fifo"), device = dir.path("null");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); // a write would not block
    std::vector<std::string> targets{fifo};
    if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) targets.push_back(device);
    for (const std::string& target : targets) {
        FlightRecorder rec(platform, '.');
        EXPECT_FALSE(rec.Open(target)) << target;
        rec.WriteRow(RecorderRow{});
    }
    ::close(reader);
    ASSERT_EQ(platform.shown.size(), targets.size());
    for (size_t i = 0; i < targets.size(); ++i)
        EXPECT_EQ(platform.shown[i].text, "Couldn't create the flight recorder file\n'" + targets[i] +
                                              "'.\nThe flight goes on without it.");
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (targets.size() > 1) {
        ASSERT_EQ(::stat(device.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
}

TEST(FlightRecorder, SeparatorComesFromTheEnvironmentWithoutChangingTheProcessLocale) {
    locale_t german = newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (german == static_cast<locale_t>(0)) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    freelocale(german);
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(UserDecimalSeparator(), ',');
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    EXPECT_STREQ(buffer, "1.5");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(UserDecimalSeparator(), '.');
    if (old)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

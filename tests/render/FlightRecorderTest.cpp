#include "render/FlightRecorder.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

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
        // Each line is on disk as soon as it is written.
        EXPECT_NE(TempDir::read(path).find("1,500"), std::string::npos);
    }
    const std::string text = TempDir::read(path);
    EXPECT_EQ(text, "Pos.x\tPos.y\tAltitude\tRel. Alt.\tPitch\tRoll\tCurvature\r\n" +
                        FormatRecorderRow(row, ',') + "\r\n");

    // A second run starts the file anew.
    {
        FlightRecorder rec(platform, '.');
        ASSERT_TRUE(rec.Open(path));
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

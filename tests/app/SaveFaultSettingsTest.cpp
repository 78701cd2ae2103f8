// Settings writes onto a full disk and into a read-only folder: the write reports failure and the settings
// file keeps every value it had (the program goes on with the values it already has).

#include "app/IniSettings.h"
#include "app/PrivateProfile.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

namespace {
const std::string kSettings =
    "[Settings]\r\nRedrawInterval=500\r\nAntialiasing=12\r\n[FlightPath]\r\nColor=FF\r\n";
}

TEST(SaveFaultSettings, FailedWritesLeaveTheSettingsFileIntact) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string ini = folder.path("orvantis.ini");
    ASSERT_TRUE(FaultFolder::write(ini, kSettings));
    IniSettings settings(ini);

    ASSERT_TRUE(folder.fill());
    EXPECT_FALSE(settings.writeInt("Settings", "RedrawInterval", 2000));
    EXPECT_FALSE(settings.writeString("Colors", "BGr00", "A0A0A0"));
    EXPECT_FALSE(WritePrivateProfileString("Settings", "Antialiasing", std::nullopt, ini));
    EXPECT_FALSE(PrivateProfile(kSettings + "[More]\r\nKey=" + std::string(8000, 'v') + "\r\n").save(ini));
    EXPECT_EQ(FaultFolder::read(ini), kSettings);
    EXPECT_EQ(settings.getInt("Settings", "RedrawInterval", 1000), 500);

    folder.release();
    ASSERT_TRUE(folder.setReadOnly(true));
    EXPECT_FALSE(settings.writeInt("Settings", "Antialiasing", 3));
    EXPECT_FALSE(settings.remove("FlightPath", "Color"));
    // A settings file in a folder still to be made: the folder cannot be made either.
    EXPECT_FALSE(IniSettings(folder.path("sub/orvantis.ini")).writeInt("Settings", "Antialiasing", 3));
    EXPECT_EQ(FaultFolder::read(ini), kSettings);
    EXPECT_EQ(settings.getString("FlightPath", "Color", "000000"), "FF");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"orvantis.ini"});

    ASSERT_TRUE(folder.setReadOnly(false));
    EXPECT_TRUE(settings.writeInt("Settings", "Antialiasing", 3));
    EXPECT_EQ(settings.getInt("Settings", "Antialiasing", 10), 3);
    EXPECT_EQ(settings.getInt("Settings", "RedrawInterval", 1000), 500);
}

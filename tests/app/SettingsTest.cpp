#include "app/IniSettings.h"
#include "app/OptionsCheck.h"
#include "app/SettingsDefaults.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// Sets an environment variable for the lifetime of the object.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar() {
        if (previous)
            ::setenv(name, previous->c_str(), 1);
        else
            ::unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};
} // namespace

TEST(IniSettings, LivesWhereTheEnvironmentSaysAndCreatesItsFolder) {
    TempDir dir;
    {
        EnvVar ini("ORVANTIS_INI", nullptr);
        EnvVar xdg("XDG_CONFIG_HOME", dir.path("cfg").c_str());
        EXPECT_EQ(IniSettings::defaultPath(), dir.path("cfg") + "/orvantis/orvantis.ini");
        EnvVar noXdg("XDG_CONFIG_HOME", nullptr);
        EnvVar home("HOME", dir.path().c_str());
        EXPECT_EQ(IniSettings::defaultPath(), dir.path() + "/.config/orvantis/orvantis.ini");
    }
    EnvVar ini("ORVANTIS_INI", dir.path("my.ini").c_str());
    EXPECT_EQ(IniSettings().path(), dir.path("my.ini"));

    IniSettings store(dir.path("new/folder/orvantis.ini"));
    EXPECT_EQ(store.getInt("Settings", "RedrawInterval", 1000), 1000);
    ASSERT_TRUE(store.writeInt("Settings", "RedrawInterval", 250));
    ASSERT_TRUE(store.writeString("Directories", "Open", "/home/u/maps"));
    EXPECT_EQ(TempDir::read(store.path()),
              "[Settings]\r\nRedrawInterval=250\r\n\r\n[Directories]\r\nOpen=/home/u/maps\r\n");
    EXPECT_EQ(store.getInt("settings", "redrawinterval", 1000), 250);
    EXPECT_EQ(settings::ReadOpenDirectory(store), "/home/u/maps");
}

TEST(Settings, DefaultsOfEveryValue) {
    MemorySettings s;
    EXPECT_EQ(settings::ReadWindowPos(s), "");
    EXPECT_EQ(settings::ReadRedrawInterval(s), 1000);
    EXPECT_EQ(settings::ReadAntialiasing(s), 10);
    EXPECT_EQ(settings::ReadFlightPathWidth(s), 0);
    EXPECT_EQ(settings::ReadFlightPathColor(s, settings::kOptionsPathColorDefault, 123u), 0u);
    EXPECT_EQ(settings::ReadFlightPathColor(s, settings::kEditorPathColorDefault, 123u), 0xFFFFFFFFu);
    EXPECT_EQ(settings::ReadLastOpenedExtension(s), ".ovs");
    EXPECT_EQ(settings::ReadSaveDirectory(s), "");
    EXPECT_TRUE(settings::ReadRecentFiles(s).empty());
    EXPECT_EQ(settings::ReadRectifyCorners(s), settings::RectifyCorners{});
    EXPECT_EQ(settings::ReadPreviewPages(s, 1), 1);
}

TEST(Settings, ColoursAreHexAndKeepThePreviousValueWhenUnreadable) {
    MemorySettings s;
    ASSERT_TRUE(settings::WriteFlightPathColor(s, 0x0000FF));
    EXPECT_EQ(s.getString("FlightPath", "Color", ""), "FF");
    EXPECT_EQ(settings::ReadFlightPathColor(s, "000000", 7), 0xFFu);
    s.writeString("FlightPath", "Color", "zz");
    EXPECT_EQ(settings::ReadFlightPathColor(s, "000000", 7), 7u);

    // Custom colours: missing, unreadable and FFFFFFFF give the grey ramp of their position.
    s.writeString("Colors", "BGr01", "FFFFFFFF");
    s.writeString("Colors", "BGr02", "nonsense");
    s.writeString("Colors", "BGr03", "ABCDEF");
    settings::CustomColors c = settings::ReadCustomColors(s);
    EXPECT_EQ(c[0], 0xFFFFFFu);
    EXPECT_EQ(c[1], 0xEFEFEFu);
    EXPECT_EQ(c[2], 0xDFDFDFu);
    EXPECT_EQ(c[3], 0xABCDEFu);
    EXPECT_EQ(c[15], 0x0F0F0Fu);
    c[4] = 0;
    ASSERT_TRUE(settings::WriteCustomColors(s, c));
    EXPECT_EQ(s.getString("Colors", "BGr00", ""), "FFFFFF");
    EXPECT_EQ(s.getString("Colors", "BGr04", ""), "0");
    EXPECT_EQ(settings::ReadCustomColors(s), c);
}

TEST(Settings, RecentFilesExtensionsAndRectifyCorners) {
    TempDir dir;
    IniSettings s(dir.path("o.ini"));
    ASSERT_TRUE(settings::WriteRecentFiles(s, {"/a.ovs", "/b.tga", "/c.ovs"}));
    ASSERT_TRUE(settings::WriteRecentFiles(s, {"/b.tga", "/a.ovs"}));
    EXPECT_EQ(settings::ReadRecentFiles(s), (std::vector<std::string>{"/b.tga", "/a.ovs"}));
    EXPECT_EQ(TempDir::read(s.path()), "[Recent File List]\r\nFile1=/b.tga\r\nFile2=/a.ovs\r\n");
    EXPECT_EQ(settings::ExtensionOf("/home/x.y/Alps.TGA"), ".TGA");
    EXPECT_EQ(settings::ExtensionOf("/home/x.y/noext"), "");
    settings::RectifyCorners r{};
    r[0] = 1.5;
    r[15] = -2;
    ASSERT_TRUE(settings::WriteRectifyCorners(s, r));
    EXPECT_EQ(s.getString("RectifyCorners", "y4'", ""), "-2.000000");
    EXPECT_EQ(settings::ReadRectifyCorners(s), r);
}

TEST(OptionsCheck, SixRulesInOrderWithTheirFocus) {
    UserOptions o;
    EXPECT_TRUE(CheckOptions(o).ok);
    struct Case {
        int width, redraw, aa;
        const char* message;
        int focus;
    } cases[] = {
        {-1, 0, 0, "The flight path width has to be at least 0 pixels.", 344},
        {11, 1000, 10, "The flight path width has to be at most 10 pixels.", 344},
        {10, 99, 10, "The redraw interval has to be at least 100 ms.", 370},
        {0, 65536, 10, "The redraw interval has to be at most 65535 ms.", 370},
        {0, 100, 0, "The antialiasing value has to be at least 1 pixel.", 310},
        {0, 65535, 129, "The antialiasing value has to be at most 128 pixel.", 310},
    };
    for (const Case& c : cases) {
        OptionsCheckResult r = CheckOptions(UserOptions{0, c.width, c.redraw, c.aa});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.focusControl, c.focus);
    }
    EXPECT_TRUE(CheckOptions(UserOptions{0, 10, 65535, 128}).ok);
    EXPECT_TRUE(CheckOptions(UserOptions{0, 0, 100, 1}).ok);
}

TEST(OptionsCheck, LoadAndStoreTheFourOptions) {
    MemorySettings s;
    UserOptions fresh = LoadOptions(s);
    EXPECT_EQ(fresh.flightPathColor, 0u);
    EXPECT_EQ(fresh.flightPathWidth, 0);
    EXPECT_EQ(fresh.redrawInterval, 1000);
    EXPECT_EQ(fresh.antialiasing, 10);
    ASSERT_TRUE(StoreOptions(s, UserOptions{0xC000C0, 3, 500, 20}));
    EXPECT_EQ(s.getString("FlightPath", "Color", ""), "C000C0");
    UserOptions back = LoadOptions(s);
    EXPECT_EQ(back.flightPathColor, 0xC000C0u);
    EXPECT_EQ(back.flightPathWidth, 3);
    EXPECT_EQ(back.redrawInterval, 500);
    EXPECT_EQ(back.antialiasing, 20);
}

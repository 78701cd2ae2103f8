#include "path/PathText.h"

#include "app/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string header = "Orvantis Clipboard Data - Path\r\n";

std::vector<MapPoint> read(const std::string& text, bool* truncated = nullptr) {
    CContainer list;
    PathTextResult r = ReadPathText(text.c_str(), list);
    EXPECT_TRUE(r.accepted);
    if (truncated) *truncated = r.truncated;
    return PathPointsOf(list);
}

} // namespace

TEST(PathText, BuildsHeaderAndOneLinePerPoint) {
    CContainer list;
    EXPECT_EQ(BuildPathText(list), header);
    InsertPathPoint(list, 10, 20);
    InsertPathPoint(list, -3, 0);
    EXPECT_EQ(BuildPathText(list), header + "0\t10\t20\r\n1\t-3\t0\r\n");
}

TEST(PathText, FullPathWithExtremeNumbersRoundTrips) {
    CContainer list;
    for (int i = 0; i < kMaxEditorPoints; ++i) InsertPathPoint(list, 2147483647 - i, -2147483647 - 1 + i);
    std::string text = BuildPathText(list);
    EXPECT_EQ(text.substr(text.size() - 27), "99\t2147483548\t-2147483549\r\n");
    EXPECT_EQ(read(text), PathPointsOf(list));
}

TEST(PathText, ReadingSkipsTheIndexAndStopsAtTheFirstBadLine) {
    // The index is not checked; it only has to be a number.
    EXPECT_EQ(read(header + "7\t1\t2\r\n7\t3\t4\r\n"), (std::vector<MapPoint>{{1, 2}, {3, 4}}));
    // A line that yields fewer than two numbers ends the list.
    EXPECT_EQ(read(header + "0\t1\t2\r\n1\t5\r\nx\r\n2\t8\t9\r\n").size(), 1u);
    EXPECT_EQ(read(header + "0\t1\t2\r\nend\r\n2\t8\t9\r\n"), (std::vector<MapPoint>{{1, 2}}));
    // White space between the numbers may be anything, as with scanf's tab directive.
    EXPECT_EQ(read(header + "0  1 \t 2\n1\t3\t4"), (std::vector<MapPoint>{{1, 2}, {3, 4}}));
    // A missing line feed after the last line is fine; a header alone gives an empty path.
    EXPECT_TRUE(read(header).empty());
    EXPECT_TRUE(read("Orvantis Clipboard Data - Path").empty());
    // Reading starts two characters after the header text, whatever they are.
    EXPECT_EQ(read("Orvantis Clipboard Data - PathXY0\t5\t6\r\n"), (std::vector<MapPoint>{{5, 6}}));
}

TEST(PathText, TextWithoutHeaderLeavesTheListAlone) {
    CContainer list;
    InsertPathPoint(list, 1, 1);
    EXPECT_FALSE(ReadPathText("Orvantis Clipboard Data - OVS\r\n0\t1\t2\r\n", list).accepted);
    EXPECT_FALSE(ReadPathText(nullptr, list).accepted);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(IsPathText("Orvantis Clipboard Data - Path"));
    EXPECT_FALSE(IsPathText(" Orvantis Clipboard Data - Path"));
    EXPECT_FALSE(IsPathText("Orvantis Clipboard Data - Pat"));
}

TEST(PathText, AtMostAHundredPoints) {
    std::string text = header;
    for (int i = 0; i < 120; ++i) text += std::to_string(i) + "\t" + std::to_string(i) + "\t1\r\n";
    bool truncated = false;
    auto points = read(text, &truncated);
    EXPECT_TRUE(truncated);
    ASSERT_EQ(points.size(), 100u);
    EXPECT_EQ(points.back(), (MapPoint{99, 1}));

    text = header;
    for (int i = 0; i < 100; ++i) text += "0\t0\t0\r\n";
    read(text, &truncated);
    EXPECT_FALSE(truncated);

    CContainer list;
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(InsertPathPoint(list, i, i));
    EXPECT_FALSE(InsertPathPoint(list, 5, 5));
    EXPECT_EQ(list.GetCount(), 100);
}

TEST(PathText, HitTestTakesTheFirstPointWithinFourPixels) {
    CContainer list;
    InsertPathPoint(list, 100, 100);
    InsertPathPoint(list, 103, 103);
    InsertPathPoint(list, 2147483647, -2147483647);
    EXPECT_EQ(HitTestPathPoint(list, 104, 96), 0);
    EXPECT_EQ(HitTestPathPoint(list, 105, 105), 1); // 100 + 5 is out for the first
    EXPECT_EQ(HitTestPathPoint(list, 108, 103), -1);
    EXPECT_EQ(HitTestPathPoint(list, 103, 108), -1);
    EXPECT_EQ(HitTestPathPoint(list, -2147483647, 0), -1);
    EXPECT_EQ(HitTestPathPoint(list, 2147483646, -2147483646), 2);
}

TEST(PathText, PenFromTheUserOptions) {
    MemorySettings settings;
    EXPECT_EQ(ReadFlightPathPen(settings).color, kDefaultFlightPathColor);
    EXPECT_EQ(ReadFlightPathPen(settings).width, 0);
    for (const char* purple : {"-1", "FFFFFFFF", "", "xyz"}) {
        settings.writeString("FlightPath", "Color", purple);
        EXPECT_EQ(ReadFlightPathPen(settings).color, kDefaultFlightPathColor) << purple;
    }
    settings.writeString("FlightPath", "Color", "FF8001");
    settings.writeInt("FlightPath", "Width", 3);
    FlightPathPen pen = ReadFlightPathPen(settings);
    EXPECT_EQ(pen.red(), 0x01);
    EXPECT_EQ(pen.green(), 0x80);
    EXPECT_EQ(pen.blue(), 0xFF);
    EXPECT_EQ(pen.width, 3);
    settings.writeString("FlightPath", "Color", "0");
    EXPECT_EQ(ReadFlightPathPen(settings).color, 0u); // black is a colour, not "absent"
}

#include "scene/FieldText.h"
#include "scene/SceneParams.h"

#include <gtest/gtest.h>

TEST(SceneText, CopyWritesTheHeaderAnd46Lines) {
    CSceneParams s;
    s.NewScene();
    std::string text = BuildSceneText(s);
    EXPECT_EQ(text.rfind("Orvantis Clipboard Data - OVS\r\n-100.000000\t(XA)\r\n0.000000\t(XZ)\r\n", 0), 0u);
    EXPECT_NE(
        text.find("\r\n0\t(OutputFileFormat)\r\nnn%03d.tga\t(OutputFileName)\r\n\t(ElevationFileName)\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("\r\n1\t(Total)\r\n0\t(From)\r\n0\t(To)\r\n0\t(Offset)\r\n"), std::string::npos);
    EXPECT_EQ(text.size() - text.rfind("(Offset)\r\n"), 10u); // the last line
    size_t lines = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 47u);
}

TEST(SceneText, PasteTakesEveryFieldButColourAndPoints) {
    CSceneParams source;
    source.NewScene();
    source.XA = 1.234567, source.ZE = -9.5, source.DustE = 42, source.Smoothness = 0.5, source.Total = 77;
    source.OutputFileName = "out%04d.tga", source.ElevationFileName = std::string(400, 'e') + ".tga";
    source.TextureFileName = "", source.MaskFileName = "m m.tga", source.HQ = 1, source.UseRecorder = 1;
    source.PathType = 1, source.Offset = -3, source.OutputFileFormat = 2;
    source.BackgroundColor = 0xFF;
    source.SetPathPoint(0, 1, 1);

    CSceneParams target;
    target.TextureFileName = "old.tga";
    target.BackgroundColor = 0x123;
    target.SetPathPoint(0, 5, 6);
    target.SetPathPoint(1, 7, 8);
    ASSERT_TRUE(ParseSceneText(BuildSceneText(source), target));
    EXPECT_EQ(BuildSceneText(target), BuildSceneText(source));
    EXPECT_EQ(target.ElevationFileName.size(), 404u); // long texts are kept whole
    EXPECT_EQ(target.TextureFileName, "");
    EXPECT_EQ(target.BackgroundColor, 0x123u);
    EXPECT_EQ(target.lastIndex, 1);
    EXPECT_EQ(target.points[1], (PathPoint{7, 8}));

    // Values that do not parse keep their field; lines are taken by position alone.
    CSceneParams partial;
    partial.NewScene();
    ASSERT_TRUE(ParseSceneText("Orvantis Clipboard Data - OVS\r\nabc\t(XA)\r\n12.5\n", partial));
    EXPECT_EQ(partial.XA, -100.0);
    EXPECT_EQ(partial.XE, 12.5);
    EXPECT_EQ(partial.YA, -100.0);
}

TEST(SceneText, PasteNeedsTheHeaderAtTheVeryStartInItsCase) {
    CSceneParams s;
    s.NewScene();
    std::string text = BuildSceneText(s);
    CSceneParams other;
    other.XA = 5;
    EXPECT_FALSE(IsSceneText("\r\n" + text));
    EXPECT_FALSE(ParseSceneText("junk\r\n" + text, other));
    EXPECT_FALSE(ParseSceneText("orvantis clipboard data - ovs\r\n-1.0\t(XA)\r\n", other));
    EXPECT_EQ(other.XA, 5.0);
    EXPECT_TRUE(IsSceneText(text));
}

TEST(FieldText, RealsShowInTheGeneralFormatWithAPoint) {
    EXPECT_EQ(FormatRealField(100), "100.");
    EXPECT_EQ(FormatRealField(0.1), "0.1");
    EXPECT_EQ(FormatRealField(0.05), "5.e-002");
    EXPECT_EQ(FormatRealField(-25), "-25.");
    EXPECT_EQ(FormatRealField(0), "0.");
    EXPECT_EQ(FormatRealField(-100), "-100.");
    EXPECT_EQ(FormatRealField(10000), "10000.");
    EXPECT_EQ(FormatRealField(1.25e-5), "1.25e-005");
    EXPECT_EQ(FormatRealField(123456789012345.0), "123456789012345.");
    EXPECT_EQ(FormatRealField(1e15), "1.e+015");
    EXPECT_EQ(FormatRealField(0.123456789012345678), "0.123456789012346");
    EXPECT_EQ(FormatRealField(2.5), "2.5");
    EXPECT_EQ(FormatRealField(9.9999999999999999e14), "1.e+015"); // rounding moves the exponent
    EXPECT_EQ(FormatRealField(1e300), "1.e+300");
    EXPECT_EQ(FormatIntField(-7), "-7");
}

TEST(FieldText, ReadingAcceptsBlanksAndTabsAroundADecimalNumber) {
    double d = 3;
    EXPECT_TRUE(ParseRealField(" \t-2.5e1 \t", d));
    EXPECT_EQ(d, -25.0);
    EXPECT_TRUE(ParseRealField("100.", d));
    EXPECT_EQ(d, 100.0);
    EXPECT_TRUE(ParseRealField(".5", d));
    EXPECT_EQ(d, 0.5);
    for (const char* bad :
         {"", " ", "abc", "1,5", "1.5x", "0x10", "inf", "nan", "1e", "-", ".", "1e999", "\n1"}) {
        d = 3;
        EXPECT_FALSE(ParseRealField(bad, d)) << bad;
        EXPECT_EQ(d, 3.0);
    }
    int i = 3;
    EXPECT_TRUE(ParseIntField("\t-42 ", i));
    EXPECT_EQ(i, -42);
    for (const char* bad : {"", "4.2", "x", "2147483648", "1 2"}) EXPECT_FALSE(ParseIntField(bad, i)) << bad;
    EXPECT_EQ(i, -42);
    EXPECT_EQ(RealFieldMessage(), "Please enter a number.");
    EXPECT_EQ(IntFieldMessage(), "Please enter an integer.");
}

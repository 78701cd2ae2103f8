#include "scene/SceneParams.h"

#include "scene/SceneSchema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

namespace {

// A new scene that passes every rule (its files live in dir).
CSceneParams validScene(const TempDir& dir) {
    TempDir::write(dir.path("e.tga"), "x");
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = dir.path("e.tga");
    s.OutputFileName = dir.path("f%03d.tga");
    return s;
}

} // namespace

TEST(SceneCheck, NumericRulesInOrderWithMessageAndField) {
    TempDir dir;
    ASSERT_TRUE(validScene(dir).ValidateScene().ok);
    using F = SceneField;
    struct Case {
        std::function<void(CSceneParams&)> change;
        int rule;
        const char* message;
        SceneField field;
    } cases[] = {
        {[](auto& s) {
             s.FocalLengthA = 0;
             s.FocalLengthE = 0;
         },
         1, "Focal length in first frame has to be greater than zero.", F::FocalLengthA},
        {[](auto& s) { s.FocalLengthE = -1; }, 2, "Focal length in last frame has to be greater than zero.",
         F::FocalLengthE},
        {[](auto& s) {
             s.PathType = 1;
             s.Total = 2;
             s.To = 1;
         },
         3, "Total frame count has to be greater than 2 in curved paths.", F::Total},
        {[](auto& s) { s.Total = 0; }, 4, "Total frame count has to be greater than zero in straight paths.",
         F::Total},
        {[](auto& s) {
             s.PathType = 2;
             s.Total = 0;
         },
         4, "Total frame count has to be greater than zero in straight paths.", F::Total},
        {[](auto& s) { s.Total = 16385; }, 5, "The fotal frame count cannot exceed 16384.", F::Total},
        {[](auto& s) { s.From = -1; }, 6,
         "First frame number has to be between zero and (total frame count - 1).", F::From},
        {[](auto& s) { s.From = 1; }, 7, "The first frame number has to be less than the total frame count.",
         F::From},
        {[](auto& s) { s.To = -1; }, 8, "Last frame has to be greater than or equal zero.", F::To},
        {[](auto& s) { s.To = 1; }, 9, "The last frame number has to be less than the total frame count.",
         F::To},
        {[](auto& s) {
             s.Total = 5;
             s.From = 3;
             s.To = 2;
         },
         10, "Last frame number has to be greater than or equal first frame number.", F::From},
        {[](auto& s) {
             s.LightX = 0;
             s.LightY = 0;
             s.LightZ = -0.0;
         },
         11, "Incident light vector has to contain at least one non-zero value in x, y or z.", F::LightX},
        {[](auto& s) { s.DustA = 0; }, 12, "Dust constant must have a value greater than zero.", F::DustA},
        {[](auto& s) { s.DustE = -1; }, 13, "Dust constant must have a value greater than zero.", F::DustE},
        {[](auto& s) { s.Smoothness = 1.000001; }, 14, "0.0 <= Smoothness <= 1.0", F::Smoothness},
        {[](auto& s) { s.Smoothness = -0.1; }, 14, "0.0 <= Smoothness <= 1.0", F::Smoothness},
        {[](auto& s) { s.ElevScaleX = 0; }, 15, "x scale has to be greater than zero.", F::ElevScaleX},
        {[](auto& s) { s.ElevScaleY = std::nan(""); }, 16, "y scale has to be greater than zero.",
         F::ElevScaleY},
        {[](auto& s) { s.SizeX = 0; }, 17, "Width of output file must be greater than zero.", F::SizeX},
        {[](auto& s) { s.SizeX = 16385; }, 18, "Width of output file must be less than or equal 16384.",
         F::SizeX},
        {[](auto& s) { s.SizeY = -1; }, 19, "Height of output file has to be greater than zero.", F::SizeY},
        {[](auto& s) { s.SizeY = 16385; }, 20, "Height of output file has to be less than or equal 16384.",
         F::SizeY},
        {[](auto& s) { s.GridX = 0; }, 21, "Number of grid x divisions has to be greater than zero.",
         F::GridX},
        {[](auto& s) { s.GridX = 16385; }, 22,
         "Number of grid x divisions has to be less than or equal 16384.", F::GridX},
        {[](auto& s) { s.GridY = 0; }, 23, "Number of grid y divisions has to be greater than zero.",
         F::GridY},
        {[](auto& s) { s.GridY = 20000; }, 24,
         "Number of grid y divisions has to be less than or equal 16384.", F::GridY},
        {[](auto& s) {
             s.PathType = 1;
             s.Total = 3;
             s.PreviewRange = 1;
         },
         25, "The average height above ground has to be greater than zero.", F::AverageHeight},
        {[](auto& s) {
             s.PathType = 1;
             s.Total = 3;
             s.AverageHeight = 1;
         },
         26, "The preview range for ground contact detection has to be greater than zero.", F::PreviewRange},
    };
    for (const Case& c : cases) {
        CSceneParams s = validScene(dir);
        c.change(s);
        SceneCheck r = s.ValidateScene();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.rule, c.rule);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.field, c.field);
    }
    // Boundaries that pass.
    CSceneParams s = validScene(dir);
    s.Total = 16384, s.From = 16383, s.To = 16383, s.Smoothness = 1.0, s.SizeX = s.SizeY = 16384;
    s.GridX = s.GridY = 16384, s.LightX = 0, s.LightY = 0, s.LightZ = 1e-300;
    EXPECT_TRUE(s.ValidateScene().ok);
    s.PathType = 1, s.Total = 3, s.From = 0, s.To = 2, s.AverageHeight = 0.1, s.PreviewRange = 0.1;
    s.SetPathPoint(0, 0, 0), s.SetPathPoint(1, 0, 0), s.SetPathPoint(2, 0, 1); // a curve needs them
    EXPECT_TRUE(s.ValidateScene().ok);
    EXPECT_STREQ(SceneFieldName(SceneField::PreviewRange), "PreviewRange");
    EXPECT_EQ(SceneFieldControlId(SceneField::ElevationFileName), 343);
}

TEST(SceneCheck, NonFiniteRealsAreRefusedAfterTheThirtyRules) {
    TempDir dir;
    const std::string notANumber = "Please enter a number.";
    // Every real field of the schema, with each non-finite value: refused by rule 31 with focus on it.
    for (const SceneFieldRow& row : SceneSchema()) {
        if (!std::holds_alternative<double CSceneParams::*>(row.member)) continue;
        for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
            CSceneParams s = validScene(dir);
            s.*std::get<double CSceneParams::*>(row.member) = bad;
            const SceneCheck r = s.ValidateScene();
            if (r.rule < 31) continue; // already refused by its range rule (NaN > 0 is false)
            EXPECT_EQ(r.rule, 31) << row.key << bad;
            EXPECT_NE(r.field, SceneField::None) << row.key;
            EXPECT_EQ(SceneFieldRowOf(r.field), &row) << row.key << bad;
        }
    }
    // A field with a range rule keeps its rule's message; the others get the form's.
    CSceneParams s = validScene(dir);
    s.FocalLengthA = HUGE_VAL;
    EXPECT_EQ(s.ValidateScene().message, "Focal length in first frame has to be greater than zero.");
    s = validScene(dir);
    s.YA = std::nan("");
    SceneCheck r = s.ValidateScene();
    EXPECT_EQ(r.message, notANumber);
    EXPECT_EQ(SceneFieldControlId(r.field), 329);
    s.LightX = s.LightY = -HUGE_VAL;
    EXPECT_EQ(s.ValidateScene().field, SceneField::YA); // the form's order: YA before the light
    // A scene that failed an earlier rule still fails it.
    s.FocalLengthA = HUGE_VAL;
    s.Total = 16385;
    EXPECT_EQ(s.ValidateScene().rule, 5);
}

TEST(SceneCheck, CurveNeedsThreePointsThatSpanALength) {
    TempDir dir;
    CSceneParams s = validScene(dir);
    s.PathType = 1, s.Total = 3, s.AverageHeight = s.PreviewRange = 1;
    auto expectRefused = [&](int rule, const char* message) {
        const SceneCheck r = s.ValidateScene();
        EXPECT_EQ(r.rule, rule);
        EXPECT_EQ(r.message, message);
        EXPECT_EQ(SceneFieldControlId(r.field), 378); // "Set..."
    };
    expectRefused(32, "A curved flight path needs at least three points.");
    s.SetPathPoint(0, 150, 150), s.SetPathPoint(1, 150, 150);
    expectRefused(32, "A curved flight path needs at least three points.");
    for (int i = 2; i <= 4; ++i) s.SetPathPoint(i, 150, 150);
    expectRefused(33, "The points of a curved flight path cannot all be at the same place.");
    s.SetPathPoint(3, 150, 151);
    EXPECT_TRUE(s.ValidateScene().ok);
    s.ClearPathPoints();
    s.PathType = 0; // a straight flight needs no points
    EXPECT_TRUE(s.ValidateScene().ok);
}

TEST(SceneCheck, OffsetThatWrapsTheLastFrameNumberIsRefused) {
    TempDir dir;
    CSceneParams s = validScene(dir);
    s.Total = 5, s.To = 4;
    s.Offset = INT_MAX - 4;
    EXPECT_TRUE(s.ValidateScene().ok);
    s.Offset = INT_MAX - 3;
    const SceneCheck r = s.ValidateScene();
    EXPECT_EQ(r.rule, 34);
    EXPECT_EQ(r.message, "The offset plus the last frame number cannot exceed 2147483647.");
    EXPECT_EQ(r.field, SceneField::Offset);
    s.Offset = INT_MIN; // frame numbers from INT_MIN up do not wrap
    EXPECT_TRUE(s.ValidateScene().ok);
}

TEST(SceneCheck, FileNameWithANulByteCannotBeOpened) {
    TempDir dir;
    TempDir::write(dir.path("t.tga"), "x");
    CSceneParams s = validScene(dir);
    s.UseTextureFile = 1;
    s.TextureFileName = dir.path("t.tga") + std::string(1, '\0') + "x"; // opens as t.tga
    SceneCheck r = s.ValidateScene();
    EXPECT_EQ(r.rule, 35);
    EXPECT_EQ(r.message, "Cannot open file '" + dir.path("t.tga") + "'.");
    EXPECT_EQ(r.field, SceneField::TextureFileName);
    s = validScene(dir);
    s.OutputFileName += std::string(1, '\0');
    EXPECT_EQ(s.ValidateScene().field, SceneField::OutputFileName);
}

TEST(SceneCheck, FileRulesOpenTheFilesAndNameThem) {
    TempDir dir;
    CSceneParams s = validScene(dir);
    s.ElevationFileName = dir.path("none.tga");
    SceneCheck r = s.ValidateScene();
    EXPECT_EQ(r.rule, 27);
    EXPECT_EQ(r.message, "Cannot open file '" + dir.path("none.tga") + "'.");
    s.ElevationFileName = dir.path(); // a folder is not a file
    EXPECT_EQ(s.ValidateScene().rule, 27);

    s = validScene(dir);
    s.TextureFileName = "t.tga";
    EXPECT_TRUE(s.ValidateScene().ok); // not used
    s.UseTextureFile = 1;
    r = s.ValidateScene();
    EXPECT_EQ(r.rule, 28);
    EXPECT_EQ(r.message, "Cannot open file 't.tga'.");
    EXPECT_EQ(r.field, SceneField::TextureFileName);

    s = validScene(dir);
    s.UseMaskFile = 1;
    s.MaskFileName = dir.path("mask.tga");
    EXPECT_EQ(s.ValidateScene().field, SceneField::MaskFileName);
    TempDir::write(s.MaskFileName, "m");
    EXPECT_TRUE(s.ValidateScene().ok);
    s.OutputFileName = "x.tga"; // rule 29 comes before rule 30
    s.MaskFileName = "";
    EXPECT_EQ(s.ValidateScene().rule, 29);
}

TEST(SceneCheck, SupersamplingOutOfRangeOrTooLargeForMemoryIsRefusedAtItsField) {
    TempDir dir;
    for (int k : {0, -1, 5}) {
        CSceneParams s = validScene(dir);
        s.Supersampling = k;
        const SceneCheck r = s.ValidateScene();
        EXPECT_EQ(r.rule, 36) << k;
        EXPECT_EQ(r.message, "Supersampling has to be between 1 and 4.");
        EXPECT_EQ(r.field, SceneField::Supersampling);
    }
    // The output size limits are the output's; the picture rendered at k times it must fit in memory.
    CSceneParams s = validScene(dir);
    s.SizeX = s.SizeY = 16384;
    EXPECT_TRUE(s.ValidateScene().ok);
    s.Supersampling = 2;
    SceneCheck r = s.ValidateScene();
    EXPECT_EQ(r.rule, 37);
    EXPECT_EQ(r.message,
              "Supersampling 2 renders each frame at 32768 x 32768 pixels, more than 16384 x 16384 "
              "pixels in all.");
    EXPECT_EQ(SceneFieldControlId(r.field), 392);
    s.SizeX = 8192, s.SizeY = 8193;
    EXPECT_EQ(s.ValidateScene().rule, 37);
    s.SizeY = 8192;
    EXPECT_TRUE(s.ValidateScene().ok);
    s.SizeX = 0; // the output's own rule comes first
    EXPECT_EQ(s.ValidateScene().rule, 17);
}

TEST(SceneCheck, OutputTemplateRule) {
    TempDir dir;
    const std::string bad = "Output file name template has to contain a valid C/C++ number format string.";
    auto check = [&](const std::string& templ) {
        CSceneParams s = validScene(dir);
        s.OutputFileName = templ;
        return s.ValidateScene();
    };
    for (const char* t : {"frame%4d.tga", "frame%06d.tga", "frame%ld.tga", "frame.tga", "%s%d.tga",
                          "%d%d.tga", "a%%d.tga", "%05d%n", "%d%"}) {
        SceneCheck r = check(dir.path(t));
        EXPECT_EQ(r.rule, 29) << t;
        EXPECT_EQ(r.message, bad) << t;
        EXPECT_EQ(r.field, SceneField::OutputFileName);
    }
    for (const char* t :
         {"frame%04d.tga", "f%d", "f%i", "f%u", "f%o", "f%x", "f%X", "f%00d", "f%05X", "100%%_%03d"})
        EXPECT_TRUE(check(dir.path(t)).ok) << t;
    // An existing first frame passes; a missing folder fails naming the template itself.
    TempDir::write(dir.path("f000.tga"), "x");
    EXPECT_TRUE(check(dir.path("f%03d.tga")).ok);
    SceneCheck r = check(dir.path("nofolder/f%03d.tga"));
    EXPECT_EQ(r.rule, 29);
    EXPECT_EQ(r.message, "Cannot open file '" + dir.path("nofolder/f%03d.tga") + "'.");
}

TEST(OutputName, FormsNamesWithOneIntegerConversionOnly) {
    EXPECT_EQ(FormatOutputName("nn%03d.tga", 7), "nn007.tga");
    EXPECT_EQ(FormatOutputName("f%-4d|", 12), "f12  |");
    EXPECT_EQ(FormatOutputName("f%+d", 5), "f+5");
    EXPECT_EQ(FormatOutputName("f% d", 5), "f 5");
    EXPECT_EQ(FormatOutputName("f%#x", 255), "f0xff");
    EXPECT_EQ(FormatOutputName("f%#o", 8), "f010");
    EXPECT_EQ(FormatOutputName("f%X", 255), "fFF");
    EXPECT_EQ(FormatOutputName("f%.5i", -42), "f-00042");
    EXPECT_EQ(FormatOutputName("f%u", -1), "f4294967295");
    EXPECT_EQ(FormatOutputName("100%%/%d%%", 3), "100%/3%");
    std::string longName(1000, 'a');
    EXPECT_EQ(FormatOutputName(longName + "%d", 1), longName + "1");
    for (const char* t : {"f%s", "f%d%d", "f%d%x", "f%ld", "f%lld", "f%hd", "f%*d", "f%f", "f%n", "f%",
                          "plain", "f%99999d", "f%%d"})
        EXPECT_FALSE(FormatOutputName(t, 1).has_value()) << t;
}

TEST(OutputName, RelativeNamesAreResolvedAgainstTheSceneFolder) {
    CSceneParams s;
    s.ElevationFileName = "maps/e.tga";
    s.TextureFileName = "/abs/t.tga";
    s.MaskFileName = "";
    s.OutputFileName = "out/f%03d.tga";
    ResolveSceneRelativePaths(s, "/data/100%");
    EXPECT_EQ(s.ElevationFileName, "/data/100%/maps/e.tga");
    EXPECT_EQ(s.TextureFileName, "/abs/t.tga");
    EXPECT_EQ(s.MaskFileName, "");
    EXPECT_EQ(s.OutputFileName, "/data/100%%/out/f%03d.tga");
    EXPECT_EQ(FormatOutputName(s.OutputFileName, 4), "/data/100%/out/f004.tga");
}

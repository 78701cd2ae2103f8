#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

std::string expectedNewScene(const std::string& elevation) {
    const char* lines[] = {"[Param]",
                           "BeobXA=-100.000000",
                           "BeobYA=-100.000000",
                           "BeobZA=100.000000",
                           "RichtungA=45.000000",
                           "NeigungA=-25.000000",
                           "BrennA=250.000000",
                           "VerkantenA=0.000000",
                           "BeobXE=0.000000",
                           "BeobYE=0.000000",
                           "BeobZE=0.000000",
                           "RichtungE=0.000000",
                           "NeigungE=0.000000",
                           "BrennE=250.000000",
                           "VerkantenE=0.000000",
                           "Bildanzahl=1",
                           "Offset=0",
                           "StartbildNr=0",
                           "EndbildNr=0",
                           "LichtX=1.000000",
                           "LichtY=1.000000",
                           "LichtZ=-1.000000",
                           "NebelA=10000.000000",
                           "NebelE=10000.000000",
                           "Tr\xE4gheit=0.000000",
                           "AusgabeTGA=1",
                           "AusgabeYUV=0",
                           "AusDateiname=nn%03d.tga",
                           "TDateiVerwenden=0",
                           "TDateiname=",
                           "@",
                           "HDateiSkalaX=1.000000",
                           "HDateiSkalaY=1.000000",
                           "HDateiSkalaZA=0.100000",
                           "HDateiSkalaZE=0.100000",
                           "MDateiVerwenden=0",
                           "MaskenDateiName=",
                           "AusBreite=320",
                           "AusH\xF6he=240",
                           "AusAuflX=16",
                           "AusAuflY=16",
                           "HintergrundVerwenden=0",
                           "GenauRechnen=0",
                           "Hintergrund=0",
                           "Rundflug=0",
                           ("H\xF6he\xDC"
                            "berBoden=0.000000"),
                           "VerkantenFaktor=0.000000",
                           "Voraussicht=0.000000",
                           "Recorder=0"};
    std::string out;
    for (const char* l : lines)
        out += (std::string(l) == "@" ? "HDateiname=" + elevation : std::string(l)) + "\r\n";
    return out;
}

// A scene that uses every field with values that survive six decimals.
CSceneParams busyScene(const std::string& elevation) {
    CSceneParams s;
    s.NewScene();
    s.XA = 1.25, s.YA = -2.5, s.ZA = 300.125, s.HeadingA = 10, s.PitchA = -5, s.FocalLengthA = 100,
    s.RollA = 1;
    s.XE = 7, s.YE = 8, s.ZE = 9, s.HeadingE = 90, s.PitchE = -30, s.FocalLengthE = 50, s.RollE = -2;
    s.Total = 20, s.Offset = 5, s.From = 2, s.To = 19;
    s.LightX = 0.5, s.LightY = 0, s.LightZ = -0.75, s.DustA = 5000, s.DustE = 0.000001, s.Smoothness = 0.25;
    s.OutputFileFormat = 2, s.OutputFileName = "out/f%04d.tga", s.UseTextureFile = 1,
    s.TextureFileName = "t.tga";
    s.ElevationFileName = elevation, s.ElevScaleX = 2, s.ElevScaleY = 3, s.ElevScaleZA = 0.5,
    s.ElevScaleZE = 0.75;
    s.UseMaskFile = 1, s.MaskFileName = "m.tga", s.SizeX = 640, s.SizeY = 480, s.GridX = 64, s.GridY = 32;
    s.UseBackgroundColor = 1, s.HQ = 1, s.BackgroundColor = 0x00FF8000, s.PathType = 1;
    s.AverageHeight = 60, s.RollFactor = 0.5, s.PreviewRange = 100, s.UseRecorder = 1;
    s.SetPathPoint(0, 10, 20);
    s.SetPathPoint(1, -5, 7);
    s.SetPathPoint(2, 300, 400);
    return s;
}

void expectSameScene(const CSceneParams& a, const CSceneParams& b) {
    EXPECT_EQ(BuildSceneText(a), BuildSceneText(b)); // every field of the scene text
    EXPECT_EQ(a.BackgroundColor, b.BackgroundColor);
    ASSERT_EQ(a.lastIndex, b.lastIndex);
    for (int i = 0; i <= a.lastIndex; ++i) EXPECT_EQ(a.points[i], b.points[i]) << "point " << i;
}

} // namespace

TEST(ScriptFile, NewSceneIsSavedByteForByteAndTheSameTwice) {
    TempDir dir;
    std::string elevation = dir.path("alps.tga");
    TempDir::write(elevation, "x");
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = elevation;
    std::string script = dir.path("a.ovs");
    ASSERT_TRUE(s.SaveScript(script).ok());
    std::string first = TempDir::read(script);
    EXPECT_EQ(first, expectedNewScene(elevation));
    ASSERT_TRUE(s.SaveScript(script).ok());
    EXPECT_EQ(TempDir::read(script), first);

    // Saving over a file holding other keys and another order gives the same bytes.
    TempDir::write(script, "[Param]\r\nRecorder=1\r\nKannBerechnen=1\r\nPunkt07=1,1\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(s.SaveScript(script).ok());
    EXPECT_EQ(TempDir::read(script), first);
}

TEST(ScriptFile, SavedSceneLoadsBackWithEveryFieldAndPoints) {
    TempDir dir;
    std::string elevation = dir.path("e.tga");
    TempDir::write(elevation, "x");
    TempDir::write(dir.path("t.tga"), "x");
    TempDir::write(dir.path("m.tga"), "x");
    CSceneParams s = busyScene(elevation);
    s.TextureFileName = dir.path("t.tga");
    s.MaskFileName = dir.path("m.tga");
    s.OutputFileName = dir.path("f%04d.tga");
    std::string script = dir.path("busy.ovs");
    SaveOutcome saved = s.SaveScript(script);
    ASSERT_TRUE(saved.ok()) << saved.check.message;
    std::string bytes = TempDir::read(script);
    EXPECT_EQ(bytes.find("KannBerechnen"), std::string::npos);
    EXPECT_NE(bytes.find("Rundflug=1\r\nPunkt00=10,20\r\nPunkt01=-5,7\r\nPunkt02=300,400\r\nH\xF6he"),
              std::string::npos);
    EXPECT_NE(bytes.find("Hintergrund=FF8000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("AusgabeTGA=1\r\nAusgabeYUV=1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("NebelE=0.000001\r\n"), std::string::npos);

    CSceneParams back;
    back.BackgroundColor = 0x123456;
    back.SetPathPoint(50, 9, 9);
    ASSERT_TRUE(back.LoadScript(script));
    expectSameScene(s, back);
    EXPECT_EQ(back.points[50], (PathPoint{0, 0})); // slots after the last point are cleared
}

TEST(ScriptFile, LocaleDoesNotChangeTheBytesOrTheReading) {
    TempDir dir;
    std::string elevation = dir.path("e.tga");
    TempDir::write(elevation, "x");
    CSceneParams s = busyScene(elevation);
    s.UseTextureFile = 0, s.UseMaskFile = 0, s.PathType = 0, s.OutputFileName = "n%d.tga";
    ASSERT_TRUE(s.SaveScript(dir.path("c.ovs")).ok());
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!german) GTEST_SKIP() << "the German locale is not installed";
    ASSERT_TRUE(s.SaveScript(dir.path("de.ovs")).ok());
    CSceneParams back;
    bool loaded = back.LoadScript(dir.path("de.ovs"));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(TempDir::read(dir.path("de.ovs")), TempDir::read(dir.path("c.ovs")));
    ASSERT_TRUE(loaded);
    expectSameScene(s, back);
}

TEST(ScriptFile, LoadingUsesReaderDefaultsAndRefusesNonScripts) {
    TempDir dir;
    std::string script = dir.path("min.ovs");
    TempDir::write(script, "[Param]\r\nBeobXA=1\r\n");
    CSceneParams s;
    s.NewScene();
    s.BackgroundColor = 0xABCDEF;
    ASSERT_TRUE(s.LoadScript(script));
    EXPECT_EQ(s.XA, 1.0);
    EXPECT_EQ(s.FocalLengthA, 0.0);
    EXPECT_EQ(s.SizeX, 0);
    EXPECT_EQ(s.Total, 0);
    EXPECT_EQ(s.OutputFileName, "");
    EXPECT_EQ(s.OutputFileFormat, 0);
    EXPECT_EQ(s.PathType, 0);
    EXPECT_EQ(s.lastIndex, -1);
    EXPECT_EQ(s.BackgroundColor, 0xABCDEFu);

    // Unparsable reals keep their value, empty ones become 0; integers that are no number read 0; the
    // output format follows the two flags; a non-hex colour is ignored; UTF-8 keys are accepted.
    TempDir::write(script, "[PARAM]\nbeobxa = 2\nBeobYA=abc\nBeobZA=\nBildanzahl=x7\nAusgabeTGA=0\n"
                           "AusgabeYUV=3\nHintergrund=xyz\nTr\xC3\xA4gheit=0.5\nAusH\xC3\xB6he=99\n");
    s.YA = 42;
    ASSERT_TRUE(s.LoadScript(script));
    EXPECT_EQ(s.XA, 2.0);
    EXPECT_EQ(s.YA, 42.0);
    EXPECT_EQ(s.ZA, 0.0);
    EXPECT_EQ(s.Total, 0);
    EXPECT_EQ(s.OutputFileFormat, 1);
    EXPECT_EQ(s.BackgroundColor, 0xABCDEFu);
    EXPECT_EQ(s.Smoothness, 0.5);
    EXPECT_EQ(s.SizeY, 99);

    // A text file without BeobXA in a section Param is not a scene: nothing changes.
    CSceneParams before = s;
    TempDir::write(script, "[Other]\r\nBeobXA=1\r\n[Param]\r\nBeobXA=\r\nBeobYA=5\r\n");
    EXPECT_FALSE(s.LoadScript(script));
    EXPECT_FALSE(s.LoadScript(dir.path("missing.ovs")));
    expectSameScene(before, s);
    EXPECT_EQ(s.YA, 42.0);
}

TEST(ScriptFile, PathPointsParseLikeTheOriginalReader) {
    TempDir dir;
    std::string script = dir.path("p.ovs");
    TempDir::write(script, "[Param]\r\nBeobXA=1\r\nPunkt00=12\r\nPunkt01=7,,9\r\nPunkt02= -3 , 4x\r\n"
                           "Punkt03=\r\nPunkt04=5,5\r\n");
    CSceneParams s;
    ASSERT_TRUE(s.LoadScript(script));
    ASSERT_EQ(s.lastIndex, 2);
    EXPECT_EQ(s.points[0], (PathPoint{12, 0}));
    EXPECT_EQ(s.points[1], (PathPoint{7, 9}));
    EXPECT_EQ(s.points[2], (PathPoint{-3, 4}));
    EXPECT_EQ(s.points[4], (PathPoint{0, 0}));

    s.ClearPathPoints();
    EXPECT_EQ(s.lastIndex, -1);
    s.SetPathPoint(3, 1, 2);
    EXPECT_EQ(s.lastIndex, 3);
    s.SetPathPoint(1, 5, 6);
    EXPECT_EQ(s.lastIndex, 3);
    s.SetPathPoint(100, 9, 9);
    s.SetPathPoint(-1, 9, 9);
    EXPECT_EQ(s.lastIndex, 3);
    EXPECT_EQ(s.points[1], (PathPoint{5, 6}));
}

TEST(ScriptFile, JobValuesAndCopyingKeys) {
    TempDir dir;
    std::string job = dir.path("job");
    CSceneParams s = busyScene("e.tga");
    // An existing file keeps its key order and its other keys; KannBerechnen sits before Rundflug.
    TempDir::write(job, "[Param]\r\nRecorder=7\r\nPunkt05=1,1\r\n");
    ASSERT_TRUE(s.WriteJobValues(job));
    std::string bytes = TempDir::read(job);
    EXPECT_EQ(bytes.rfind("[Param]\r\nRecorder=1\r\nPunkt05=1,1\r\nBeobXA=1.250000\r\n", 0), 0u);
    EXPECT_NE(bytes.find("Hintergrund=FF8000\r\nKannBerechnen=1\r\nRundflug=1\r\nPunkt00=10,20\r\n"),
              std::string::npos);

    // Copying rebuilds the target in the key order, empty values included, points only when present.
    std::string target = dir.path("copy.ovs");
    TempDir::write(target, "[Param]\r\nStale=1\r\n");
    ASSERT_TRUE(CopySceneKeys(job, target));
    std::string copy = TempDir::read(target);
    EXPECT_EQ(copy.rfind("[Param]\r\nBeobXA=1.250000\r\n", 0), 0u);
    EXPECT_EQ(copy.find("Stale"), std::string::npos);
    EXPECT_EQ(copy.find("KannBerechnen"), std::string::npos);
    EXPECT_NE(copy.find("Rundflug=1\r\nPunkt00=10,20\r\nPunkt01=-5,7\r\nPunkt02=300,400\r\nPunkt05=1,1\r\n"),
              std::string::npos);
    ASSERT_TRUE(CopySceneKeys("", target));
    EXPECT_NE(TempDir::read(target).find("\r\nTDateiname=\r\nHDateiname=\r\n"), std::string::npos);
    EXPECT_FALSE(CopySceneKeys(job, dir.path("no/folder/x.ovs")));
}

TEST(ScriptFile, RenderRunReadsTheJobBackFromAnEmptyRecordAndEndsThePathAtXMinusOne) {
    TempDir dir;
    const std::string job = dir.path("job");
    const CSceneParams s = busyScene("e.tga");
    TempDir::write(job, "");
    ASSERT_TRUE(s.WriteJobValues(job));
    expectSameScene(ReadJobValues(job), s);

    // Missing keys read as 0, not as a new scene's values; the point list ends at the first x = -1.
    TempDir::write(job, "[Param]\r\nRundflug=1\r\nPunkt00=1,2\r\nPunkt01=-1,5\r\nPunkt02=3,4\r\n");
    const CSceneParams read = ReadJobValues(job);
    EXPECT_EQ(read.FocalLengthA, 0.0);
    EXPECT_EQ(read.GridX, 0);
    EXPECT_EQ(read.PathType, 1);
    EXPECT_EQ(read.lastIndex, 0);
}

TEST(ScriptFile, SupersamplingIsStoredOnlyAboveOneInScriptsJobsAndTheSceneText) {
    TempDir dir;
    const std::string elevation = dir.path("e.tga");
    TempDir::write(elevation, "x");
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = elevation;
    EXPECT_EQ(s.Supersampling, 1);
    const std::string script = dir.path("k.ovs");
    s.Supersampling = 3;
    ASSERT_TRUE(s.SaveScript(script).ok());
    EXPECT_NE(TempDir::read(script).find("\r\nGenauRechnen=0\r\nUeberabtastung=3\r\nHintergrund=0\r\n"),
              std::string::npos);
    CSceneParams back;
    ASSERT_TRUE(back.LoadScript(script));
    EXPECT_EQ(back.Supersampling, 3);

    // Back at 1 the key goes, also from a job written over the scene's file, and a file without it reads 1.
    s.Supersampling = 1;
    const std::string job = dir.path("job"); // as a render job is made: the scene's keys, then its values
    ASSERT_TRUE(CopySceneKeys(script, job));
    EXPECT_NE(TempDir::read(job).find("Ueberabtastung=3"), std::string::npos);
    ASSERT_TRUE(s.WriteJobValues(job));
    EXPECT_EQ(TempDir::read(job).find("Ueberabtastung"), std::string::npos);
    EXPECT_EQ(ReadJobValues(job).Supersampling, 1);
    ASSERT_TRUE(s.SaveScript(script).ok());
    EXPECT_EQ(TempDir::read(script), expectedNewScene(elevation));
    back.Supersampling = 4;
    ASSERT_TRUE(back.LoadScript(script));
    EXPECT_EQ(back.Supersampling, 1);

    // The scene text: a 47th line only above 1; a text without it pastes 1.
    s.Supersampling = 2;
    const std::string text = BuildSceneText(s);
    EXPECT_EQ(text.substr(text.size() - 21), "\r\n2\t(Supersampling)\r\n");
    CSceneParams pasted;
    pasted.NewScene();
    ASSERT_TRUE(ParseSceneText(text, pasted));
    EXPECT_EQ(pasted.Supersampling, 2);
    s.Supersampling = 1;
    ASSERT_TRUE(ParseSceneText(BuildSceneText(s), pasted));
    EXPECT_EQ(pasted.Supersampling, 1);
}

// The video's frame rate and quality are keys of their own, written only when they differ from the defaults
// (so older scenes save as before), and a job carries them to the render run.
TEST(ScriptFile, VideoKeysAreStoredOnlyWhenSetAndTravelInTheJob) {
    TempDir dir;
    TempDir::write(dir.path("e.tga"), "x");
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = dir.path("e.tga");
    const std::string script = dir.path("v.ovs");
    ASSERT_TRUE(s.SaveScript(script).ok());
    const std::string plain = TempDir::read(script);
    EXPECT_EQ(plain.find("Video"), std::string::npos);

    s.VideoFps = 30;
    s.VideoCrf = 28;
    ASSERT_TRUE(s.SaveScript(script).ok());
    EXPECT_NE(TempDir::read(script).find("Recorder=0\r\nVideoBildrate=30\r\nVideoCRF=28\r\n"),
              std::string::npos);
    CSceneParams back;
    ASSERT_TRUE(back.LoadScript(script));
    EXPECT_EQ(back.VideoFps, 30);
    EXPECT_EQ(back.VideoCrf, 28);

    // A job made over that file with the defaults back in the form drops the keys; the run reads defaults.
    const std::string job = dir.path("job");
    ASSERT_TRUE(CopySceneKeys(script, job));
    CSceneParams defaults = s;
    defaults.VideoFps = 25;
    defaults.VideoCrf = -1;
    ASSERT_TRUE(defaults.WriteJobValues(job));
    EXPECT_EQ(TempDir::read(job).find("Video"), std::string::npos);
    EXPECT_EQ(ReadJobValues(job).VideoFps, 25);
    EXPECT_EQ(ReadJobValues(job).VideoCrf, -1);
    ASSERT_TRUE(s.WriteJobValues(job));
    EXPECT_EQ(ReadJobValues(job).VideoFps, 30);
    ASSERT_TRUE(defaults.SaveScript(script).ok());
    EXPECT_EQ(TempDir::read(script), plain);

    // Values the encoder cannot take are refused by the check, with the field to correct.
    s.VideoFps = 0;
    EXPECT_EQ(s.ValidateScene().field, SceneField::VideoFps);
    s.VideoFps = 25;
    s.VideoCrf = 64;
    EXPECT_EQ(s.ValidateScene().field, SceneField::VideoCrf);
}

TEST(ScriptFile, SaveReportsACheckFailureOrAWriteFailureAndLeavesTheOldFile) {
    TempDir dir;
    CSceneParams s;
    s.NewScene();
    std::string script = dir.path("s.ovs");
    TempDir::write(script, "old");
    SaveOutcome noElevation = s.SaveScript(script);
    EXPECT_EQ(noElevation.result, SaveResult::CheckFailed);
    EXPECT_EQ(noElevation.check.message, "An elevation file has to be given.");
    EXPECT_EQ(noElevation.check.field, SceneField::ElevationFileName);
    EXPECT_EQ(TempDir::read(script), "old");

    TempDir::write(dir.path("e.tga"), "x");
    s.ElevationFileName = dir.path("e.tga");
    EXPECT_EQ(s.SaveScript(dir.path("missing/s.ovs")).result, SaveResult::WriteFailed);
    EXPECT_EQ(s.SaveScript(script).result, SaveResult::Saved);
}

TEST(ProfileFile, ReadersAndWritersOfSectionParam) {
    TempDir dir;
    std::string path = dir.path("job");
    ProfileFile f(path);
    double x = 5;
    f.ReadReal("Missing", x);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(f.ReadInt("Missing"), 0);
    EXPECT_EQ(f.ReadString("Missing"), "");
    double px = 0, py = 0;
    EXPECT_FALSE(f.ReadPoint(0, px, py));

    ASSERT_TRUE(f.WriteReal("R", 1.5));
    ASSERT_TRUE(f.WriteInt("I", -12));
    ASSERT_TRUE(f.WriteString("S", std::string(300, 's')));
    ASSERT_TRUE(f.WriteString("Bad", "x1"));
    ASSERT_TRUE(f.WriteString("Empty", ""));
    ASSERT_TRUE(f.WriteString(PointKey(0), "3.5,-4"));
    ASSERT_TRUE(f.WriteString(PointKey(1), "-1.0,5"));
    ASSERT_TRUE(f.WriteString(PointKey(2), "7"));
    ASSERT_TRUE(f.WriteString(PointKey(3), "7 ,8"));
    EXPECT_EQ(TempDir::read(path).rfind("[Param]\r\nR=1.500000\r\nI=-12\r\n", 0), 0u);
    f.ReadReal("R", x);
    EXPECT_EQ(x, 1.5);
    f.ReadReal("Bad", x);
    EXPECT_EQ(x, 1.5);
    f.ReadReal("Empty", x);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(f.ReadInt("I"), -12);
    EXPECT_EQ(f.ReadInt("Bad"), 0);
    EXPECT_EQ(f.ReadString("S"), std::string(300, 's'));
    EXPECT_TRUE(f.ReadPoint(0, px, py));
    EXPECT_EQ(px, 3.5);
    EXPECT_EQ(py, -4.0);
    EXPECT_FALSE(f.ReadPoint(1, px, py)); // x of -1 ends a list
    EXPECT_FALSE(f.ReadPoint(2, px, py)); // one number only
    EXPECT_FALSE(f.ReadPoint(3, px, py)); // the comma must follow the number
    EXPECT_TRUE(f.DeleteKey("I"));
    EXPECT_FALSE(f.HasKey("I"));
}

TEST(ProfileFile, ReadsSeeChangesMadeBehindTheirBackAndDeferredWritesSaveOnce) {
    TempDir dir;
    std::string path = dir.path("job");
    TempDir::write(path, "[Param]\r\nA=1\r\n");
    ProfileFile reader(path);
    EXPECT_EQ(reader.ReadInt("A"), 1);
    TempDir::write(path, "[Param]\r\nA=22\r\n"); // same inode, other size
    EXPECT_EQ(reader.ReadInt("A"), 22);
    TempDir::write(path, "[Param]\r\nA=23\r\n"); // same inode, same size, within the same clock tick
    EXPECT_EQ(reader.ReadInt("A"), 23);
    ProfileFile writer(path);
    writer.WriteInt("A", 33); // renamed into place
    EXPECT_EQ(reader.ReadInt("A"), 33);

    writer.deferWrites();
    writer.WriteInt("B", 1);
    writer.WriteInt("A", 4);
    EXPECT_EQ(writer.ReadInt("B"), 1);
    EXPECT_EQ(TempDir::read(path), "[Param]\r\nA=33\r\n");
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(TempDir::read(path), "[Param]\r\nA=4\r\nB=1\r\n");
    EXPECT_EQ(reader.ReadInt("B"), 1);
}

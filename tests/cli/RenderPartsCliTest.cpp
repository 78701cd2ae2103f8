// render --part K/N and --merge-parts N: a flight rendered as parts (as cluster tasks do) and merged gives
// the files of a whole run; the merge names what is missing.
#include "scene/SceneParams.h"

#include "RenderCliSupport.h"
#include "render/RunTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// A curved flight of frames 0 ... total - 2 over the hill, frames 40 x 30 named shotNN.tga.
std::string writeCurvedScene(const TempDir& dir, int total, double averageHeight = 30) {
    CSceneParams s = hillScene(dir, total);
    s.ElevationFileName = "hill.tga";
    s.OutputFileName = "shot%02d.tga";
    s.SizeX = 40;
    s.SizeY = 30;
    s.PathType = 1;
    s.AverageHeight = averageHeight;
    s.PreviewRange = 3;
    s.SetPathPoint(0, 5, 5);
    s.SetPathPoint(1, 25, 8);
    s.SetPathPoint(2, 20, 28);
    s.UseRecorder = 1;
    const std::string path = dir.path("scene.ovs");
    EXPECT_TRUE(s.WriteJobValues(path));
    return path;
}

// Every file of folder by name, with its bytes.
std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        files[e.path().filename().string()] = TempDir::read(e.path().string());
    return files;
}

// The tests say which scheduler variables a run sees.
void clearSchedulerVariables() {
    for (const char* name : {"SLURM_ARRAY_TASK_ID", "SLURM_ARRAY_TASK_COUNT", "JOB_COMPLETION_INDEX"})
        unsetenv(name);
}

CliRun renderPart(const std::string& scene, const std::string& out, const std::string& part,
                  const TempDir& tmp) {
    return runRender({"render", scene, "--output-dir", out, "--part", part, "--quiet"}, tmp);
}

CliRun merge(const std::string& scene, const std::string& out, int parts, const TempDir& tmp) {
    return runRender({"render", scene, "--output-dir", out, "--merge-parts", std::to_string(parts)}, tmp);
}

} // namespace

TEST(CliRenderParts, PartsAndTheirMergeGiveTheFilesOfAWholeRunByteForByte) {
    clearSchedulerVariables();
    TempDir dir, tmp;
    const std::string scene = writeCurvedScene(dir, 9); // frames 0 ... 7
    ASSERT_EQ(runRender({"render", scene, "--output-dir", dir.path("whole"), "--quiet"}, tmp).status, 0);
    const auto whole = filesIn(dir.path("whole"));
    ASSERT_EQ(whole.size(), 9u);

    // 3 parts of 8 frames (2, 3, 3), one part rendered twice; 9 parts of 8, one of them empty.
    for (const int parts : {3, 9}) {
        SCOPED_TRACE(parts);
        const std::string out = dir.path("parts" + std::to_string(parts));
        size_t frames = 0;
        for (int k = 0; k < parts; ++k) {
            const CliRun r = renderPart(scene, out, std::to_string(k) + "/" + std::to_string(parts), tmp);
            ASSERT_EQ(r.status, 0) << r.err;
            frames += std::count(r.out.begin(), r.out.end(), '\n');
        }
        EXPECT_EQ(frames, 8u);
        const CliRun again = renderPart(scene, out, "1/" + std::to_string(parts), tmp);
        ASSERT_EQ(again.status, 0) << again.err;
        const CliRun merged = merge(scene, out, parts, tmp);
        ASSERT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(merged.out, fs::path(out + "/OVRECORD.XLS").string() + "\n");
        EXPECT_EQ(filesIn(out), whole); // the part files are gone
    }

    // The part from the environment of a Slurm array task or a Kubernetes Indexed Job.
    const std::string out = dir.path("auto");
    setenv("SLURM_ARRAY_TASK_ID", "0", 1);
    setenv("SLURM_ARRAY_TASK_COUNT", "2", 1);
    const CliRun slurm = renderPart(scene, out, "auto", tmp);
    unsetenv("SLURM_ARRAY_TASK_ID");
    unsetenv("SLURM_ARRAY_TASK_COUNT");
    setenv("JOB_COMPLETION_INDEX", "1", 1);
    const CliRun kubernetes = renderPart(scene, out, "auto/2", tmp);
    unsetenv("JOB_COMPLETION_INDEX");
    ASSERT_EQ(slurm.status, 0) << slurm.err;
    ASSERT_EQ(kubernetes.status, 0) << kubernetes.err;
    ASSERT_EQ(merge(scene, out, 2, tmp).status, 0);
    EXPECT_EQ(filesIn(out), whole);
}

TEST(CliRenderParts, TheMergeNamesWhatIsMissingAndThePartsToRenderAgain) {
    TempDir dir, tmp;
    const std::string scene = writeCurvedScene(dir, 9);
    const std::string out = dir.path("out");
    for (const char* part : {"0/3", "2/3"}) ASSERT_EQ(renderPart(scene, out, part, tmp).status, 0);
    fs::remove(out + "/shot07.tga");
    // Part 1 (frames 2-4) of another scene: same names, other rows.
    TempDir other;
    const std::string otherScene = writeCurvedScene(other, 9, 45);
    ASSERT_EQ(renderPart(otherScene, out, "1/3", tmp).status, 0);
    fs::remove(out + "/shot03.tga");

    CliRun r = merge(scene, out, 3, tmp);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::string part1 = out + "/OVRECORD.XLS.part-1-of-3";
    EXPECT_EQ(r.err, "missing frame " + out + "/shot03.tga\n" + part1 +
                         " was written for another scene, frame range or number of parts\n"
                         "missing frame " +
                         out +
                         "/shot07.tga\n"
                         "part 1/3 (frames 2-4) is not complete: render it again with --part 1/3\n"
                         "part 2/3 (frames 5-7) is not complete: render it again with --part 2/3\n");
    EXPECT_FALSE(fs::exists(out + "/OVRECORD.XLS"));
    // Another number of parts finds none of their recorder rows.
    CliRun two = merge(scene, out, 2, tmp);
    EXPECT_EQ(two.status, 1);
    EXPECT_NE(two.err.find("missing recorder rows " + out + "/OVRECORD.XLS.part-0-of-2\n"),
              std::string::npos);

    // Rendering the parts named again completes the flight.
    for (const char* part : {"1/3", "2/3"}) ASSERT_EQ(renderPart(scene, out, part, tmp).status, 0);
    CliRun done = merge(scene, out, 3, tmp);
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_TRUE(fs::exists(out + "/OVRECORD.XLS"));
    EXPECT_FALSE(fs::exists(part1));
}

TEST(CliRenderParts, BadPartsAreUsageErrors) {
    clearSchedulerVariables();
    TempDir dir, tmp;
    const std::string scene = writeCurvedScene(dir, 9);
    for (const char* part : {"3/3", "-1/3", "1/0", "1", "x/2", "auto/", ""})
        EXPECT_EQ(runRender({"render", scene, "--part", part}, tmp).status, 2) << part;
    EXPECT_EQ(runRender({"render", scene, "--merge-parts", "0"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--part", "0/2", "--merge-parts", "2"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--part", "0/2", "--video", dir.path("v.mp4")}, tmp).status, 2);
    // auto without the scheduler's variables, or with a task outside the parts.
    CliRun none = runRender({"render", scene, "--part", "auto/2"}, tmp);
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("JOB_COMPLETION_INDEX"), std::string::npos) << none.err;
    setenv("SLURM_ARRAY_TASK_ID", "2", 1);
    CliRun outside = runRender({"render", scene, "--part", "auto/2"}, tmp);
    unsetenv("SLURM_ARRAY_TASK_ID");
    EXPECT_EQ(outside.status, 2);
    EXPECT_NE(outside.err.find("sbatch --array=0-1"), std::string::npos) << outside.err;
    EXPECT_FALSE(fs::exists(dir.path("shot00.tga")));
}

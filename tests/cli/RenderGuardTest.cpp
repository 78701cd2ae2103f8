// The guard of the bundled demo: its terrain is prepared the way scripts/run-demo prepares it, a few
// frames of the curved flight are rendered with one and with two jobs, and every written file is compared
// with the hashes recorded from the plain single-threaded renderer. (The frames changed once on purpose:
// triangles whose corners project onto one line are lit like the rest instead of showing the dust alone;
// tests/render/GuardTest.cpp keeps the frames of before for that way of lighting them.)

#include "RenderCliSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Every file of folder (but the error log) with its hash, in name order.
std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& n : names) {
        char line[160];
        std::snprintf(line, sizeof line, "%s %016llx\n", n.c_str(),
                      static_cast<unsigned long long>(Fnv1a(TempDir::read(folder + "/" + n))));
        listing += line;
    }
    return listing;
}

const std::string kExamples = std::string(ORVANTIS_SOURCE_DIR) + "/examples";

} // namespace

TEST(CliRenderGuard, DemoFramesKeepTheirBytesWithOneAndTwoJobs) {
    TempDir dir, tmp;
    const std::string generated = dir.path("generated");
    fs::create_directories(generated);

    // The demo's inputs, made as scripts/run-demo makes them.
    CliRun dem =
        runRender({"dem-import", kExamples + "/jacksboro.dem", generated + "/jacksboro-elev.tga"}, tmp);
    ASSERT_EQ(dem.status, 0) << dem.err;
    const std::string palette = "python3 '" + kExamples + "/make-palette.py' '" + generated + "/palette.tga'";
    ASSERT_EQ(std::system(palette.c_str()), 0);
    CliRun colour = runRender({"elev-to-color", generated + "/jacksboro-elev.tga",
                               generated + "/jacksboro-texture.tga", "--palette", generated + "/palette.tga"},
                              tmp);
    ASSERT_EQ(colour.status, 0) << colour.err;
    // (A change here is a change of the import or the colouring, not of the renderer.)
    ASSERT_EQ(Listing(generated), "jacksboro-elev.tga b7ce769bf442ffca\n"
                                  "jacksboro-texture.tga 420277ead54345c7\n"
                                  "palette.tga 1f7896384b93bd6f\n");
    fs::copy_file(kExamples + "/demo-curved.ovs", dir.path("demo-curved.ovs"));

    // The recorder writes the user's decimal separator: render in the C locale.
    const char* oldLocale = std::getenv("LC_ALL");
    const std::string savedLocale = oldLocale ? oldLocale : "";
    setenv("LC_ALL", "C", 1);
    const std::string expected = "OVRECORD.XLS daac2716297ec845\n"
                                 "curved000.tga 1ea23f288b18290b\n"
                                 "curved001.tga 339451bda193b599\n"
                                 "curved002.tga 86f1e97fffe0cced\n"
                                 "curved003.tga f58dcdbf53647729\n"
                                 "curved004.tga 8ec838e4b8471e9e\n"
                                 "curved005.tga 04629f4eaeabaa37\n";
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("--jobs ") + jobs);
        const std::string out = dir.path(std::string("out") + jobs);
        CliRun r = runRender({"render", dir.path("demo-curved.ovs"), "--from", "0", "--to", "5",
                              "--output-dir", out, "--quiet", "--jobs", jobs},
                             tmp);
        ASSERT_EQ(r.status, 0) << r.err;
        std::string printed;
        for (int i = 0; i <= 5; ++i) printed += out + "/curved00" + std::to_string(i) + ".tga\n";
        EXPECT_EQ(r.out, printed);
        EXPECT_EQ(Listing(out), expected);
    }
    if (oldLocale)
        setenv("LC_ALL", savedLocale.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

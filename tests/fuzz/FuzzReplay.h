#pragma once
// Replays a fuzz target on its seed corpus (tests/fuzz/corpus/NAME) and on every input the fuzzer found
// and that was fixed (tests/fuzz/regressions/NAME), as part of the ordinary test suite.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzz {

// The files of tests/fuzz/KIND/NAME in name order.
inline std::vector<std::filesystem::path> fuzzInputs(const std::string& kind, const std::string& name) {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path dir = std::filesystem::path(ORVANTIS_SOURCE_DIR) / "tests/fuzz" / kind / name;
    if (!std::filesystem::is_directory(dir)) return files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.is_regular_file() && e.path().filename() != "README.md") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs target on every seed and kept input of the harness; returns how many ran.
template <class Target> size_t replay(const std::string& name, Target target) {
    size_t count = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        for (const auto& file : fuzzInputs(kind, name)) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            EXPECT_EQ(target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "") << file;
            ++count;
        }
    }
    return count;
}

} // namespace fuzz

// Every input the fuzzer once found a fault with (fuzz/regressions/HARNESS/),
// and every example file it starts from, run as a fuzz case: loaded as the
// runner loads it and run with the invariants checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzCases.h"

namespace {

namespace fs = std::filesystem;

struct Input {
    std::string harness;
    fs::path path;
};

std::string Read(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The example files, each for the harness of its kind.
std::string HarnessOfExample(const std::string& text)
{
    if (text.find("<world") != std::string::npos)
        return "scene";
    if (text.find("<neuralrobot") != std::string::npos)
        return "robot";
    return "network";
}

std::vector<Input> Inputs()
{
    std::vector<Input> inputs;
    const fs::path source = KORVALE_SOURCE_DIR;
    for (const char* harness : {"scene", "robot", "network"}) {
        // git keeps no empty folder: a harness without regressions has none.
        const fs::path folder = source / "fuzz" / "regressions" / harness;
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                inputs.push_back({harness, entry.path()});
    }
    for (const auto& entry : fs::directory_iterator(source / "examples"))
        if (entry.path().extension() == ".xml")
            inputs.push_back({HarnessOfExample(Read(entry.path())), entry.path()});
    std::sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) { return a.path < b.path; });
    return inputs;
}

// One test over whatever the folders hold now, so that an input added to
// fuzz/regressions/ runs without a rebuild.
TEST(FuzzInputs, KeepEveryInvariant)
{
    const std::vector<Input> inputs = Inputs();
    ASSERT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        Korvale::Fuzz::Harness harness{};
        ASSERT_TRUE(Korvale::Fuzz::HarnessFromName(input.harness, harness));
        EXPECT_EQ(Korvale::Fuzz::RunCase(harness, Read(input.path), KORVALE_SOURCE_DIR "/examples").fault, "")
            << input.harness << " harness, " << input.path.string();
    }
}

} // namespace

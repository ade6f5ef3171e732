// Every input the fuzzer once found a fault with (fuzz/regressions/HARNESS/),
// and every example file it starts from, run as a fuzz case: loaded as the
// runner loads it and run with the invariants checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/FuzzCases.h"

namespace {

namespace fs = std::filesystem;

struct Input {
    std::string harness;
    fs::path path;
};

// What a failing case names in its message.
void PrintTo(const Input& input, std::ostream* out) { *out << input.harness << " harness, " << input.path.string(); }

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

std::string TestName(const testing::TestParamInfo<Input>& info)
{
    std::string name = info.param.path.parent_path().filename().string() + "_" + info.param.path.stem().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class FuzzInput : public testing::TestWithParam<Input> {};

TEST_P(FuzzInput, KeepsEveryInvariant)
{
    Korvale::Fuzz::Harness harness{};
    ASSERT_TRUE(Korvale::Fuzz::HarnessFromName(GetParam().harness, harness));
    EXPECT_EQ(Korvale::Fuzz::RunCase(harness, Read(GetParam().path), KORVALE_SOURCE_DIR "/examples"), "")
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzInput, testing::ValuesIn(Inputs()), TestName);

} // namespace

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

using namespace TestSupport;

namespace {

using Tarn::CFenIOStruct;
using Tarn::CFenWorld;


// Bytes of a fixed pseudo-random sequence, NULs and all.
std::string binaryNoise(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

const char* const goodScene = R"(<?xml version="1.0"?>
<world width="100" height="80" startX="10" startY="10">
  <object x="20" y="20" r="3" color="red" mass="1"/>
  <object x="50" y="40" angle="30" color="#102030">
    <polygone m="3">-2 -2 2 -2 0 2</polygone>
  </object>
</world>
)";

TEST(BadInput, EveryTruncationOfASceneGivesAMessageOrLoads)
{
    const std::string scene = goodScene;
    for (std::size_t length = 0; length < scene.size(); ++length) {
        ReadingWorld world;
        CFenIOStruct io = CFenIOStruct::FromText(scene.substr(0, length));
        if (io.IsOk())
            world.Read(io);
        if (!io.IsOk()) {
            EXPECT_FALSE(io.GetErrorText().empty());
            EXPECT_EQ(world.GetObjectCount(), 0u);
        }
    }
}

TEST(BadInput, BinaryFileCannotBeOpened)
{
    const TempFile file(binaryNoise(64 * 1024));
    const CFenIOStruct io(file.Name());
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
}

TEST(BadInput, FiftyMegabytesOfNoiseCannotBeOpened)
{
    const TempFile file(binaryNoise(50u << 20));
    const CFenIOStruct io(file.Name());
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
}

TEST(BadInput, FileBeyondTheSizeLimitIsNotOpened)
{
    const TempFile file("<world width='1' height='1'/>");
    // Sparse: no disk space is used and nothing is read.
    std::filesystem::resize_file(file.Name(), Tarn::maxXmlFileSize + 1);
    const CFenIOStruct io(file.Name());
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
}

TEST(BadInput, PipeIsNotWaitedFor)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("korvale_pipe_" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const CFenIOStruct io(path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
}

TEST(BadInput, FiftyMegabyteAttributeValueIsReadAsItsNumber)
{
    // A width of one followed by fifty million zeros is too large for a
    // double, and read as the largest finite one (never infinity), it lies
    // beyond what a scene may hold.
    const TempFile file("<world width=\"1" + std::string(50u << 20, '0') + "\" height=\"5\"/>");
    CFenIOStruct io(file.Name());
    ReadingWorld world;
    world.Read(io);
    EXPECT_EQ(io.GetErrorText(), "Error in CFenWorldIO: width out of range\n");
}

TEST(BadInput, FiftyMegabytePolygonTextIsRejected)
{
    std::string text;
    text.reserve(50u << 20);
    while (text.size() < (50u << 20))
        text += "1.5 -2.25\n";
    CFenIOStruct io = CFenIOStruct::FromText("<world width='9' height='9'><object x='1' y='1'><polygone m='3'>" +
                                             text + "</polygone></object></world>");
    ReadingWorld world;
    world.Read(io);
    EXPECT_EQ(io.GetErrorText(), "Error in CAnPolygoneReader: unable to parse the text\n"
                                 "Error in CFenPhysicalObjectReader: unable to read boundingSurface\n"
                                 "Error in CFenPhysicalObjectIO: unable to read object\n"
                                 "Error in CFenWorldIO: unable to read object\n");
}

std::string nested(const std::string& open, const std::string& inner, const std::string& close, int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text = open + text + inner;
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text + close;
}

TEST(BadInput, DeeplyNestedUnknownElementsAreSkipped)
{
    constexpr int depth = 500000;
    {
        ReadingWorld world;
        CFenIOStruct io = CFenIOStruct::FromText(
            nested("<world width='10' height='10'><object x='1' y='1' r='1'/>", "<object/>", "</world>", depth));
        world.Read(io);
        EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
        EXPECT_EQ(world.GetObjectCount(), 1u);
    }
    {
        ReadingWorld world;
        Tarn::CFenNeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world);
        CFenIOStruct io = CFenIOStruct::FromText(
            nested("<neuralrobot wheelDistance='1' robotSpeed='1'><object x='1' y='1' r='1'/><sensors>",
                   "<camera/>", "</sensors></neuralrobot>", depth));
        robot.Read(io);
        EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    }
}

TEST(BadInput, UnterminatedDeepNestingCannotBeOpened)
{
    std::string text = "<world>";
    for (int i = 0; i < 500000; ++i)
        text += "<a>";
    const CFenIOStruct io = CFenIOStruct::FromText(text);
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
}

} // namespace

// Loading a scene of 10,000 obstacles, half discs and half hexagons, from a
// file: parsing, reading and creating every adapter and engine body; and
// loading a robot with many infrared sensors.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "engine/NeuralRobot.h"
#include "io/CFenIOStruct.h"
#include "io/CFenIOFactory.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "render/CFenGraphicsFactory.h"
#include "tests/support/TestWorld.h"

namespace {

std::string generatedScene(int objectCount)
{
    std::string text = "<?xml version=\"1.0\"?>\n<world width=\"1000\" height=\"1000\" startX=\"5\" startY=\"5\">\n";
    char line[512];
    for (int i = 0; i < objectCount; ++i) {
        const double x = 10 + (i % 100) * 9.8;
        const double y = 10 + (i / 100) * 9.8;
        if (i % 2 == 0) {
            std::snprintf(line, sizeof line,
                          "  <object x=\"%.2f\" y=\"%.2f\" r=\"%.2f\" color=\"orange\" mass=\"1.5\" height=\"5\"/>\n",
                          x, y, 1.0 + (i % 7) * 0.25);
            text += line;
            continue;
        }
        std::snprintf(line, sizeof line,
                      "  <object x=\"%.2f\" y=\"%.2f\" angle=\"%d\" color=\"#3366cc\" mass=\"-1\">\n"
                      "    <polygone m=\"6\">",
                      x, y, i % 360);
        text += line;
        for (int k = 0; k < 6; ++k) {
            const double a = k * 3.141592653589793 / 3;
            std::snprintf(line, sizeof line, " %.4f %.4f", 2 * std::cos(a), 2 * std::sin(a));
            text += line;
        }
        text += "</polygone>\n  </object>\n";
    }
    return text + "</world>\n";
}

void BM_LoadScene10000(benchmark::State& state)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("korvale_bench_scene_" + std::to_string(::getpid()) + ".xml");
    std::ofstream(path, std::ios::binary) << generatedScene(10000);
    // Graphics objects are made for every body, as in the program, but never drawn.
    TestSupport::TestWorld<Tarn::CFenIOFactory, Tarn::CFenGraphicsFactory> world(nullptr);
    for (auto _ : state) {
        Tarn::CFenIOStruct io(path.string());
        world.Read(io);
        if (!io.IsOk() || world.GetObjectCount() != 10000) {
            state.SkipWithError(io.GetErrorText().c_str());
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadScene10000)->Unit(benchmark::kMillisecond);

// Sensors of different ranges, so that ordering them by reach has work to do.
std::string generatedRobot(int sensorCount)
{
    std::string text = "<neuralrobot wheelDistance=\"5\" robotSpeed=\"8\">\n"
                       "  <object x=\"50\" y=\"50\" r=\"3\" mass=\"1\"/>\n  <sensors>\n";
    char line[256];
    for (int i = 0; i < sensorCount; ++i) {
        std::snprintf(line, sizeof line,
                      "    <irsensor x=\"0\" y=\"0\" height=\"1\" orientation=\"%d\" range=\"%d\"/>\n", i % 360,
                      1 + i % 97);
        text += line;
    }
    return text + "  </sensors>\n</neuralrobot>\n";
}

void BM_LoadRobotSensors(benchmark::State& state)
{
    const int sensors = static_cast<int>(state.range(0));
    const std::string xml = generatedRobot(sensors);
    TestSupport::TestWorld<Tarn::CFenIOFactory, TestSupport::NoDrawing> world;
    Tarn::CFenNeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world);
    for (auto _ : state) {
        Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(xml);
        robot.Read(io);
        if (!io.IsOk() || robot.GetPhysicalObject().irSensors.size() != static_cast<std::size_t>(sensors)) {
            state.SkipWithError(io.GetErrorText().c_str());
            break;
        }
    }
}
BENCHMARK(BM_LoadRobotSensors)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

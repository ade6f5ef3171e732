// Swarms at the density of examples/Swarm.xml: N robots of examples/Robot.xml
// (8 infrared sensors and a 60-pixel camera each) running AvoidObstacles.xml
// among Crowded.xml's bodies, the arena grown with N (100 x 100 per 20
// robots, Crowded.xml's bodies laid once per 100 x 100 tile, those that fit
// in the arena whole). Steps
// of 1/60 s through the world adapter, as every program steps. Prints, per N,
// simulated seconds per wall second, the cost of one robot's frame and the
// memory the loaded swarm takes per robot (resident size before and after), and
// the processor time per robot-frame of all threads, which a shared machine
// leaves as it is.
//
// Usage: bench_swarm [N ...] [--seconds S] [--threads T,...]   (default N: 10
// 100 1000 10000; S: 3 seconds of wall time per N, at least 3 frames; T: 1,2,
// the threads the step shares sensing and cameras with, each on the same
// swarm loaded afresh). Ends with the load average, as the machine may be shared.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/World.h"
#include "io/CFenIOFactory.h"
#include "io/CFenIOStruct.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestWorld.h"

namespace {

using SwarmWorld = TestSupport::TestWorld<Tarn::CFenIOFactory, TestSupport::NoDrawing>;

const std::string examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";
constexpr double frameTime = 1.0 / 60;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Crowded.xml's objects moved into every tile of the arena, but for those
// whose position and radius would reach past its far walls.
std::string Scene(int robots)
{
    const double side = std::round(100 * std::sqrt(robots / 20.0) * 1000) / 1000;
    const std::string crowded = ReadText(examples + "Crowded.xml");
    const std::regex objectPattern(R"(  <object [^]*?(?:/>|</object>)\n)");
    std::vector<std::string> objects;
    for (auto it = std::sregex_iterator(crowded.begin(), crowded.end(), objectPattern); it != std::sregex_iterator(); ++it)
        objects.push_back(it->str());
    std::string text = "<world width=\"" + std::to_string(side) + "\" height=\"" + std::to_string(side) + "\">\n";
    const int tiles = static_cast<int>(std::ceil(side / 100));
    const std::regex xPattern(R"(\bx="([^"]+)\")"), yPattern(R"(\by="([^"]+)\")"), rPattern(R"(\br="([^"]+)\")");
    for (int row = 0; row < tiles; ++row)
        for (int column = 0; column < tiles; ++column)
            for (const std::string& object : objects) {
                std::smatch x, y;
                std::regex_search(object, x, xPattern);
                std::regex_search(object, y, yPattern);
                std::smatch r;
                // Polygons of Crowded.xml reach at most 6.4 from their position.
                const double reach = std::regex_search(object, r, rPattern) ? std::stod(r[1]) : 6.4;
                if (std::stod(x[1]) + 100 * column + reach > side || std::stod(y[1]) + 100 * row + reach > side)
                    continue;
                std::string moved = std::regex_replace(object, xPattern, "x=\"" + std::to_string(std::stod(x[1]) + 100 * column) + "\"",
                                                       std::regex_constants::format_first_only);
                moved = std::regex_replace(moved, yPattern, "y=\"" + std::to_string(std::stod(y[1]) + 100 * row) + "\"",
                                           std::regex_constants::format_first_only);
                text += moved;
            }
    text += "  <robots file=\"Robot.xml\" count=\"" + std::to_string(robots) + "\" seed=\"1\" network=\"AvoidObstacles.xml\"/>\n";
    return text + "</world>\n";
}

double ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// Processor time of all the process's threads: on a shared machine, what the
// step itself costs, whatever else runs.
double ProcessorSeconds()
{
    timespec time{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + 1e-9 * static_cast<double>(time.tv_nsec);
}

void Measure(int robots, double seconds, unsigned threads)
{
    TestSupport::TempFolder folder;
    for (const char* name : {"Robot.xml", "AvoidObstacles.xml"})
        folder.Write(name, ReadText(examples + name));
    const std::string scene = folder.Write("Swarm.xml", Scene(robots));
    const double before = ResidentBytes();
    SwarmWorld world;
    Tarn::CFenIOStruct io(scene);
    world.Read(io);
    if (!io.IsOk()) {
        std::fprintf(stderr, "%s", io.GetErrorText().c_str());
        return;
    }
    const double memory = ResidentBytes() - before;
    world.GetFenWorld().setThreads(threads);
    world.Step(frameTime); // the caches of a first step
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const double processorStart = ProcessorSeconds();
    int frames = 0;
    double wall = 0;
    while (frames < 3 || wall < seconds) {
        world.Step(frameTime);
        ++frames;
        wall = std::chrono::duration<double>(Clock::now() - start).count();
    }
    const double simulated = frames * frameTime;
    const double processor = ProcessorSeconds() - processorStart;
    const double robotFrames = frames * static_cast<double>(robots);
    std::printf("%6d robots  %5u bodies  arena %7.1f  %u thread%s  %5d frames  %9.2f x real time  %8.3f us per "
                "robot-frame  %8.3f us processor time per robot-frame  %6.1f KiB per robot  broad phase: %s\n",
                robots, world.GetObjectCount(), world.GetFenWorld().width, threads, threads == 1 ? " " : "s", frames,
                simulated / wall, 1e6 * wall / robotFrames, 1e6 * processor / robotFrames, memory / robots / 1024,
                world.GetFenWorld().lastStepUsedBroadPhase() ? "yes" : "no");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts;
    std::vector<unsigned> threads;
    double seconds = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--seconds" && i + 1 < argc) {
            seconds = std::stod(argv[++i]);
        } else if (argument == "--threads" && i + 1 < argc) {
            std::istringstream list(argv[++i]);
            for (std::string item; std::getline(list, item, ',');)
                threads.push_back(static_cast<unsigned>(std::stoul(item)));
        } else {
            counts.push_back(std::stoi(argument));
        }
    }
    if (counts.empty())
        counts = {10, 100, 1000, 10000};
    if (threads.empty())
        threads = {1, 2};
    for (const int count : counts)
        for (const unsigned threadCount : threads)
            Measure(count, seconds, threadCount);
    double load[3] = {0, 0, 0};
    if (::getloadavg(load, 3) == 3)
        std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}

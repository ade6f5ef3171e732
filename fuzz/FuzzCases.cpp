#include "fuzz/FuzzCases.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>
#include <unistd.h>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/PhysicalObject.h"
#include "engine/Polygone.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "render/CVertexBuffer.h"

namespace Korvale::Fuzz {

namespace {

constexpr int frames = 300;
// A swarm steps fewer frames: a mutated count of thousands of robots must
// not take the case past the fuzzer's time limit.
constexpr unsigned robotFrameBudget = 300 * 64;
constexpr float frameTime = 1.0f / 60.0f;

// The commands' error texts, kept to be checked.
class CheckingHost : public ISceneCommandHost {
public:
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string& text) override { shown += text; }
    void ResetZoom() override {}
    void CheckKeyboardButton() override {}
    void CheckNoTargetButton() override {}

    // Empty when the text that a command showed fits its result. A failed
    // load shows its faults, then the line that names its file:
    // "KIND file 'FILE': WHAT", with something said after the colon.
    std::string Judge(const char* command, bool ok, const char* kind = nullptr, const std::string& file = {})
    {
        std::string text;
        text.swap(shown);
        if (ok)
            return text.empty() ? std::string{} : std::string(command) + " succeeded and showed: " + text;
        if (text.empty())
            return std::string(command) + " failed without a message";
        if (text.back() != '\n')
            return std::string(command) + " showed a text without its last line feed:\n" + text;
        std::vector<std::string> lines;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);)
            lines.push_back(line);
        if (kind != nullptr) {
            const std::string named = std::string(kind) + " file '" + file + "': ";
            if (lines.size() < 2 || lines.back().rfind(named, 0) != 0 || lines.back().size() == named.size())
                return std::string(command) + " did not end with the line that names the file:\n" + text;
            lines.pop_back();
        }
        for (const std::string& line : lines) {
            if (line.rfind("Error in C", 0) != 0 && line != "Inconsistent neural network")
                return std::string(command) + " showed a line that is not a fault: '" + line + "' in:\n" + text;
        }
        return {};
    }

private:
    std::string shown;
};

// The input as a file, as the runner gets it: one file per process in a
// folder of its own, removed when the process ends. The example robot and
// network lie beside it, so that a scene's robot elements can name them.
class InputFile {
public:
    InputFile()
        : folder(std::filesystem::temp_directory_path() / ("korvale-fuzz-" + std::to_string(::getpid()))),
          path((folder / "input.xml").string())
    {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    ~InputFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void Provide(const std::string& examples) const
    {
        std::error_code ignored;
        for (const char* name : {"Robot.xml", "AvoidObstacles.xml"})
            if (!std::filesystem::exists(folder / name))
                std::filesystem::copy_file(std::filesystem::path(examples) / name, folder / name, ignored);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Write(std::string_view input) const
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(input.data(), static_cast<std::streamsize>(input.size()));
        return path;
    }

private:
    std::filesystem::path folder;
    std::string path;
};

std::string WriteInput(std::string_view input, const std::string& examples)
{
    static const InputFile file;
    file.Provide(examples);
    return file.Write(input);
}

bool Finite(const Fen::Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// How far the walls keep the body's centre inside at least: the least
// extent of its outline from the centre in any direction. A disc's radius;
// for a polygon around its centre, the distance to its nearest edge line; for
// a polygon beside its centre, minus its distance from the centre, which the
// walls may then leave beyond them.
double LeastReach(const Fen::PhysicalObject& body)
{
    if (!body.hasBoundingSurface)
        return body.r;
    double inside = std::numeric_limits<double>::infinity();
    double distance = std::numeric_limits<double>::infinity();
    const Fen::Polygone& v = body.boundingSurface;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Fen::Point& a = v[i];
        const Fen::Point& b = v[i + 1 == v.size() ? 0 : i + 1];
        if (const Fen::Vector n = Fen::inwardNormal(v, i); !(n == Fen::Vector{}))
            inside = std::min(inside, -n.dot(a));
        // The centre's distance from the edge a-b.
        const Fen::Vector e = b - a;
        const double t = e.norm2() > 0 ? std::clamp(-a.dot(e) / e.norm2(), 0.0, 1.0) : 0;
        distance = std::min(distance, (a + e * t).norm());
    }
    return inside >= 0 ? inside : -distance;
}

// How far one frame can take the robot: its top speed is 2.1 x robotSpeed
// (forward with both turns, 5 % wheel noise).
double TopTravel(const Fen::NeuralRobot& robot, double step) { return 2.1 * std::abs(robot.robotSpeed) * step; }

std::string Describe(const char* what, const Fen::PhysicalObject& body, std::size_t index, int frame)
{
    std::ostringstream text;
    text.precision(17);
    text << what << " (body " << index << " after frame " << frame << "): pos (" << body.pos.x << ", " << body.pos.y
         << "), angle " << body.angle << ", speed (" << body.speed.x << ", " << body.speed.y << ")";
    return text.str();
}

// The walls leave the robot's centre at least its inner reach inside after
// its wall contact, and no contact takes it farther; then it drives for the
// frame. So the centre ends every frame at least its inner reach less one
// frame's top travel inside each wall: inside the arena while the robot
// cannot pass its own outline in a frame, and never far past a wall.
std::string CheckRobot(const Fen::World& world, const Fen::NeuralRobot* robot, std::size_t index, double step,
                       int frame)
{
    if (robot != nullptr && world.useWalls) {
        const Fen::Point& p = robot->pos;
        const double rounding = 1e-9 * std::max({1.0, world.width, world.height});
        const double least = LeastReach(*robot) - TopTravel(*robot, step) - rounding;
        if (!(std::min({p.x, p.y, world.width - p.x, world.height - p.y}) >= least)) {
            std::ostringstream size;
            size << " in an arena of " << world.width << " by " << world.height << ", where its centre stays " << least
                 << " inside the walls";
            return Describe("the robot ended a frame past a wall", *robot, index, frame) + size.str();
        }
    }
    return {};
}

// Every body stays finite; the user's robot and every robot the scene placed
// stay inside the walls.
std::string CheckWorld(const Fen::World& world, const Fen::NeuralRobot* robot, double step, int frame)
{
    for (std::size_t i = 0; i < world.objects.size(); ++i) {
        const Fen::PhysicalObject& body = *world.objects[i];
        if (!Finite(body.pos) || !std::isfinite(body.angle) || !Finite(body.speed) || !std::isfinite(body.angSpeed))
            return Describe("a body is no longer finite", body, i, frame);
        if (const auto* other = dynamic_cast<const Fen::NeuralRobot*>(&body); other != nullptr && other != robot)
            if (std::string fault = CheckRobot(world, other, i, step, frame); !fault.empty())
                return "a scene's robot: " + fault;
    }
    return CheckRobot(world, robot, world.objects.size() - 1, step, frame);
}

} // namespace

int FramesFor(unsigned robots)
{
    return static_cast<int>(std::clamp(robotFrameBudget / std::max(robots, 1u), 1u, static_cast<unsigned>(frames)));
}

bool HarnessFromName(std::string_view name, Harness& harness)
{
    if (name == "scene")
        harness = Harness::Scene;
    else if (name == "robot")
        harness = Harness::Robot;
    else if (name == "network")
        harness = Harness::Network;
    else
        return false;
    return true;
}

CaseResult RunCase(Harness harness, std::string_view input, const std::string& examples)
{
    // Every case starts the noise where a program starts it.
    Fen::setRandomState(0);
    const std::string file = WriteInput(input, examples);
    const std::string scenePath = harness == Harness::Scene ? file : examples + "/Crowded.xml";
    const std::string robotPath = harness == Harness::Robot ? file : examples + "/Robot.xml";
    const std::string networkPath = harness == Harness::Network ? file : examples + "/AvoidObstacles.xml";

    CKeyboard keyboard;
    Tarn::CVertexBuffer vertexBuffer; // no device: nothing is drawn
    CKorvaleScene scene(&vertexBuffer, &keyboard);
    CheckingHost host;
    CSceneCommands commands(scene, host);

    bool ok = commands.LoadScene(scenePath);
    if (std::string fault = host.Judge("Load Scene", ok, "Scene", scenePath); !fault.empty())
        return {fault};
    if (!ok)
        return {};
    ok = commands.LoadRobot(robotPath);
    if (std::string fault = host.Judge("Load Robot", ok, "Robot", robotPath); !fault.empty())
        return {fault};
    if (!ok)
        return {};
    if (harness != Harness::Robot) {
        ok = commands.LoadNetwork(networkPath);
        if (std::string fault = host.Judge("Load Network", ok, "Network", networkPath); !fault.empty())
            return {fault};
        if (!ok)
            return {};
        // A network that does not fit the robot leaves the keyboard driving.
        ok = commands.SelectNeuralNetwork();
        if (std::string fault = host.Judge("Neural Network", ok); !fault.empty())
            return {fault};
    }

    const Fen::NeuralRobot* robot = &scene.GetRobot()->GetPhysicalObject();
    const Fen::World& world = scene.GetWorld()->GetFenWorld();
    const auto key = [&keyboard](std::uint8_t code, bool down) {
        keyboard.OnMsg(nullptr, down ? Tarn::WindowMessage::KeyDown : Tarn::WindowMessage::KeyUp, code, 0);
    };
    // Under the keyboard: forward all the time, turning left in the second
    // and right in the fourth second.
    key(Tarn::VirtualKey::Up, true);
    const int steps = FramesFor(scene.GetWorld()->GetSwarmSize());
    for (int frame = 1; frame <= steps; ++frame) {
        if (frame == 60 || frame == 120)
            key(Tarn::VirtualKey::Left, frame == 60);
        if (frame == 180 || frame == 240)
            key(Tarn::VirtualKey::Right, frame == 180);
        scene.AdvanceFrame(frameTime);
        if (std::string fault = CheckWorld(world, robot, static_cast<double>(frameTime), frame); !fault.empty())
            return {fault, true};
    }
    return {{}, true};
}

} // namespace Korvale::Fuzz

#include "fuzz/FuzzCases.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/PhysicalObject.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "render/CVertexBuffer.h"

namespace Korvale::Fuzz {

namespace {

constexpr int frames = 300;
constexpr float frameTime = 1.0f / 60.0f;

// The commands' error texts, kept to be checked.
class CheckingHost : public ISceneCommandHost {
public:
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string& text) override { shown += text; }
    void ResetZoom() override {}
    void CheckKeyboardButton() override {}
    void CheckNoTargetButton() override {}

    // Empty when the text that a command showed fits its result.
    std::string Judge(const char* command, bool ok)
    {
        std::string text;
        text.swap(shown);
        if (ok)
            return text.empty() ? std::string{} : std::string(command) + " succeeded and showed: " + text;
        if (text.empty())
            return std::string(command) + " failed without a message";
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("Error in C", 0) != 0 && line != "Inconsistent neural network")
                return std::string(command) + " showed a line that is not a fault: '" + line + "' in:\n" + text;
        }
        if (text.back() != '\n')
            return std::string(command) + " showed a text without its last line feed:\n" + text;
        return {};
    }

private:
    std::string shown;
};

// The input as a file, as the runner gets it: one file per process, removed
// when the process ends.
class InputFile {
public:
    InputFile()
        : path((std::filesystem::temp_directory_path() / ("korvale-fuzz-" + std::to_string(::getpid()) + ".xml"))
                   .string())
    {
    }
    ~InputFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
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
    std::string path;
};

std::string WriteInput(std::string_view input)
{
    static const InputFile file;
    return file.Write(input);
}

bool Finite(const Fen::Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

std::string Describe(const char* what, const Fen::PhysicalObject& body, std::size_t index, int frame)
{
    std::ostringstream text;
    text.precision(17);
    text << what << " (body " << index << " after frame " << frame << "): pos (" << body.pos.x << ", " << body.pos.y
         << "), angle " << body.angle << ", speed (" << body.speed.x << ", " << body.speed.y << ")";
    return text.str();
}

std::string CheckWorld(const Fen::World& world, const Fen::NeuralRobot* robot, int frame)
{
    for (std::size_t i = 0; i < world.objects.size(); ++i) {
        const Fen::PhysicalObject& body = *world.objects[i];
        if (!Finite(body.pos) || !std::isfinite(body.angle) || !Finite(body.speed) || !std::isfinite(body.angSpeed))
            return Describe("a body is no longer finite", body, i, frame);
    }
    if (robot != nullptr) {
        const Fen::Point& p = robot->pos;
        if (!(p.x >= 0 && p.x <= world.width && p.y >= 0 && p.y <= world.height)) {
            std::ostringstream size;
            size << " in an arena of " << world.width << " by " << world.height;
            return Describe("the robot's centre left the arena", *robot, world.objects.size() - 1, frame)
                + size.str();
        }
    }
    return {};
}

} // namespace

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

std::string RunCase(Harness harness, std::string_view input, const std::string& examples)
{
    // Every case starts the noise where a program starts it.
    Fen::setRandomState(0);
    const std::string file = WriteInput(input);
    const std::string scenePath = harness == Harness::Scene ? file : examples + "/Crowded.xml";
    const std::string robotPath = harness == Harness::Robot ? file : examples + "/Robot.xml";
    const std::string networkPath = harness == Harness::Network ? file : examples + "/AvoidObstacles.xml";

    CKeyboard keyboard;
    Tarn::CVertexBuffer vertexBuffer; // no device: nothing is drawn
    CKorvaleScene scene(&vertexBuffer, &keyboard);
    CheckingHost host;
    CSceneCommands commands(scene, host);

    bool ok = commands.LoadScene(scenePath);
    if (std::string fault = host.Judge("Load Scene", ok); !fault.empty())
        return fault;
    if (!ok)
        return {};
    ok = commands.LoadRobot(robotPath);
    if (std::string fault = host.Judge("Load Robot", ok); !fault.empty())
        return fault;
    if (!ok)
        return {};
    if (harness != Harness::Robot) {
        ok = commands.LoadNetwork(networkPath);
        if (std::string fault = host.Judge("Load Network", ok); !fault.empty())
            return fault;
        if (!ok)
            return {};
        // A network that does not fit the robot leaves the keyboard driving.
        ok = commands.SelectNeuralNetwork();
        if (std::string fault = host.Judge("Neural Network", ok); !fault.empty())
            return fault;
    }

    const Fen::NeuralRobot* robot = &scene.GetRobot()->GetPhysicalObject();
    const Fen::World& world = scene.GetWorld()->GetFenWorld();
    const auto key = [&keyboard](std::uint8_t code, bool down) {
        keyboard.OnMsg(nullptr, down ? Tarn::WindowMessage::KeyDown : Tarn::WindowMessage::KeyUp, code, 0);
    };
    // Under the keyboard: forward all the time, turning left in the second
    // and right in the fourth second.
    key(Tarn::VirtualKey::Up, true);
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame == 60 || frame == 120)
            key(Tarn::VirtualKey::Left, frame == 60);
        if (frame == 180 || frame == 240)
            key(Tarn::VirtualKey::Right, frame == 180);
        scene.AdvanceFrame(frameTime);
        if (std::string fault = CheckWorld(world, robot, frame); !fault.empty())
            return fault;
    }
    return {};
}

} // namespace Korvale::Fuzz

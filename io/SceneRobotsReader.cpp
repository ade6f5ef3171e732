#include "io/SceneRobotsReader.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include "control/CFeedForward.h"
#include "control/NetworkFit.h"
#include "engine/CircularCam.h"
#include "engine/FreePlaces.h"
#include "engine/NeuralRobot.h"
#include "engine/ShapeChecks.h"
#include "io/AttributeValue.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ModelFileFault.h"
#include "io/ReportFault.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenWorldIO";

enum Attribute : std::size_t { File, X, Y, Angle, Network, Count, Seed, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"file", "x", "y", "angle", "network", "count", "seed"};

// "the robot element at line 4", to begin a fault's words.
std::string Where(const CXmlNode& element)
{
    std::string where = element.GetNodeName() + " element";
    if (const std::size_t line = element.GetLine(); line != 0)
        where += " at line " + std::to_string(line);
    return where;
}

bool Fail(CFenIOStruct& io, const std::string& words)
{
    ReportFault(io, reader, words);
    return false;
}

// The attributes of a robot element, checked as a scene's objects are.
struct Attributes {
    std::array<std::string, AttributeCount> text;
    std::array<bool, AttributeCount> seen{};
};

std::optional<Attributes> ReadAttributes(CFenIOStruct& io, const CXmlNode& element)
{
    Attributes attributes;
    const auto keep = [&](std::size_t k, const std::string& value) {
        attributes.text[k] = value;
        return true;
    };
    if (!ForEachNamedAttribute(element, names, attributes.seen, io, reader, keep))
        return std::nullopt;
    if (!attributes.seen[File] || attributes.text[File].empty()) {
        Fail(io, Where(element) + ": the robot file is not named (file=\"...\")");
        return std::nullopt;
    }
    return attributes;
}

// Reads the robot file into a new scene robot; null after a fault.
CFenNeuralRobot* ReadRobot(CFenIOStruct& io, CFenIOStruct& robotFile, const CXmlNode& element,
                           const std::string& name, CFenWorld& world)
{
    const std::string where = "robot file '" + name + "' of the " + Where(element) + ": ";
    if (!robotFile.IsOk()) {
        Fail(io, where + ModelFaultWords(robotFile, ModelFileKind::Robot));
        return nullptr;
    }
    CFenNeuralRobot& robot = CFenNeuralRobot::CreateSceneRobot(world);
    robot.Read(robotFile);
    if (!robotFile.IsOk()) {
        Fail(io, where + ModelFaultWords(robotFile, ModelFileKind::Robot));
        return nullptr;
    }
    const Fen::World& arena = world.GetFenWorld();
    if (!Fen::fitsInArena(robot.GetPhysicalObject(), arena.width, arena.height, true)) {
        Fail(io, where + "the robot does not fit in the arena");
        return nullptr;
    }
    return &robot;
}

// Reads the network file named by the element, and checks that it can
// drive the robot; empty without one.
bool ReadNetwork(CFenIOStruct& io, const CXmlNode& element, const Attributes& attributes, const Fen::NeuralRobot& robot,
                 std::optional<CFeedForward>& network)
{
    if (!attributes.seen[Network])
        return true;
    const std::string& name = attributes.text[Network];
    const std::string where = "network file '" + name + "' of the " + Where(element) + ": ";
    CFenIOStruct file = io.OpenNamed(name);
    network.emplace();
    if (file.IsOk())
        CFeedForwardReader().Read(file, *network);
    if (!file.IsOk())
        return Fail(io, where + ModelFaultWords(file, ModelFileKind::Network));
    if (!NetworkFitsSensors(*network, robot.irSensors.size()))
        return Fail(io, where + NetworkMisfit(*network, robot.irSensors.size()));
    if (network->outputDimensions != 4)
        return Fail(io, where + "has " + std::to_string(network->outputDimensions)
                            + " outputs, not 4 (forward, backward, left, right)");
    return true;
}

long long PixelsOf(const Fen::NeuralRobot& robot)
{
    long long pixels = 0;
    for (const auto& camera : robot.cameras)
        pixels += camera->pixelCount();
    return pixels;
}

} // namespace

bool SceneRobotsReader::Read(CFenIOStruct& io, const CXmlNode& element, CFenWorld& world)
{
    return element.GetNodeName() == "robot" ? ReadOne(io, element, world) : ReadGroup(io, element);
}

bool SceneRobotsReader::ReadOne(CFenIOStruct& io, const CXmlNode& element, CFenWorld& world)
{
    const std::optional<Attributes> attributes = ReadAttributes(io, element);
    if (!attributes)
        return false;
    if (!attributes->seen[X] || !attributes->seen[Y])
        return Fail(io, Where(element) + ": the robot's place is not given (x=\"...\" y=\"...\")");
    std::array<double, 3> place{};
    for (const std::size_t k : {X, Y, Angle}) {
        if (!attributes->seen[k])
            continue;
        const double value = AttributeToDouble(attributes->text[k]);
        const bool position = k != Angle;
        if (position && !(value > 0.0))
            return Fail(io, Where(element) + ": " + std::string(names[k]) + " must be a number greater than 0");
        if (!(position ? InPositiveModelRange(value) : InModelRange(value)))
            return Fail(io, Where(element) + ": " + std::string(names[k]) + " out of range");
        place[k - X] = value;
    }
    if (robots >= maxRobots)
        return Fail(io, "more than 100,000 robots in the scene");

    const std::string& name = attributes->text[File];
    CFenIOStruct robotFile = io.OpenNamed(name);
    CFenNeuralRobot* const robot = ReadRobot(io, robotFile, element, name, world);
    if (robot == nullptr)
        return false;
    Fen::NeuralRobot& body = robot->GetPhysicalObject();
    sensors += static_cast<long long>(body.localInteractions.size());
    cameraPixels += PixelsOf(body);
    if (sensors > maxSensors || cameraPixels > maxCameraPixels)
        return Fail(io, "the scene's robots carry more than 1,000,000 sensors or 10,000,000 camera pixels");
    ++robots;
    body.pos = Fen::Point{place[0], place[1]};
    if (attributes->seen[Angle])
        body.angle = DegreesToRadians(place[2]);

    std::optional<CFeedForward> network;
    if (!ReadNetwork(io, element, *attributes, body, network))
        return false;
    if (network)
        world.DriveSceneRobot(world.GetSceneRobotCount() - 1, *network);
    return true;
}

bool SceneRobotsReader::ReadGroup(CFenIOStruct& io, const CXmlNode& element)
{
    const std::optional<Attributes> attributes = ReadAttributes(io, element);
    if (!attributes)
        return false;
    Group group{element, attributes->text[File], attributes->seen[Network] ? attributes->text[Network] : "", 0, 0};
    const std::string& countText = attributes->text[Count];
    long long count = 0;
    const auto [end, error] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (!attributes->seen[Count] || error != std::errc() || end != countText.data() + countText.size() || count < 1
        || count > static_cast<long long>(maxRobots))
        return Fail(io, Where(element) + ": count must be a whole number from 1 to 100,000");
    group.count = static_cast<std::size_t>(count);
    if (attributes->seen[Seed]) {
        const std::string& seedText = attributes->text[Seed];
        const auto [seedEnd, seedError] = std::from_chars(seedText.data(), seedText.data() + seedText.size(), group.seed);
        if (seedError != std::errc() || seedEnd != seedText.data() + seedText.size())
            return Fail(io, Where(element) + ": seed must be a whole number from 0 to 18446744073709551615");
    }
    if (group.count > maxRobots - robots)
        return Fail(io, "more than 100,000 robots in the scene");
    robots += group.count;
    groups.push_back(std::move(group));
    return true;
}

bool SceneRobotsReader::Finish(CFenIOStruct& io, CFenWorld& world)
{
    for (const Group& group : groups)
        if (!PlaceGroup(io, group, world))
            return false;
    groups.clear();
    return true;
}

bool SceneRobotsReader::PlaceGroup(CFenIOStruct& io, const Group& group, CFenWorld& world)
{
    const std::optional<Attributes> attributes = ReadAttributes(io, group.element);
    if (!attributes)
        return false;
    CFenIOStruct robotFile = io.OpenNamed(group.file);
    const CXmlNode root = robotFile.GetNode();
    CFenNeuralRobot* const first = ReadRobot(io, robotFile, group.element, group.file, world);
    if (first == nullptr)
        return false;
    // Every robot of the group is the same file: the limits are known now.
    const Fen::NeuralRobot& model = first->GetPhysicalObject();
    const auto count = static_cast<long long>(group.count);
    sensors += count * static_cast<long long>(model.localInteractions.size());
    cameraPixels += count * PixelsOf(model);
    if (sensors > maxSensors || cameraPixels > maxCameraPixels)
        return Fail(io, "the scene's robots carry more than 1,000,000 sensors or 10,000,000 camera pixels");
    std::optional<CFeedForward> network;
    if (!ReadNetwork(io, group.element, *attributes, model, network))
        return false;

    const Fen::World& arena = world.GetFenWorld();
    const unsigned before = world.GetSceneRobotCount() - 1;
    Fen::FreePlaces places(arena.width, arena.height, model.r, world.GetObjectCount() + before + group.count);
    for (unsigned i = 0; i < world.GetObjectCount(); ++i) {
        Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
        body.computeAbsBoundingSurface();
        places.addBody(body);
    }
    for (unsigned i = 0; i < before; ++i) {
        const Fen::NeuralRobot& robot = world.GetSceneRobot(i).GetPhysicalObject();
        places.addDisc(robot.pos, robot.r);
    }
    Fen::PlacementRandom random(group.seed);
    for (std::size_t k = 0; k < group.count; ++k) {
        CFenNeuralRobot* robot = first;
        if (k > 0) {
            robot = &CFenNeuralRobot::CreateSceneRobot(world);
            robot->Read(robotFile.SetNode(root));
        }
        const std::optional<Fen::FreePlaces::Place> place = places.take(random);
        if (!place)
            return Fail(io, "room for " + std::to_string(k) + " of " + std::to_string(group.count) + " robots");
        Fen::NeuralRobot& body = robot->GetPhysicalObject();
        body.pos = place->pos;
        body.angle = place->angle;
        if (network)
            world.DriveSceneRobot(world.GetSceneRobotCount() - 1, *network);
    }
    return true;
}

} // namespace Tarn

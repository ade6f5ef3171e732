// The keyboard and neural-network controls, alone and driving a robot.
#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "HeldKeys.h"
#include "base/WindowMessages.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"

using namespace Tarn;

namespace {

void Press(HeldKeys& keyboard, std::uint8_t key) { keyboard.Press(key); }
void Release(HeldKeys& keyboard, std::uint8_t key) { keyboard.Release(key); }

void AddSensors(Fen::NeuralRobot& robot, const std::vector<double>& readings)
{
    for (double reading : readings) {
        robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(0u, nullptr));
        robot.irSensors.back()->finalValue = reading;
    }
}

// One purelin layer: output = W . input + bias.
CFeedForward LinearNetwork(const std::vector<std::vector<double>>& W, const std::vector<double>& bias)
{
    CFeedForward net;
    net.inputDimensions = W.empty() ? 0 : static_cast<std::int32_t>(W[0].size());
    net.outputDimensions = static_cast<std::int32_t>(W.size());
    net.numLayers = 1;
    CMatrix M(net.outputDimensions, net.inputDimensions);
    M.rows = W;
    CVector b(net.outputDimensions);
    b.data = bias;
    net.weights = {M};
    net.biases = {b};
    net.layerDimensions = {net.outputDimensions};
    net.transferFcns = {purelin};
    return net;
}

// Four outputs, each the sum of the inputs plus its own bias.
CFeedForward SumNetwork(int inputs, const std::vector<double>& bias)
{
    return LinearNetwork(std::vector<std::vector<double>>(4, std::vector<double>(inputs, 1.0)), bias);
}

struct Answers {
    bool forward, backward, left, right;
    bool operator==(const Answers&) const = default;
};

void PrintTo(const Answers& a, std::ostream* os)
{
    *os << "{forward " << a.forward << ", backward " << a.backward << ", left " << a.left << ", right " << a.right << "}";
}

Answers Ask(Fen::RemoteControl& control)
{
    return {control.isForward(), control.isBackward(), control.isLeft(), control.isRight()};
}

} // namespace

TEST(CKeyboardRemoteControl, EachArrowAnswersItsQuestion)
{
    HeldKeys keyboard;
    CKeyboardRemoteControl control(&keyboard);
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
    Press(keyboard, VirtualKey::Up);
    EXPECT_EQ(Ask(control), (Answers{true, false, false, false}));
    Release(keyboard, VirtualKey::Up);
    Press(keyboard, VirtualKey::Down);
    EXPECT_EQ(Ask(control), (Answers{false, true, false, false}));
    Release(keyboard, VirtualKey::Down);
    Press(keyboard, VirtualKey::Left);
    EXPECT_EQ(Ask(control), (Answers{false, false, true, false}));
    Release(keyboard, VirtualKey::Left);
    Press(keyboard, VirtualKey::Right);
    EXPECT_EQ(Ask(control), (Answers{false, false, false, true}));
}

TEST(CKeyboardRemoteControl, ReadsKeysAtTheMomentOfAsking)
{
    HeldKeys keyboard;
    CKeyboardRemoteControl control(&keyboard);
    control.update();
    Press(keyboard, VirtualKey::Up);
    EXPECT_TRUE(control.isForward());
    control.reset();
    EXPECT_TRUE(control.isForward());
}

TEST(CKeyboardRemoteControl, WithoutKeyboardAnswersNo)
{
    CKeyboardRemoteControl control;
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
}

class KeyboardDrive : public ::testing::Test {
protected:
    void Drive(std::initializer_list<std::uint8_t> keys)
    {
        for (std::uint8_t key : keys)
            Press(keyboard, key);
        robot.robotSpeed = 2;
        robot.setRemoteControl(&control);
        robot.step(0.01);
    }
    HeldKeys keyboard;
    CKeyboardRemoteControl control{&keyboard};
    Fen::NeuralRobot robot;
};

TEST_F(KeyboardDrive, UpAndDownDrivesForward)
{
    Drive({VirtualKey::Up, VirtualKey::Down});
    EXPECT_EQ(robot.leftSpeed, 2);
    EXPECT_EQ(robot.rightSpeed, 2);
}

TEST_F(KeyboardDrive, UpAndLeftTurnsLeft)
{
    Drive({VirtualKey::Up, VirtualKey::Left});
    EXPECT_EQ(robot.leftSpeed, 2);
    EXPECT_EQ(robot.rightSpeed, 4);
}

TEST_F(KeyboardDrive, LeftAndRightGiveBothWheelsOneSpeed)
{
    Drive({VirtualKey::Left, VirtualKey::Right});
    EXPECT_EQ(robot.leftSpeed, 2);
    EXPECT_EQ(robot.rightSpeed, 2);
}

class NeuralControl : public ::testing::Test {
protected:
    void SetAll(bool value) { control.commands = {value, value, value, value}; }
    CNeuralNetworkRemoteControl control;
    Fen::NeuralRobot robot;
};

TEST_F(NeuralControl, StartsWithAllCommandsFalse)
{
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
    EXPECT_EQ(control.network.inputDimensions, 0);
}

TEST_F(NeuralControl, ThresholdsEachOutputStrictlyAboveOneHalf)
{
    AddSensors(robot, {0.25, 0.25});
    control.network = SumNetwork(2, {0.0, 0.5, -0.5, 1e-9});
    robot.setRemoteControl(&control);
    control.update();
    // Outputs 0.5, 1.0, 0.0 and just above 0.5.
    EXPECT_EQ(Ask(control), (Answers{false, true, false, true}));
}

TEST_F(NeuralControl, NotANumberGivesFalse)
{
    AddSensors(robot, {std::numeric_limits<double>::quiet_NaN()});
    control.network = SumNetwork(1, {1, 1, 1, 1});
    robot.setRemoteControl(&control);
    SetAll(true);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
}

TEST_F(NeuralControl, FeedsTheReadingsInSensorOrderUnscaled)
{
    AddSensors(robot, {3, 40});
    // Each output picks one input or a difference of both.
    // Outputs 0.6, 0.4, -1 and 1; the readings swapped would give 37.6,
    // -36.6, 39.7 and -39.7.
    control.network = LinearNetwork({{1, 0}, {0, 1}, {1, -0.1}, {-1, 0.1}}, {-2.4, -39.6, 0, 0});
    robot.setRemoteControl(&control);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{true, false, false, true}));
}

TEST_F(NeuralControl, ConsistencyFollowsTheSensorCount)
{
    AddSensors(robot, std::vector<double>(8, 1.0));
    control.network = SumNetwork(8, {0, 0, 0, 0});
    EXPECT_FALSE(control.isConsistent()); // no robot yet
    robot.setRemoteControl(&control);
    EXPECT_TRUE(control.isConsistent());
    control.network = SumNetwork(7, {0, 0, 0, 0});
    EXPECT_FALSE(control.isConsistent());
}

TEST_F(NeuralControl, InconsistentUpdateDropsEveryCommand)
{
    AddSensors(robot, std::vector<double>(8, 1.0));
    control.network = SumNetwork(7, {0, 0, 0, 0});
    robot.setRemoteControl(&control);
    SetAll(true);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));

    SetAll(true);
    robot.detachRemoteControl();
    control.update();
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
}

TEST_F(NeuralControl, OutputOfAnotherSizeKeepsTheCommands)
{
    AddSensors(robot, {1.0});
    control.network = LinearNetwork({{1}, {1}}, {0, 0});
    robot.setRemoteControl(&control);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
    SetAll(true);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{true, true, true, true}));
    // And the robot gets no drive command from a fresh control.
    CNeuralNetworkRemoteControl fresh;
    fresh.network = LinearNetwork({{1}, {1}}, {0, 0});
    robot.setRemoteControl(&fresh);
    robot.step(0.01);
    EXPECT_EQ(robot.leftSpeed, 0);
    EXPECT_EQ(robot.rightSpeed, 0);
    robot.detachRemoteControl(); // fresh dies before the robot
}

TEST_F(NeuralControl, NoSensorsAndEmptyNetworkIsConsistentAndKeepsCommands)
{
    robot.setRemoteControl(&control);
    EXPECT_TRUE(control.isConsistent());
    SetAll(true);
    control.update();
    EXPECT_EQ(Ask(control), (Answers{true, true, true, true}));
}

TEST_F(NeuralControl, ResetEmptiesTheNetworkButNotTheCommands)
{
    AddSensors(robot, {1.0});
    control.network = SumNetwork(1, {0, 0, 0, 0});
    robot.setRemoteControl(&control);
    control.update();
    ASSERT_EQ(Ask(control), (Answers{true, true, true, true}));
    control.reset();
    EXPECT_EQ(control.network.inputDimensions, 0);
    EXPECT_EQ(control.network.numLayers, 0);
    EXPECT_EQ(Ask(control), (Answers{true, true, true, true}));
    control.update(); // one sensor, empty network: inconsistent
    EXPECT_EQ(Ask(control), (Answers{false, false, false, false}));
}

TEST_F(NeuralControl, DrivesTheRobotFromItsCommands)
{
    AddSensors(robot, {1.0});
    control.network = SumNetwork(1, {0, -1, 0, -1}); // forward and left
    robot.robotSpeed = 3;
    robot.setRemoteControl(&control);
    robot.step(0.01);
    EXPECT_EQ(robot.leftSpeed, 3);
    EXPECT_EQ(robot.rightSpeed, 6);
}

TEST(CNeuralNetworkRemoteControl, SaysWhyANetworkOfOtherThanFourOutputsNeverDrives)
{
    EXPECT_EQ(CNeuralNetworkRemoteControl::UnreadableOutputs(4), "");
    EXPECT_EQ(CNeuralNetworkRemoteControl::UnreadableOutputs(2),
              "has 2 outputs, not 4 (forward, backward, left, right): it never changes the robot's commands, so a "
              "robot at rest stays at rest");
}

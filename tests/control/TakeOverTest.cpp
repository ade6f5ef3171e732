// Taking over from the network with the arrow keys, and the corrections log
// that keeps only the lines a person drove.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "control/CTakeOverRemoteControl.h"

using namespace Tarn;
using namespace LogTest;

namespace {

// One purelin layer of four outputs from one input: the network says
// forward and right whatever it reads (outputs 1, 0, 0, 1).
CFeedForward ForwardRightNetwork()
{
    CFeedForward net;
    net.inputDimensions = 1;
    net.outputDimensions = 4;
    net.numLayers = 1;
    CMatrix weights(4, 1);
    weights.rows = {{0}, {0}, {0}, {0}};
    CVector bias(4);
    bias.data = {1, 0, 0, 1};
    net.weights = {weights};
    net.biases = {bias};
    net.layerDimensions = {4};
    net.transferFcns = {purelin};
    return net;
}

struct TakeOverRobot {
    TakeOverRobot()
    {
        robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(0u, nullptr));
        robot.irSensors.back()->finalValue = 0.5;
        control.network = ForwardRightNetwork();
        robot.setRemoteControl(&control);
    }
    std::vector<bool> Answers()
    {
        return {control.isForward(), control.isBackward(), control.isLeft(), control.isRight()};
    }

    HeldKeys keyboard;
    CTakeOverRemoteControl control{&keyboard};
    Fen::NeuralRobot robot;
};

} // namespace

TEST(TakeOver, HeldArrowKeysDriveInsteadOfTheNetworkUntilAllAreReleased)
{
    TakeOverRobot driven;
    driven.control.update();
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{true, false, false, true}));
    EXPECT_FALSE(driven.control.IsTakenOver());

    driven.keyboard.Press(VirtualKey::Down);
    driven.keyboard.Press(VirtualKey::Left);
    driven.control.update();
    EXPECT_TRUE(driven.control.IsTakenOver());
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{false, true, true, false}));

    driven.keyboard.Release(VirtualKey::Down);
    driven.control.update();
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{false, false, true, false}));

    driven.keyboard.Release(VirtualKey::Left);
    driven.control.update();
    EXPECT_FALSE(driven.control.IsTakenOver());
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{true, false, false, true}));
}

TEST(TakeOver, TheKeysOfTheLastUpdateAnswerUntilTheNext)
{
    // The robot asks right after its update; a log asks after the step. Both
    // hear what held at the update, even if a key went up in between.
    TakeOverRobot driven;
    driven.keyboard.Press(VirtualKey::Up);
    driven.control.update();
    driven.keyboard.Release(VirtualKey::Up);
    EXPECT_TRUE(driven.control.IsTakenOver());
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{true, false, false, false}));
    // The network kept its own answer all along.
    EXPECT_TRUE(driven.control.commands.right);
}

TEST(TakeOver, KeysTakeOverAlsoFromANetworkThatDoesNotFitTheRobot)
{
    TakeOverRobot driven;
    driven.robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(0u, nullptr));
    driven.keyboard.Press(VirtualKey::Right);
    driven.control.update();
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{false, false, false, true}));
    driven.keyboard.Release(VirtualKey::Right);
    driven.control.update();
    EXPECT_EQ(driven.Answers(), (std::vector<bool>{false, false, false, false}));
}

TEST(CorrectionsLog, KeepsOnlyTheRecordsDueWhileAPersonDrives)
{
    TakeOverRobot driven;
    MemoryDisk disk;
    CLog log(OpenOn(disk));
    log.Create("corrections.log");
    log.AttachRobot(&driven.robot);
    ASSERT_TRUE(log.Start());
    log.SetRecordFilter([](const Fen::NeuralRobot& robot) { return IsTakenOver(robot.remoteControl); });

    const auto frame = [&] {
        driven.control.update();
        log.Write(0.0625); // a record every second frame
    };
    frame();
    frame(); // due, the network drives: left out
    driven.keyboard.Press(VirtualKey::Left);
    frame();
    frame(); // due, the person drives
    driven.keyboard.Release(VirtualKey::Left);
    frame();
    frame(); // due, the network again
    driven.keyboard.Press(VirtualKey::Up);
    frame(); // not yet due: the records kept are those a full log would write
    driven.keyboard.Release(VirtualKey::Up);
    frame();
    EXPECT_EQ(disk.text, "000000.5 0.0 0.0 1.0 0.0 \n");

    // Closing drops the filter: the next log writes every record.
    log.Close();
    log.Create("all.log");
    log.AttachRobot(&driven.robot);
    ASSERT_TRUE(log.Start());
    frame();
    frame();
    EXPECT_EQ(CountLines(disk.text), 2);
}

TEST(CorrectionsLog, AKeyboardControlIsNoTakeOver)
{
    KeyboardRobot person;
    person.Press(VirtualKey::Up);
    EXPECT_FALSE(IsTakenOver(person.robot.remoteControl));
    EXPECT_FALSE(IsTakenOver(nullptr));
}

#pragma once
#include <string>
#include <string_view>

#include "io/CFenIOStruct.h"

namespace Korvale {

class CKorvaleScene;
class ISceneCommandHost;

// The control panel's commands over the scene, shared by the window and the
// headless runner. A file name comes from the panel's file-name box; an empty
// one clears instead of loading. Each command returns what its error check
// returned: false when it showed the scene's errors; true otherwise (also
// when no check ran).
class CSceneCommands {
public:
    CSceneCommands(CKorvaleScene& scene, ISceneCommandHost& host);

    bool LoadScene(const std::string& fileName);
    bool LoadRobot(const std::string& fileName);
    bool LoadNetwork(const std::string& fileName);
    // The same for a file's text, read already; the faults name fileName
    // (nothing is cleared).
    bool LoadSceneText(const std::string& fileName, std::string_view text);
    // A scene's text with the texts of files it names (its robots' robot and
    // network files) at hand: those it holds are read from it, the others
    // from disk, and then kept in it (see Tarn::CFenIOStruct::OpenNamed).
    bool LoadSceneText(const std::string& fileName, std::string_view text, Tarn::CFenIOStruct::NamedTexts& named);
    bool LoadRobotText(const std::string& fileName, std::string_view text);
    bool LoadNetworkText(const std::string& fileName, std::string_view text);
    bool StartLog(const std::string& fileName);
    // A log that keeps only the lines where a person took over from the network.
    bool StartCorrectionsLog(const std::string& fileName);
    bool StopLog();
    // The two radio buttons of the control group; the buttons stay as the
    // user set them, also when the switch failed.
    bool SelectKeyboard();
    bool SelectNeuralNetwork();

    // Loads the scene, robot and network again from the files they came from
    // (what was empty stays empty), a running log going on, and selects the
    // network again when `networkSelected`, else the keyboard. Shows "Reset"
    // ("Reset; still recording into run.log" while a log runs) or the
    // faults; the camera and the radio buttons stay.
    bool Reset(bool networkSelected);

    // True when the scene is ok; otherwise shows its whole error text, clears
    // the scene's and the log's reports (so each fault is shown once) and
    // returns false.
    bool CheckSceneErrors();

private:
    bool StartLog(const std::string& fileName, bool corrections);
    // What a scene's load takes away with the old world: the robot's file
    // and the running log's name (empty when there is none).
    struct Replaced {
        std::string robotFile;
        std::string logName;
    };
    Replaced WhatASceneReplaces() const;
    // What follows a load, whatever it was loaded from.
    bool SceneLoaded(const Replaced& replaced);
    bool RobotLoaded();
    bool NetworkLoaded();
    // A line on why the network cannot drive the robot, when it cannot.
    void ShowNetworkMisfit();

    CKorvaleScene& scene;
    ISceneCommandHost& host;
};

} // namespace Korvale

#pragma once
#include <array>
#include <memory>
#include <string>

#include "app/KeyGate.h"
#include "base/CReportError.h"
#include "io/CFenIOFactory.h"
#include "io/ModelFileFault.h"
#include "render/CFenGraphicsFactory.h"

namespace Tarn {
class CFeedForward;
class CFenIOStruct;
class CFenNeuralRobot;
class CFenWorld;
class CKeyboardRemoteControl;
class CLog;
class CNeuralNetworkRemoteControl;
class CTakeOverRemoteControl;
class CVertexBuffer;
class IFenWorld;
class StateArchive;
} // namespace Tarn

namespace Korvale {

class CKeyboard;

// The one simulation scene: owns the world adapter (and through it every
// body and the robot), both robot controls and the run log, turns the panel's
// commands into loads, clears, control switches and log starts and stops, and
// gathers every fault of the model files and of the log in one error report.
class CKorvaleScene : public Tarn::IReportErrorAble {
public:
    // Both are the application's and must outlive the scene.
    CKorvaleScene(Tarn::CVertexBuffer* vertexBuffer, CKeyboard* keyboard);
    CKorvaleScene(const CKorvaleScene&) = delete;
    CKorvaleScene& operator=(const CKorvaleScene&) = delete;
    ~CKorvaleScene() override;

    bool IsOk() const override;
    void ReportError(std::string message) override;
    // Clears the log's report first, then the scene's own.
    void ClearErrors() override;
    std::string GetErrorText() const override;

    // An empty 100 x 100 world without robot or start positions.
    virtual void ClearScene();
    // Removes and deletes the robot, if there is one.
    virtual void ClearRobot();
    virtual void ClearNetwork();

    // Each leaves its faults in the error report and returns false on failure.
    // A file that cannot be opened leaves the current model untouched; a read
    // error leaves an empty world, no robot or an empty network respectively.
    virtual bool LoadScene(std::string fileName);
    virtual bool LoadRobot(std::string fileName);
    virtual bool LoadNetwork(std::string fileName);
    // The same from a document already opened (a file's text held in
    // memory); the faults name fileName.
    bool LoadScene(Tarn::CFenIOStruct& io, std::string fileName);
    bool LoadRobot(Tarn::CFenIOStruct& io, std::string fileName);
    bool LoadNetwork(Tarn::CFenIOStruct& io, std::string fileName);
    // The warning of the last load that succeeded with one (a network whose
    // output count is not 4), emptied as it is taken.
    std::string TakeWarning();
    // Loads the scene, robot and network again from the files they came
    // from (what was empty stays empty; Reset). A running log goes on with
    // the robot as loaded again, its filter and counts kept; it closes only
    // when the robot no longer loads.
    void ReloadFiles();
    // Why the loaded network file cannot drive the robot ("Network file
    // 'Seven.xml' takes 7 inputs, but the robot has 8 infrared sensors");
    // empty when it can, or when there is no robot or no network file.
    std::string NetworkMisfitLine() const;
    // The name the running log was started with.
    const std::string& LogName() const { return logName; }

    virtual bool StartLog(std::string fileName);
    // A log of the corrections only: the lines written while a person holds
    // an arrow key and so drives in place of the network.
    bool StartCorrectionsLog(std::string fileName);
    virtual bool IsLogging() const;
    // The frame's elapsed time as the host gives it.
    virtual void WriteLog(float elapsed);
    virtual bool StopLog();
    // The running log's simulated time and lines so far.
    double LogSeconds() const;
    long LogLines() const;

    // Without a robot both return false and change nothing. The network
    // control takes over only when its network fits the robot's sensors;
    // otherwise the keyboard drives and "Inconsistent neural network" is
    // reported.
    virtual bool SetKeyboardControl();
    virtual bool SetNeuralNetworkControl();
    virtual bool IsKeyboardControl() const;
    virtual bool IsNeuralNetworkControl() const;
    // The network drives, and a person holds an arrow key: the keys drive.
    bool IsTakenOver() const;
    // The network control drives whatever its network: one that does not fit
    // the robot gives no commands, so the robot stands until it gets one that
    // does. For scripts that hand over networks as they go. False without robot.
    bool AttachNeuralNetworkControl();
    // The network control's network becomes a copy of this one; the control
    // that drives stays, so a driving network is replaced from the next frame.
    void SetNetwork(const Tarn::CFeedForward& network);

    // Everything of the scene that changes as it runs (the world, the
    // selected control and its last commands, the held keys, the log's
    // gathered time), saved, checked or loaded in one order; see StateArchive.
    void ArchiveState(Tarn::StateArchive& archive);

    // Every robot of the arena by its number in the swarm
    // (Tarn::IWorld::GetSwarmRobot: the user's robot first when loaded, then
    // the scene's). The user's robot is driven by the scene's own controls
    // (the keyboard's arrow keys, the loaded network); a scene robot by
    // controls of its own (Tarn::CRobotControls), with keys held for it
    // alone. `robot` must be below the swarm's size.
    unsigned SwarmSize() const;
    bool IsUsersRobot(unsigned robot) const;
    // The keys alone drive it (true), or its network, which held keys take
    // over (false). A network control drives whatever its network: one that
    // is empty or does not fit gives no commands.
    void SelectSwarmControl(unsigned robot, bool keys);
    bool SwarmKeysDrive(unsigned robot) const;
    // Its network control's network (empty: none), and a copy of another in
    // its place from the next frame on, whatever control is selected.
    const Tarn::CFeedForward& SwarmNetwork(unsigned robot) const;
    void SetSwarmNetwork(unsigned robot, const Tarn::CFeedForward& network);
    // The arrow keys held for it: forward, backward, left, right.
    std::array<bool, 4> SwarmKeys(unsigned robot) const;
    void HoldSwarmKeys(unsigned robot, const std::array<bool, 4>& keys);
    // The scene robots' controls as they run (see CRobotControls), in swarm
    // order, for a snapshot beside ArchiveState.
    void ArchiveSceneRobotControls(Tarn::StateArchive& archive);

    virtual Tarn::IFenWorld* GetWorld() const;
    virtual Tarn::CFenNeuralRobot* GetRobot() const;

    // The selected robot: the one the arrow keys drive or take over, Start
    // Log records and the window follows and shows, numbered as
    // IWorld::GetSwarmSize numbers them (the user's robot first, then the
    // scene's). Every load, clear and Reset selects robot 0 again; with one
    // robot it is always that one.
    unsigned RobotCount() const;
    unsigned SelectedIndex() const { return selected; }
    // Null without robots.
    Tarn::CFenNeuralRobot* GetSelectedRobot() const;
    // False, changing nothing, when index is not below RobotCount(). The
    // keys leave the robot selected before: a scene robot goes on with its
    // network, the user's robot stands (or its network drives).
    bool SelectRobot(unsigned index);
    // Whether the keys follow the selection onto the scene's robots (the
    // window's way); off, as for scripts and the runner, they only ever
    // reach the user's robot.
    void SetKeysFollowSelection(bool follow);
    // The robot the running log records: the one selected when it started,
    // whatever is selected since. Null when no log runs.
    Tarn::CFenNeuralRobot* GetLoggedRobot() const;

    virtual void Draw();
    // Whether every robot's infrared rays are drawn (at the start they are).
    void SetRaysShown(bool shown);
    bool RaysShown() const;
    // Advances the world; the world adapter clamps the time to 0.001 .. 1 s.
    virtual void Step(double elapsed);
    // One frame of the simulation, the same for the window, the runner and
    // every other caller: Step by the frame's elapsed time as the host gives
    // it, then, while the log runs, WriteLog with that same time.
    void AdvanceFrame(float elapsed);
    // AdvanceFrame in two halves, for a learner that chooses the commands
    // where the robot's control would: BeginFrame steps the world until the
    // robot's control is about to read its sensors and decide (true), or
    // the whole frame when there is no robot (false); FinishFrame takes a
    // begun frame on, with the same time, and logs it as AdvanceFrame does.
    bool BeginFrame(float elapsed);
    void FinishFrame(float elapsed);
    bool FrameBegun() const;
    // A begun frame is dropped (the world's state is being replaced).
    void AbandonFrame();

    // The files the current world, robot and network were read from; empty
    // for an empty world, no robot or an empty network (cleared, or a read
    // that failed). Reset loads them again.
    const std::string& SceneFile() const { return sceneFile; }
    const std::string& RobotFile() const { return robotFile; }
    const std::string& NetworkFile() const { return networkFile; }

    // The controls, for callers that show or trace what drives the robot.
    Tarn::CKeyboardRemoteControl& GetKeyboardControl() const { return *keyboardControl; }
    Tarn::CNeuralNetworkRemoteControl& GetNeuralNetworkControl() const;

private:
    // `dying` is about to be deleted (null: every robot is): a log that
    // records it must let go first, or its next write would read a deleted
    // robot.
    void ReleaseRobotFromLog(const Tarn::CFenNeuralRobot* dying);
    // The arrow keys go to the selected robot alone.
    void HandKeysToSelection();
    // Robot 0 again, after the robots changed.
    void ResetSelection();
    // Takes over the lines of another report (a model file's, the log's),
    // one fault a line, without an empty line after them.
    void ReportLines(std::string text);
    // A failed load's report, then the line that names its file.
    void ReportLoadFault(const Tarn::CFenIOStruct& io, Tarn::ModelFileKind kind, const std::string& fileName);
    // The walls can hold the loaded robot in every orientation.
    bool RobotFitsInArena() const;

    Tarn::CVertexBuffer* vertexBuffer = nullptr;
    CKeyboard* keyboard = nullptr;
    Tarn::CFenIOFactory ioFactory;
    Tarn::CFenGraphicsFactory graphicsFactory;
    Tarn::CReportError report;
    bool networkControlActive = false;
    std::unique_ptr<Tarn::CLog> log;
    std::string logName; // as the last Start Log named it
    bool keepLog = false; // while ReloadFiles runs: the log outlives the robot
    std::string warning;
    // What the user's robot's controls see of the keys.
    KeyGate userKeys;
    std::unique_ptr<Tarn::CKeyboardRemoteControl> keyboardControl;
    // The network's control: while an arrow key is held, the keys drive.
    std::unique_ptr<Tarn::CTakeOverRemoteControl> networkControl;
    std::unique_ptr<Tarn::CFenWorld> world;
    Tarn::CFenNeuralRobot* robot = nullptr; // owned by the world
    unsigned selected = 0;
    int keyedSceneRobot = -1; // the scene robot that has the keys, if one has
    bool keysFollowSelection = false;
    Tarn::CFenNeuralRobot* loggedRobot = nullptr; // owned by the world
    std::string sceneFile;
    std::string robotFile;
    std::string networkFile;
};

} // namespace Korvale

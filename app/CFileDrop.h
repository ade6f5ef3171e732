#pragma once
#include <string>
#include <vector>

namespace Korvale {

class CSceneCommands;
class ISceneCommandHost;

// Files dropped onto the window together: each is loaded by what it holds,
// scenes first, then robots, then networks (a robot needs its arena, and a
// scene deletes the robot), with the commands and texts of the panel's
// buttons. Anything else is named in one error line each, after the loads:
// "Dropped file 'notes.txt': not a scene, robot or network file".
class CFileDrop {
public:
    CFileDrop(CSceneCommands& commands, ISceneCommandHost& host) : commands(commands), host(host) {}

    void Load(const std::vector<std::string>& files);

private:
    CSceneCommands& commands;
    ISceneCommandHost& host;
};

} // namespace Korvale

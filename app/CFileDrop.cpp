#include "app/CFileDrop.h"

#include "app/CSceneCommands.h"
#include "app/FileKind.h"
#include "app/ISceneCommandHost.h"
#include "base/FileFault.h"

#include <array>

namespace Korvale {

void CFileDrop::Load(const std::vector<std::string>& files)
{
    std::vector<FileKind> kinds;
    kinds.reserve(files.size());
    for (const std::string& file : files)
        kinds.push_back(KindOfFile(file));
    for (const FileKind kind : std::array{FileKind::Scene, FileKind::Robot, FileKind::Network}) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (kinds[i] != kind)
                continue;
            if (kind == FileKind::Scene)
                commands.LoadScene(files[i]);
            else if (kind == FileKind::Robot)
                commands.LoadRobot(files[i]);
            else
                commands.LoadNetwork(files[i]);
        }
    }
    std::string unknown;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (kinds[i] != FileKind::Scene && kinds[i] != FileKind::Robot && kinds[i] != FileKind::Network)
            unknown += Tarn::FileFaultLine("Dropped", files[i], "not a scene, robot or network file") + "\n";
    if (!unknown.empty())
        host.ShowError(unknown);
}

} // namespace Korvale

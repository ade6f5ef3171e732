#pragma once
#include <string>

namespace Tarn {

// What a model file holds, by its root element: "world" a scene,
// "neuralrobot" a robot, "network" a network.
enum class ModelFileKind { None, Scene, Robot, Network };

// Reads only the start of the file (the root element comes first in any
// file that loads), so folders of large files are told apart quickly. None
// for anything else: not XML, another root, a comment before the root, a
// file that cannot be read.
ModelFileKind ReadModelFileKind(const std::string& fileName);
ModelFileKind ModelFileKindOfText(const std::string& start);

} // namespace Tarn

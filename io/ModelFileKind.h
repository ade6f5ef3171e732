#pragma once
#include <string>
#include <string_view>

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

// The kind whose files have this root element; None for any other name.
ModelFileKind ModelFileKindOfRoot(std::string_view name);
// The root element of the kind's files ("world", "neuralrobot", "network");
// empty for None.
std::string_view RootElementOf(ModelFileKind kind);

} // namespace Tarn

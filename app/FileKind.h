#pragma once
#include <filesystem>

namespace Korvale {

// What the window can do with a file: load it as a scene, robot or network
// (by its root element), or show it as a run log.
enum class FileKind { Other, Folder, Scene, Robot, Network, Log };

// Reads at most the start of the file.
FileKind KindOfFile(const std::filesystem::path& path);
// "folder", "scene", "robot", "network", "log"; "" for any other file.
const char* FileKindName(FileKind kind);

} // namespace Korvale

#include "app/FileKind.h"

#include "control/CLog.h"
#include "io/ModelFileKind.h"

#include <fstream>
#include <string>

namespace Korvale {

namespace {

bool IsLog(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string line(4096, '\0');
    file.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<std::size_t>(file.gcount()));
    // A log just started has no line yet; its usual name tells.
    if (line.empty())
        return path.extension() == ".log";
    const std::size_t end = line.find('\n');
    return end != std::string::npos && Tarn::IsLogRecord(std::string_view(line).substr(0, end));
}

}

FileKind KindOfFile(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status))
        return FileKind::Folder;
    if (!std::filesystem::is_regular_file(status))
        return FileKind::Other;
    switch (Tarn::ReadModelFileKind(path.string())) {
    case Tarn::ModelFileKind::Scene: return FileKind::Scene;
    case Tarn::ModelFileKind::Robot: return FileKind::Robot;
    case Tarn::ModelFileKind::Network: return FileKind::Network;
    case Tarn::ModelFileKind::None: break;
    }
    return IsLog(path) ? FileKind::Log : FileKind::Other;
}

const char* FileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder: return "folder";
    case FileKind::Scene: return "scene";
    case FileKind::Robot: return "robot";
    case FileKind::Network: return "network";
    case FileKind::Log: return "log";
    case FileKind::Other: break;
    }
    return "";
}

} // namespace Korvale

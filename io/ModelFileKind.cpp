#include "io/ModelFileKind.h"

#include <pugixml.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace Tarn {

namespace {
// Far more than a declaration and a root element's start tag take.
constexpr std::size_t StartSize = 4096;
}

ModelFileKind ModelFileKindOfText(const std::string& start)
{
    // The start of a document does not parse whole, but pugixml keeps the
    // nodes it read before the cut: the root element among them.
    pugi::xml_document document;
    document.load_buffer(start.data(), start.size(), pugi::parse_default | pugi::parse_comments | pugi::parse_pi);
    const pugi::xml_node root = document.first_child();
    if (root.type() != pugi::node_element)
        return ModelFileKind::None;
    if (std::strcmp(root.name(), "world") == 0)
        return ModelFileKind::Scene;
    if (std::strcmp(root.name(), "neuralrobot") == 0)
        return ModelFileKind::Robot;
    if (std::strcmp(root.name(), "network") == 0)
        return ModelFileKind::Network;
    return ModelFileKind::None;
}

ModelFileKind ReadModelFileKind(const std::string& fileName)
{
    // Only plain files: reading a named pipe would wait for its writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return ModelFileKind::None;
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return ModelFileKind::None;
    std::string start(StartSize, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    return ModelFileKindOfText(start);
}

} // namespace Tarn

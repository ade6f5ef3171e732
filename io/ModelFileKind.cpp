#include "io/ModelFileKind.h"

#include <pugixml.hpp>

#include <filesystem>
#include <fstream>

namespace Tarn {

namespace {
// Far more than a declaration and a root element's start tag take.
constexpr std::size_t StartSize = 4096;

struct Root {
    ModelFileKind kind;
    std::string_view name;
};
constexpr Root roots[] = {
    {ModelFileKind::Scene, "world"}, {ModelFileKind::Robot, "neuralrobot"}, {ModelFileKind::Network, "network"}};
} // namespace

ModelFileKind ModelFileKindOfRoot(std::string_view name)
{
    for (const Root& root : roots)
        if (root.name == name)
            return root.kind;
    return ModelFileKind::None;
}

std::string_view RootElementOf(ModelFileKind kind)
{
    for (const Root& root : roots)
        if (root.kind == kind)
            return root.name;
    return {};
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
    return ModelFileKindOfRoot(root.name());
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

#include "run/ModelFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "io/CXmlNode.h"

namespace Korvale::Run {

ModelFile ModelFile::Read(std::string path)
{
    ModelFile file = Named(std::move(path));
    std::error_code error;
    if (!std::filesystem::is_regular_file(file.path, error))
        return file;
    const std::uintmax_t size = std::filesystem::file_size(file.path, error);
    if (error || size > Tarn::maxXmlFileSize)
        return file;
    std::ifstream in(file.path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad() || text.size() > Tarn::maxXmlFileSize)
        return file;
    file.text = std::move(text);
    return file;
}

} // namespace Korvale::Run

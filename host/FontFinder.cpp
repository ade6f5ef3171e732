#include "host/FontFinder.h"

#include <cstdio>
#include <fstream>
#include <memory>

namespace Host {

std::string FindFontFile(const std::string& pattern)
{
    struct PipeCloser {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    // The patterns are the program's own, never user input.
    const std::string command = "fc-match -f '%{file}' '" + pattern + "' 2>/dev/null";
    std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (!pipe)
        return {};
    std::string path;
    char buffer[256];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        path.append(buffer, read);
    // The font rasteriser reads TrueType only; fc-match may offer other kinds
    // when DejaVu is missing.
    const auto dot = path.rfind('.');
    if (path.empty() || dot == std::string::npos)
        return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (extension != ".ttf")
        return {};
    if (!std::ifstream(path, std::ios::binary))
        return {};
    return path;
}

}

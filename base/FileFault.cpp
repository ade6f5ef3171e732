#include "base/FileFault.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace Tarn {

std::string FileFaultLine(std::string_view kind, std::string_view fileName, std::string_view words)
{
    std::string line(kind);
    line += " file '";
    line += fileName;
    line += "': ";
    line += words;
    return line;
}

std::string SystemErrorWords(int error)
{
    switch (error) {
    case ENOENT: return "no such file";
    case EISDIR: return "is a folder";
    case ENOTDIR: return "a part of its path is not a folder";
    default: break;
    }
    std::string words = std::strerror(error);
    if (!words.empty())
        words.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(words.front())));
    return words;
}

} // namespace Tarn

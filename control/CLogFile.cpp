#include "control/CLogFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace Tarn {

std::unique_ptr<CLogFile> CLogFile::CreateNew(const std::string& fileName, int& error)
{
    // O_EXCL makes the existence test and the creation one step: no other
    // program can slip a file in between and have it overwritten.
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    return std::unique_ptr<CLogFile>(new CLogFile(fd));
}

CLogFile::~CLogFile()
{
    ::close(fd);
}

bool CLogFile::Append(std::string_view text)
{
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lastError = n < 0 ? errno : 0;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (written == text.size()) {
        size += static_cast<std::int64_t>(written);
        return true;
    }
    if (written > 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        // Nothing more can be done: the file keeps a partial last line.
    }
    return false;
}

} // namespace Tarn

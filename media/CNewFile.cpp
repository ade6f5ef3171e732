#include "media/CNewFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace Tarn {

std::unique_ptr<CNewFile> CNewFile::Create(const std::string& path, int* errorNumber)
{
    // Readable too, so that a film can go back to its header.
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        if (errorNumber != nullptr)
            *errorNumber = errno;
        return nullptr;
    }
    return std::unique_ptr<CNewFile>(new CNewFile(descriptor, path));
}

std::unique_ptr<CNewFile> CNewFile::CreateNumbered(const std::string& folder, const std::string& prefix,
                                                   const std::string& suffix, int* errorNumber)
{
    const std::string base = folder.empty() || folder.back() == '/' ? folder + prefix : folder + "/" + prefix;
    int error = EEXIST;
    for (long number = 1; number <= 99999999 && error == EEXIST; ++number) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04ld", number);
        if (auto file = Create(base + digits + suffix, &error))
            return file;
    }
    if (errorNumber != nullptr)
        *errorNumber = error;
    return nullptr;
}

CNewFile::~CNewFile()
{
    if (descriptor >= 0)
        ::close(descriptor);
    if (!keep)
        ::unlink(path.c_str());
}

bool CNewFile::Write(const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A full disk can accept part of a write and then nothing.
            errorNumber = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::int64_t CNewFile::Seek(std::int64_t offset, int whence)
{
    const off_t position = ::lseek(descriptor, static_cast<off_t>(offset), whence);
    if (position < 0)
        errorNumber = errno;
    return position;
}

bool CNewFile::ReadAt(std::int64_t offset, void* data, std::size_t size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t read = ::pread(descriptor, bytes, size, static_cast<off_t>(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0) {
            errorNumber = read < 0 ? errno : EIO; // the file ends before
            return false;
        }
        bytes += read;
        offset += read;
        size -= static_cast<std::size_t>(read);
    }
    return true;
}

bool CNewFile::WriteAt(std::int64_t offset, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            errorNumber = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes += written;
        offset += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CNewFile::Keep()
{
    const int closing = descriptor;
    descriptor = -1;
    // Some file systems report a failed write only when the file is closed;
    // such a file is removed like any other that was not finished.
    if (::close(closing) != 0 && errno != EINTR) {
        errorNumber = errno;
        return false;
    }
    keep = true;
    return true;
}

void CNewFile::KeepAsWritten()
{
    keep = true;
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

} // namespace Tarn

#pragma once
#include <cstddef>
#include <cstdint>

namespace Tarn {

// A file that output is written into, with the system's errno for what it
// could not take.
class IOutputFile {
public:
    virtual ~IOutputFile() = default;
    // Writes all bytes at the current position, or fails with the errno.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Moves the position as lseek does; -1 on failure.
    virtual std::int64_t Seek(std::int64_t offset, int whence) = 0;
    // The errno of the last failure; 0 if none.
    virtual int ErrorNumber() const = 0;
};

} // namespace Tarn

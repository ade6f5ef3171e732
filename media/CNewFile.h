#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "media/IOutputFile.h"

namespace Tarn {

// A file that this program creates for its own output. It never replaces a
// file that was there before: the name is taken only if it is free, in one
// step with the creation. Unless it is kept, the file goes away again with
// this object, so that output that could not be finished leaves nothing
// half written behind. Failures are reported as errno values.
class CNewFile : public IOutputFile {
public:
    // None, with the errno in `errorNumber` (EEXIST when the name is taken).
    static std::unique_ptr<CNewFile> Create(const std::string& path, int* errorNumber);
    // The first free name folder/prefix + number + suffix, numbers counted
    // from 1 with at least four digits (prefix0001.png); none, with the
    // errno, when the folder takes no new file.
    static std::unique_ptr<CNewFile> CreateNumbered(const std::string& folder, const std::string& prefix,
                                                    const std::string& suffix, int* errorNumber);
    ~CNewFile() override;
    CNewFile(const CNewFile&) = delete;
    CNewFile& operator=(const CNewFile&) = delete;

    bool Write(const void* data, std::size_t size) override;
    std::int64_t Seek(std::int64_t offset, int whence) override;
    // Reads what was written at an offset, or writes over it, leaving the
    // position where it is; false (with the errno) if not all bytes went.
    bool ReadAt(std::int64_t offset, void* data, std::size_t size);
    bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
    int ErrorNumber() const override { return errorNumber; }
    // Closes the file and keeps it; false (with the errno) if the system
    // reports that what was written did not reach it.
    bool Keep();
    // Closes the file and keeps whatever part of it was written.
    void KeepAsWritten();

    // Records a failure that happened outside the file's own calls.
    bool Fail(int error)
    {
        errorNumber = error;
        return false;
    }

    const std::string& Path() const { return path; }

private:
    CNewFile(int descriptor, std::string path) : descriptor(descriptor), path(std::move(path)) {}

    int descriptor;
    std::string path;
    bool keep = false;
    int errorNumber = 0;
};

} // namespace Tarn

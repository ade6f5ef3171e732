#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "control/ILogFile.h"

namespace Tarn {

// A log file that this program created itself: opened only if no file of
// that name existed (never truncated or appended to), written without a
// user-space buffer so each record reaches the system when Append returns.
class CLogFile : public ILogFile {
public:
    // The new file, or null with error set to the system's error number
    // (EEXIST when something of that name is already there).
    static std::unique_ptr<CLogFile> CreateNew(const std::string& fileName, int& error);

    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    ~CLogFile() override;

    // On a failed write (disk full, file too large) the part of text that
    // did get written is cut off again, so the file ends after the last
    // whole record.
    bool Append(std::string_view text) override;
    int LastError() const override { return lastError; }

private:
    explicit CLogFile(int fd) : fd(fd) {}

    int fd;
    std::int64_t size = 0; // bytes of whole records written
    int lastError = 0;
};

} // namespace Tarn

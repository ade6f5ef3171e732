#pragma once

#include <string>

namespace Tarn {

// Anything that collects one-line fault messages. Faults in model files and
// in the log are never thrown: they are appended here and the caller asks
// IsOk afterwards.
class IReportErrorAble {
public:
    virtual ~IReportErrorAble() = default;
    virtual bool IsOk() const = 0;
    // Appends message followed by one line feed and marks the report failed.
    virtual void ReportError(std::string message) = 0;
    virtual void ClearErrors() = 0;
    virtual std::string GetErrorText() const = 0;
};

} // namespace Tarn

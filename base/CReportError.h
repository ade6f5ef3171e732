#pragma once

#include "base/IReportErrorAble.h"

#include <string>

namespace Tarn {

// The one real error report: an ok flag and the accumulated lines.
class CReportError : public IReportErrorAble {
public:
    bool IsOk() const override;
    void ReportError(std::string message) override;
    void ClearErrors() override;
    std::string GetErrorText() const override;

private:
    bool ok = true;
    std::string text;
};

} // namespace Tarn

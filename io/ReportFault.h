#pragma once

#include <string>
#include <string_view>

#include "base/IReportErrorAble.h"

namespace Tarn {

// Reports one fault in the form every reader uses:
// "Error in <reader>: <description>".
inline void ReportFault(IReportErrorAble& report, std::string_view reader, std::string_view description)
{
    std::string message = "Error in ";
    message += reader;
    message += ": ";
    message += description;
    report.ReportError(std::move(message));
}

} // namespace Tarn

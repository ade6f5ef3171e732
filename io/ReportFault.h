#pragma once

#include <charconv>
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

// "(x, y)" with each number in the shortest form that reads back exactly, so
// that a message can name an object by the position its file gives it.
inline std::string PointText(double x, double y)
{
    char text[64];
    char* end = text;
    *end++ = '(';
    end = std::to_chars(end, text + sizeof text, x).ptr;
    *end++ = ',';
    *end++ = ' ';
    end = std::to_chars(end, text + sizeof text, y).ptr;
    *end++ = ')';
    return std::string(text, end);
}

} // namespace Tarn

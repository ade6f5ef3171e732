#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "io/AttributeValue.h"
#include "io/ForEachNamedAttribute.h"

namespace Tarn {

// Reads the attributes named in names as counts, which must be greater than
// 0: the walk of ForEachNamedAttribute, with a value <= 0 reported for
// reader as "<name> <= 0". Returns whether every count given was good;
// seen tells which were given.
template <std::size_t N>
bool ReadPositiveInts(const CXmlNode& element, const std::array<std::string_view, N>& names,
                      std::array<bool, N>& seen, std::array<int, N>& values, IReportErrorAble& report,
                      std::string_view reader)
{
    return ForEachNamedAttribute(element, names, seen, report, reader, [&](std::size_t k, const std::string& value) {
        values[k] = AttributeToInt(value);
        if (values[k] > 0)
            return true;
        ReportFault(report, reader, std::string(names[k]) + " <= 0");
        return false;
    });
}

} // namespace Tarn

#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "io/ForEachAttribute.h"
#include "base/IReportErrorAble.h"
#include "io/ReportFault.h"

namespace Tarn {

// Walks the attributes of element whose names stand in names, in document
// order, and skips all others. A name given a second time is reported for
// reader as "double definition of <name>" and ends the walk; otherwise
// seen[k] is set and visit(k, value) called, k being the name's index in
// names. visit reports its own faults and returns false to end the walk.
// Returns whether the walk ran to the end.
template <std::size_t N, class Visit>
bool ForEachNamedAttribute(const CXmlNode& element, const std::array<std::string_view, N>& names,
                           std::array<bool, N>& seen, IReportErrorAble& report, std::string_view reader, Visit visit)
{
    return ForEachAttribute(element, [&](const std::string& name, const std::string& value) {
        const auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end())
            return true;
        const auto k = static_cast<std::size_t>(found - names.begin());
        if (seen[k]) {
            ReportFault(report, reader, "double definition of " + std::string(names[k]));
            return false;
        }
        seen[k] = true;
        return visit(k, value);
    });
}

} // namespace Tarn

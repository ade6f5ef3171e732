#pragma once

#include <string_view>

#include "io/CXmlNode.h"
#include "base/IReportErrorAble.h"

namespace Tarn {

// The opening check of a reader: node must be an element called name.
// Otherwise reports the first fault found ("nodePtr->GetnodeType() !=
// MSXML2::NODE_ELEMENT" or "bad nodeName") for reader and gives false.
bool ExpectElement(const CXmlNode& node, IReportErrorAble& report, std::string_view reader, std::string_view name);

} // namespace Tarn

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "io/CXmlNode.h"
#include "base/IReportErrorAble.h"

namespace Tarn {

// Takes the text of an element that holds its data as one text child.
// Every child must be text and there may be only one: otherwise reports
// "subnodePtr->GetnodeType() != MSXML2::NODE_TEXT" or "double definition of
// <dataName>" for reader, at the first child at fault, and gives false.
// text stays empty when the element has no child.
bool ReadTextChild(const CXmlNode& element, IReportErrorAble& report, std::string_view reader,
                   std::string_view dataName, std::optional<std::string>& text);

} // namespace Tarn

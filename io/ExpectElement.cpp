#include "io/ExpectElement.h"

#include "io/ReportFault.h"

namespace Tarn {

bool ExpectElement(const CXmlNode& node, IReportErrorAble& report, std::string_view reader, std::string_view name)
{
    if (node.GetNodeType() != CXmlNodeType::Element) {
        ReportFault(report, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
        return false;
    }
    if (node.GetNodeName() != name) {
        ReportFault(report, reader, "bad nodeName");
        return false;
    }
    return true;
}

} // namespace Tarn

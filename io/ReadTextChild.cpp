#include "io/ReadTextChild.h"

#include "io/ReportFault.h"

namespace Tarn {

bool ReadTextChild(const CXmlNode& element, IReportErrorAble& report, std::string_view reader,
                   std::string_view dataName, std::optional<std::string>& text)
{
    const CXmlNodeList children = element.GetChildNodes();
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Text) {
            ReportFault(report, reader, "subnodePtr->GetnodeType() != MSXML2::NODE_TEXT");
            return false;
        }
        if (text) {
            ReportFault(report, reader, "double definition of " + std::string(dataName));
            return false;
        }
        text = child.GetText();
    }
    return true;
}

} // namespace Tarn

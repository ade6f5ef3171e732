#pragma once

#include "io/CXmlNode.h"

#include <memory>

#include <pugixml.hpp>

namespace Tarn {

// Attributes of one element, iterated by Reset and NextNode. The iteration
// starts reset; NextNode gives an empty handle after the last attribute.
class CXmlAttributes {
public:
    CXmlAttributes() = default;
    void Reset();
    CXmlNode NextNode();

private:
    friend class CXmlNode;
    CXmlAttributes(CXmlDocumentPtr document, pugi::xml_node element);

    CXmlDocumentPtr document;
    pugi::xml_node element;
    pugi::xml_attribute next;
};

} // namespace Tarn

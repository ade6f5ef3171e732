#pragma once
#include <string>

#include "io/CXmlNode.h"

namespace Tarn {

// Walks an element's attributes in document order, skipping list entries
// that are not attributes, and calls visit(name, value) for each; stops as
// soon as visit returns false. Returns whether the walk ran to the end.
template <class Visit>
bool ForEachAttribute(const CXmlNode& element, Visit visit)
{
    CXmlAttributes attributes = element.GetAttributes();
    attributes.Reset();
    for (CXmlNode attribute = attributes.NextNode(); !attribute.IsEmpty(); attribute = attributes.NextNode()) {
        if (attribute.GetNodeType() != CXmlNodeType::Attribute)
            continue;
        if (!visit(attribute.GetNodeName(), attribute.GetText()))
            return false;
    }
    return true;
}

} // namespace Tarn

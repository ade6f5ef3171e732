#pragma once

#include "io/CXmlNode.h"

#include <cstddef>
#include <memory>
#include <vector>

#include <pugixml.hpp>

namespace Tarn {

// Child nodes of one node, taken when the list is made; index access is O(1).
class CXmlNodeList {
public:
    CXmlNodeList() = default;
    std::size_t GetLength() const;
    // The node at index; an empty handle when index >= GetLength().
    CXmlNode GetItem(std::size_t index) const;

private:
    friend class CXmlNode;
    CXmlNodeList(CXmlDocumentPtr document, pugi::xml_node parent);

    CXmlDocumentPtr document;
    std::shared_ptr<const std::vector<pugi::xml_node>> items;
};

} // namespace Tarn

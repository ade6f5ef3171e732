#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace Tarn {

class CXmlNodeList;
class CXmlAttributes;

// A parsed document and what finds a node's line in its text again.
struct XmlDocument {
    pugi::xml_document dom;
    std::string fileName; // the file it was read from; empty for a text
    std::vector<std::uint32_t> lineFeeds; // for a text: the offset of each line feed
};

// Shared ownership of a parsed document; every handle holds one.
using CXmlDocumentPtr = std::shared_ptr<const XmlDocument>;

// Kind of a DOM node. Element, Attribute and Text carry the DOM standard's
// codes 1, 2 and 3; a CDATA section is text too (its content is plain text).
// Comments and processing instructions are Other, so a reader that expects
// an element or a text rejects them.
enum class CXmlNodeType {
    Empty = 0,     // a handle that refers to nothing
    Element = 1,
    Attribute = 2,
    Text = 3,
    Document = 9,  // the whole document, parent of the root element
    Other = 100,
};

// Counted handle to one node of a parsed XML document.
//
// Copying a handle is cheap and shares the document: the document lives as
// long as any handle, child list or attribute list taken from it. A default
// constructed handle is empty (IsEmpty(), type Empty, empty name and text).
//
// Loading (see LoadXmlFile / LoadXmlText) keeps comments and processing
// instructions as child nodes, drops the XML declaration and the DOCTYPE,
// and never lists white space that stands alone between elements. Text is
// UTF-8; entities are already replaced.
//
// Typical reader walk:
//   CXmlNode node = io.GetNode();
//   if (node.GetNodeType() != CXmlNodeType::Element) ...
//   if (node.GetNodeName() != "world") ...
//   CXmlAttributes attributes = node.GetAttributes();
//   attributes.Reset();
//   for (CXmlNode a = attributes.NextNode(); !a.IsEmpty(); a = attributes.NextNode())
//       use(a.GetNodeName(), a.GetText());
//   CXmlNodeList children = node.GetChildNodes();
//   for (std::size_t i = 0; i < children.GetLength(); ++i) {
//       CXmlNode child = children.GetItem(i);   // Element, Text or Other
//       ...
//   }
class CXmlNode {
public:
    CXmlNode() = default;

    bool IsEmpty() const;
    CXmlNodeType GetNodeType() const;
    // Element or attribute name; empty for every other kind.
    std::string GetNodeName() const;
    // An attribute's value or a text node's text; empty for every other kind.
    std::string GetText() const;

    // The attributes of an element in document order (empty list otherwise).
    CXmlAttributes GetAttributes() const;
    // The child nodes of an element or of the document (empty list otherwise).
    CXmlNodeList GetChildNodes() const;
    // The line of the text (from 1) on which an element starts, for messages
    // that point into a file; 0 when it cannot be told (a file changed since).
    std::size_t GetLine() const;

private:
    friend class CXmlNodeList;
    friend class CXmlAttributes;
    friend CXmlNode LoadXmlFile(const std::string& fileName, std::string& problem);
    friend CXmlNode LoadXmlText(std::string_view text, std::string& problem);

    CXmlNode(CXmlDocumentPtr document, pugi::xml_node node);
    CXmlNode(CXmlDocumentPtr document, pugi::xml_attribute attribute);

    CXmlDocumentPtr document;
    pugi::xml_node node;            // set for every kind but Attribute
    pugi::xml_attribute attribute;  // set for Attribute only
};

// Model files larger than this are not opened: parsing one takes several
// times its size in memory.
inline constexpr std::uintmax_t maxXmlFileSize = std::uintmax_t{256} << 20;

// Parses a whole file into a document and returns the document node, or an
// empty handle when the file is missing, not a regular file, larger than
// maxXmlFileSize, unreadable or not well-formed (an empty file and a file
// without an element included); `problem` then says which in words ("no
// such file", "not well-formed XML at line 12, column 3 (unexpected end of
// data)"), and is emptied otherwise.
// Throws std::bad_alloc only when the document object itself cannot be made.
CXmlNode LoadXmlFile(const std::string& fileName, std::string& problem);
// The same for a document held in memory.
CXmlNode LoadXmlText(std::string_view text, std::string& problem);

} // namespace Tarn

// The list types come with the node so that one include is enough.
#include "io/CXmlAttributes.h"
#include "io/CXmlNodeList.h"

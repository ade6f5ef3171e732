#include "io/CXmlNode.h"

#include <filesystem>
#include <system_error>

namespace Tarn {

namespace {

// Comments and processing instructions become nodes so that a reader sees
// them and rejects them where it expects an element or a text; the XML
// declaration and white space between elements do not. Parsing as a
// fragment keeps text outside the root and a second root visible to
// IsWellFormed, instead of dropping or accepting them silently.
constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_fragment;

// A document has exactly one root element and no text beside it; comments
// and processing instructions beside the root are left for the caller's
// one-root check.
bool IsWellFormed(const pugi::xml_document& document)
{
    int elements = 0;
    for (const pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            return false;
        if (node.type() == pugi::node_element)
            ++elements;
    }
    return elements == 1;
}

} // namespace

CXmlNode::CXmlNode(CXmlDocumentPtr document_, pugi::xml_node node_)
    : document(std::move(document_)), node(node_)
{
}

CXmlNode::CXmlNode(CXmlDocumentPtr document_, pugi::xml_attribute attribute_)
    : document(std::move(document_)), attribute(attribute_)
{
}

bool CXmlNode::IsEmpty() const { return !node && !attribute; }

CXmlNodeType CXmlNode::GetNodeType() const
{
    if (attribute)
        return CXmlNodeType::Attribute;
    switch (node.type()) {
    case pugi::node_null: return CXmlNodeType::Empty;
    case pugi::node_document: return CXmlNodeType::Document;
    case pugi::node_element: return CXmlNodeType::Element;
    case pugi::node_pcdata:
    case pugi::node_cdata: return CXmlNodeType::Text;
    default: return CXmlNodeType::Other;
    }
}

std::string CXmlNode::GetNodeName() const
{
    if (attribute)
        return attribute.name();
    if (node.type() == pugi::node_element)
        return node.name();
    return {};
}

std::string CXmlNode::GetText() const
{
    if (attribute)
        return attribute.value();
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        return node.value();
    return {};
}

CXmlAttributes CXmlNode::GetAttributes() const
{
    if (node.type() != pugi::node_element)
        return {};
    return CXmlAttributes(document, node);
}

CXmlNodeList CXmlNode::GetChildNodes() const
{
    if (node.type() != pugi::node_element && node.type() != pugi::node_document)
        return {};
    return CXmlNodeList(document, node);
}

CXmlNodeList::CXmlNodeList(CXmlDocumentPtr document_, pugi::xml_node parent) : document(std::move(document_))
{
    auto list = std::make_shared<std::vector<pugi::xml_node>>();
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        list->push_back(child);
    items = std::move(list);
}

std::size_t CXmlNodeList::GetLength() const { return items ? items->size() : 0; }

CXmlNode CXmlNodeList::GetItem(std::size_t index) const
{
    if (index >= GetLength())
        return {};
    return CXmlNode(document, (*items)[index]);
}

CXmlAttributes::CXmlAttributes(CXmlDocumentPtr document_, pugi::xml_node element_)
    : document(std::move(document_)), element(element_), next(element_.first_attribute())
{
}

void CXmlAttributes::Reset() { next = element.first_attribute(); }

CXmlNode CXmlAttributes::NextNode()
{
    if (!next)
        return {};
    const pugi::xml_attribute current = next;
    next = next.next_attribute();
    return CXmlNode(document, current);
}

CXmlNode LoadXmlFile(const std::string& fileName)
{
    // A directory or a device would open but never give a document, and a
    // pipe could keep the reader waiting.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return {};
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size > maxXmlFileSize)
        return {};
    auto document = std::make_shared<pugi::xml_document>();
    if (!document->load_file(fileName.c_str(), parseOptions) || !IsWellFormed(*document))
        return {};
    const pugi::xml_node root = *document;
    return CXmlNode(std::move(document), root);
}

CXmlNode LoadXmlText(std::string_view text)
{
    auto document = std::make_shared<pugi::xml_document>();
    if (!document->load_buffer(text.data(), text.size(), parseOptions) || !IsWellFormed(*document))
        return {};
    const pugi::xml_node root = *document;
    return CXmlNode(std::move(document), root);
}

} // namespace Tarn

#include "io/CXmlNode.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/FileFault.h"

namespace Tarn {

namespace {

// Comments and processing instructions become nodes so that a reader sees
// them and rejects them where it expects an element or a text; the XML
// declaration and white space between elements do not. Parsing as a
// fragment keeps text outside the root and a second root visible to
// IsWellFormed, instead of dropping or accepting them silently.
constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_fragment;

// Whether a document has exactly one root element and no text beside it;
// comments and processing instructions beside the root are left for the
// caller's one-root check. Otherwise `problem` says what is wrong.
bool IsWellFormed(const pugi::xml_document& document, std::string& problem)
{
    int elements = 0;
    for (const pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            problem = "not well-formed XML: text outside the root element";
            return false;
        }
        if (node.type() == pugi::node_element)
            ++elements;
    }
    if (elements == 1)
        return true;
    problem = elements == 0 ? "holds no XML element" : "not well-formed XML: more than one root element";
    return false;
}

// What pugixml found wrong, in words.
std::string_view ParseFault(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_bad_pi: return "a bad declaration or processing instruction";
    case pugi::status_bad_doctype: return "a bad document type declaration";
    case pugi::status_bad_start_element: return "a bad start tag";
    case pugi::status_bad_attribute: return "a bad attribute";
    case pugi::status_bad_end_element: return "a bad end tag";
    case pugi::status_end_element_mismatch: return "an end tag that does not match its start tag";
    case pugi::status_unrecognized_tag: return "a tag that cannot be read";
    case pugi::status_bad_comment: return "a bad comment";
    case pugi::status_bad_cdata: return "a bad CDATA section";
    case pugi::status_bad_pcdata: return "bad text";
    default: return "a fault";
    }
}

// "not well-formed XML at line L, column C (WHAT)" for a parse that failed
// at a byte offset of the text; the column counts characters, and a fault
// found at the last character is the end of data coming too soon.
std::string ParseProblem(std::string_view text, const pugi::xml_parse_result& result)
{
    const std::size_t offset =
        std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0)), text.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) { // not a UTF-8 continuation byte
            ++column;
        }
    }
    const std::string_view what = offset + 1 >= text.size() ? "unexpected end of data" : ParseFault(result.status);
    return "not well-formed XML at line " + std::to_string(line) + ", column " + std::to_string(column) + " ("
        + std::string(what) + ")";
}

// The file's bytes, for finding where a parse failed.
std::string FileText(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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

std::size_t CXmlNode::GetLine() const
{
    const std::ptrdiff_t offset = node ? node.offset_debug() : -1;
    if (!document || offset < 0)
        return 0;
    const auto at = static_cast<std::size_t>(offset);
    if (document->fileName.empty())
        return 1 + static_cast<std::size_t>(std::lower_bound(document->lineFeeds.begin(), document->lineFeeds.end(), at)
                                            - document->lineFeeds.begin());
    // A file is read again only for a message: its lines cost nothing otherwise.
    const std::string text = FileText(document->fileName);
    if (at >= text.size())
        return 0;
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
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

CXmlNode LoadXmlFile(const std::string& fileName, std::string& problem)
{
    problem.clear();
    // A directory or a device would open but never give a document, and a
    // pipe could keep the reader waiting.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    if (status.type() == std::filesystem::file_type::directory) {
        problem = SystemErrorWords(EISDIR);
        return {};
    }
    if (status.type() != std::filesystem::file_type::regular) {
        problem = error ? SystemErrorWords(error.value()) : "not a regular file";
        return {};
    }
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error) {
        problem = SystemErrorWords(error.value());
        return {};
    }
    if (size > maxXmlFileSize) {
        problem = "larger than the 256 MiB a model file may have";
        return {};
    }
    // Opened once first for the system's reason when it cannot be read.
    if (std::FILE* file = std::fopen(fileName.c_str(), "rb"))
        std::fclose(file);
    else {
        problem = SystemErrorWords(errno);
        return {};
    }
    auto document = std::make_shared<XmlDocument>();
    document->fileName = fileName;
    const pugi::xml_parse_result result = document->dom.load_file(fileName.c_str(), parseOptions);
    if (!result) {
        if (result.status == pugi::status_out_of_memory)
            problem = "not enough memory to read it";
        else if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error)
            problem = "cannot be read";
        else
            problem = ParseProblem(FileText(fileName), result);
        return {};
    }
    if (!IsWellFormed(document->dom, problem))
        return {};
    const pugi::xml_node root = document->dom;
    return CXmlNode(std::move(document), root);
}

CXmlNode LoadXmlText(std::string_view text, std::string& problem)
{
    problem.clear();
    auto document = std::make_shared<XmlDocument>();
    // Offsets fit: no document this large is ever read.
    for (std::size_t i = text.find('\n'); i != std::string_view::npos && i < 0xffffffffu; i = text.find('\n', i + 1))
        document->lineFeeds.push_back(static_cast<std::uint32_t>(i));
    const pugi::xml_parse_result result = document->dom.load_buffer(text.data(), text.size(), parseOptions);
    if (!result) {
        problem =
            result.status == pugi::status_out_of_memory ? "not enough memory to read it" : ParseProblem(text, result);
        return {};
    }
    if (!IsWellFormed(document->dom, problem))
        return {};
    const pugi::xml_node root = document->dom;
    return CXmlNode(std::move(document), root);
}

} // namespace Tarn

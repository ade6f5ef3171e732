#include "io/CFenIOStruct.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <utility>

namespace Tarn {

CFenIOStruct::CFenIOStruct(std::string fileName)
{
    CXmlNode document;
    bool created = true;
    try {
        document = LoadXmlFile(fileName, fileProblem);
        folder = std::filesystem::path(fileName).parent_path().string();
    } catch (const std::bad_alloc&) {
        created = false;
    }
    Open(created, document);
}

CFenIOStruct CFenIOStruct::FromText(std::string_view text, std::string folder)
{
    CFenIOStruct io;
    io.folder = std::move(folder);
    CXmlNode document;
    bool created = true;
    try {
        document = LoadXmlText(text, io.fileProblem);
    } catch (const std::bad_alloc&) {
        created = false;
    }
    io.Open(created, document);
    return io;
}

CFenIOStruct CFenIOStruct::OpenNamed(const std::string& name) const
{
    const std::filesystem::path written(name);
    const std::string path
        = written.is_absolute() || folder.empty() ? name : (std::filesystem::path(folder) / written).string();
    if (namedTexts != nullptr) {
        if (const auto kept = namedTexts->find(name); kept != namedTexts->end())
            return FromText(kept->second, std::filesystem::path(path).parent_path().string());
    }
    CFenIOStruct file(path);
    if (namedTexts != nullptr && file.IsOk()) {
        std::ifstream in(path, std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (in || in.eof())
            namedTexts->emplace(name, std::move(text));
    }
    return file;
}

void CFenIOStruct::Open(bool created, const CXmlNode& document)
{
    if (!created) {
        fileProblem = "not enough memory to read it";
        ReportError("Error in CFenIOStruct: cannot instantiate Msxml.DOMDocument");
        return;
    }
    if (document.IsEmpty()) {
        ReportError("Error in CFenIOStruct: cannot open the file");
        return;
    }
    try {
        const CXmlNodeList topLevel = document.GetChildNodes();
        if (topLevel.GetLength() != 1) {
            fileProblem = "a comment or processing instruction beside the root element";
            ReportError("Error in CFenIOStruct: there is not one root");
            return;
        }
        node = topLevel.GetItem(0);
        rootName = node.GetNodeName();
    } catch (const std::bad_alloc&) {
        // Out of memory while taking the loaded document apart.
        fileProblem = "not enough memory to read it";
        ReportError("Error in CFenIOStruct: cannot open the file");
    }
}

bool CFenIOStruct::IsOk() const { return report.IsOk(); }

void CFenIOStruct::ReportError(std::string message) { report.ReportError(std::move(message)); }

void CFenIOStruct::ClearErrors() { report.ClearErrors(); }

std::string CFenIOStruct::GetErrorText() const { return report.GetErrorText(); }

CXmlNode CFenIOStruct::GetNode() const { return node; }

CFenIOStruct& CFenIOStruct::SetNode(CXmlNode newNode)
{
    node = std::move(newNode);
    return *this;
}

} // namespace Tarn

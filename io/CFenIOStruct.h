#pragma once

#include "base/CReportError.h"
#include "io/CXmlNode.h"

#include <map>
#include <string>
#include <string_view>

namespace Tarn {

// One opened model file: the current DOM node and the error report that
// every reader of this load writes into. Lives for one load.
class CFenIOStruct : public IReportErrorAble {
public:
    // Opens and parses the file; afterwards IsOk tells whether it could be
    // opened and, on success, the current node is the document's single
    // top-level node (of whatever kind: the first reader checks it).
    explicit CFenIOStruct(std::string fileName);
    // The same for a document held in memory (used by tools and tests);
    // names inside it are relative to `folder`, as they would be to the
    // folder of the file it was read from.
    static CFenIOStruct FromText(std::string_view text, std::string folder = {});

    bool IsOk() const override;
    void ReportError(std::string message) override;
    void ClearErrors() override;
    std::string GetErrorText() const override;

    // Why the file gave no document, in words ("no such file", "is a
    // folder", "not well-formed XML at line 12, column 3 (...)"); empty when
    // it gave one.
    const std::string& GetFileProblem() const { return fileProblem; }
    // The name of the document's root element; empty without a document.
    const std::string& GetRootName() const { return rootName; }
    // The folder of the file, to which names inside it are relative ("" for
    // the working folder, and for a document held in memory).
    const std::string& GetFolder() const { return folder; }

    // The texts of files a document names, by the name written in it.
    using NamedTexts = std::map<std::string, std::string>;
    // A file this document names, found from its folder. With texts lent
    // (LendNamedTexts), one of the name is read from them, and one read
    // from disk leaves its text there, so that the document and every file
    // it names can be loaded again where none of them is.
    CFenIOStruct OpenNamed(const std::string& name) const;
    // Not owned; null (the default) reads every file from disk.
    void LendNamedTexts(NamedTexts* texts) { namedTexts = texts; }

    CXmlNode GetNode() const;
    // Makes node the current node and returns this same object, so that a
    // reader hands a child down as subReader.Read(io.SetNode(child), ...).
    // The previous node is not restored afterwards.
    CFenIOStruct& SetNode(CXmlNode node);

private:
    CFenIOStruct() = default;
    void Open(bool created, const CXmlNode& document);

    CXmlNode node;
    CReportError report;
    std::string fileProblem;
    std::string rootName;
    std::string folder;
    NamedTexts* namedTexts = nullptr;
};

} // namespace Tarn

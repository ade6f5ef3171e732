// The last line of a failed load: which file, and what is wrong with it in words.
#include "io/ModelFileFault.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "io/CFenIOStruct.h"
#include "tests/support/TempFolder.h"

using namespace TestSupport;
using Tarn::CFenIOStruct;
using Tarn::ModelFileKind;

namespace {

std::string WordsForFile(const std::string& path, ModelFileKind kind = ModelFileKind::Scene)
{
    const CFenIOStruct io(path);
    EXPECT_FALSE(io.IsOk()) << path;
    return Tarn::ModelFaultWords(io, kind);
}

TEST(ModelFileFault, AFileThatGivesNoDocumentIsDescribedByWhatStoodInTheWay)
{
    TempFolder folder;
    struct Case {
        const char* name;
        const char* content;
        std::string words;
    };
    const Case cases[] = {
        {"empty.xml", "", "holds no XML element"},
        {"text.xml", "<world width='1' height='1'/>stray", "not well-formed XML: text outside the root element"},
        {"two.xml", "<world/><world/>", "not well-formed XML: more than one root element"},
        {"comment.xml", "<!-- c --><world/>", "a comment or processing instruction beside the root element"},
        {"cut.xml", "<world>\n  <object x=\"1\"", "not well-formed XML at line 2, column 15 (unexpected end of data)"},
        {"mismatch.xml", "<world>\n  <object></obj>\n</world>",
         "not well-formed XML at line 2, column 13 (an end tag that does not match its start tag)"},
        // Columns count characters, not bytes: the é takes two.
        {"attribute.xml", "<world color=\"é\" width=1>\n</world>",
         "not well-formed XML at line 1, column 24 (a bad attribute)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WordsForFile(folder.Write(c.name, c.content)), c.words) << c.name;

    EXPECT_EQ(WordsForFile(folder.File("missing.xml")), "no such file");
    std::filesystem::create_directory(folder.File("robots"));
    EXPECT_EQ(WordsForFile(folder.File("robots")), "is a folder");
    EXPECT_EQ(WordsForFile(folder.File("empty.xml/inside.xml")), "a part of its path is not a folder");
    // A sparse file just past the limit.
    {
        std::ofstream(folder.File("huge.xml")) << "<world/>";
    }
    std::filesystem::resize_file(folder.File("huge.xml"), (std::uintmax_t{256} << 20) + 1);
    EXPECT_EQ(WordsForFile(folder.File("huge.xml")), "larger than the 256 MiB a model file may have");
    if (::geteuid() != 0) { // root reads any file
        const std::string locked = folder.Write("locked.xml", "<world/>");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(WordsForFile(locked), "permission denied");
    }
}

TEST(ModelFileFault, AFileOfAnotherKindIsNamedByItsRootElement)
{
    struct Case {
        const char* text;
        ModelFileKind kind;
        std::string words;
    };
    const Case cases[] = {
        {"<neuralrobot/>", ModelFileKind::Scene, "this is a robot file (root element \"neuralrobot\"), not a scene"},
        {"<network/>", ModelFileKind::Robot, "this is a network file (root element \"network\"), not a robot"},
        {"<world/>", ModelFileKind::Network, "this is a scene file (root element \"world\"), not a network"},
        {"<svg/>", ModelFileKind::Scene,
         "this is not a scene file (root element \"svg\", where a scene file has \"world\")"},
    };
    for (const Case& c : cases) {
        CFenIOStruct io = CFenIOStruct::FromText(c.text);
        io.ReportError("Error in CFenWorldIO: bad nodeName");
        EXPECT_EQ(Tarn::ModelFaultWords(io, c.kind), c.words) << c.text;
    }
}

TEST(ModelFileFault, AFaultInTheContentIsTheInnermostFaultInPlainWords)
{
    struct Case {
        std::string report;
        std::string words;
    };
    const Case cases[] = {
        {"Error in CFenPhysicalObjectReader: mass out of range\nError in CFenPhysicalObjectIO: unable to read object\n",
         "mass out of range"},
        {"Error in CFenPhysicalObjectReader: x <= 0.0\n", "x must be a number greater than 0"},
        {"Error in CFenWorldIO: double definition of width\n", "width is given twice"},
        {"Error in CFenPhysicalObjectReader: incomplete definition of object\n",
         "the object lacks a part it needs (a required attribute or element)"},
        {"Error in CAnPolygoneReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT\n",
         "a comment, processing instruction or element where numbers belong"},
        {"Error in CFenWorldIO: subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n",
         "a comment, processing instruction or text where an element belongs"},
        {"Error in CAnPolygoneReader: unable to parse the text\n",
         "numbers that cannot be read, or not as many as declared"},
        {"Error in CFenNeuralRobotIO: too many sensors\n", "more than 10,000 sensors"},
        {"Error in CFeedForwardReader: bad transferFcn\nError in CFeedForwardReader: unable to read layers\n",
         "a transfer function that is not purelin, tansig or logsig"},
        {"Error in CFeedForwardReader: bad to layer index\n", "a to layer index outside the layers the network has"},
        // The network reader puts its enclosing line first.
        {"Error in CFeedForwardReader: unable to read network\nError in CFeedForwardReader: inconsistent network\n",
         "the sizes of its inputs, layers, weights and biases do not fit together"},
        {"Error in CFeedForwardReader: inconsistent biases\nError in CFeedForwardReader: unable to read network\n",
         "the biases do not give every layer exactly once"},
        {"Error in CFenPhysicalObjectReader: polygone of the object at (10, 12.5) is not convex and "
         "counter-clockwise\n",
         "polygone of the object at (10, 12.5) is not convex and counter-clockwise"},
    };
    for (const Case& c : cases) {
        CFenIOStruct io = CFenIOStruct::FromText("<world/>");
        std::string report = c.report;
        for (std::size_t end; (end = report.find('\n')) != std::string::npos; report.erase(0, end + 1))
            io.ReportError(report.substr(0, end));
        EXPECT_EQ(Tarn::ModelFaultWords(io, ModelFileKind::Scene), c.words) << c.report;
    }
}

TEST(ModelFileFault, TheLineNamesTheKindAndTheFileAsGiven)
{
    const CFenIOStruct io("no/such/Nope.xml");
    EXPECT_EQ(Tarn::ModelFileFaultLine(io, ModelFileKind::Network, "no/such/Nope.xml"),
              "Network file 'no/such/Nope.xml': no such file");
}

} // namespace

#include "io/CFenIOStruct.h"
#include "base/CReportError.h"

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace TestSupport;

namespace {

using Tarn::CFenIOStruct;
using Tarn::CReportError;
using Tarn::CXmlNode;
using Tarn::CXmlNodeType;


TEST(CReportError, CollectsLinesUntilCleared)
{
    CReportError report;
    EXPECT_TRUE(report.IsOk());
    EXPECT_EQ(report.GetErrorText(), "");
    report.ReportError("Error in A: one");
    report.ReportError("Error in B: two");
    EXPECT_FALSE(report.IsOk());
    EXPECT_EQ(report.GetErrorText(), "Error in A: one\nError in B: two\n");
    report.ClearErrors();
    EXPECT_TRUE(report.IsOk());
    EXPECT_EQ(report.GetErrorText(), "");
}

struct OpenCase {
    const char* name;
    const char* content;  // nullptr: no file at all
    const char* expected;
};

class OpenFile : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenFile, ReportsExactly)
{
    const OpenCase& c = GetParam();
    if (c.content == nullptr) {
        CFenIOStruct io("/nonexistent/korvale/none.xml");
        EXPECT_EQ(io.GetErrorText(), c.expected);
        return;
    }
    TempFile file(c.content);
    CFenIOStruct io(file.Name());
    EXPECT_EQ(io.GetErrorText(), c.expected);
    EXPECT_EQ(io.IsOk(), std::string(c.expected).empty());
}

INSTANTIATE_TEST_SUITE_P(
    CFenIOStruct, OpenFile,
    testing::Values(
        OpenCase{"Missing", nullptr, "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"Empty", "", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"NotWellFormed", "<world><object></world>", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"Truncated", "<world width=\"10\"", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"CommentOnly", "<!-- nothing -->", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"TextBeforeRoot", "junk<world/>", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"TextAfterRoot", "<world/>\njunk\n", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"TwoRoots", "<world/><world/>", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"CDataOutsideRoot", "<world/><![CDATA[x]]>", "Error in CFenIOStruct: cannot open the file\n"},
        OpenCase{"CommentBesideRoot", "<!-- a scene --><world/>", "Error in CFenIOStruct: there is not one root\n"},
        OpenCase{"InstructionBesideRoot", "<world/><?style x?>", "Error in CFenIOStruct: there is not one root\n"},
        OpenCase{"Declaration", "<?xml version=\"1.0\"?>\n<world/>\n", ""},
        OpenCase{"Doctype", "<?xml version=\"1.0\"?><!DOCTYPE world>\n<world/>", ""}),
    [](const testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(CFenIOStruct, DirectoryCannotBeOpened)
{
    CFenIOStruct io(std::filesystem::temp_directory_path().string());
    EXPECT_EQ(io.GetErrorText(), "Error in CFenIOStruct: cannot open the file\n");
    EXPECT_TRUE(io.GetNode().IsEmpty());
}

TEST(CFenIOStruct, RootIsCurrentNodeAndOutlivesTheStruct)
{
    CXmlNode root;
    {
        TempFile file("<world width='3'>\n  <object/>\n  <!-- c -->\n  <object>1 2</object>\n</world>");
        CFenIOStruct io(file.Name());
        ASSERT_TRUE(io.IsOk());
        root = io.GetNode();
    }
    EXPECT_EQ(root.GetNodeType(), CXmlNodeType::Element);
    EXPECT_EQ(root.GetNodeName(), "world");
    const Tarn::CXmlNodeList children = root.GetChildNodes();
    ASSERT_EQ(children.GetLength(), 3u);
    EXPECT_EQ(children.GetItem(0).GetNodeType(), CXmlNodeType::Element);
    EXPECT_EQ(children.GetItem(1).GetNodeType(), CXmlNodeType::Other);
    const CXmlNode text = children.GetItem(2).GetChildNodes().GetItem(0);
    EXPECT_EQ(text.GetNodeType(), CXmlNodeType::Text);
    EXPECT_EQ(text.GetText(), "1 2");
    EXPECT_TRUE(children.GetItem(3).IsEmpty());
}

TEST(CFenIOStruct, AttributesIterateInDocumentOrderAndReset)
{
    CFenIOStruct io = CFenIOStruct::FromText("<a z='1' y='&lt;2'/>");
    Tarn::CXmlAttributes attributes = io.GetNode().GetAttributes();
    attributes.Reset();
    CXmlNode first = attributes.NextNode();
    EXPECT_EQ(first.GetNodeType(), CXmlNodeType::Attribute);
    EXPECT_EQ(first.GetNodeName(), "z");
    EXPECT_EQ(first.GetText(), "1");
    EXPECT_EQ(attributes.NextNode().GetText(), "<2");
    EXPECT_TRUE(attributes.NextNode().IsEmpty());
    EXPECT_TRUE(attributes.NextNode().IsEmpty());
    attributes.Reset();
    EXPECT_EQ(attributes.NextNode().GetNodeName(), "z");
}

TEST(CFenIOStruct, SetNodeReturnsTheSameStruct)
{
    CFenIOStruct io = CFenIOStruct::FromText("<a><b/></a>");
    const CXmlNode child = io.GetNode().GetChildNodes().GetItem(0);
    CFenIOStruct& same = io.SetNode(child);
    EXPECT_EQ(&same, &io);
    EXPECT_EQ(io.GetNode().GetNodeName(), "b");
}

TEST(CFenIOStruct, WhiteSpaceBetweenElementsIsNoNode)
{
    CFenIOStruct io = CFenIOStruct::FromText("<a>\n\t <b/>\r\n  <c/>  </a>");
    EXPECT_EQ(io.GetNode().GetChildNodes().GetLength(), 2u);
}

TEST(CFenIOStruct, ErrorsAccumulateAfterOpening)
{
    CFenIOStruct io = CFenIOStruct::FromText("<a/>");
    io.ReportError("Error in X: y");
    EXPECT_FALSE(io.IsOk());
    EXPECT_EQ(io.GetErrorText(), "Error in X: y\n");
    io.ClearErrors();
    EXPECT_TRUE(io.IsOk());
}

} // namespace

// The "vector" and "matrix" readers of the network file: every message, and
// the target left empty after each failure.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/CMatrix.h"
#include "control/CVector.h"
#include "io/CFenIOStruct.h"
#include "io/CMatrixReader.h"
#include "io/CVectorReader.h"

using namespace Tarn;

namespace {

// The document's root, or with inner set, the root's first child (to hand a
// reader something that is not an element).
CFenIOStruct Open(const std::string& text, bool inner)
{
    CFenIOStruct io = CFenIOStruct::FromText(text);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    if (inner)
        io.SetNode(io.GetNode().GetChildNodes().GetItem(0));
    return io;
}

CVector Filled()
{
    CVector v(3);
    v.data = {9, 9, 9};
    return v;
}

struct ReaderCase {
    const char* name;
    const char* xml;
    bool inner;
    const char* expected;
};

std::string CaseName(const testing::TestParamInfo<ReaderCase>& info) { return info.param.name; }

// Names instead of gtest's byte dump in test listings.
void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

} // namespace

class VectorReaderMessages : public testing::TestWithParam<ReaderCase> {};

TEST_P(VectorReaderMessages, ReportsOneLineAndLeavesTheVectorEmpty)
{
    const ReaderCase& c = GetParam();
    CFenIOStruct io = Open(c.xml, c.inner);
    CVector v = Filled();
    CVectorReader().Read(io, v);
    EXPECT_EQ(io.GetErrorText(), std::string(c.expected) + "\n");
    EXPECT_EQ(v.m, 0);
    EXPECT_TRUE(v.data.empty());
}

INSTANTIATE_TEST_SUITE_P(CVectorReader, VectorReaderMessages, testing::Values(
    ReaderCase{"NotAnElement", "<w><!-- x --></w>", true,
               "Error in CVectorReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT"},
    ReaderCase{"BadName", "<Vector m=\"1\">1</Vector>", false, "Error in CVectorReader: bad nodeName"},
    ReaderCase{"DoubleM", "<vector m=\"1\" x=\"\" m=\"1\">1</vector>", false,
               "Error in CVectorReader: double definition of m"},
    ReaderCase{"ZeroM", "<vector m=\"0\"></vector>", false, "Error in CVectorReader: m <= 0"},
    ReaderCase{"LettersForM", "<vector m=\"two\">1 2</vector>", false, "Error in CVectorReader: m <= 0"},
    ReaderCase{"NegativeM", "<vector m=\"-3\">1 2</vector>", false, "Error in CVectorReader: m <= 0"},
    ReaderCase{"CommentInside", "<vector m=\"2\">1 <!-- c --> 2</vector>", false,
               "Error in CVectorReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT"},
    ReaderCase{"ElementInside", "<vector m=\"1\"><x/></vector>", false,
               "Error in CVectorReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT"},
    ReaderCase{"NoText", "<vector m=\"2\"/>", false, "Error in CVectorReader: incomplete definition of vector"},
    ReaderCase{"NoM", "<vector>1 2</vector>", false, "Error in CVectorReader: incomplete definition of vector"},
    ReaderCase{"CommaSeparated", "<vector m=\"2\">1, 2</vector>", false,
               "Error in CVectorReader: unable to parse vector data"},
    ReaderCase{"TooFew", "<vector m=\"3\">1 2</vector>", false, "Error in CVectorReader: unable to parse vector data"},
    ReaderCase{"TooMany", "<vector m=\"1\">1 2</vector>", false, "Error in CVectorReader: unable to parse vector data"},
    ReaderCase{"TwoBillionWithTwoNumbers", "<vector m=\"2000000000\">1 2</vector>", false,
               "Error in CVectorReader: unable to parse vector data"},
    ReaderCase{"BeyondIntRange", "<vector m=\"99999999999999\">1 2</vector>", false,
               "Error in CVectorReader: unable to parse vector data"}),
    CaseName);

class MatrixReaderMessages : public testing::TestWithParam<ReaderCase> {};

TEST_P(MatrixReaderMessages, ReportsOneLineAndLeavesTheMatrixEmpty)
{
    const ReaderCase& c = GetParam();
    CFenIOStruct io = Open(c.xml, c.inner);
    CMatrix M(2, 2);
    CMatrixReader().Read(io, M);
    EXPECT_EQ(io.GetErrorText(), std::string(c.expected) + "\n");
    EXPECT_EQ(M.m, 0);
    EXPECT_EQ(M.n, 0);
    EXPECT_TRUE(M.rows.empty());
}

INSTANTIATE_TEST_SUITE_P(CMatrixReader, MatrixReaderMessages, testing::Values(
    ReaderCase{"NotAnElement", "<w>text</w>", true,
               "Error in CMatrixReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT"},
    ReaderCase{"BadName", "<vector m=\"1\" n=\"1\">1</vector>", false, "Error in CMatrixReader: bad nodeName"},
    ReaderCase{"DoubleM", "<matrix m=\"1\" n=\"1\" m=\"1\">1</matrix>", false,
               "Error in CMatrixReader: double definition of m"},
    ReaderCase{"DoubleN", "<matrix n=\"1\" m=\"1\" n=\"2\">1</matrix>", false,
               "Error in CMatrixReader: double definition of n"},
    ReaderCase{"ZeroM", "<matrix m=\"0\" n=\"1\">1</matrix>", false, "Error in CMatrixReader: m <= 0"},
    ReaderCase{"ZeroN", "<matrix m=\"1\" n=\"\">1</matrix>", false, "Error in CMatrixReader: n <= 0"},
    ReaderCase{"FirstFaultWins", "<matrix n=\"-1\" m=\"0\">1</matrix>", false, "Error in CMatrixReader: n <= 0"},
    ReaderCase{"CommentInside", "<matrix m=\"1\" n=\"1\"><!-- c -->1</matrix>", false,
               "Error in CMatrixReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT"},
    ReaderCase{"NoN", "<matrix m=\"1\">1</matrix>", false, "Error in CMatrixReader: incomplete definition of matrix"},
    ReaderCase{"NoM", "<matrix n=\"1\">1</matrix>", false, "Error in CMatrixReader: incomplete definition of matrix"},
    ReaderCase{"NoText", "<matrix m=\"1\" n=\"1\"></matrix>", false,
               "Error in CMatrixReader: incomplete definition of matrix"},
    ReaderCase{"FiveOfSix", "<matrix m=\"2\" n=\"3\">1 2 3\n4 5</matrix>", false,
               "Error in CMatrixReader: unable to parse matrix data"},
    ReaderCase{"Letters", "<matrix m=\"1\" n=\"2\">1 x</matrix>", false,
               "Error in CMatrixReader: unable to parse matrix data"},
    ReaderCase{"HugeDeclaredSixGiven", "<matrix m=\"100000\" n=\"100000\">1 2 3 4 5 6</matrix>", false,
               "Error in CMatrixReader: unable to parse matrix data"},
    // m*n wraps to 8 in 32 bits, the count given: must not match.
    ReaderCase{"ProductWrapsIn32Bits", "<matrix m=\"1073741826\" n=\"4\">1 2 3 4 5 6 7 8</matrix>", false,
               "Error in CMatrixReader: unable to parse matrix data"},
    ReaderCase{"LargestDeclared", "<matrix m=\"2147483647\" n=\"2147483647\">1</matrix>", false,
               "Error in CMatrixReader: unable to parse matrix data"}),
    CaseName);

TEST(CVectorReader, ReadsNumbersAcrossAnyWhiteSpace)
{
    CFenIOStruct io = Open("<vector other=\"x\" m=\"4\">\n\t 1  -0.25\n+4\r\n 3e-2 \n</vector>", false);
    CVector v = Filled();
    CVectorReader().Read(io, v);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(v.m, 4);
    EXPECT_EQ(v.data, (std::vector<double>{1, -0.25, 4, 3e-2}));
}

TEST(CVectorReader, DimensionIsReadAsAnInteger)
{
    CFenIOStruct io = Open("<vector m=\"2.9\">5 6</vector>", false);
    CVector v;
    CVectorReader().Read(io, v);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(v.m, 2);
}

TEST(CMatrixReader, ReadsRowAfterRowWhateverTheLineBreaks)
{
    CFenIOStruct io = Open("<matrix m=\"2\" n=\"3\">1\n2 3 4\n\n5\n 6</matrix>", false);
    CMatrix M;
    CMatrixReader().Read(io, M);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(M.m, 2);
    EXPECT_EQ(M.n, 3);
    EXPECT_EQ(M.rows, (std::vector<std::vector<double>>{{1, 2, 3}, {4, 5, 6}}));
}

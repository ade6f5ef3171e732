#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "media/CNewFile.h"
#include "tests/support/TempFolder.h"

using Tarn::CNewFile;

namespace {

class NewFileTest : public testing::Test {
protected:
    bool Exists(const std::string& name) const { return std::filesystem::exists(folder.File(name)); }
    TestSupport::TempFolder folder;
};

TEST_F(NewFileTest, NeverReplacesAFileThatIsThere)
{
    folder.Write("taken.png", "keep");
    int error = 0;
    EXPECT_EQ(CNewFile::Create(folder.File("taken.png"), &error), nullptr);
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(folder.Read("taken.png"), "keep");
    EXPECT_EQ(CNewFile::Create(folder.File("no/such/folder.png"), &error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

TEST_F(NewFileTest, IsRemovedUnlessKeptAndKeepsWhatWasWritten)
{
    int error = 0;
    {
        auto dropped = CNewFile::Create(folder.File("dropped"), &error);
        ASSERT_NE(dropped, nullptr);
        ASSERT_TRUE(dropped->Write("half", 4));
        EXPECT_TRUE(Exists("dropped"));
    }
    EXPECT_FALSE(Exists("dropped"));

    auto kept = CNewFile::Create(folder.File("kept"), &error);
    ASSERT_NE(kept, nullptr);
    ASSERT_TRUE(kept->Write("whole", 5));
    EXPECT_TRUE(kept->Keep());
    kept.reset();
    EXPECT_EQ(folder.Read("kept"), "whole");

    auto partial = CNewFile::Create(folder.File("partial"), &error);
    ASSERT_NE(partial, nullptr);
    ASSERT_TRUE(partial->Write("part", 4));
    partial->KeepAsWritten();
    partial.reset();
    EXPECT_EQ(folder.Read("partial"), "part");
}

TEST_F(NewFileTest, NumberedNamesSkipEveryTakenOne)
{
    folder.Write("shot-0001.png", "1");
    folder.Write("shot-0003.png", "3");
    int error = 0;
    auto second = CNewFile::CreateNumbered(folder.File(""), "shot-", ".png", &error);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Path(), folder.File("shot-0002.png"));
    second->Keep();
    auto fourth = CNewFile::CreateNumbered(folder.File(""), "shot-", ".png", &error);
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(fourth->Path(), folder.File("shot-0004.png"));
    EXPECT_EQ(folder.Read("shot-0001.png"), "1");
    EXPECT_EQ(folder.Read("shot-0003.png"), "3");

    EXPECT_EQ(CNewFile::CreateNumbered(folder.File("missing"), "shot-", ".png", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

} // namespace

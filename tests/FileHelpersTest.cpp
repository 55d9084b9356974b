#include "OperationsFichiers.h"
#include "TempTree.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(FileHelpers, SplitAndJoinPathsAtTheSeparator)
{
    EXPECT_EQ(AddBackslash(""), "/");
    EXPECT_EQ(AddBackslash("  /home/a  "), "/home/a/");
    EXPECT_EQ(AddBackslash("/home/a/"), "/home/a/");
    EXPECT_EQ(AddBackslash("\t/x"), "\t/x/") << "only blanks are trimmed, as Visual Basic's Trim does";

    EXPECT_EQ(ParentFolder(""), "");
    EXPECT_EQ(ParentFolder("App.vbp"), "");
    EXPECT_EQ(ParentFolder("/dev/App/App.vbp"), "/dev/App");
    EXPECT_EQ(ParentFolder("/dev/App/"), "/dev/App");

    EXPECT_EQ(FileNamePart(""), "");
    EXPECT_EQ(FileNamePart("App.vbp"), "App.vbp");
    EXPECT_EQ(FileNamePart("/dev/App/App.vbp"), "App.vbp");
    EXPECT_EQ(FileNamePart("/dev/App/"), "");
}

TEST(FileHelpers, MakeDirsCreatesEveryLevelUpToTheLastSeparator)
{
    TempTree tree;
    MakeDirs(tree.path("a/b/c/"));
    EXPECT_TRUE(QFileInfo(tree.path("a/b/c")).isDir());
    MakeDirs(tree.path("d/e/file.zip"));
    EXPECT_TRUE(QFileInfo(tree.path("d/e")).isDir());
    EXPECT_FALSE(tree.exists("d/e/file.zip"));
    MakeDirs(tree.path("a/b/c/")); // already there: no complaint
    EXPECT_TRUE(QFileInfo(tree.path("a/b/c")).isDir());
}

TEST(FileHelpers, FileExistsOnlyForFilesAndDeleteFileQuietNeverComplains)
{
    TempTree tree;
    const QString file = tree.write("x.bas", "Attribute VB_Name = \"x\"\r\n");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(tree.root()));
    EXPECT_FALSE(FileExists(tree.path("missing.bas")));
    DeleteFileQuiet(file);
    EXPECT_FALSE(FileExists(file));
    DeleteFileQuiet(file);
    DeleteFileQuiet(tree.root());
    EXPECT_TRUE(QFileInfo(tree.root()).isDir());
}

} // namespace

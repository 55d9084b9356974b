#include "GroupFile.h"
#include "GroupFolders.h"
#include "GroupRun.h"
#include "ScopedEnvironment.h"
#include "TestMounts.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class GroupFileTest : public ::testing::Test {
protected:
    ScopedEnvironment environment{"QUENZAR_CODEPAGE", "windows-1252"};
    TempTree tree;
};

TEST_F(GroupFileTest, WriterAndBothReadersAgree)
{
    const GroupForEditing written{"Tools",
                                  "/dev/Tools/Main/Main.vbp",
                                  "/dev/Tools/Main/Sources.Backup/",
                                  {"/dev/Tools/Lib/Lib.vbp", "D:\\Shared\\Util\\Util.vbp"}};
    const QString file = tree.path("Tools.vbpgroup");
    ASSERT_TRUE(WriteGroupFile(file, written));
    EXPECT_EQ(tree.read("Tools.vbpgroup"),
              "Tools\r\n/dev/Tools/Main/Main.vbp\r\n[PATH]/dev/Tools/Main/Sources.Backup/\r\n"
              "/dev/Tools/Lib/Lib.vbp\r\nD:\\Shared\\Util\\Util.vbp\r\n");

    const Outcome<GroupForEditing> editing = ReadGroupFileForEditing(file);
    ASSERT_TRUE(editing);
    EXPECT_EQ(editing.value().GroupName, written.GroupName);
    EXPECT_EQ(editing.value().MainProject, written.MainProject);
    EXPECT_EQ(editing.value().BackupFolder, written.BackupFolder);
    EXPECT_EQ(editing.value().FurtherProjects, written.FurtherProjects);

    const Outcome<GroupForArchiving> archiving = ReadGroupFileForArchiving(file);
    ASSERT_TRUE(archiving);
    EXPECT_EQ(archiving.value().GroupName, "Tools");
    EXPECT_EQ(archiving.value().BackupFolder, written.BackupFolder);
    EXPECT_EQ(archiving.value().Members, QStringList({written.MainProject}) + written.FurtherProjects);
}

TEST_F(GroupFileTest, ReadersFollowTheFormatOnFilesNotWrittenByTheEditor)
{
    const QString file = tree.write("g.vbpgroup", "Nightly\r/dev/Main/Main.vbp\n[PATH]\r\n[path]/dev/x.vbp\r\n\r\n"
                                                  "[PATH]/backups/\r\n[PATH]/later/\r\n");
    const Outcome<GroupForArchiving> archiving = ReadGroupFileForArchiving(file);
    ASSERT_TRUE(archiving);
    EXPECT_EQ(archiving.value().BackupFolder, "/later/") << "the last [PATH] line wins";
    EXPECT_EQ(archiving.value().Members, QStringList({"/dev/Main/Main.vbp", "[path]/dev/x.vbp", ""}))
        << "a lower-case [path] is a project, a blank line an empty entry";

    const QString alone = tree.write("alone.vbpgroup", "G\r\n/dev/Main/Main.vbp\r\n[PATH]\r\n/dev/Lib/Lib.vbp\r\n");
    EXPECT_EQ(ReadGroupFileForArchiving(alone).value().BackupFolder, "/dev/Main/Sources.Backup/");
    EXPECT_EQ(ReadGroupFileForEditing(alone).value().BackupFolder, "/dev/Main/Sources.Backup/");
    const QString windows = tree.write("w.vbpgroup", "G\r\nC:\\Dev\\Main\\Main.vbp\r\n[PATH]\r\n");
    EXPECT_EQ(ReadGroupFileForArchiving(windows).value().BackupFolder, "C:\\Dev\\Main/Sources.Backup/");

    // The editing reader takes line 2 as the main project whatever it holds.
    const QString odd = tree.write("odd.vbpgroup", "G\r\n[PATH]/x/\r\n");
    EXPECT_EQ(ReadGroupFileForEditing(odd).value().MainProject, "[PATH]/x/");
    EXPECT_EQ(ReadGroupFileForArchiving(odd).value().BackupFolder, "/x/");
}

TEST_F(GroupFileTest, ShortOrMissingFilesCannotBeRead)
{
    EXPECT_FALSE(ReadGroupFileForEditing(tree.write("one.vbpgroup", "G\r\n")));
    EXPECT_FALSE(ReadGroupFileForArchiving(tree.write("empty.vbpgroup", "")));
    EXPECT_FALSE(ReadGroupFileForArchiving(tree.path("missing.vbpgroup")));
    // A group without projects still reads; its default folder is never the root of the disk.
    const Outcome<GroupForArchiving> nameOnly = ReadGroupFileForArchiving(tree.write("n.vbpgroup", "G\r\n"));
    ASSERT_TRUE(nameOnly);
    EXPECT_TRUE(nameOnly.value().Members.isEmpty());
    EXPECT_EQ(nameOnly.value().BackupFolder, "Sources.Backup/");
    EXPECT_EQ(GroupMemberLocalPath(tree.path("n.vbpgroup"), "Sources.Backup/"), tree.path("Sources.Backup"));
}

TEST_F(GroupFileTest, AFailedSaveKeepsThePreviousFile)
{
    const QString file = tree.write("g.vbpgroup", "Old\r\n/a.vbp\r\n[PATH]\r\n/b.vbp\r\n");
    const GroupForEditing arabic{QString::fromUtf8("مجموعة"), "/a.vbp", "", {"/b.vbp"}};
    const Outcome<void> saved = WriteGroupFile(file, arabic);
    ASSERT_FALSE(saved) << "windows-1252 cannot hold the name";
    EXPECT_TRUE(saved.error().contains("windows-1252"));
    EXPECT_EQ(tree.read("g.vbpgroup"), "Old\r\n/a.vbp\r\n[PATH]\r\n/b.vbp\r\n");

    const GroupForEditing western{"Nightly", "/a.vbp", "", {"/b.vbp"}};
    const Outcome<void> nowhere = WriteGroupFile(tree.path("no/such/folder/g.vbpgroup"), western);
    ASSERT_FALSE(nowhere);
    EXPECT_EQ(nowhere.error(), "Cannot save " + tree.path("no/such/folder/g.vbpgroup") + ": No such file or directory");
}

TEST_F(GroupFileTest, ASaveThatRunsOutOfSpaceOrIsRefusedKeepsThePreviousFile)
{
    const SmallTmpfs disk(tree.makeFolder("full"));
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const GroupForEditing small{"Nightly", "/dev/A/A.vbp", "", {"/dev/B/B.vbp"}};
    const QString file = tree.path("full/Nightly.vbpgroup");
    const Outcome<void> first = WriteGroupFile(file, small);
    ASSERT_TRUE(first) << first.error().toStdString();
    const QByteArray before = tree.read("full/Nightly.vbpgroup");

    GroupForEditing large = small;
    for (int i = 0; i < 2000; ++i)
        large.FurtherProjects.append(QStringLiteral("/dev/projects/with/a/rather/long/path/Project%1.vbp").arg(i));
    const Outcome<void> full = WriteGroupFile(file, large);
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error(), "Cannot save " + file + ": No space left on device");
    EXPECT_EQ(tree.read("full/Nightly.vbpgroup"), before);
    EXPECT_EQ(QDir(tree.path("full")).entryList(QDir::Files | QDir::Hidden), QStringList({"Nightly.vbpgroup"}));

    // A medium that has become read-only refuses the save the same way.
    ASSERT_TRUE(disk.MakeReadOnly());
    GroupForEditing renamed = small;
    renamed.GroupName = "Weekly";
    const Outcome<void> refused = WriteGroupFile(file, renamed);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "Cannot save " + file + ": Read-only file system");
    EXPECT_EQ(tree.read("full/Nightly.vbpgroup"), before);
}

TEST_F(GroupFileTest, RecognisedByTheExtensionWithoutRegardToCase)
{
    EXPECT_TRUE(IsGroupFile("/x/Tools.VBPGroup"));
    EXPECT_FALSE(IsGroupFile("/x/Tools.vbpgroup.bak"));
    EXPECT_FALSE(IsGroupFile("/x/Tools.grp"));
    EXPECT_TRUE(NamesGroupFile("/x/Tools.vbpgroup.bak"));
}

TEST_F(GroupFileTest, GroupMembersResolveAsWrittenOrBelowTheGroupFile)
{
    tree.write("Dev/Inventory/Inventory.vbp", "Type=Exe\r\n");
    const QString group = tree.path("Dev/Samples.vbpgroup");
    EXPECT_EQ(GroupMemberLocalPath(group, "Inventory/Inventory.vbp"), tree.path("Dev/Inventory/Inventory.vbp"));
    EXPECT_EQ(GroupMemberLocalPath(group, "INVENTORY\\inventory.VBP"), tree.path("Dev/Inventory/Inventory.vbp"));
    EXPECT_EQ(GroupMemberLocalPath(group, tree.path("Dev/Inventory/Inventory.vbp")),
              tree.path("Dev/Inventory/Inventory.vbp"));
}

TEST_F(GroupFileTest, TheGroupNameMakesOneFolderThatNeverClimbs)
{
    EXPECT_EQ(GroupFolderName("Nightly"), "Nightly");
    EXPECT_EQ(GroupFolderName("..\\..\\etc"), ".._.._etc");
    EXPECT_EQ(GroupFolderName(".."), "__");
    EXPECT_EQ(GroupFolderName("a/b:c"), "a_b_c");
}

} // namespace

#include "ArchiveBuilder.h"
#include "FixedStamp.h"
#include "GroupFile.h"
#include "ProjectTree.h"
#include "RecordingObserver.h"
#include "ScopedEnvironment.h"
#include "ZipListing.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Input no user meant to give, or hardly: each ends in a clear failure or a sound archive, never
// in a crash or a file lost.
class BadProjectInputTest : public ::testing::Test {
protected:
    void SetUp() override { environment.set("QUENZAR_CODEPAGE", "windows-1252"); }

    Outcome<ArchivingState> Prepare(const QString &projectFile)
    {
        return PrepareProject(projectFile, projectFile, ProjectNaming::ByFileName, kFixedStamp);
    }

    bool Archive(const QString &projectFile)
    {
        const Outcome<ArchivingState> prepared = Prepare(projectFile);
        EXPECT_TRUE(prepared) << prepared.error().toStdString();
        if (!prepared)
            return false;
        state = prepared.value();
        state.BackupFolder = tree.makeFolder("backups");
        return bool(ArchiveProject(projectFile, state, observer));
    }

    QString ArchivePath() const { return state.BackupFolder + '/' + state.ArchiveFileName; }

    ProjectTree tree;
    ScopedEnvironment environment;
    RecordingObserver observer;
    ArchivingState state;
};

TEST_F(BadProjectInputTest, BinaryDataIsNotTakenForAProject)
{
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    noise.replace(0, 16, QByteArray("Type=Exe\r\nName=\0", 16));
    const Outcome<ArchivingState> binary = Prepare(tree.write("Picture.vbp", noise));
    ASSERT_FALSE(binary);
    EXPECT_TRUE(binary.error().contains("is not a Visual Basic project file: line 2 holds binary data"))
        << binary.error().toStdString();
    EXPECT_FALSE(QDir(tree.path("Sources.Backup")).exists());
}

TEST_F(BadProjectInputTest, HugeProjectFilesAreArchivedWhole)
{
    QByteArray manyLines = "Type=Exe\r\nModule=m; m.bas\r\n";
    for (int i = 0; i < 100000; ++i)
        manyLines += "Title=\"line " + QByteArray::number(i) + "\"\r\n";
    tree.write("Many/m.bas", "Attribute VB_Name = \"m\"\r\n");
    ASSERT_TRUE(Archive(tree.write("Many/Many.vbp", manyLines))) << observer.failures.join('\n').toStdString();
    EXPECT_EQ(state.ProjectLineCount, 100002);
    EXPECT_EQ(observer.shares.last(), 1.0);
    EXPECT_EQ(ArchiveEntryLines(ArchivePath(), state.NewProjectFileName).size(), 100002);

    const QByteArray longLine = "Command32=\"" + QByteArray(10 << 20, 'x') + "\"";
    tree.write("Long/m.bas", "Attribute VB_Name = \"m\"\r\n");
    ASSERT_TRUE(Archive(tree.write("Long/Long.vbp", "Type=Exe\r\nModule=m; m.bas\r\n" + longLine + "\r\n")));
    EXPECT_EQ(ArchiveEntryLines(ArchivePath(), state.NewProjectFileName).last(), longLine);
}

TEST_F(BadProjectInputTest, ClimbsBeyondTheRootStayInsideTheArchive)
{
    const QString climbs = QString("..\\").repeated(10);
    const QString deep = "a/b/c/d/e/f/g/h/i/j/App/App.vbp";
    tree.write("a/Shared.bas", "Attribute VB_Name = \"Shared\"\r\n");
    ASSERT_TRUE(Archive(tree.project(deep, {"Module=Shared; " + climbs.toUtf8() + "Shared.bas"})))
        << observer.failures.join('\n').toStdString();
    EXPECT_TRUE(
        ArchiveEntries(ArchivePath()).contains("FileNotInRootPath/" + QString("--/").repeated(10) + "Shared.bas"));

    // Beyond the file system's root there is nothing more to climb: the member is simply not there.
    ASSERT_FALSE(Archive(
        tree.project("App2/App2.vbp", {"Module=Gone; " + QString("..\\").repeated(40).toUtf8() + "NoSuchModule.bas"})));
    const QString failure = observer.failures.last();
    EXPECT_TRUE(
        failure.contains("Line : Module=Gone; " + QString("..\\").repeated(40) + "NoSuchModule.bas\r\nCannot add /"))
        << failure.toStdString();
    EXPECT_TRUE(failure.endsWith("/NoSuchModule.bas: it does not exist.")) << failure.toStdString();
}

TEST_F(BadProjectInputTest, TwoFilesForOneEntryFailWhileOneFileNamedTwiceIsStoredOnce)
{
    tree.write("App/Forms/Main.frm", "VERSION 5.00\r\n");
    tree.write("App/Modules/Main.frm", "Attribute VB_Name = \"Other\"\r\n");
    ASSERT_TRUE(Archive(tree.project("App/App.vbp", {"Form=Forms\\Main.frm", "Form=FORMS\\main.FRM"})))
        << observer.failures.join('\n').toStdString();
    EXPECT_EQ(ArchiveEntries(ArchivePath()).filter("Main.frm", Qt::CaseInsensitive), QStringList{"Forms/Main.frm"});

    // "Forms\..\Main.frm" (the project folder's Main.frm) and a folder really named "--" both
    // become "Forms\--\Main.frm": two files, one entry. The archive written before is left as it was.
    const QByteArray before = tree.read("backups/" + state.ArchiveFileName);
    tree.write("App/Main.frm", "one\r\n");
    tree.write("App/Forms/--/Main.frm", "two\r\n");
    EXPECT_FALSE(Archive(tree.project("App/App.vbp", {"Form=Forms\\--\\Main.frm", "Form=Forms\\..\\Main.frm"})));
    ASSERT_FALSE(observer.failures.isEmpty());
    EXPECT_TRUE(observer.failures.last().contains("would both be stored as Forms\\--\\Main.frm"))
        << observer.failures.last().toStdString();
    EXPECT_EQ(tree.read("backups/" + state.ArchiveFileName), before);
}

TEST_F(BadProjectInputTest, GroupsOfTenThousandProjectsAreReadWhole)
{
    QByteArray text = "Everything\r\nMain/Main.vbp\r\n[PATH]\r\n";
    for (int i = 0; i < 10000; ++i)
        text += "Projects/P" + QByteArray::number(i) + "/P" + QByteArray::number(i) + ".vbp\r\n";
    const QString group = tree.write("Everything.vbpgroup", text);
    const Outcome<GroupForEditing> editing = ReadGroupFileForEditing(group);
    ASSERT_TRUE(editing) << editing.error().toStdString();
    EXPECT_EQ(editing.value().FurtherProjects.size(), 10000);
    EXPECT_EQ(editing.value().FurtherProjects.last(), "Projects/P9999/P9999.vbp");
    const Outcome<GroupForArchiving> archiving = ReadGroupFileForArchiving(group);
    ASSERT_TRUE(archiving) << archiving.error().toStdString();
    EXPECT_EQ(archiving.value().Members.size(), 10001);
}

} // namespace

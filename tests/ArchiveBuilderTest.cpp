#include "ArchiveBuilder.h"
#include "FixedStamp.h"
#include "ArchiveRestore.h"
#include "ArchiveVerify.h"
#include "ProjectTree.h"
#include "RecordingObserver.h"
#include "ScopedEnvironment.h"
#include "WinePrefix.h"
#include "ZipListing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A project at Dev/App with a Wine prefix whose drive D: is the tree's folder "drive-d".
class ArchiveBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeWinePrefix(tree, environment));
        environment.set("QUENZAR_CODEPAGE", "windows-1252");
    }

    // Prepares the state as the window does for a single project and archives it.
    bool Archive(const QString &projectFile, const QString &password = QString())
    {
        const Outcome<ArchivingState> prepared =
            PrepareProject(projectFile, projectFile, ProjectNaming::ByFileName, kFixedStamp);
        EXPECT_TRUE(prepared) << prepared.error().toStdString();
        state = prepared.value();
        state.Choices.Password = password;
        QDir().mkpath(state.BackupFolder);
        return bool(ArchiveProject(projectFile, state, observer));
    }

    QString ArchivePath() const { return state.BackupFolder + state.ArchiveFileName; }

    ProjectTree tree;
    ScopedEnvironment environment;
    RecordingObserver observer;
    ArchivingState state;
};

TEST_F(ArchiveBuilderTest, MembersFromEverywhereLandUnderTheirEntriesAndTheProjectIsRewritten)
{
    const QString project = tree.project("Dev/App/App.vbp", {
                                                                "Type=Exe",
                                                                "Form=frmMain.frm",
                                                                "Module=modA; Modules\\modA.bas",
                                                                "Class=CX; ..\\Shared\\CX.cls",
                                                                "Designer=D:\\Lib\\Rep.Dsr",
                                                                "ResFile32=\"App.RES\"",
                                                                "Name=\"MyApp\"",
                                                                "MajorVer=1",
                                                                "MinorVer=2",
                                                                "RevisionVer=3",
                                                            });
    tree.member("Dev/App/frmMain.frm", {"frmMain.frx"});
    tree.write("Dev/App/frmMain.frx", "pictures");
    tree.write("Dev/App/Modules/modA.bas", "Attribute VB_Name = \"modA\"\r\n");
    tree.write("Dev/Shared/CX.cls", "VERSION 1.0 CLASS\r\n");
    tree.write("drive-d/Lib/Rep.Dsr", "designer\r\n");
    tree.write("Dev/App/App.RES", "resources");

    ASSERT_TRUE(Archive(project)) << observer.failures.join('\n').toStdString();
    EXPECT_EQ(state.ArchiveFileName, "MyApp 1.2.3.20240102030405.zip");
    EXPECT_EQ(ArchivePath(), tree.path("Dev/App/Sources.Backup/MyApp 1.2.3.20240102030405.zip"));
    EXPECT_EQ(ArchiveEntries(ArchivePath()),
              QStringList({"frmMain.frm", "frmMain.frx", "Modules/modA.bas", "FileNotInRootPath/--/Shared/CX.cls",
                           "FileNotInRootPath/Disk_D_/Lib/Rep.Dsr", "App.RES", "MyApp 1.2.3.20240102030405.vbp"}));
    EXPECT_EQ(ArchiveEntryLines(ArchivePath(), "MyApp 1.2.3.20240102030405.vbp"),
              QList<QByteArray>({"Type=Exe", "Form=frmMain.frm", "Module=modA; Modules\\modA.bas",
                                 "Class=CX; FileNotInRootPath\\--\\Shared\\CX.cls",
                                 "Designer=FileNotInRootPath\\Disk_D_\\Lib\\Rep.Dsr", "ResFile32=\"App.RES\"",
                                 "Name=\"MyApp\"", "MajorVer=1", "MinorVer=2", "RevisionVer=3"}));
    EXPECT_EQ(ArchiveEntryContent(ArchivePath(), "FileNotInRootPath/Disk_D_/Lib/Rep.Dsr"), "designer\r\n");
    EXPECT_TRUE(observer.failures.isEmpty());
    EXPECT_FALSE(observer.busy);
}

// Whatever branch of the entry mapping a member takes, in either separator, the archive verifies
// and Quenzar's own restore gives back a project whose every member line names a file that is there.
TEST_F(ArchiveBuilderTest, EveryKindOfMemberPathGivesAnArchiveThatRestores)
{
    const QString project = tree.project(
        "Dev/App/App.vbp", {
                               "Type=Exe",
                               "Module=a; a.bas",
                               "Module=b; Modules\\b.bas",
                               "Module=c; ../Shared/c.bas",
                               "Module=d; D:\\Lib\\..\\d.bas",
                               "Module=e; D:/Lib/../Other/e.bas",
                               "Module=f; \\\\srv\\share\\a\\..\\f.bas",
                               "Module=g; //srv/share/a/../g.bas",
                               // A real project's form whose name holds two dots, its binary file named the same way.
                               "Form=Forms\\frmLogContSegAdendas..frm",
                           });
    for (const char *file :
         {"Dev/App/a.bas", "Dev/App/Modules/b.bas", "Dev/Shared/c.bas", "drive-d/d.bas", "drive-d/Other/e.bas",
          "wine/dosdevices/unc/srv/share/f.bas", "wine/dosdevices/unc/srv/share/g.bas"})
        tree.write(file, QByteArray(file) + "\r\n");
    tree.member("Dev/App/Forms/frmLogContSegAdendas..frm", {"frmLogContSegAdendas..frx"});
    tree.write("Dev/App/Forms/frmLogContSegAdendas..frx", "pictures");

    ASSERT_TRUE(Archive(project)) << observer.failures.join('\n').toStdString();
    const VerifyResult check = VerifyArchive(ArchivePath());
    EXPECT_EQ(check.status, VerifyResult::Status::Sound) << check.Problems.join('\n').toStdString();
    EXPECT_EQ(check.MemberCount, 8);
    const QStringList entries = ArchiveEntries(ArchivePath());
    for (const char *entry : {"FileNotInRootPath/Disk_D_/Lib/--/d.bas", "FileNotInRootPath/~srv/share/a/--/f.bas",
                              "Forms/frmLogContSegAdendas..frm", "Forms/frmLogContSegAdendas..frx"})
        EXPECT_TRUE(entries.contains(entry)) << entry << " in " << entries.join(' ').toStdString();

    RecordingObserver restoring;
    const RestoreResult restored = RestoreArchive(ArchivePath(), restoring);
    ASSERT_EQ(restored.status, RestoreResult::Status::Restored) << restored.Error.toStdString();
    for (const QByteArray &line : ArchiveEntryLines(ArchivePath(), state.NewProjectFileName).mid(1)) {
        const QString path =
            QString::fromLatin1(line.mid(line.indexOf("; ") >= 0 ? line.indexOf("; ") + 2 : line.indexOf('=') + 1));
        EXPECT_TRUE(QFile::exists(restored.Folder + '/' + QString(path).replace('\\', '/'))) << line.toStdString();
    }
}

// The bar starts empty and fills by the bytes of the files, read and compressed, then written: it
// moves all through the write and is full only at its end.
TEST_F(ArchiveBuilderTest, ProgressRisesByTheBytesReadThenWrittenAndEndsFull)
{
    // Six modules for the compression workers, a resource file the writer reads itself.
    const QString big = tree.incompressibleProject("Big/Big.vbp", 6, 1 << 20, 20 << 20);
    const QString project = tree.project("App/App.vbp", {"Type=Exe", "", "Module=m; m.bas", "[Section]"}, "\n");
    tree.write("App/m.bas", "");
    for (const QString &file : {big, project}) {
        SCOPED_TRACE(file.toStdString());
        observer.shares.clear();
        ASSERT_TRUE(Archive(file)) << observer.failures.join('\n').toStdString();
        ASSERT_GE(observer.shares.size(), 2);
        EXPECT_EQ(observer.shares.first(), 0.0);
        EXPECT_EQ(observer.shares.last(), 1.0);
        EXPECT_TRUE(std::is_sorted(observer.shares.begin(), observer.shares.end()));
        EXPECT_TRUE(observer.progressVisible) << "the caller hides the bar";
        const auto writing = [](double share) { return share > 0.5 && share < 1.0; };
        if (file == big) {
            EXPECT_GT(std::count_if(observer.shares.begin(), observer.shares.end(), writing), 100)
                << "the bar moves while the archive is written";
        }
    }
    // A project file with LF line ends is rewritten with CR LF.
    EXPECT_EQ(ArchiveEntryLines(ArchivePath(), state.NewProjectFileName).size(), 4);
}

TEST_F(ArchiveBuilderTest, BinaryFilesTheMembersReferenceAreArchivedBesideThem)
{
    const QString project =
        tree.project("App/App.vbp", {"Form=Forms\\Task(TaskMan).frm", "Designer=Forms\\dsrStock.Dsr",
                                     "UserDocument=Doc.dob", "Form=Forms\\Lost.frm"});
    tree.member("App/Forms/Task(TaskMan).frm", {"Task.frx", "TASK.FRX"});
    tree.write("App/forms/task.FRX", "shared pictures"); // another case on disk
    tree.member("App/Forms/dsrStock.Dsr", {"dsrStock.dsx"});
    tree.write("App/Forms/dsrStock.dsx", "designer data");
    tree.member("App/Doc.dob", {"Doc.dox"});
    tree.write("App/Doc.dox", "document data");
    tree.member("App/Forms/Lost.frm", {"Gone.frx"});

    ASSERT_TRUE(Archive(project)) << observer.failures.join('\n').toStdString();
    const QStringList entries = ArchiveEntries(ArchivePath());
    for (const char *entry : {"Forms/Task(TaskMan).frm", "Forms/Task.frx", "Forms/dsrStock.Dsr", "Forms/dsrStock.dsx",
                              "Doc.dob", "Doc.dox", "Forms/Lost.frm"})
        EXPECT_TRUE(entries.contains(entry)) << entry;
    EXPECT_EQ(entries.filter("frx", Qt::CaseInsensitive).size(), 1) << "a file referenced twice is archived once";
    EXPECT_FALSE(entries.contains("Forms/notafile.frx"));
    EXPECT_EQ(ArchiveEntryContent(ArchivePath(), "Forms/Task.frx"), "shared pictures");
    EXPECT_EQ(observer.leftOut, QStringList({"Form=Forms\\Lost.frm|Gone.frx"}));
}

TEST_F(ArchiveBuilderTest, LinesOtherThanMembersAreCopiedByteForByte)
{
    // Bytes that windows-1252 does not map, and an Arabic title from another machine.
    const QByteArray title = "Title=\"\x81\x8D\x8F\x90\x9D \xC7\xE1\xDA\xD1\xC8\xED\xC9\"";
    const QString project =
        tree.project("App/App.vbp", {"Type=Exe", title, "Command32=\"/x \xE9\"", "Module=m; m.bas"});
    tree.write("App/m.bas", "");
    ASSERT_TRUE(Archive(project));
    const QList<QByteArray> lines = ArchiveEntryLines(ArchivePath(), state.NewProjectFileName);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], title);
    EXPECT_EQ(lines[2], QByteArray("Command32=\"/x \xE9\""));
}

TEST_F(ArchiveBuilderTest, EntriesKeepTheNameTheProjectFileWritesWhateverTheCaseOnDisk)
{
    const QString project = tree.project("App/App.vbp", {"Form=Forms\\frmMain.frm", "Module=m; Fen\xEAtre.bas"});
    tree.member("App/FORMS/FRMMAIN.FRM");
    tree.write("App/FORMS/FRMMAIN.FRX", "pictures");
    tree.write(QString::fromUtf8("App/fenêtre.BAS"), "");
    ASSERT_TRUE(Archive(project)) << observer.failures.join('\n').toStdString();
    const QStringList entries = ArchiveEntries(ArchivePath());
    EXPECT_TRUE(entries.contains("Forms/frmMain.frm")) << entries.join(' ').toStdString();
    EXPECT_TRUE(entries.contains("Forms/frmMain.frx")) << entries.join(' ').toStdString();
    EXPECT_TRUE(entries.contains(QString::fromUtf8("Fenêtre.bas"))) << entries.join(' ').toStdString();
}

TEST_F(ArchiveBuilderTest, AMemberListedTwiceStillArchives)
{
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas", "Module=m; M.BAS"});
    tree.write("App/m.bas", "once");
    ASSERT_TRUE(Archive(project)) << observer.failures.join('\n').toStdString();
    EXPECT_EQ(ArchiveEntries(ArchivePath()).filter(".bas", Qt::CaseInsensitive).size(), 1);
}

TEST_F(ArchiveBuilderTest, AFailureNamesItsLineAndItsReasonAndLeavesNothingBehind)
{
    const struct {
        QList<QByteArray> lines;
        QString failingLine;
        QString reason; // %1: the project's folder
    } cases[] = {
        {{"Type=Exe", "Form=Forms\\Old.frm", "Module=m; m.bas"},
         "Form=Forms\\Old.frm",
         "Cannot add %1/Forms/Old.frm: it does not exist."},
        {{"Module=modBroken", "Module=m; m.bas"}, "Module=modBroken", "no \"; \" between the name and the path"},
        {{"Form=frmNoExtension"}, "Form=frmNoExtension", "the file name has no extension"},
        {{"Module=fifo; Pipe.bas"}, "Module=fifo; Pipe.bas", "Cannot add %1/Pipe.bas: it is not a regular file."},
    };
    // The rewritten project file never lies on a disk, not even in the temporary folder.
    const QString temporary = tree.makeFolder("tmp");
    environment.set("TMPDIR", temporary.toUtf8());
    for (const auto &one : cases) {
        ProjectTree fresh;
        const QString project = fresh.project("App/App.vbp", one.lines);
        fresh.write("App/m.bas", "");
        ASSERT_EQ(::mkfifo(QFile::encodeName(fresh.path("App/Pipe.bas")).constData(), 0600), 0);
        RecordingObserver seen;
        const Outcome<ArchivingState> prepared =
            PrepareProject(project, project, ProjectNaming::ByFileName, kFixedStamp);
        ASSERT_TRUE(prepared);
        QDir().mkpath(prepared.value().BackupFolder);
        EXPECT_FALSE(ArchiveProject(project, prepared.value(), seen));
        ASSERT_EQ(seen.failures.size(), 1);
        EXPECT_EQ(seen.failures[0],
                  "Archive creation error|An error appears to have occurred...\r\nLine : " + one.failingLine + "\r\n"
                      + QString(one.reason).replace("%1", fresh.path("App")));
        EXPECT_FALSE(seen.busy);
        EXPECT_TRUE(QDir(prepared.value().BackupFolder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            << "no archive";
        EXPECT_EQ(QDir(temporary).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({QFileInfo(fresh.root()).fileName()}))
            << "no temporary project file beside the test's own tree";
    }
}

TEST_F(ArchiveBuilderTest, AWriteThatFailsSaysWhy)
{
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "");
    // The destination is a file, so no archive can be written into it.
    const Outcome<ArchivingState> prepared = PrepareProject(project, project, ProjectNaming::ByFileName, kFixedStamp);
    ArchivingState blocked = prepared.value();
    blocked.BackupFolder = tree.write("App/not-a-folder", "");
    EXPECT_FALSE(ArchiveProject(project, blocked, observer));
    ASSERT_EQ(observer.failures.size(), 1);
    EXPECT_TRUE(observer.failures[0].startsWith(
        "Archive creation error|An error appears to have occurred...\r\nLine : Writing Zip File\r\nCannot write the "
        "archive "))
        << observer.failures[0].toStdString();
    EXPECT_TRUE(observer.failures[0].endsWith("Not a directory.")) << observer.failures[0].toStdString();
}

TEST_F(ArchiveBuilderTest, APasswordProtectsEveryEntryAgainstOtherReaders)
{
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "secret source");
    ASSERT_TRUE(Archive(project, "s3cret pass"));
    QByteArray output;
    EXPECT_EQ(RunProgram("7zz", {"t", "-ps3cret pass", ArchivePath()}, &output), 0) << output.toStdString();
    EXPECT_NE(RunProgram("7zz", {"t", "-pwrong", ArchivePath()}, &output), 0);
    EXPECT_NE(RunProgram("7zz", {"t", ArchivePath()}, &output), 0);
    EXPECT_EQ(RunProgram("7zz", {"l", "-slt", ArchivePath()}, &output), 0);
    EXPECT_EQ(output.count("AES-256"), 2) << "the member and the rewritten project file";
}

} // namespace

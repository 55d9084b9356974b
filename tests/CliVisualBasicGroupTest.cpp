#include "CliRunner.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"
#include "WinePrefix.h"
#include "ZipListing.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

// Visual Basic's own group files (.vbg) are listed and archived as Quenzar's groups are: one archive
// per project in BACKUP/GROUP/STAMP/, each project once, --keep-going going past a failed project.

namespace {

QString Text(const QByteArray &output) { return QString::fromUtf8(output); }

// The archives a run printed, by file name.
QStringList ArchiveNames(const QByteArray &output)
{
    QStringList names;
    for (const QString &line : Output(output).split('\n')) {
        if (line.endsWith(".zip"))
            names.append(QFileInfo(line).fileName());
    }
    return names;
}

// Every kind of line a .vbg may hold: the startup project listed again as Project= (in another case,
// with the other separator), "\" and "/", a drive through the Wine prefix, a folder above the group's,
// a name in the group's code page, blank lines, lines of other kinds and blanks around the "=".
TEST(CliVisualBasicGroup, EveryKindOfLineNamesItsProjectOnce)
{
    ProjectTree tree;
    ScopedEnvironment environment;
    ASSERT_TRUE(MakeWinePrefix(tree, environment));
    const struct {
        const char *project; // below the tree
        const char *archive;
    } projects[] = {
        {"Dev/App/App.vbp", "App 1.2.3.20240102030405.zip"},
        {"Dev/Lib/Lib.vbp", "Lib 0.0.0.20240102030405.zip"},
        {"drive-d/Shared/Tools.vbp", "Tools 0.0.0.20240102030405.zip"},
        {"Common/Common.vbp", "Common 0.0.0.20240102030405.zip"},
        {"Dev/Café/Café.vbp", "Café 0.0.0.20240102030405.zip"},
    };
    for (const auto &project : projects) {
        const QString name = QFileInfo(project.project).completeBaseName();
        QList<QByteArray> lines{"Name=\"" + name.toLatin1() + '"', "Module=m; m.bas"}; // read in Windows-1252
        if (name == "App")
            lines += {"MajorVer=1", "MinorVer=2", "RevisionVer=3"};
        tree.project(project.project, lines);
        tree.write(QFileInfo(project.project).path() + "/m.bas", name.toUtf8());
    }
    const QString group = tree.write("Dev/Suite.vbg", "VBGROUP 5.0\r\n"
                                                      "Project=Lib\\Lib.vbp\r\n"
                                                      "\r\n"
                                                      "StartupProject=App/App.vbp\r\n"
                                                      "Project = app\\APP.VBP\r\n"
                                                      "Project=D:\\Shared\\Tools.vbp\r\n"
                                                      "Project=..\\Common\\Common.vbp\r\n"
                                                      "Project=Caf\xE9\\Caf\xE9.vbp\r\n"
                                                      "Description=not a project\r\n"
                                                      "Package=Lib\\Other.vbp\r\n");

    QByteArray output;
    ASSERT_EQ(RunCli({"list", group, "--codepage", "windows-1252"}, &output), 0) << output.toStdString();
    const QStringList headers = Text(output).split('\n').filter(" lines");
    ASSERT_EQ(headers.size(), 5) << output.toStdString();
    EXPECT_TRUE(headers[0].startsWith(tree.path("Dev/App/App.vbp") + ": App 1.2.3")) << "the startup project first";
    EXPECT_TRUE(headers[1].startsWith(tree.path("Dev/Lib/Lib.vbp") + ": Lib")) << headers[1].toStdString();
    EXPECT_EQ(Text(output).count(" ok\n"), 5);

    ASSERT_EQ(RunCli({"archive", group, "--codepage", "windows-1252", "--stamp", kFixedStamp, "--quiet"}, &output), 0)
        << output.toStdString();
    QStringList expected;
    for (const auto &project : projects)
        expected.append(QString::fromUtf8(project.archive));
    EXPECT_EQ(ArchiveNames(output), expected);
    // The startup project's own backup folder, as a Quenzar group's main project's.
    const QString folder = tree.path("Dev/App/Sources.Backup/Suite/20240102030405");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name).size(), 5);
    for (const auto &project : projects) {
        const QString archive = folder + '/' + QString::fromUtf8(project.archive);
        EXPECT_EQ(ArchiveEntryContent(archive, "m.bas"), QFileInfo(project.project).completeBaseName().toUtf8());
        EXPECT_EQ(RunProgram("unzip", {"-tq", archive}), 0) << project.archive;
    }
}

// Published groups of Visual Basic 6 projects (tests/data/vbg/README.md) of which only some member
// files are at hand: list names the missing ones; archive stops at the first project that fails,
// keeping what it wrote; with --keep-going every project is archived, the missing files recorded.
TEST(CliVisualBasicGroup, PublishedGroupsListAndArchive)
{
    TempTree tree;
    tree.copyTestData("vbg");
    QByteArray output;

    const QString winsock = tree.path("vbg/VBWinsock/VBWinsock.vbg");
    ASSERT_EQ(RunCli({"list", winsock}, &output), 1) << output.toStdString();
    const QString listed = Text(output);
    EXPECT_TRUE(listed.startsWith(tree.path("vbg/VBWinsock/Test.vbp") + ": Test 1.0.0")) << listed.toStdString();
    EXPECT_TRUE(listed.contains(QRegularExpression("frmTCPTest.frm +frmTCPTest.frm +\\S+ +ok\\n")))
        << listed.toStdString();
    EXPECT_TRUE(listed.contains("\n\n" + tree.path("vbg/VBWinsock/VBWinsock.vbp") + ": VBWinsock 1.0.0"));
    EXPECT_EQ(listed.count(QRegularExpression(" missing\\n")), 2) << "TCPIP.cls and WinsockDefs.bas";

    const QString backup = tree.path("vbg/VBWinsock/Sources.Backup/VBWinsock/");
    EXPECT_EQ(RunCli({"archive", winsock, "--stamp", kFixedStamp, "--quiet"}, &output), 1);
    EXPECT_EQ(ArchiveNames(output), QStringList({"Test 1.0.0.20240102030405.zip"})) << output.toStdString();
    EXPECT_TRUE(Text(output).contains("TCPIP.cls")) << output.toStdString();
    QStringList entries = ArchiveEntries(backup + "20240102030405/Test 1.0.0.20240102030405.zip");
    entries.sort();
    EXPECT_EQ(entries, QStringList({"Test 1.0.0.20240102030405.vbp", "frmTCPTest.frm"}));

    ASSERT_EQ(RunCli({"archive", winsock, "--stamp", "20240102030406", "--quiet", "--keep-going"}, &output), 3)
        << output.toStdString();
    EXPECT_EQ(ArchiveNames(output),
              QStringList({"Test 1.0.0.20240102030406.zip", "VBWinsock 1.0.0.20240102030406.zip"}));
    EXPECT_EQ(ArchiveCommentLines(backup + "20240102030406/VBWinsock 1.0.0.20240102030406.zip").mid(1),
              QStringList({"Class=TCPIP; TCPIP.cls", "Module=WinsockDefs; WinsockDefs.bas"}));

    // The startup project named in lower case, the control project it uses listed before it.
    const QString quickReg = tree.path("vbg/QuickReg/Reg.vbg");
    EXPECT_EQ(RunCli({"list", quickReg}, &output), 1) << output.toStdString();
    EXPECT_TRUE(Text(output).startsWith(tree.path("vbg/QuickReg/test.vbp") + ": Project2 1.0.0"));
    ASSERT_EQ(RunCli({"archive", quickReg, "--stamp", kFixedStamp, "--quiet", "--keep-going"}, &output), 3)
        << output.toStdString();
    EXPECT_EQ(ArchiveNames(output),
              QStringList({"Project2 1.0.0.20240102030405.zip", "QuickReg 1.0.0.20240102030405.zip"}));
    EXPECT_TRUE(QFileInfo::exists(tree.path("vbg/QuickReg/Sources.Backup/Reg/20240102030405")));
}

// A project the group names that is not there fails alone, once: list names it and goes on; archive
// stops there, or with --keep-going archives the others and names it at the end.
TEST(CliVisualBasicGroup, AMissingProjectFailsAlone)
{
    ProjectTree tree;
    tree.project("G/App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
    tree.write("G/App/m.bas", "");
    // Named twice, in two ways: one project, which fails once.
    const QString group = tree.write(
        "G/G.vbg", "VBGROUP 5.0\nProject=Gone\\Gone.vbp\nStartupProject=App\\App.vbp\nProject=gone/GONE.VBP\n");
    QByteArray output;
    EXPECT_EQ(RunCli({"list", group}, &output), 1);
    EXPECT_TRUE(Text(output).contains(tree.path("G/Gone/Gone.vbp"))) << output.toStdString();
    EXPECT_TRUE(Text(output).contains(tree.path("G/App/App.vbp") + ": App")) << output.toStdString();

    EXPECT_EQ(RunCli({"archive", group, "--stamp", kFixedStamp, "--quiet", "--keep-going"}, &output), 1);
    EXPECT_EQ(ArchiveNames(output), QStringList({"App 0.0.0.20240102030405.zip"}));
    EXPECT_TRUE(Text(output).contains("Not archived, 1 project(s):\n  Gone\\Gone.vbp")) << output.toStdString();
}

} // namespace

#include "CliRunner.h"
#include "ProjectTree.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const char kNoTypeLine[] = "is not a Visual Basic project file: it does not begin with a Type= line";

// The files in a folder, and the folders: what archiving left there.
QStringList Contents(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

// Only a project file is archived as a project: anything else, archived or listed, is refused with
// exit 2 and words saying what it is not, and nothing is written, not even the backup folder.
TEST(CliNotAProject, AnythingButAProjectFileIsRefusedAndNothingIsWritten)
{
    ProjectTree tree;
    const struct {
        const char *file;
        QByteArray content;
        const char *reason;
    } cases[] = {
        {"notes.txt", "Buy milk\nType=Exe\n", kNoTypeLine},
        {"Form1.frm", "VERSION 5.00\r\nBegin VB.Form Form1\r\nEnd\r\nAttribute VB_Name = \"Form1\"\r\n", kNoTypeLine},
        {"Empty.vbp", "", "is not a Visual Basic project file: it is empty"},
        {"Blank.vbp", "\r\n   \r\n\t\r\n", kNoTypeLine},
        {"TypeLater.vbp", "Name=\"App\"\r\nType=Exe\r\nModule=m; m.bas\r\n", kNoTypeLine},
        {"Group1.vbp", "VBGROUP 5.0\r\nStartupProject=App.vbp\r\nProject=Lib.vbp\r\n",
         "is a Visual Basic group file, not a project: it is read as a group under a name ending in .vbg"},
        {"Notes.vbg", "Type=Exe\r\nModule=m; m.bas\r\n",
         "is not a Visual Basic group file: its first line is not VBGROUP 5.0."},
        {"Empty.vbg", "", "is not a Visual Basic group file: its first line is not VBGROUP 5.0."},
        {"Nothing.vbg", "VBGROUP 5.0\r\nProject=\r\n", "lists no project (no Project= or StartupProject= line)."},
    };
    tree.write("Input/m.bas", "Attribute VB_Name = \"m\"\r\n");
    QList<std::pair<QString, QString>> refused; // path, why
    for (const auto &input : cases)
        refused.append({tree.write(QStringLiteral("Input/") + input.file, input.content), input.reason});
    // Never waited on, a FIFO is refused as a folder is, by what it is.
    refused.append({tree.makeFolder("Input/Folder.vbp"), "is not a Visual Basic project file: it is a folder. It holds "
                                                         "no project or group file (.vbp, .vbpgroup, .vbg)."});
    const QString pipe = tree.path("Input/Pipe.vbp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    refused.append({pipe, "is not a Visual Basic project file: it is not a regular file"});
    for (const auto &[path, why] : refused) {
        for (const QStringList &call :
             {QStringList{"archive", path, "--stamp", kFixedStamp}, QStringList{"list", path}}) {
            QByteArray output;
            EXPECT_EQ(RunCli(call, &output), 2) << call.join(' ').toStdString() << ": " << output.toStdString();
            EXPECT_EQ(Output(output), path + ' ' + why);
        }
    }
    QStringList written{"Folder.vbp", "Pipe.vbp", "m.bas"};
    for (const auto &input : cases)
        written.append(input.file);
    written.sort();
    EXPECT_EQ(Contents(tree.path("Input")), written) << "no archive, no backup folder";
}

// Visual Basic always writes "Type=" first; an editor may add a byte order mark or blank lines
// before it, or change its case, and such a file is still a project.
TEST(CliNotAProject, TheTypeLineMayFollowAByteOrderMarkOrBlankLinesInAnyCase)
{
    ProjectTree tree;
    tree.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n");
    const QByteArray firstLines[] = {"\xEF\xBB\xBFType=Exe", "\r\n  \r\n\ttype=OleDll", "TYPE=Control"};
    for (const QByteArray &first : firstLines) {
        const QString project = tree.write("App/App.vbp", first + "\r\nName=\"App\"\r\nModule=m; m.bas\r\n");
        QByteArray output;
        EXPECT_EQ(RunCli({"list", project}, &output), 0) << output.toStdString();
        EXPECT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--dest", tree.path("out"), "--quiet"}, &output),
                  0)
            << first.toStdString() << ": " << output.toStdString();
    }
}

// In a group, a listed file that is no project, a folder or a FIFO (never waited on) fails its own
// project with the reason; the others are archived.
TEST(CliNotAProject, AGroupFailsEachListedFileThatIsNoProjectWithItsReason)
{
    ProjectTree tree;
    tree.project("A/A.vbp", {"Name=\"A\"", "Module=m; m.bas"});
    tree.write("A/m.bas", "");
    tree.write("notes.txt", "Buy milk\n");
    tree.makeFolder("Folder.vbp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("Pipe.vbp")).constData(), 0600), 0);
    const QString group = tree.write("G.vbpgroup", "G\r\nnotes.txt\r\n[PATH]" + tree.path("out").toUtf8()
                                                       + "\r\nFolder.vbp\r\nPipe.vbp\r\n"
                                                         "A/A.vbp\r\n");
    QByteArray output;
    EXPECT_EQ(RunCli({"archive", group, "--stamp", kFixedStamp, "--keep-going", "--quiet"}, &output), 1)
        << output.toStdString();
    EXPECT_TRUE(output.contains((tree.path("notes.txt") + ' ' + kNoTypeLine).toUtf8())) << output.toStdString();
    EXPECT_TRUE(
        output.contains((tree.path("Folder.vbp") + " is not a Visual Basic project file: it is a folder").toUtf8()))
        << output.toStdString();
    EXPECT_TRUE(output.contains(
        (tree.path("Pipe.vbp") + " is not a Visual Basic project file: it is not a regular file").toUtf8()))
        << output.toStdString();
    EXPECT_TRUE(output.contains("Not archived, 3 project(s):\n  notes.txt\n  Folder.vbp\n  Pipe.vbp"))
        << output.toStdString();
    EXPECT_EQ(Contents(tree.path("out/G/20240102030405")), QStringList({"A 0.0.0.20240102030405.zip"}));
}

} // namespace

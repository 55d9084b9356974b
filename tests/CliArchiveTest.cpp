#include "CliRunner.h"
#include "CorvaRegSettings.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"
#include "TestMounts.h"
#include "ZipListing.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(CliArchive, TheExampleArchiveOpensAnywhere)
{
    TempTree tree;
    tree.copyExamples();
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", tree.path("examples/Inventory/Inventory.vbp"), "--stamp", kFixedStamp}, &output), 0)
        << output.toStdString();
    const QString archive = tree.path("examples/Inventory/Sources.Backup/Inventory 1.4.2.20240102030405.zip");
    // The path, then on standard error what the project needs where it opens.
    EXPECT_EQ(Output(output).split('\n'),
              QStringList({archive, "components: 1 control, 0 libraries to register where the project opens, 1 "
                                    "provided by Windows (quenzar-cli list names them)"}));

    // Unpacked somewhere else entirely, every member line names a file that is there.
    const QString elsewhere = tree.makeFolder("elsewhere/deeper");
    ASSERT_EQ(RunProgram("bsdtar", {"-xf", archive, "-C", elsewhere}), 0);
    int members = 0;
    for (const QByteArray &line : ArchiveEntryLines(archive, "Inventory 1.4.2.20240102030405.vbp")) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        if (!QList<QByteArray>{"Form", "Module", "Class", "UserControl", "PropertyPage", "ResFile32", "UserDocument",
                               "Designer"}
                 .contains(key))
            continue;
        QByteArray path = line.mid(equals + 1);
        if (path.contains("; "))
            path = path.mid(path.indexOf("; ") + 2);
        path.replace('"', "").replace('\\', '/');
        EXPECT_TRUE(QFile::exists(elsewhere + '/' + QString::fromLatin1(path))) << line.toStdString();
        ++members;
    }
    EXPECT_EQ(members, 12);
    for (const char *companion : {"Forms/frmMain.frx", "Controls/ctlGauge.ctx", "Controls/ppgGauge.pgx",
                                  "Designers/dsrStock.dsx", "udcSummary.dox"})
        EXPECT_TRUE(QFile::exists(elsewhere + '/' + companion)) << companion;
}

// Windows takes "/" between names too: the binary files a member's text names lie in the member's
// own folder, never in the project's, for archive, list and verify alike.
TEST(CliArchive, MemberPathsWrittenWithSlashesFindTheirBinaryFilesBesideTheMember)
{
    ProjectTree tree;
    const QList<QByteArray> lines{"Form=Forms/Task(TaskMan).frm", "Designer=Designers/x.Dsr"};
    const QString project = tree.project("App/App.vbp", lines);
    for (const QString folder : {"App", "Handmade"}) {
        tree.member(folder + "/Forms/Task(TaskMan).frm", {"Task.frx"});
        tree.write(folder + "/Forms/Task.frx", "the form's pictures");
        tree.member(folder + "/Designers/x.Dsr", {"x.dsx"});
        tree.write(folder + "/Designers/x.dsx", "designer data");
    }
    tree.write("App/Task.frx", "an unrelated file of the same name");

    QByteArray output;
    EXPECT_EQ(RunCli({"list", project}, &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(tree.path("App/Forms/Task.frx").toUtf8())) << output.toStdString();
    EXPECT_TRUE(output.contains(tree.path("App/Designers/x.dsx").toUtf8())) << output.toStdString();
    EXPECT_FALSE(output.contains(tree.path("App/Task.frx").toUtf8())) << output.toStdString();

    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--quiet"}, &output), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("warning")) << output.toStdString();
    const QString archive = Output(output);
    EXPECT_EQ(ArchiveEntryContent(archive, "Forms/Task.frx"), "the form's pictures");
    EXPECT_EQ(ArchiveEntryContent(archive, "Designers/x.dsx"), "designer data");
    EXPECT_EQ(RunCli({"verify", archive}, &output), 0) << output.toStdString();

    // An archive made by another tool, whose project file keeps the "/".
    tree.project("Handmade/P.vbp", lines);
    const QString handmade = tree.path("handmade.zip");
    ASSERT_EQ(RunProgram("7zz", {"a", handmade, "."}, nullptr, tree.path("Handmade")), 0);
    EXPECT_EQ(RunCli({"verify", handmade}, &output), 0) << output.toStdString();
}

TEST(CliArchive, AGroupRunStopsAtTheFirstFailureKeepingWhatWasWritten)
{
    ProjectTree tree;
    tree.project("A/A.vbp", {"Name=\"A\"", "Module=m; m.bas"});
    tree.write("A/m.bas", "");
    tree.project("B/B.vbp", {"Name=\"B\"", "Module=m; missing.bas"});
    tree.project("C/C.vbp", {"Name=\"C\"", "Module=m; m.bas"});
    tree.write("C/m.bas", "");
    const QString group = tree.write("Nightly.vbpgroup", "Nightly\r\nA/A.vbp\r\n[PATH]\r\nB/B.vbp\r\nC/C.vbp\r\n");

    QByteArray output;
    EXPECT_EQ(RunCli({"archive", group, "--stamp", kFixedStamp, "--dest", tree.path("backups")}, &output), 1);
    EXPECT_TRUE(output.contains(
        ("Line : Module=m; missing.bas\nCannot add " + tree.path("B/missing.bas") + ": it does not exist.").toUtf8()))
        << output.toStdString();
    const QString folder = tree.path("backups/Nightly/20240102030405/");
    EXPECT_TRUE(output.contains((folder + "A 0.0.0.20240102030405.zip").toUtf8())) << output.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"A 0.0.0.20240102030405.zip"}));
}

// Real groups often hold several projects still called "Project1", version 1.0.0.
TEST(CliArchive, NoArchiveOfAGroupRunReplacesAnother)
{
    ProjectTree tree;
    for (const QString folder : {"One", "Two", "Three"}) {
        tree.project(folder + "/Project1.vbp", {"Type=Exe", "Name=\"Project1\"", "MajorVer=1", "Module=m; m.bas"});
        tree.write(folder + "/m.bas", folder.toUtf8());
    }
    tree.project("Four/Project1.vbp", {"Type=Exe", "Name=\"PROJECT1\"", "MajorVer=1", "Module=m; m.bas"});
    tree.write("Four/m.bas", "Four");
    // Two, listed a second time under another spelling, gives one archive.
    const QString group =
        tree.write("G.vbpgroup", "G\r\nOne/Project1.vbp\r\n[PATH]\r\nTwo/Project1.vbp\r\n\r\n"
                                 "Three/Project1.vbp\r\nTwo/../Two/Project1.vbp\r\nFour/Project1.vbp\r\n");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", group, "--stamp", kFixedStamp, "--dest", tree.path("out"), "--quiet"}, &output), 0)
        << output.toStdString();
    const QString folder = tree.path("out/G/20240102030405/");
    const QStringList bases{"Project1 1.0.0.20240102030405", "Project1 1.0.0.20240102030405 (2)",
                            "Project1 1.0.0.20240102030405 (3)", "PROJECT1 1.0.0.20240102030405 (4)"};
    QStringList archives;
    for (const QString &base : bases)
        archives.append(folder + base + ".zip");
    EXPECT_EQ(Output(output), archives.join('\n'));
    for (qsizetype index = 0; index < bases.size(); ++index) {
        EXPECT_EQ(ArchiveEntryContent(archives[index], "m.bas"), QStringList({"One", "Two", "Three", "Four"})[index]);
        EXPECT_EQ(ArchiveEntryLines(archives[index], bases[index] + ".vbp").size(), 4);
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);

    // The same stamp once more, as two runs within one second give: every archive of the first run
    // stays as it was, the second run's take the next free names.
    ASSERT_EQ(RunCli({"archive", group, "--stamp", kFixedStamp, "--dest", tree.path("out"), "--quiet"}, &output), 0)
        << output.toStdString();
    EXPECT_EQ(Output(output).split('\n').first(), folder + "Project1 1.0.0.20240102030405 (5).zip");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 8);
    for (qsizetype index = 0; index < bases.size(); ++index)
        EXPECT_EQ(ArchiveEntryContent(archives[index], "m.bas"), QStringList({"One", "Two", "Three", "Four"})[index]);
}

// Temporary names stay short whatever the archive's: a name at the file system's limit is written.
TEST(CliArchive, ANameAtTheFileSystemsLimitIsArchived)
{
    ProjectTree tree;
    const QByteArray name(226, 'N');
    const QString project = tree.project("App/App.vbp", {"Name=\"" + name + "\"", "Module=m; m.bas"});
    tree.write("App/m.bas", "");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--quiet"}, &output), 0) << output.toStdString();
    EXPECT_EQ(QFileInfo(Output(output)).fileName().size(), 255 - 4);
    EXPECT_EQ(RunProgram("7zz", {"t", Output(output)}), 0);
}

TEST(CliArchive, AGroupGoesToItsOwnFolderByDefault)
{
    TempTree tree;
    tree.copyExamples();
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", tree.path("examples/Samples.vbpgroup"), "--stamp", kFixedStamp, "--quiet"}, &output),
              0)
        << output.toStdString();
    const QString folder = tree.path("examples/Inventory/Sources.Backup/Samples/20240102030405/");
    EXPECT_EQ(Output(output).split('\n'),
              QStringList({folder + "Inventory 1.4.2.20240102030405.zip", folder + "Tools 2.0.7.20240102030405.zip"}));
}

TEST(CliArchive, PasswordsComeFromAFileAndTheRestoreNeedsThem)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "secret");
    const QString passwordFile = tree.write("pass.txt", "correct horse\n");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--password-file", passwordFile}, &output), 0)
        << output.toStdString();
    const QString archive = Output(output);

    EXPECT_EQ(RunCli({"restore", archive}, &output), 1);
    EXPECT_TRUE(output.contains("--password-file")) << output.toStdString();
    EXPECT_FALSE(QFile::exists(tree.path("App/Sources.Backup/App 0.0.0.20240102030405/m.bas")));

    ASSERT_EQ(RunCli({"restore", archive, "--password-file", passwordFile}, &output), 0) << output.toStdString();
    EXPECT_EQ(Output(output), tree.path("App/Sources.Backup/App 0.0.0.20240102030405"));
    EXPECT_EQ(tree.read("App/Sources.Backup/App 0.0.0.20240102030405/m.bas"), "secret");
}

TEST(CliArchive, TheLastBackupFolderOutlivesTheRunEvenWhenTheMachineStoreIsReadOnly)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "");
    ScopedEnvironment environment("XDG_CONFIG_HOME", tree.makeFolder("home/.config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", tree.makeFolder("etc/xdg").toUtf8());
    const ReadOnlyFolder machine(tree.path("etc/xdg"));
    if (!machine.mounted())
        GTEST_SKIP() << "cannot make a read-only bind mount here (needs root)";

    QByteArray output;
    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--dest", tree.path("backups")}, &output), 0)
        << output.toStdString();
    EXPECT_FALSE(output.contains("warning")) << output.toStdString();
    EXPECT_EQ(GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, "", true), tree.path("backups/"));
}

// Each refusal names what it refuses and why.
TEST(CliArchive, BadArgumentsAndUnreadableInputExitWithTwo)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "");
    const QString empty = tree.write("empty.txt", "");
    const QString emptyGroup = tree.write("empty.vbpgroup", "");
    const QString rar = tree.write("x.rar", "");
    const struct {
        QStringList call;
        QString told;
    } rows[] = {
        {{"archive"}, "Expected 1 argument(s); see --help."},
        {{"archive", tree.path("missing.vbp")}, "No such file: " + tree.path("missing.vbp")},
        {{"archive", project, "--stamp", "2024-01-02"},
         "The stamp must be a date and time written YYYYMMDDHHNNSS: 2024-01-02"},
        {{"archive", project, "--stamp", "20241302030405"},
         "The stamp must be a date and time written YYYYMMDDHHNNSS: 20241302030405"},
        {{"archive", project, "--password-file", tree.path("no-such-file")},
         "Cannot read the password file " + tree.path("no-such-file") + ": No such file or directory"},
        {{"archive", project, "--password-file", empty}, "The password file " + empty + " holds no password."},
        {{"archive", emptyGroup}, emptyGroup + " is empty."},
        {{"restore", rar}, rar + " is not a zip archive."},
        {{"restore", tree.path("missing.zip")}, "No such file: " + tree.path("missing.zip")},
    };
    for (const auto &row : rows) {
        QByteArray output;
        EXPECT_EQ(RunCli(row.call, &output), 2) << row.call.join(' ').toStdString() << ": " << output.toStdString();
        EXPECT_EQ(Output(output), row.told) << row.call.join(' ').toStdString();
    }
    EXPECT_TRUE(QDir(tree.path("App")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty()) << "nothing was written";
}

// With --crlf, the text members a project names are stored with Windows line ends, for a project
// and for a group, protected or not; nothing else changes, and without it nothing does.
TEST(CliArchive, CrlfGivesTextMembersWindowsLineEndsAndLeavesEverythingElseAlone)
{
    ProjectTree tree;
    const struct {
        const char *entry;
        QByteArray content;
        QByteArray withCrlf;
    } members[] = {
        {"lf.bas", "Attribute VB_Name = \"Lf\"\nSub A()\nEnd Sub\n",
         "Attribute VB_Name = \"Lf\"\r\nSub A()\r\nEnd Sub\r\n"},
        {"crlf.cls", "VERSION 1.0 CLASS\r\nEnd\r\n", "VERSION 1.0 CLASS\r\nEnd\r\n"},
        {"Forms/mixed.frm", "VERSION 5.00\r\nBegin VB.Form mixed\n\rEnd\n",
         "VERSION 5.00\r\nBegin VB.Form mixed\r\n\rEnd\r\n"},
        {"Forms/mixed.frx", "\nlt\n\r\nBM\n", "\nlt\n\r\nBM\n"},
        {"nul.ctl", QByteArray("Begin\n\0\nEnd\n", 12), QByteArray("Begin\n\0\nEnd\n", 12)},
        {"nul.ctx", "a\nb", "a\nb"},
        {"d.Dsr", "Begin\n   Data = \"d.dsx\":0000\nEnd\n", "Begin\r\n   Data = \"d.dsx\":0000\r\nEnd\r\n"},
        {"d.dsx", "x\ny\n", "x\ny\n"},
        {"App.RES", "res\ndata\n", "res\ndata\n"},
    };
    const QDateTime modified(QDate(2023, 5, 6), QTime(7, 8, 10));
    for (const auto &member : members) {
        QFile file(tree.write("App/" + QString(member.entry), member.content));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    const QString project =
        tree.project("App/App.vbp", {"Module=Lf; lf.bas", "Class=Crlf; crlf.cls", "Form=Forms\\mixed.frm",
                                     "UserControl=nul.ctl", "Designer=d.Dsr", "ResFile32=\"App.RES\""});
    const QString group = tree.write("G.vbpgroup", "G\r\nApp/App.vbp\r\n[PATH]\r\n");
    const QString passwordFile = tree.write("pass.txt", "s3cret\n");

    const struct {
        const char *name;
        QString path;
        QStringList options;
        QString password;
        bool converted;
    } runs[] = {
        {"as-is", project, {}, {}, false},
        {"crlf", project, {"--crlf"}, {}, true},
        {"crlf-group", group, {"--crlf"}, {}, true},
        {"crlf-protected", project, {"--crlf", "--password-file", passwordFile}, "s3cret", true},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.name);
        QByteArray output;
        ASSERT_EQ(
            RunCli(QStringList{"archive", run.path, "--stamp", kFixedStamp, "--quiet", "--dest", tree.path(run.name)}
                       + run.options,
                   &output),
            0)
            << output.toStdString();
        const QString archive = Output(output);
        EXPECT_EQ(RunProgram("7zz", {"t", "-p" + run.password, archive}, &output), 0) << output.toStdString();
        if (run.password.isEmpty()) {
            EXPECT_EQ(RunProgram("unzip", {"-tq", archive}, &output), 0) << output.toStdString();
        }
        const QString out = tree.path(QString(run.name) + "-out");
        ASSERT_EQ(RunProgram("7zz", {"x", "-y", "-p" + run.password, "-o" + out, archive}, &output), 0)
            << output.toStdString();
        for (const auto &member : members) {
            const QString extracted = out + '/' + member.entry;
            EXPECT_TRUE(tree.read(extracted.mid(tree.root().size() + 1))
                        == (run.converted ? member.withCrlf : member.content))
                << member.entry;
            EXPECT_EQ(QFileInfo(extracted).lastModified(), modified) << member.entry;
        }
    }
}

// A text member is converted as it is read, a chunk at a time, whatever its size: quenzar-cli converts
// one larger than the memory it may take (given room for a stack per core; not under AddressSanitizer,
// whose shadow memory no such limit leaves room for). Every 4 KiB of the text ends with a CR and the
// next begins with an LF, so that some CR LF lies across two chunks whatever their size; a member
// with a NUL near its end is stored as it is.
TEST(CliArchive, CrlfConvertsTextMembersLargerThanTheMemoryAllowed)
{
    ProjectTree tree;
    const qint64 allowed = (48 + 8 * qint64(std::thread::hardware_concurrency())) << 20;
    const QByteArray lines = QByteArray("Attribute VB_Name = \"Big\"\n").repeated(200).left(4094);
    const qsizetype units = qsizetype((allowed + (16 << 20)) / 4096);
    const QByteArray text = ("\n" + lines + "\r").repeated(units);
    const QByteArray converted = "\r" + ("\n" + QByteArray(lines).replace("\n", "\r\n") + "\r").repeated(units);
    QByteArray binary = QByteArray("Attribute VB_Name = \"Nul\"\n").repeated(800 * 1000);
    binary[binary.size() - 100] = '\0';
    const QDateTime modified(QDate(2023, 5, 6), QTime(7, 8, 10));
    for (const auto &[name, content] : {std::pair{"App/Big.bas", text}, std::pair{"App/Nul.bas", binary}}) {
        QFile file(tree.write(name, content));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    const QString project = tree.project("App/App.vbp", {"Module=Big; Big.bas", "Module=Nul; Nul.bas"});

    QString program = kCli;
    QStringList arguments{"archive", project, "--stamp", kFixedStamp, "--quiet", "--crlf", "--dest", tree.path("out")};
#ifndef __SANITIZE_ADDRESS__
    arguments = QStringList{"--data=" + QString::number(allowed), program} + arguments;
    program = "prlimit";
#endif
    QByteArray output;
    ASSERT_EQ(RunProgram(program, arguments, &output), 0) << output.toStdString();
    const QString archive = Output(output);
    EXPECT_EQ(RunProgram("7zz", {"t", archive}, &output), 0) << output.toStdString();
    EXPECT_TRUE(ArchiveEntryContent(archive, "Big.bas") == converted);
    EXPECT_TRUE(ArchiveEntryContent(archive, "Nul.bas") == binary);
    ASSERT_EQ(RunProgram("unzip", {"-Z", "-T", archive}, &output), 0) << output.toStdString();
    for (const QByteArray &stored : {converted, binary})
        EXPECT_TRUE(output.contains(QByteArray::number(stored.size()) + " b- defN 20230506.070810"))
            << output.toStdString();
}

} // namespace

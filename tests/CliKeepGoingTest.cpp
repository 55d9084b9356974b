#include "CliRunner.h"
#include "ProjectTree.h"
#include "ZipListing.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Real projects name files that were never committed. The rule these tests hold the tool to: an
// archive written with exit 0 verifies with 0 and has no comment; one written with 3 verifies with
// 3 and its comment lists every missing file; a failure writes nothing and exits 1.

namespace {

// Each run archives a second later than the one before: an archive never replaces another.
class CliKeepGoing : public ::testing::Test {
protected:
    QString Stamp() const { return QStringLiteral("202401020304%1").arg(runs, 2, 10, QLatin1Char('0')); }
    QString ArchiveName() const { return "App 0.0.0." + Stamp(); }
    QString Archive() const { return tree.path("App/Sources.Backup/" + ArchiveName() + ".zip"); }
    int Run(const QStringList &arguments)
    {
        ++runs;
        return RunCli(QStringList{"archive", project, "--stamp", Stamp(), "--quiet"} + arguments, &output);
    }

    ProjectTree tree;
    QString project;
    QByteArray output;
    int runs = 0;
};

TEST_F(CliKeepGoing, MissingMembersAreLeftOutAndRecordedOnlyWhenAsked)
{
    const QList<QByteArray> missing{"Module=gone; Modules\\gone.bas", "Class=CX; Q:\\Lib\\CX.cls",
                                    "Module=folder; Folder.bas", "Form=Ghost.frm"};
    project = tree.project("App/App.vbp", QList<QByteArray>{"Type=Exe", "Form=Main.frm"} + missing);
    tree.member("App/Main.frm", {"Main.frx"});
    tree.write("App/Main.frx", "pictures");
    tree.makeFolder("App/Folder.bas"); // there, but not a file that can be read
    tree.write("App/Ghost.frx", "the form is gone, its pictures are not");

    EXPECT_EQ(Run({}), 1);
    EXPECT_TRUE(output.contains(("Line : Module=gone; Modules\\gone.bas\nCannot add "
                                 + tree.path("App/Modules/gone.bas") + ": it does not exist.")
                                    .toUtf8()))
        << output.toStdString();
    EXPECT_FALSE(tree.exists("App/Sources.Backup/" + ArchiveName() + ".zip"));

    ASSERT_EQ(Run({"--keep-going"}), 3) << output.toStdString();
    for (const QByteArray &line : missing)
        EXPECT_TRUE(output.contains("warning: " + line + ": the file is missing or cannot be read"))
            << line.toStdString();
    QStringList entries = ArchiveEntries(Archive());
    entries.sort();
    EXPECT_EQ(entries, QStringList({ArchiveName() + ".vbp", "Ghost.frx", "Main.frm", "Main.frx"}));
    const QStringList comment = ArchiveCommentLines(Archive());
    ASSERT_EQ(comment.size(), missing.size() + 1);
    EXPECT_TRUE(comment[0].contains("without these files")) << comment[0].toStdString();
    for (qsizetype index = 0; index < missing.size(); ++index)
        EXPECT_EQ(comment[index + 1], QString::fromLatin1(missing[index]));
    // Each line still names where its file would be inside the extracted project.
    const QList<QByteArray> rewritten = ArchiveEntryLines(Archive(), ArchiveName() + ".vbp");
    for (const char *line :
         {"Module=gone; Modules\\gone.bas", "Class=CX; FileNotInRootPath\\Disk_Q_\\Lib\\CX.cls", "Form=Ghost.frm"})
        EXPECT_TRUE(rewritten.contains(line)) << line;

    EXPECT_EQ(RunCli({"verify", Archive()}, &output), 3) << output.toStdString();
    for (const QByteArray &line : missing)
        EXPECT_TRUE(output.contains("missing when archived: " + line)) << output.toStdString();
    EXPECT_EQ(RunCli({"restore", Archive(), "--quiet"}, &output), 3) << output.toStdString();
    EXPECT_TRUE(output.contains("not restored: Module=gone; Modules\\gone.bas")) << output.toStdString();
    EXPECT_TRUE(tree.exists("App/Sources.Backup/" + ArchiveName() + "/Main.frx"));

    // Damage is still damage in an archive that lacks files by design.
    const QString damaged = tree.path("damaged.zip");
    ASSERT_TRUE(QFile::copy(Archive(), damaged));
    ASSERT_EQ(RunProgram("7zz", {"d", damaged, "Main.frx"}), 0);
    EXPECT_EQ(RunCli({"verify", damaged}, &output), 1) << output.toStdString();
    EXPECT_TRUE(output.contains("Main.frm needs Main.frx beside it")) << output.toStdString();
}

// A binary file a form names but nobody committed: never a failure, always recorded.
TEST_F(CliKeepGoing, AMissingBinaryFileIsRecordedWithOrWithoutTheOption)
{
    project = tree.project("App/App.vbp", {"Form=Forms\\Lost.frm", "Form=Forms\\Whole.frm"});
    tree.member("App/Forms/Lost.frm", {"Lost.frx"});
    tree.member("App/Forms/Whole.frm", {"Whole.frx"});
    tree.write("App/Forms/Whole.frx", "pictures");

    for (const QStringList &options : {QStringList(), QStringList{"--keep-going"}}) {
        SCOPED_TRACE(options.join(' ').toStdString());
        EXPECT_EQ(Run(options), 3) << output.toStdString();
        EXPECT_TRUE(output.contains("warning: Form=Forms\\Lost.frm names Lost.frx")) << output.toStdString();
        EXPECT_EQ(ArchiveCommentLines(Archive()).mid(1), QStringList({"Form=Forms\\Lost.frm | Lost.frx"}));
        EXPECT_EQ(RunCli({"verify", Archive()}, &output), 3) << output.toStdString();
    }

    // Once the file is there, the archive is whole: exit 0 and no comment, for archive and verify.
    tree.write("App/Forms/Lost.frx", "found again");
    EXPECT_EQ(Run({}), 0) << output.toStdString();
    EXPECT_TRUE(ArchiveCommentLines(Archive()).isEmpty());
    EXPECT_EQ(RunCli({"verify", Archive()}, &output), 0) << output.toStdString();
}

// A file saved again while it is archived is read once more; one that changes at every read is never
// stored half old and half new: it fails the project, or with the option it is left out and recorded
// like a file that cannot be read. A kernel file stands for it: it says it is empty and holds text.
TEST_F(CliKeepGoing, AFileThatChangesAtEveryReadFailsOrIsLeftOut)
{
    project = tree.project("App/App.vbp", {"Module=Kernel; Kernel.bas", "Form=Main.frm"});
    tree.member("App/Main.frm", {"Main.frx"});
    for (const QString link : {"App/Kernel.bas", "App/Main.frx"})
        ASSERT_TRUE(QFile::link("/proc/version", tree.path(link)));

    EXPECT_EQ(Run({}), 1);
    EXPECT_TRUE(
        output.contains(("Line : Writing Zip File\nCannot add " + tree.path("App/Kernel.bas") + " to ").toUtf8()))
        << output.toStdString();
    EXPECT_TRUE(output.contains(".zip: it changed while it was read.")) << output.toStdString();
    EXPECT_FALSE(tree.exists("App/Sources.Backup/" + ArchiveName() + ".zip"));

    ASSERT_EQ(Run({"--keep-going"}), 3) << output.toStdString();
    for (const QString &warning :
         {"Module=Kernel; Kernel.bas: " + tree.path("App/Kernel.bas"), "Form=Main.frm: " + tree.path("App/Main.frx")})
        EXPECT_TRUE(
            output.contains(("warning: " + warning + " changed while it was read; archived without it").toUtf8()))
            << output.toStdString();
    QStringList entries = ArchiveEntries(Archive());
    entries.sort();
    EXPECT_EQ(entries, QStringList({ArchiveName() + ".vbp", "Main.frm"}));
    EXPECT_EQ(ArchiveCommentLines(Archive()).mid(1),
              QStringList({"Module=Kernel; Kernel.bas", "Form=Main.frm | Main.frx"}));
    EXPECT_EQ(RunCli({"verify", Archive()}, &output), 3) << output.toStdString();
}

TEST_F(CliKeepGoing, AMalformedLineFailsEvenWhenKeepingGoing)
{
    project = tree.project("App/App.vbp", {"Module=noPath", "Module=gone; gone.bas"});
    EXPECT_EQ(Run({"--keep-going"}), 1);
    EXPECT_TRUE(output.contains("Line : Module=noPath")) << output.toStdString();
    EXPECT_FALSE(QDir(tree.path("App/Sources.Backup")).exists() && !QDir(tree.path("App/Sources.Backup")).isEmpty());
}

// In a group, the option also goes on past a project that fails; the status is the worst one met.
TEST_F(CliKeepGoing, AGroupGoesOnPastAFailedProjectAndNamesItAtTheEnd)
{
    tree.project("A/A.vbp", {"Name=\"A\"", "Module=m; m.bas"});
    tree.write("A/m.bas", "");
    tree.project("B/B.vbp", {"Name=\"B\"", "Module=noPath"});
    tree.project("C/C.vbp", {"Name=\"C\"", "Module=m; m.bas", "Module=gone; gone.bas"});
    tree.write("C/m.bas", "");
    const QString folder = tree.path("out/G/20240102030405/");
    const struct {
        QString further; // after A, the main project
        int status;
        QStringList archives;
    } cases[] = {{"B/B.vbp\r\nC/C.vbp", 1, {"A 0.0.0.20240102030405.zip", "C 0.0.0.20240102030405.zip"}},
                 {"C/C.vbp", 3, {"A 0.0.0.20240102030405.zip", "C 0.0.0.20240102030405.zip"}},
                 {"", 0, {"A 0.0.0.20240102030405.zip"}}};
    for (const auto &one : cases) {
        SCOPED_TRACE(one.further.toStdString());
        QDir(tree.path("out")).removeRecursively();
        const QString group = tree.write("G.vbpgroup", ("G\r\nA/A.vbp\r\n[PATH]\r\n" + one.further + "\r\n").toUtf8());
        EXPECT_EQ(
            RunCli({"archive", group, "--stamp", kFixedStamp, "--dest", tree.path("out"), "--quiet", "--keep-going"},
                   &output),
            one.status)
            << output.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), one.archives);
        EXPECT_EQ(output.contains("Not archived, 1 project(s):\n  B/B.vbp"), one.status == 1) << output.toStdString();
    }
}

} // namespace

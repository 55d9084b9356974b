#include "CliRunner.h"
#include "ProjectTree.h"

#include <QDir>
#include <gtest/gtest.h>

// --keep removes only what Quenzar itself wrote: archives named by the rule for the run's projects
// that are zip archives with a project file at their root. Whatever else lies beside them stays.

namespace {

const QStringList kStamps{"20240101000000", "20240102000000", "20240103000000", "20240104000000"};

QStringList Files(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

TEST(CliKeep, OnlyTheProjectsOwnOlderArchivesBeyondTheNewestGo)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
    tree.write("App/m.bas", "");
    const QString folder = tree.path("App/Sources.Backup/");
    QByteArray output;
    for (const QString &stamp : kStamps.mid(0, 3))
        ASSERT_EQ(RunCli({"archive", project, "--stamp", stamp, "--quiet"}, &output), 0) << output.toStdString();
    // Named like an archive of App but not one, another project's archive, a copy under another name.
    tree.write("App/Sources.Backup/App 0.0.0.20230101000000.zip", "not a zip");
    ASSERT_TRUE(QFile::copy(folder + "App 0.0.0.20240101000000.zip", folder + "Other 0.0.0.20230101000000.zip"));
    ASSERT_TRUE(QFile::copy(folder + "App 0.0.0.20240101000000.zip", folder + "App backup.zip"));

    EXPECT_EQ(RunCli({"archive", project, "--stamp", kStamps[3], "--quiet", "--keep", "2"}, &output), 0)
        << output.toStdString();
    EXPECT_EQ(Files(folder),
              QStringList({"App 0.0.0.20230101000000.zip", "App 0.0.0.20240103000000.zip",
                           "App 0.0.0.20240104000000.zip", "App backup.zip", "Other 0.0.0.20230101000000.zip"}));
    EXPECT_TRUE(output.contains("removed: " + (folder + "App 0.0.0.20240101000000.zip").toUtf8()))
        << output.toStdString();

    // The run's own archive stays, however old the stamp it was given, and so do the newer ones: a
    // clock set back must not take the newest backups with it.
    EXPECT_EQ(RunCli({"archive", project, "--stamp", "20200101000000", "--quiet", "--keep", "1"}, &output), 0);
    EXPECT_EQ(Files(folder), QStringList({"App 0.0.0.20200101000000.zip", "App 0.0.0.20230101000000.zip",
                                          "App 0.0.0.20240103000000.zip", "App 0.0.0.20240104000000.zip",
                                          "App backup.zip", "Other 0.0.0.20230101000000.zip"}));

    for (const char *bad : {"0", "-1", "two"})
        EXPECT_EQ(RunCli({"archive", project, "--quiet", "--keep", bad}, &output), 2) << bad;
}

TEST(CliKeep, AGroupLosesItsOlderStampFoldersUnlessSomethingElseLiesInThem)
{
    ProjectTree tree;
    tree.project("A/A.vbp", {"Name=\"A\"", "Module=m; m.bas"});
    tree.write("A/m.bas", "");
    const QString group = tree.write("G.vbpgroup", "G\r\nA/A.vbp\r\n[PATH]\r\n");
    const QString folder = tree.path("out/G/");
    QByteArray output;
    for (const QString &stamp : kStamps.mid(0, 3))
        ASSERT_EQ(RunCli({"archive", group, "--stamp", stamp, "--dest", tree.path("out"), "--quiet"}, &output), 0);
    tree.write("out/G/20240102000000/notes.txt", "the user's own");

    ASSERT_EQ(RunCli({"archive", group, "--stamp", kStamps[3], "--dest", tree.path("out"), "--quiet", "--keep", "2"},
                     &output),
              0)
        << output.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"20240102000000", "20240103000000", "20240104000000"}));
    EXPECT_EQ(Files(folder + "20240102000000"), QStringList({"notes.txt"}));
    EXPECT_EQ(Files(folder + "20240103000000"), QStringList({"A 0.0.0.20240103000000.zip"}));

    // Without --keep nothing is ever removed.
    ASSERT_EQ(RunCli({"archive", group, "--stamp", "20240105000000", "--dest", tree.path("out"), "--quiet"}, &output),
              0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 4);
    // Nor is a stamp folder newer than the run's, whatever --keep asks.
    ASSERT_EQ(
        RunCli({"archive", group, "--stamp", "20200101000000", "--dest", tree.path("out"), "--quiet", "--keep", "1"},
               &output),
        0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 5);
}

} // namespace

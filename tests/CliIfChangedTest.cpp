#include "CliRunner.h"
#include "CorvaRegSettings.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"
#include "ZipFixtures.h"

#include <QDir>
#include <gtest/gtest.h>

// --if-changed writes nothing for a project its newest earlier archive already holds, whatever the
// files' times say; a change of content, or a password, writes a new archive.

namespace {

QString Archived(const QString &folder, const QString &name, const QString &stamp)
{
    return folder + name + " 0.0.0." + stamp + ".zip";
}

TEST(CliIfChanged, AnUnchangedProjectGetsNoNewArchive)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
    tree.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n");
    const QString folder = tree.path("App/Sources.Backup/");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", project, "--stamp", "20240101000000", "--quiet"}, &output), 0);

    tree.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n"); // a new time, the same bytes
    EXPECT_EQ(RunCli({"archive", project, "--stamp", "20240102000000", "--quiet", "--if-changed"}, &output), 0);
    EXPECT_EQ(Output(output), Archived(folder, "App", "20240101000000") + "\nunchanged since 20240101000000");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".quenzar.lock", "App 0.0.0.20240101000000.zip"}));

    tree.write("App/m.bas", "Attribute VB_Name = \"n\"\r\n"); // the same size: only the CRC tells
    EXPECT_EQ(RunCli({"archive", project, "--stamp", "20240103000000", "--quiet", "--if-changed"}, &output), 0);
    EXPECT_EQ(Output(output), Archived(folder, "App", "20240103000000"));
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas", "MajorVer=2"}); // only the version
    EXPECT_EQ(RunCli({"archive", project, "--stamp", "20240104000000", "--quiet", "--if-changed"}, &output), 0);
    EXPECT_EQ(Output(output), folder + "App 2.0.0.20240104000000.zip");
    const QString passwordFile = tree.write("pass.txt", "s3cret\n");
    EXPECT_EQ(RunCli({"archive", project, "--stamp", "20240105000000", "--quiet", "--if-changed", "--password-file",
                      passwordFile},
                     &output),
              0);
    EXPECT_TRUE(tree.exists("App/Sources.Backup/App 2.0.0.20240105000000.zip")) << "protected: always written";
}

// The comparison looks at the central directory; the earlier archive's data must read whole too, or
// it would be left as the only backup.
TEST(CliIfChanged, ADamagedEarlierArchiveNeverStandsForTheProject)
{
    for (const QStringList &reuse : {QStringList(), QStringList{"--no-reuse"}}) {
        SCOPED_TRACE(reuse.join(' ').toStdString());
        ProjectTree tree;
        const QString project = tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
        tree.write("App/m.bas", QByteArray("Attribute VB_Name = \"m\"\r\n").repeated(50));
        const QString folder = tree.path("App/Sources.Backup/");
        QByteArray output;
        ASSERT_EQ(RunCli({"archive", project, "--stamp", "20240101000000", "--quiet"}, &output), 0);
        ASSERT_TRUE(FlipStoredByte(Archived(folder, "App", "20240101000000"), "m.bas"));

        EXPECT_EQ(
            RunCli(QStringList{"archive", project, "--stamp", "20240102000000", "--quiet", "--if-changed"} + reuse,
                   &output),
            0);
        EXPECT_TRUE(Output(output).endsWith(Archived(folder, "App", "20240102000000"))) << output.toStdString();
        EXPECT_FALSE(output.contains("unchanged since")) << output.toStdString();
        EXPECT_EQ(RunCli({"verify", Archived(folder, "App", "20240102000000")}), 0);
    }
}

TEST(CliIfChanged, AGroupWritesOnlyWhatChangedAndNoStampFolderWhenNothingDid)
{
    ProjectTree tree;
    for (const QString name : {"A", "B"}) {
        tree.project(name + "/" + name + ".vbp", {"Name=\"" + name.toUtf8() + "\"", "Module=m; m.bas"});
        tree.write(name + "/m.bas", name.toUtf8());
    }
    const QString group = tree.write("G.vbpgroup", "G\r\nA/A.vbp\r\n[PATH]\r\nB/B.vbp\r\n");
    ScopedEnvironment environment("XDG_CONFIG_HOME", tree.makeFolder("home/.config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", tree.makeFolder("etc/xdg").toUtf8());
    const QString folder = tree.path("out/G/");
    const auto run = [&](const QString &stamp, QByteArray &output) {
        return RunCli({"archive", group, "--stamp", stamp, "--dest", tree.path("out"), "--quiet", "--if-changed"},
                      &output);
    };
    QByteArray output;
    ASSERT_EQ(run("20240101000000", output), 0) << output.toStdString();
    ASSERT_EQ(run("20240102000000", output), 0) << output.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"20240101000000"}));
    EXPECT_EQ(GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, "", true), folder + "20240101000000/");

    tree.write("B/m.bas", "B, changed");
    ASSERT_EQ(run("20240103000000", output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(Archived(folder + "20240101000000/", "A", "20240101000000").toUtf8()))
        << output.toStdString();
    EXPECT_EQ(QDir(folder + "20240103000000").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"B 0.0.0.20240103000000.zip"}));
}

} // namespace

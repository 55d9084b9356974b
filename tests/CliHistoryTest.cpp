#include "CliStreams.h"
#include "ProjectTree.h"

#include <QFileInfo>
#include <QJsonArray>
#include <gtest/gtest.h>

// history lists what lies in a backup folder as archive left it: every archive of the project,
// newest first, telling whole from partial and protected from not, and never hiding one it cannot read.

namespace {

QStringList Stamps(const QJsonArray &archives)
{
    QStringList stamps;
    for (const QJsonValue &archive : archives)
        stamps.append(archive["stamp"].toString() + (archive["copy"].toInt() > 1 ? " copy" : ""));
    return stamps;
}

TEST(CliHistory, EveryArchiveOfTheProjectNewestFirstWholePartialProtectedOrUnreadable)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas", "Form=f.frm"});
    tree.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n");
    tree.write("App/f.frm", "VERSION 5.00\r\n");
    const QString password = tree.write("pass.txt", "s3cret\n");
    QByteArray output;
    const auto archive = [&](const QString &stamp, const QStringList &options = {}) {
        return RunCli(QStringList{"archive", project, "--stamp", stamp, "--quiet"} + options, &output);
    };
    ASSERT_EQ(archive("20240101000000"), 0) << output.toStdString();
    ASSERT_EQ(archive("20240101000000"), 0) << output.toStdString(); // the same stamp: " (2)"
    ASSERT_EQ(archive("20240102000000", {"--password-file", password}), 0) << output.toStdString();
    QFile::remove(tree.path("App/f.frm"));
    ASSERT_EQ(archive("20240103000000", {"--keep-going"}), 3) << output.toStdString();
    const QString folder = tree.path("App/Sources.Backup/");
    tree.write("App/Sources.Backup/App 0.0.0.20240104000000.zip", "not a zip");
    tree.write("App/Sources.Backup/Other 0.0.0.20240105000000.zip", "another project's");

    CliStreams run = RunCliStreams({"history", project, "--json"});
    EXPECT_EQ(run.status, 1) << "an archive is unreadable: " << run.err.toStdString();
    const QJsonArray projects = JsonOutput(run)["projects"].toArray();
    ASSERT_EQ(projects.size(), 1);
    const QJsonArray archives = projects[0]["archives"].toArray();
    EXPECT_EQ(Stamps(archives), QStringList({"2024-01-04T00:00:00", "2024-01-03T00:00:00", "2024-01-02T00:00:00",
                                             "2024-01-01T00:00:00 copy", "2024-01-01T00:00:00"}));
    ASSERT_EQ(archives.size(), 5);
    EXPECT_FALSE(archives[0]["readable"].toBool());
    EXPECT_FALSE(archives[0]["unreadable_reason"].toString().isEmpty());
    EXPECT_EQ(archives[0]["size"].toInteger(), 9);
    EXPECT_FALSE(archives[1]["whole"].toBool());
    EXPECT_EQ(archives[1]["missing"].toArray(), QJsonArray({"Form=f.frm"}));
    EXPECT_EQ(archives[1]["entries"].toInteger(), 2) << "m.bas and the project file";
    EXPECT_TRUE(archives[2]["protected"].toBool());
    EXPECT_TRUE(archives[2]["whole"].toBool());
    for (const int plain : {1, 3, 4})
        EXPECT_FALSE(archives[plain]["protected"].toBool()) << plain;
    EXPECT_EQ(archives[4]["entries"].toInteger(), 3);
    EXPECT_EQ(archives[4]["size"].toInteger(), QFileInfo(folder + "App 0.0.0.20240101000000.zip").size());
    EXPECT_EQ(archives[4]["path"].toString(), folder + "App 0.0.0.20240101000000.zip");

    // The same as a table, with what is missing and why one cannot be read.
    run = RunCliStreams({"history", project});
    EXPECT_EQ(run.status, 1);
    const QString text = QString::fromUtf8(run.out);
    EXPECT_TRUE(text.contains("2024-01-03 00:00:00")) << text.toStdString();
    EXPECT_TRUE(text.contains("partial")) << text.toStdString();
    EXPECT_TRUE(text.contains("missing from App 0.0.0.20240103000000.zip: Form=f.frm")) << text.toStdString();
    EXPECT_TRUE(text.contains("unreadable: App 0.0.0.20240104000000.zip: ")) << text.toStdString();
    EXPECT_FALSE(text.contains("Other")) << text.toStdString();
    EXPECT_LT(text.indexOf("20240104"), text.indexOf("20240101000000 (2)"));
    EXPECT_LT(text.indexOf("20240101000000 (2)"), text.indexOf("20240101000000.zip"));

    QFile::remove(folder + "App 0.0.0.20240104000000.zip");
    EXPECT_EQ(RunCliStreams({"history", project}).status, 0);
    // Archives written elsewhere are found with the same --dest.
    EXPECT_EQ(RunCliStreams({"history", project, "--dest", tree.path("nowhere")}).status, 1)
        << "no archive at all is worth a failing status";
}

TEST(CliHistory, AGroupListsEachProjectInItsStampFolders)
{
    ProjectTree tree;
    for (const QString name : {"A", "B"}) {
        tree.project(name + "/" + name + ".vbp", {"Name=\"" + name.toUtf8() + "\"", "Module=m; m.bas"});
        tree.write(name + "/m.bas", "");
    }
    // Quenzar's own group file and Visual Basic's, each naming A twice.
    const struct {
        QString file;
        QByteArray text;
    } groups[] = {
        {"G.vbpgroup", "G\r\nA/A.vbp\r\n[PATH]\r\n\r\nB/B.vbp\r\nA/A.vbp\r\n"},
        {"G.vbg", "VBGROUP 5.0\r\nStartupProject=A\\A.vbp\r\nProject=B\\B.vbp\r\nProject=A\\A.vbp\r\n"},
    };
    for (const auto &row : groups) {
        SCOPED_TRACE(row.file.toStdString());
        const QString group = tree.write(row.file, row.text);
        const QString out = tree.path("out " + row.file);
        QByteArray output;
        for (const QString stamp : {"20240101000000", "20240102000000"})
            ASSERT_EQ(RunCli({"archive", group, "--stamp", stamp, "--dest", out, "--quiet"}, &output), 0)
                << output.toStdString();

        const CliStreams run = RunCliStreams({"history", group, "--dest", out, "--json"});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QJsonArray projects = JsonOutput(run)["projects"].toArray();
        ASSERT_EQ(projects.size(), 2) << "A once, though listed twice";
        for (const QJsonValue &project : projects) {
            EXPECT_EQ(Stamps(project["archives"].toArray()),
                      QStringList({"2024-01-02T00:00:00", "2024-01-01T00:00:00"}))
                << project["project"].toString().toStdString();
        }
        EXPECT_TRUE(
            projects[1]["archives"][0]["path"].toString().endsWith("/G/20240102000000/B 0.0.0.20240102000000.zip"));
    }

    // Two projects of one name and version cannot be told apart by their archives' names: it is said.
    tree.project("C/C.vbp", {"Name=\"A\""});
    const QString twins = tree.write("Twins.vbpgroup", "Twins\r\nA/A.vbp\r\n[PATH]\r\n\r\nC/C.vbp\r\n");
    const CliStreams shared = RunCliStreams({"history", twins, "--dest", tree.path("out")});
    EXPECT_TRUE(shared.err.contains("warning: A/A.vbp and C/C.vbp share the archive name \"A\""))
        << shared.err.toStdString();
}

} // namespace

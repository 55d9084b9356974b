#include "CliStreams.h"
#include "ProjectTree.h"
#include "ZipListing.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

// diff tells what changed between two backups, with diff's exit statuses: 0 the same, 1 different,
// 2 trouble. Entries are compared by size and CRC-32, so a file changed within its size is found.

namespace {

QStringList Entries(const QJsonArray &changes)
{
    QStringList entries;
    for (const QJsonValue &change : changes)
        entries.append(change["entry"].toString());
    return entries;
}

class CliDiff : public ::testing::Test {
protected:
    // Archives App.vbp at the stamp and gives the archive.
    QString Archive(const QString &stamp, const QStringList &options = {})
    {
        QByteArray output;
        EXPECT_EQ(
            RunCli(QStringList{"archive", tree.path("App/App.vbp"), "--stamp", stamp, "--quiet"} + options, &output), 0)
            << output.toStdString();
        return Output(output);
    }

    ProjectTree tree;
};

TEST_F(CliDiff, TwoArchivesDifferInEntriesAddedRemovedChangedAndProjectLines)
{
    tree.project("App/App.vbp",
                 {"Name=\"App\"", "Title=\"One\"", "Module=a; a.bas", "Module=b; Code/b.bas", "Form=c.frm"});
    tree.write("App/a.bas", "same\r\n");
    tree.write("App/Code/b.bas", "value = 1\r\n");
    tree.write("App/c.frm", "VERSION 5.00\r\n");
    const QString old = Archive("20240101000000");
    tree.project("App/App.vbp",
                 {"Name=\"App\"", "Title=\"Two\"", "Module=a; a.bas", "Module=b; Code/b.bas", "Module=d; d.bas"});
    tree.write("App/Code/b.bas", "value = 2\r\n"); // the same size
    tree.write("App/d.bas", "new\r\n");
    const QString now = Archive("20240102000000");

    CliStreams run = RunCliStreams({"diff", old, now, "--json"});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    const QJsonObject document = JsonOutput(run);
    EXPECT_TRUE(document["differs"].toBool());
    const QJsonObject comparison = document["comparisons"][0].toObject();
    EXPECT_EQ(comparison["old"].toString(), old);
    EXPECT_EQ(Entries(comparison["added"].toArray()), QStringList({"d.bas"}));
    EXPECT_EQ(Entries(comparison["removed"].toArray()), QStringList({"c.frm"}));
    EXPECT_EQ(Entries(comparison["changed"].toArray()), QStringList({"Code/b.bas"}));
    const QJsonValue changed = comparison["changed"][0];
    EXPECT_EQ(changed["old_size"].toInteger(), 11);
    EXPECT_EQ(changed["new_size"].toInteger(), 11);
    EXPECT_EQ(changed["old_crc32"].toString(), UnzipCrc(old, "Code/b.bas"));
    EXPECT_EQ(changed["new_crc32"].toString(), UnzipCrc(now, "Code/b.bas"));
    EXPECT_EQ(comparison["added"][0]["crc32"].toString(), UnzipCrc(now, "d.bas"));
    EXPECT_EQ(comparison["added"][0]["size"].toInteger(), 5);
    QStringList lines;
    for (const QJsonValue &line : comparison["project_lines"].toArray())
        lines.append((line["change"].toString() == "removed" ? "-" : "+") + line["line"].toString());
    EXPECT_EQ(lines, QStringList({"-Title=\"One\"", "+Title=\"Two\"", "-Form=c.frm", "+Module=d; d.bas"}));

    run = RunCliStreams({"diff", old, now});
    EXPECT_EQ(run.status, 1);
    const QString text = QString::fromUtf8(run.out);
    for (const QString &expected : {"--- " + old, "+++ " + now, QString("-Title=\"One\"\n+Title=\"Two\"\n")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " in " << text.toStdString();
    EXPECT_TRUE(
        QRegularExpression("changed +Code/b.bas +11 +11 +" + UnzipCrc(old, "Code/b.bas")).match(text).hasMatch())
        << text.toStdString();

    run = RunCliStreams({"diff", now, now});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliDiff, TheProjectOnDiskAgainstItsNewestArchive)
{
    // A member outside the project's folder, a companion and a binary file a form names: the entries
    // and rewritten lines archiving gives them must match, or nothing changed would look changed.
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=a; a.bas", "Class=CLog; ..\\Shared\\CLog.cls", "Form=f.frm"});
    tree.write("App/a.bas", "line one\nline two\n"); // Linux line ends
    tree.write("Shared/CLog.cls", "VERSION 1.0 CLASS\r\n");
    tree.member("App/f.frm", {"pic.bin"});
    tree.write("App/f.frx", "frx");
    tree.write("App/pic.bin", "picture");
    Archive("20240101000000", {"--crlf"});
    const QString newest = Archive("20240102000000");

    CliStreams run = RunCliStreams({"diff", tree.path("App/App.vbp")});
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.out, "");
    // The older archive stored a.bas with CR LF: compared as --crlf would store it now, it is a.bas unchanged.
    const QString older = tree.path("App/Sources.Backup/App 0.0.0.20240101000000.zip");
    EXPECT_EQ(RunCliStreams({"diff", older, newest}).status, 1);

    tree.write("App/pic.bin", "pixture"); // the same size
    tree.write("App/b.bas", "");
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=a; a.bas", "Class=CLog; ..\\Shared\\CLog.cls", "Form=f.frm",
                                 "Module=b; b.bas"});
    run = RunCliStreams({"diff", tree.path("App/App.vbp"), "--json"});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    const QJsonObject comparison = JsonOutput(run)["comparisons"][0].toObject();
    EXPECT_EQ(comparison["old"].toString(), newest);
    EXPECT_EQ(Entries(comparison["changed"].toArray()), QStringList({"pic.bin"}));
    EXPECT_EQ(Entries(comparison["added"].toArray()), QStringList({"b.bas"}));
    EXPECT_EQ(comparison["project_lines"].toArray().size(), 1);
    EXPECT_EQ(comparison["project_lines"][0]["line"].toString(), "Module=b; b.bas");
}

TEST_F(CliDiff, WithTextMembersStoredWithWindowsLineEnds)
{
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=a; a.bas"});
    tree.write("App/a.bas", "line one\nline two\n");
    Archive("20240101000000", {"--crlf"});
    EXPECT_EQ(RunCliStreams({"diff", tree.path("App/App.vbp")}).status, 1);
    const CliStreams run = RunCliStreams({"diff", tree.path("App/App.vbp"), "--crlf"});
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
}

TEST_F(CliDiff, AProtectedArchiveIsComparedWithItsPasswordOrByWhatItsDirectoryTells)
{
    tree.project("App/App.vbp", {"Name=\"App\"", "Title=\"One\"", "Module=a; a.bas"});
    tree.write("App/a.bas", "same\r\n");
    const QString password = tree.write("pass.txt", "s3cret\n");
    const QString old = Archive("20240101000000", {"--password-file", password});
    tree.project("App/App.vbp", {"Name=\"App\"", "Title=\"Two\"", "Module=a; a.bas"});
    const QString now = Archive("20240102000000", {"--password-file", password});

    CliStreams run = RunCliStreams({"diff", old, now});
    EXPECT_EQ(run.status, 1) << "the project file's CRC-32 still tells it changed";
    EXPECT_TRUE(run.err.contains("--password-file")) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("project file: changed")) << run.out.toStdString();

    run = RunCliStreams({"diff", old, now, "--password-file", password});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("-Title=\"One\"\n+Title=\"Two\"")) << run.out.toStdString();
    EXPECT_EQ(run.err, "");

    // Unchanged on disk since the newest archive, with or without the password.
    EXPECT_EQ(RunCliStreams({"diff", tree.path("App/App.vbp")}).status, 0);
    EXPECT_EQ(RunCliStreams({"diff", tree.path("App/App.vbp"), "--password-file", password}).status, 0);
    EXPECT_EQ(RunCliStreams({"diff", old, now, "--password-file", tree.write("wrong.txt", "guess\n")}).status, 2);
}

TEST_F(CliDiff, TroubleExitsWithTwo)
{
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=a; a.bas"});
    tree.write("App/a.bas", "");
    const QString archive = Archive("20240101000000");
    const struct {
        const char *what;
        QStringList arguments;
    } cases[] = {
        {"no arguments", {"diff"}},
        {"three arguments", {"diff", archive, archive, archive}},
        {"no such archive", {"diff", archive, tree.path("gone.zip")}},
        {"not a zip", {"diff", tree.write("text.zip", "text"), archive}},
        {"no project file in it", {"diff", tree.path("App/App.vbp"), archive}},
        {"a project without archives", {"diff", tree.path("App/App.vbp"), "--dest", tree.path("empty")}},
        {"a folder", {"diff", tree.path("App")}},
    };
    for (const auto &[what, arguments] : cases) {
        const CliStreams run = RunCliStreams(arguments);
        EXPECT_EQ(run.status, 2) << what;
        EXPECT_FALSE(run.err.isEmpty()) << what;
    }
}

} // namespace
